#include "engine/compare_and_delete.h"

#include "tests/support/memory_file_system.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace sv {
namespace {

using testing::MemoryFileSystem;
using testing::Op;

const std::string kMain = "/data/MainBase.dat";
const std::string kNew = "/data/new.rda";
const std::string kBak = "/data/new.rda.bak";
const std::string kDup = "/data/new.rda.dup";

std::vector<std::string> items(const ResultList& list) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list.item(i));
  return out;
}

using Items = std::vector<std::string>;

// Lists, files and count of ordinary runs are checked against a literal scan
// in differential_test.cpp; these are the cases with a story of their own.

TEST(CompareAndDelete, EmptyComparedFileNeverOpensTheMainBase) {
  MemoryFileSystem fs;
  fs.files = {{kNew, ""}};
  const RunOutcome outcome = compareAndDelete(fs, kMain, kNew);
  ASSERT_TRUE(outcome.status.isOk()) << outcome.status.message();
  EXPECT_EQ(outcome.dupesCount(), 0u);
  const std::map<std::string, std::string> expected = {{kNew, ""}, {kBak, ""}, {kDup, ""}};
  EXPECT_EQ(fs.files, expected);
}

TEST(CompareAndDelete, SameFileAsMainBaseAndComparedEmptiesIt) {
  MemoryFileSystem fs;
  fs.files = {{kNew, "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n"}};
  const RunOutcome outcome = compareAndDelete(fs, kNew, kNew);
  ASSERT_TRUE(outcome.status.isOk()) << outcome.status.message();
  EXPECT_TRUE(outcome.lists.List2.empty());
  EXPECT_EQ(outcome.dupesCount(), 2u);
  EXPECT_EQ(fs.files[kNew], "");
  EXPECT_EQ(fs.files[kBak], "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n");
}

TEST(CompareAndDelete, SecondRunBacksUpTheCleanedFileAndFindsNothing) {
  MemoryFileSystem fs;
  fs.files = {{kMain, "A\r\n1\r\nm\r\n"}, {kNew, "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n"}};
  ASSERT_TRUE(compareAndDelete(fs, kMain, kNew).status.isOk());
  const RunOutcome second = compareAndDelete(fs, kMain, kNew);
  ASSERT_TRUE(second.status.isOk());
  EXPECT_EQ(second.dupesCount(), 0u);
  EXPECT_EQ(fs.files[kBak], "B\r\n2\r\ny\r\n");
  EXPECT_EQ(fs.files[kNew], "B\r\n2\r\ny\r\n");
  EXPECT_EQ(fs.files[kDup], "");
}

TEST(CompareAndDelete, DryRunWritesNothing) {
  MemoryFileSystem fs;
  fs.files = {{kMain, "A\r\n1\r\nm\r\n"}, {kNew, "A\r\n1\r\nx\r\n"}};
  const auto before = fs.files;
  const RunOutcome outcome = compareAndDelete(fs, kMain, kNew, {.dryRun = true});
  ASSERT_TRUE(outcome.status.isOk());
  EXPECT_EQ(outcome.dupesCount(), 1u);
  EXPECT_EQ(fs.files, before);
}

// Failures, in the order a run meets them.

struct FailureCase {
  const char* label;
  std::map<std::string, std::string> files;  // before the run
  RunStatus::Kind kind;
  RunFile file;
  std::size_t record, missingLine;  // for truncation
  Items list2, list3, list4;        // partial results
  bool backupWritten;
  const char* messagePart;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.label; }

class FailedRunTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedRunTest, StopsAtTheFailingStepAndKeepsTheComparedFile) {
  const FailureCase& c = GetParam();
  MemoryFileSystem fs;
  fs.files = c.files;
  const RunOutcome outcome = compareAndDelete(fs, kMain, kNew);
  const RunStatus& status = outcome.status;
  ASSERT_FALSE(status.isOk());
  EXPECT_EQ(status.kind(), c.kind);
  EXPECT_EQ(status.file(), c.file);
  if (c.kind == RunStatus::Kind::Truncated) {
    EXPECT_EQ(status.record(), c.record);
    EXPECT_EQ(status.missingLine(), c.missingLine);
  }
  EXPECT_NE(status.message().find(c.messagePart), std::string::npos) << status.message();
  EXPECT_EQ(items(outcome.lists.List2), c.list2);
  EXPECT_EQ(items(outcome.lists.List3), c.list3);
  EXPECT_EQ(items(outcome.lists.List4), c.list4);

  auto expected = c.files;
  if (c.backupWritten) expected[kBak] = c.files.at(kNew);
  EXPECT_EQ(fs.files, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedRunTest,
    ::testing::Values(
        FailureCase{"ComparedFileMissing",
                    {{kMain, "A\r\n1\r\nm\r\n"}},
                    RunStatus::Kind::ReadFailed,
                    RunFile::Compared,
                    0,
                    0,
                    {},
                    {},
                    {},
                    false,
                    "Cannot read the file for comparing \"/data/new.rda\": file not found."},
        FailureCase{"FirstComparedRecordTruncatedBeforeMainBaseIsOpened",
                    {{kNew, "A\r\n1\r\n"}},
                    RunStatus::Kind::Truncated,
                    RunFile::Compared,
                    1,
                    3,
                    {},
                    {},
                    {},
                    true,
                    "ends inside record 1: line 3 is missing"},
        FailureCase{"MainBaseMissing",
                    {{kNew, "A\r\n1\r\nx\r\n"}},
                    RunStatus::Kind::ReadFailed,
                    RunFile::MainBase,
                    0,
                    0,
                    {},
                    {},
                    {},
                    true,
                    "Cannot read the main base"},
        FailureCase{"MainBaseTruncatedAfterAMatch",
                    {{kMain, "A\r\n1\r\nm\r\nB\r\n2\r\nn\r\nA\r\n1\r\n"},
                     {kNew, "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n"}},
                    RunStatus::Kind::Truncated,
                    RunFile::MainBase,
                    3,
                    9,
                    {},
                    {"A", "1", "m"},
                    {"A", "1", "x"},
                    true,
                    "(the main base) ends inside record 3: line 9 is missing"},
        FailureCase{"ComparedTruncatedLaterKeepsEarlierResults",
                    {{kMain, "A\r\n1\r\nm\r\n"},
                     {kNew, "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\nC\r\n3\r\nz\r\n\r\n"}},
                    RunStatus::Kind::Truncated,
                    RunFile::Compared,
                    4,
                    11,
                    {"B", "2", "y", "C", "3", "z"},
                    {"A", "1", "m"},
                    {"A", "1", "x"},
                    true,
                    "record 4: line 11"},
        FailureCase{"LfOnlyLineEndsAreNamed",
                    {{kMain, ""}, {kNew, "A\n1\nx\n"}},
                    RunStatus::Kind::Truncated,
                    RunFile::Compared,
                    1,
                    2,
                    {},
                    {},
                    {},
                    true,
                    "The file has LF-only line ends where CR LF is expected."}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CompareAndDelete, BackupPathThatIsTheMainBaseIsRefused) {
  MemoryFileSystem fs;
  fs.files = {{kBak, "A\r\n1\r\nm\r\n"}, {kNew, "A\r\n1\r\nx\r\n"}};
  const auto before = fs.files;
  const RunOutcome outcome = compareAndDelete(fs, kBak, kNew);
  EXPECT_EQ(outcome.status.kind(), RunStatus::Kind::WouldOverwriteMainBase);
  EXPECT_EQ(fs.files, before);
}

// Large enough for the run to share the work between threads; the results
// must still come out in file order, exactly as a plain scan gives them.
TEST(CompareAndDelete, LargeFilesGiveTheSameResultsInFileOrder) {
  auto record = [](std::size_t call, std::size_t rda, std::size_t note) {
    return "C" + std::to_string(call) + "\r\nR" + std::to_string(rda) + "\r\nn" +
           std::to_string(note) + "\r\n";
  };
  std::string mainBase;
  std::multimap<std::pair<std::size_t, std::size_t>, std::string> byKey;
  for (std::size_t i = 0; i < 60000; ++i) {
    const std::string r = record(i % 40000, i % 3, i);  // keys repeat
    mainBase += r;
    byKey.emplace(std::pair(i % 40000, i % 3), r);
  }
  std::string compared;
  std::string cleaned;
  std::string dupes;
  std::string mainSide;
  for (std::size_t j = 0; j < 140000; ++j) {
    const std::pair key(j * 7 % 50000, j % 3);
    const std::string r = record(key.first, key.second, 1000000 + j);
    compared += r;
    const auto [first, last] = byKey.equal_range(key);
    if (first == last) cleaned += r;
    for (auto it = first; it != last; ++it) {
      dupes += r;
      mainSide += it->second;
    }
  }
  MemoryFileSystem fs;
  fs.files = {{kMain, mainBase}, {kNew, compared}};
  const RunOutcome outcome = compareAndDelete(fs, kMain, kNew);
  ASSERT_TRUE(outcome.status.isOk()) << outcome.status.message();
  auto text = [](const ResultList& list) {
    std::string out;
    for (std::size_t i = 0; i < list.size(); ++i) out += std::string(list.item(i)) + "\r\n";
    return out;
  };
  EXPECT_EQ(text(outcome.lists.List2), cleaned);
  EXPECT_EQ(text(outcome.lists.List3), mainSide);
  EXPECT_EQ(text(outcome.lists.List4), dupes);
  EXPECT_EQ(fs.files.at(kNew), cleaned);
  EXPECT_EQ(fs.files.at(kDup), dupes);
  EXPECT_GT(outcome.dupesCount(), 10000u);
  EXPECT_GT(cleaned.size(), 100000u);
}

// Memory that runs out mid-run is a failure like any other, never an
// exception in the caller's lap.
TEST(CompareAndDelete, RunningOutOfMemoryIsReportedAndLeavesFilesWhole) {
  class Exhausted : public MemoryFileSystem {
   public:
    std::error_code readFile(const std::string& path, SharedContents& contents) override {
      if (path == kMain) throw std::bad_alloc();
      return MemoryFileSystem::readFile(path, contents);
    }
  } fs;
  fs.files = {{kMain, "A\r\n1\r\nm\r\n"}, {kNew, "A\r\n1\r\nx\r\n"}};
  const RunOutcome outcome = compareAndDelete(fs, kMain, kNew);
  EXPECT_EQ(outcome.status.kind(), RunStatus::Kind::OutOfResources);
  EXPECT_NE(outcome.status.message().find("not enough memory"), std::string::npos);
  EXPECT_EQ(fs.files.at(kNew), "A\r\n1\r\nx\r\n");
  EXPECT_EQ(fs.files.count(kDup), 0u);
}

// Every operation of the file layer fails in turn, at every use a run makes
// of it. Whatever fails, each file is wholly old or wholly new, the backup is
// complete before the compared file changes, and nothing half-written stays.
TEST(CompareAndDelete, EveryFailingFileOperationLeavesTheUsersFilesWhole) {
  const std::string mainBase = "A\r\n1\r\nm\r\nB\r\n2\r\nn\r\n";
  const std::string compared = "A\r\n1\r\nx\r\nC\r\n3\r\ny\r\n";
  const std::string oldBackup = "old backup\r\n";
  const std::string oldDupes = "old dupes\r\n";
  const std::string cleaned = "C\r\n3\r\ny\r\n";
  const std::string dupes = "A\r\n1\r\nx\r\n";
  int failuresSeen = 0;
  for (Op op : testing::kAllOps) {
    for (int nth = 1; nth <= 8; ++nth) {
      SCOPED_TRACE(std::string(testing::opName(op)) + " #" + std::to_string(nth));
      MemoryFileSystem fs;
      fs.files = {{kMain, mainBase}, {kNew, compared}, {kBak, oldBackup}, {kDup, oldDupes}};
      fs.failOn(op, nth);
      const RunOutcome outcome = compareAndDelete(fs, kMain, kNew);
      if (!fs.failureHit()) {
        EXPECT_TRUE(outcome.status.isOk()) << outcome.status.message();
        continue;
      }
      ++failuresSeen;
      // A failed removal only happens while cleaning up after another failure.
      if (op != Op::Remove) {
        EXPECT_FALSE(outcome.status.isOk());
      }
      EXPECT_EQ(fs.files.at(kMain), mainBase);
      const std::string& now = fs.files.at(kNew);
      EXPECT_TRUE(now == compared || now == cleaned);
      const std::string& backup = fs.files.at(kBak);
      EXPECT_TRUE(backup == oldBackup || backup == compared);
      if (now == cleaned) {
        EXPECT_EQ(backup, compared);
      }
      const std::string& dupesNow = fs.files.at(kDup);
      EXPECT_TRUE(dupesNow == oldDupes || dupesNow == dupes);
      if (outcome.status.isOk()) {
        EXPECT_EQ(dupesNow, dupes);
      }
      if (op != Op::Remove) {
        EXPECT_EQ(fs.files.size(), 4u) << "a temporary file was left behind";
      }
    }
  }
  EXPECT_GT(failuresSeen, 10);
}

}  // namespace
}  // namespace sv

#include "engine/compare_and_delete.h"

#include "tests/support/memory_file_system.h"

#include <algorithm>
#include <functional>
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

// Megabytes of text are compared by size and first difference: printing
// them whole helps no one.
void expectSameBytes(std::string_view got, std::string_view expected, const char* what) {
  EXPECT_EQ(got.size(), expected.size()) << what << ": size";
  const auto [g, e] = std::mismatch(got.begin(), got.end(), expected.begin(), expected.end());
  if (g == got.end() && e == expected.end()) return;
  const std::size_t at = static_cast<std::size_t>(g - got.begin());
  ADD_FAILURE() << what << " first differs at byte " << at << ": got \"" << got.substr(at, 40)
                << "\", expected \"" << expected.substr(at, 40) << "\"";
}

// Lists, files and count of ordinary runs are checked against a literal scan
// in differential_test.cpp (an empty compared file, a missing main base and
// which failure comes first among them); these are the cases with a story of
// their own.

TEST(CompareAndDelete, TheMainBaseAsFileForComparingIsRefusedBeforeAnythingIsTouched) {
  for (bool dryRun : {false, true}) {
    MemoryFileSystem fs;
    fs.files = {{kNew, "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n"}};
    const auto before = fs.files;
    const RunOutcome outcome = compareAndDelete(fs, kNew, kNew, {.dryRun = dryRun});
    EXPECT_EQ(
        outcome.status.message(),
        "Nothing was done: the file for comparing \"/data/new.rda\" is the main base itself.");
    EXPECT_TRUE(outcome.lists.List2.empty());
    EXPECT_EQ(fs.files, before);
    EXPECT_TRUE(fs.steps.empty()) << "nothing read, locked or written";
  }
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

// A dry run writes nothing, so it needs no lock either: another run may hold it.
TEST(CompareAndDelete, DryRunWritesNothingAndNeedsNoLock) {
  MemoryFileSystem fs;
  fs.files = {{kMain, "A\r\n1\r\nm\r\n"}, {kNew, "A\r\n1\r\nx\r\n"}};
  fs.locked.insert(kNew);
  const auto before = fs.files;
  const RunOutcome outcome = compareAndDelete(fs, kMain, kNew, {.dryRun = true});
  ASSERT_TRUE(outcome.status.isOk()) << outcome.status.message();
  EXPECT_EQ(outcome.dupesCount(), 1u);
  EXPECT_EQ(fs.files, before);
}

// Failures, in the order a run meets them.

// Where a run stops, what it leaves and which lists it fills are compared with
// a literal scan in differential_test.cpp; here, what the user is told.
TEST(CompareAndDelete, FailuresNameTheFileTheCauseAndTheLine) {
  const struct {
    std::map<std::string, std::string> files;
    std::string message;
  } cases[] = {
      {{{kMain, ""}}, "Cannot read the file for comparing \"/data/new.rda\": file not found."},
      {{{kNew, "A\r\n1\r\nx\r\n"}},
       "Cannot read the main base \"/data/MainBase.dat\": file not found."},
      {{{kMain, "A\r\n1\r\nm\r\nB\r\n2\r\n"}, {kNew, "A\r\n1\r\nx\r\n"}},
       "The file \"/data/MainBase.dat\" (the main base) ends inside record 2: line 6 is missing, "
       "and every record has three lines."},
      {{{kMain, ""}, {kNew, "A\n1\nx\n"}},
       "The file \"/data/new.rda\" (the file for comparing) ends inside record 1: line 2 is "
       "missing, and every record has three lines. The file has LF-only line ends where CR LF "
       "is expected."},
  };
  for (const auto& c : cases) {
    MemoryFileSystem fs;
    fs.files = c.files;
    EXPECT_EQ(compareAndDelete(fs, kMain, kNew).status.message(), c.message);
  }
  MemoryFileSystem full;
  full.files = {{kMain, ""}, {kNew, "A\r\n1\r\nx\r\n"}};
  full.failOn(Op::Write, 1);
  EXPECT_EQ(compareAndDelete(full, kMain, kNew).status.message(),
            "Cannot write the backup file \"/data/new.rda.bak\": disk full.");
}

TEST(CompareAndDelete, AnOutputThatIsTheMainBaseIsRefused) {
  for (const std::string& mainBase : {kBak, kDup}) {
    SCOPED_TRACE(mainBase);
    MemoryFileSystem fs;
    fs.files = {{mainBase, "A\r\n1\r\nm\r\n"}, {kNew, "A\r\n1\r\nx\r\n"}};
    const auto before = fs.files;
    const RunOutcome outcome = compareAndDelete(fs, mainBase, kNew);
    EXPECT_EQ(outcome.status.kind(), RunStatus::Kind::WouldOverwriteMainBase);
    EXPECT_EQ(outcome.status.path(), mainBase);
    EXPECT_EQ(fs.files, before);
  }
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
  expectSameBytes(text(outcome.lists.List2), cleaned, "List2");
  expectSameBytes(text(outcome.lists.List3), mainSide, "List3");
  expectSameBytes(text(outcome.lists.List4), dupes, "List4");
  expectSameBytes(fs.files.at(kNew), cleaned, "the cleaned file");
  expectSameBytes(fs.files.at(kDup), dupes, "the dupes file");
  EXPECT_GT(outcome.dupesCount(), 10000u);
  EXPECT_GT(cleaned.size(), 100000u);
}

// Thousands of coincidences for each compared record: the dupes file holds
// the record once per coincidence, in whole blocks and the odd copies after
// them, also when its line ends must be rewritten; List3 gives each partner
// at its position and List4 the compared record at the same positions.
TEST(CompareAndDelete, RecordsWithThousandsOfPartnersAreWrittenOncePerCoincidence) {
  constexpr std::size_t kPartners = 30011;
  for (const std::string lineEnd : {"\r\n", "\r"}) {
    SCOPED_TRACE(lineEnd == "\r" ? "CR line ends" : "CR LF line ends");
    std::string mainBase;
    for (std::size_t i = 0; i < kPartners; ++i) {
      mainBase += "A\r\n1\r\n" + std::to_string(i) + "\r\n";
    }
    const std::string compared = "A" + lineEnd + "1" + lineEnd + "x" + lineEnd + "B" + lineEnd +
                                 "2" + lineEnd + "y" + lineEnd + "A" + lineEnd + "1" + lineEnd +
                                 "z" + lineEnd;
    MemoryFileSystem fs;
    fs.files = {{kMain, mainBase}, {kNew, compared}};
    const RunOutcome outcome = compareAndDelete(fs, kMain, kNew);
    ASSERT_TRUE(outcome.status.isOk()) << outcome.status.message();
    ASSERT_EQ(outcome.dupesCount(), 2 * kPartners);
    std::string dupes;
    for (std::size_t i = 0; i < kPartners; ++i) dupes += "A\r\n1\r\nx\r\n";
    for (std::size_t i = 0; i < kPartners; ++i) dupes += "A\r\n1\r\nz\r\n";
    EXPECT_TRUE(fs.files.at(kDup) == dupes)
        << "dupes file of " << fs.files.at(kDup).size() << " bytes, expected " << dupes.size();
    EXPECT_EQ(fs.files.at(kNew), "B\r\n2\r\ny\r\n");

    const ResultList& mainSide = outcome.lists.List3;
    const ResultList& comparedSide = outcome.lists.List4;
    ASSERT_EQ(mainSide.size(), 6 * kPartners);
    ASSERT_EQ(comparedSide.size(), 6 * kPartners);
    for (std::size_t k : {std::size_t{0}, std::size_t{1}, kPartners - 1, kPartners, kPartners + 17,
                          2 * kPartners - 1}) {
      EXPECT_EQ(mainSide.item(3 * k), "A");
      EXPECT_EQ(mainSide.item(3 * k + 2), std::to_string(k % kPartners));
      EXPECT_EQ(comparedSide.item(3 * k + 1), "1");
      EXPECT_EQ(comparedSide.item(3 * k + 2), k < kPartners ? "x" : "z");
    }
  }
}

// A disk with room for little: each new file asks for its exact size first,
// and the dupes file of many coincidences, too big, fails at once.
TEST(CompareAndDelete, ADupesFileTooBigForTheDiskFailsBeforeAnythingChanges) {
  MemoryFileSystem fs;
  fs.room = 10000;
  std::string mainBase;
  for (int i = 0; i < 1000; ++i) mainBase += "A\r\n1\r\nm\r\n";
  const std::string compared = "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\nA\r1\rz\r";
  fs.files = {{kMain, mainBase}, {kNew, compared}};
  const RunOutcome outcome = compareAndDelete(fs, kMain, kNew);
  EXPECT_EQ(outcome.status.message(),
            "Cannot write the dupes file \"/data/new.rda.dup\": disk full.");
  EXPECT_EQ(fs.reserved[kDup], 2000u * 9) << "the exact size, the rewritten line ends counted";
  EXPECT_EQ(fs.files.at(kNew), compared);
  EXPECT_EQ(fs.files.count(kDup), 0u);
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
  EXPECT_NE(outcome.status.message().find("the main base \"/data/MainBase.dat\""),
            std::string::npos)
      << outcome.status.message();
  EXPECT_EQ(fs.files.at(kNew), "A\r\n1\r\nx\r\n");
  EXPECT_EQ(fs.files.count(kDup), 0u);
}

// Every operation of the file layer fails in turn, at every use a run makes
// of it. Whatever fails, each file is wholly old or wholly new, the backup is
// complete before the compared file changes, nothing half-written stays, and
// the compared file keeps every record, so that running again recovers them.
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
      // A failed run never leaves the compared file cleaned. Only when its
      // own replacing, the very last step, fails is the dupes file new.
      if (!outcome.status.isOk()) {
        EXPECT_EQ(now, compared);
        const bool lastStepFailed = op == Op::Rename && outcome.status.file() == RunFile::Compared;
        if (!lastStepFailed) {
          EXPECT_EQ(dupesNow, oldDupes);
        }
      }
      if (op != Op::Remove) {
        EXPECT_EQ(fs.files.size(), 4u) << "a temporary file was left behind";
      }
    }
  }
  EXPECT_GT(failuresSeen, 10);
}

// The order of a run's steps: nothing is put in place before both new files
// are complete on disk, the backup comes first, and the compared file is
// locked before it is read.
TEST(CompareAndDelete, BothNewFilesAreFlushedBeforeEitherIsPutInPlace) {
  MemoryFileSystem fs;
  fs.files = {{kMain, "A\r\n1\r\nm\r\n"}, {kNew, "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n"}};
  ASSERT_TRUE(compareAndDelete(fs, kMain, kNew).status.isOk());
  auto at = [&](const std::string& step) {
    const auto it = std::find(fs.steps.begin(), fs.steps.end(), step);
    EXPECT_NE(it, fs.steps.end()) << step;
    return it - fs.steps.begin();
  };
  EXPECT_LT(at("check " + kMain), at("lock " + kNew));
  EXPECT_LT(at("lock " + kNew), at("check " + kNew));
  EXPECT_LT(at("check " + kDup), at("commit " + kBak));
  EXPECT_LT(at("lock " + kNew), at("read " + kNew));
  EXPECT_LT(at("sweep " + kBak), at("read " + kNew));
  EXPECT_LT(at("commit " + kBak), at("commit " + kNew));
  EXPECT_LT(at("flush " + kNew), at("commit " + kDup));
  EXPECT_LT(at("flush " + kDup), at("commit " + kDup));
  EXPECT_LT(at("commit " + kDup), at("commit " + kNew));
  // The lock, on the old file and then on its new version, lasts the run.
  EXPECT_TRUE(fs.locked.empty());
  // The cleaned file is still the user's file; the backup and dupes file
  // share its access rules, not what makes it that file.
  EXPECT_EQ(fs.attributes[kNew].flags, 0x22u);
  EXPECT_EQ(fs.attributes[kNew].created, 7u);
  for (const std::string& made : {kBak, kDup}) {
    EXPECT_EQ(fs.attributes[made].mode, 0640u) << made;
    EXPECT_EQ(fs.attributes[made].flags + fs.attributes[made].created, 0u) << made;
  }
}

// The run's failure order: the backup is the first step, so its failure
// is what the user hears of, even when the scan failed as well.
TEST(CompareAndDelete, ABackupFailureIsReportedBeforeAScanFailure) {
  MemoryFileSystem fs;
  fs.files = {{kMain, "A\r\n1\r\nm\r\nB\r\n"}, {kNew, "A\r\n1\r\nx\r\n"}};
  fs.failOn(Op::Create, 1);
  const RunOutcome outcome = compareAndDelete(fs, kMain, kNew);
  EXPECT_EQ(outcome.status.kind(), RunStatus::Kind::WriteFailed);
  EXPECT_EQ(outcome.status.file(), RunFile::Backup);
  EXPECT_TRUE(outcome.lists.List4.empty());
}

// What the real world does meanwhile: another run, another program, a
// special file. Each fails with its own words and leaves the compared and
// dupes files as they were; what the run can tell before it starts leaves
// the old backup, the user's way back from the last run, too.
TEST(CompareAndDelete, ARunThatMustNotGoOnChangesNothing) {
  const std::string mainBase = "A\r\n1\r\nm\r\n";
  const std::string compared = "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n";
  const std::error_code inUse = make_error_code(FileError::InUseByAnotherProgram);
  auto refuse = [](const std::string& path, std::error_code error) {
    return [path, error](MemoryFileSystem& fs) { fs.refusing[path] = error; };
  };
  const struct {
    const char* name;
    std::function<void(MemoryFileSystem&)> setUp;
    std::string message;
    bool backupKept = true;
  } cases[] = {
      {"another run holds the file", [](MemoryFileSystem& fs) { fs.locked.insert(kNew); },
       "Nothing was done: another run is working on \"/data/new.rda\"."},
      {"the file for comparing is a FIFO", [](MemoryFileSystem& fs) { fs.special.insert(kNew); },
       "Cannot read the file for comparing \"/data/new.rda\": it is not a regular file."},
      {"the main base is a device", [](MemoryFileSystem& fs) { fs.special.insert(kMain); },
       "Nothing was done: cannot read the main base \"/data/MainBase.dat\": it is not a regular "
       "file."},
      {"another program holds the main base", refuse(kMain, inUse),
       "Nothing was done: cannot read the main base \"/data/MainBase.dat\": it is in use by "
       "another program."},
      {"another program holds the dupes file", refuse(kDup, inUse),
       "Nothing was done: cannot replace the dupes file \"/data/new.rda.dup\": it is in use by "
       "another program."},
      {"the system protects the backup",
       refuse(kBak, make_error_code(FileError::ProtectedFromChange)),
       "Nothing was done: cannot replace the backup file \"/data/new.rda.bak\": the system "
       "protects it from change (immutable or append-only)."},
      {"the file for comparing is another user's in a shared folder",
       refuse(kNew, make_error_code(FileError::OthersInSharedFolder)),
       "Nothing was done: cannot replace the file for comparing \"/data/new.rda\": it belongs to "
       "another user, and its folder lets only a file's owner replace it."},
      {"a viewer opens the dupes file once the run is under way",
       [&](MemoryFileSystem& fs) {
         fs.afterRead = [&fs, inUse](const std::string& path) {
           std::lock_guard lock(fs.mutex);
           if (path == kMain) fs.refusing[kDup] = inUse;
         };
       },
       "Cannot write the dupes file \"/data/new.rda.dup\": it is in use by another program.",
       false},
      {"the main base changes while it is read",
       [](MemoryFileSystem& fs) {
         fs.afterRead = [&fs](const std::string& path) {
           if (path == kMain) fs.files[kMain] += "B\r\n2\r\nn\r\n";
         };
       },
       "Cannot read the main base \"/data/MainBase.dat\": another program changed it while the "
       "run was using it.",
       false},
      {"the compared file changes after it is read",
       [](MemoryFileSystem& fs) {
         fs.afterRead = [&fs](const std::string& path) {
           if (path == kMain) fs.files[kNew] += "C\r\n3\r\nz\r\n";
         };
       },
       "Cannot read the file for comparing \"/data/new.rda\": another program changed it while "
       "the run was using it.",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem fs;
    fs.files = {{kMain, mainBase}, {kNew, compared}, {kBak, "old backup"}, {kDup, "old dupes"}};
    c.setUp(fs);
    const RunOutcome outcome = compareAndDelete(fs, kMain, kNew);
    EXPECT_EQ(outcome.status.message(), c.message);
    EXPECT_EQ(fs.files.at(kMain).substr(0, mainBase.size()), mainBase);
    EXPECT_EQ(fs.files.at(kNew).substr(0, compared.size()), compared);
    EXPECT_EQ(fs.files.at(kDup), "old dupes");
    if (c.backupKept) {
      EXPECT_EQ(fs.files.at(kBak), "old backup");
    }
    EXPECT_EQ(fs.files.count(kNew + ".~tmp3"), 0u);
  }
}

TEST(CompareAndDelete, AnExtraEmptyLineAtTheEndIsNamed) {
  const struct {
    std::string compared;
    std::string tail;
  } cases[] = {
      {"A\r\n1\r\nx\r\n\r\n", " It ends with an extra empty line after its last complete record."},
      {"\r\n", " It ends with an extra empty line after its last complete record."},
      {"A\r\n1\r\nx\r\n\r\n\r\n",
       " It ends with 2 extra empty lines after its last complete record."},
      {"A\r\n1\r\nx\r\nB\r\n", ""},
      {"A\r\n1\r\nx\r\n\r\n2\r\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.compared);
    MemoryFileSystem fs;
    fs.files = {{kMain, ""}, {kNew, c.compared}};
    const std::string message = compareAndDelete(fs, kMain, kNew).status.message();
    EXPECT_NE(message.find("is missing, and every record has three lines."), std::string::npos);
    EXPECT_TRUE(message.ends_with("three lines." + c.tail)) << message;
  }
}

}  // namespace
}  // namespace sv

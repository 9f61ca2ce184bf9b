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

// Lists, files and count of runs are checked against a literal scan in
// differential_test.cpp; these are the cases with a story of their own.

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
  // The backup is the first step: its failure is what the user hears of,
  // even when the main base is broken as well.
  MemoryFileSystem full;
  full.files = {{kMain, "A\r\n1\r\nm\r\nB\r\n"}, {kNew, "A\r\n1\r\nx\r\n"}};
  full.failOn(Op::Write, 1);
  EXPECT_EQ(compareAndDelete(full, kMain, kNew).status.message(),
            "Cannot write the backup file \"/data/new.rda.bak\": disk full.");
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
  EXPECT_EQ(outcome.status.message(),
            "There was not enough memory to finish the run while working on the main base "
            "\"/data/MainBase.dat\". The file for comparing is either unchanged or completely "
            "cleaned.");
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
      const bool ok = outcome.status.isOk();
      // A failed removal only happens while cleaning up after another failure.
      EXPECT_TRUE(op == Op::Remove || !ok);
      EXPECT_TRUE(op == Op::Remove || fs.files.size() == 4u) << "a temporary file was left behind";
      EXPECT_EQ(fs.files.at(kMain), mainBase);
      const std::string& now = fs.files.at(kNew);
      const std::string& backup = fs.files.at(kBak);
      const std::string& dupesNow = fs.files.at(kDup);
      EXPECT_TRUE(now == compared || now == cleaned);
      EXPECT_TRUE(backup == oldBackup || backup == compared);
      EXPECT_TRUE(dupesNow == oldDupes || dupesNow == dupes);
      EXPECT_TRUE(now != cleaned || backup == compared);
      EXPECT_TRUE(!ok || dupesNow == dupes);
      // A failed run never leaves the compared file cleaned. Only when its
      // own replacing, the very last step, fails is the dupes file new.
      EXPECT_TRUE(ok || now == compared);
      const bool lastStepFailed = op == Op::Rename && outcome.status.file() == RunFile::Compared;
      EXPECT_TRUE(ok || lastStepFailed || dupesNow == oldDupes);
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
  // Another program adds to path once the run has read the main base.
  auto growOnceMainBaseRead = [](const std::string& path, const std::string& more) {
    return [path, more](MemoryFileSystem& fs) {
      fs.afterRead = [&fs, path, more](const std::string& read) {
        if (read == kMain) fs.files[path] += more;
      };
    };
  };
  const struct {
    const char* name;
    std::function<void(MemoryFileSystem&)> setUp;
    std::string message;
    bool backupKept = true;
    std::string mainBasePath = kMain;
  } cases[] = {
      {"the file for comparing is the main base", [](MemoryFileSystem&) {},
       "Nothing was done: the file for comparing \"/data/new.rda\" is the main base itself.", true,
       kNew},
      {"the backup is the main base", [](MemoryFileSystem&) {},
       "Nothing was done: the backup file \"/data/new.rda.bak\" would overwrite the main base.",
       true, kBak},
      {"the dupes file is the main base", [](MemoryFileSystem&) {},
       "Nothing was done: the dupes file \"/data/new.rda.dup\" would overwrite the main base.",
       true, kDup},
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
      {"a viewer opens the dupes file once the run is under way",
       [&](MemoryFileSystem& fs) {
         fs.afterRead = [&fs, inUse](const std::string& path) {
           std::lock_guard lock(fs.mutex);
           if (path == kMain) fs.refusing[kDup] = inUse;
         };
       },
       "Cannot write the dupes file \"/data/new.rda.dup\": it is in use by another program.",
       false},
      {"the main base changes while it is read", growOnceMainBaseRead(kMain, "B\r\n2\r\nn\r\n"),
       "Cannot read the main base \"/data/MainBase.dat\": another program changed it while the "
       "run was using it.",
       false},
      {"the compared file changes after it is read", growOnceMainBaseRead(kNew, "C\r\n3\r\nz\r\n"),
       "Cannot read the file for comparing \"/data/new.rda\": another program changed it while "
       "the run was using it.",
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryFileSystem fs;
    fs.files = {{kMain, mainBase}, {kNew, compared}, {kBak, "old backup"}, {kDup, "old dupes"}};
    c.setUp(fs);
    const auto before = fs.files;
    const RunOutcome outcome = compareAndDelete(fs, c.mainBasePath, kNew);
    EXPECT_EQ(outcome.status.message(), c.message);
    EXPECT_EQ(fs.files.at(kMain).substr(0, mainBase.size()), mainBase);
    EXPECT_EQ(fs.files.at(kNew).substr(0, compared.size()), compared);
    EXPECT_EQ(fs.files.at(kDup), "old dupes");
    if (c.backupKept) {
      EXPECT_EQ(fs.files, before);
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
      {"A\r1\rx\r\r", " It ends with an extra empty line after its last complete record."},
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

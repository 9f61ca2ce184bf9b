// The batch front end on real files: exit status, what it prints, and what
// it leaves on disk, the work file of older tools included.

#include "cli/sv_cli.h"

#include "files/posix/posix_file_system.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace sv {
namespace {

namespace fs = std::filesystem;

class SvCliTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_temp.ok()); }

  static void write(const std::string& p, const std::string& data) {
    testing::TempDir::write(p, data);
  }
  static std::string read(const std::string& p) { return testing::TempDir::read(p); }
  int run(std::vector<std::string> args) {
    m_out.str("");
    m_err.str("");
    return runCli(args, m_files, m_out, m_err);
  }

  testing::TempDir m_temp;
  const fs::path& m_dir = m_temp.dir();
  const std::string m_main = m_temp.path("MainBase.dat");
  const std::string m_new = m_temp.path("new.rda");
  PosixFileSystem m_files;
  std::ostringstream m_out, m_err;
};

TEST_F(SvCliTest, RunsAndLeavesAForeignTempFileAlone) {
  write(m_main, "UA3AAA\r\nMO-12\r\nmain\r\n");
  write(m_new, "UA3AAA\r\nMO-12\r\nnew\r\nRN6BN\r\nKK-41\r\n\r\n");
  write((m_dir / "temp").string(), "someone's file");
  const fs::path cwd = fs::current_path();
  fs::current_path(m_dir);
  const int status = run({m_main, m_new});
  fs::current_path(cwd);
  EXPECT_EQ(status, 0) << m_err.str();
  EXPECT_EQ(m_out.str(), "Total dupes records: 1\n");
  EXPECT_EQ(read(m_new), "RN6BN\r\nKK-41\r\n\r\n");
  EXPECT_EQ(read(m_new + ".bak"), "UA3AAA\r\nMO-12\r\nnew\r\nRN6BN\r\nKK-41\r\n\r\n");
  EXPECT_EQ(read(m_new + ".dup"), "UA3AAA\r\nMO-12\r\nnew\r\n");
  EXPECT_EQ(read((m_dir / "temp").string()), "someone's file");
  EXPECT_EQ(m_temp.entries(), 5);
}

TEST_F(SvCliTest, FailureIsOneLineOnStderrAndNothingAfterTheFailingStep) {
  write(m_main, "A\r\n1\r\n");
  write(m_new, "A\r\n1\r\nx\r\n");
  EXPECT_EQ(run({m_main, m_new}), 1);
  EXPECT_EQ(m_out.str(), "");
  EXPECT_EQ(m_err.str(), "sv-cli: The file \"" + m_main +
                             "\" (the main base) ends inside record 1: line 3 is missing, and "
                             "every record has three lines.\n");
  EXPECT_EQ(read(m_new), "A\r\n1\r\nx\r\n");
  EXPECT_FALSE(fs::exists(m_new + ".dup"));
}

TEST_F(SvCliTest, UsageErrorsTouchNoFile) {
  write(m_new, "A\r\n1\r\nx\r\n");
  for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                {m_new},
                                                                {m_main, m_new, m_new},
                                                                {"", m_new},
                                                                {m_main, ""},
                                                                {"--bogus", m_main, m_new}}) {
    EXPECT_EQ(run(args), 2);
    EXPECT_NE(m_err.str().find("Usage: sv-cli"), std::string::npos);
    EXPECT_EQ(m_out.str(), "");
  }
  EXPECT_EQ(m_temp.entries(), 1);
}

TEST_F(SvCliTest, HelpVersionAndDryRun) {
  EXPECT_EQ(run({"--help"}), 0);
  EXPECT_EQ(m_out.str().rfind("Usage: sv-cli", 0), 0u);
  EXPECT_EQ(run({"--version"}), 0);
  EXPECT_EQ(m_out.str(), "sv-cli (VARNOK Sievra) 1.00\n");

  write(m_main, "A\r\n1\r\nmain\r\n");
  write(m_new, "A\r\n1\r\nnew\r\n");
  EXPECT_EQ(run({"--dry-run", m_main, m_new}), 0);
  EXPECT_EQ(m_out.str(),
            "Callsign\tRDA Number\tNotes in main base\tNotes in file for comparing\n"
            "A\t1\tmain\tnew\nTotal dupes records: 1\n");
  EXPECT_EQ(m_temp.entries(), 2);
}

// Names and bytes of every file in a folder; links show as "-> target".
std::map<std::string, std::string> snapshot(const fs::path& dir) {
  std::map<std::string, std::string> out;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_symlink()) {
      out[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_regular_file()) {
      out[name] = testing::TempDir::read(entry.path().string());
    } else {
      out[name] = "(special)";
    }
  }
  return out;
}

// Every way the world can make a run refuse: one line on stderr, exit 1,
// and not one file of the folder changed but the backup, which comes before
// the main base is read.
TEST_F(SvCliTest, RefusedRunsSayWhyOnOneLineAndChangeNothing) {
  int held = -1;
  const struct {
    const char* name;
    std::function<void()> setUp;
    std::vector<std::string> args;
    std::string says;
    bool backedUp = false;
  } cases[] = {
      {"the file for comparing is the main base through a link",
       [&] { fs::create_symlink("MainBase.dat", m_dir / "link.rda"); },
       {m_main, m_temp.path("link.rda")},
       "the file for comparing \"" + m_temp.path("link.rda") + "\" is the main base itself"},
      {"the file for comparing is a FIFO",
       [&] { ::mkfifo(m_temp.path("fifo").c_str(), 0600); },
       {m_main, m_temp.path("fifo")},
       "it is not a regular file"},
      {"a dry run on a FIFO",
       [&] { ::mkfifo(m_temp.path("fifo").c_str(), 0600); },
       {"--dry-run", m_main, m_temp.path("fifo")},
       "it is not a regular file"},
      {"the main base is a FIFO",
       [&] { ::mkfifo(m_temp.path("fifo").c_str(), 0600); },
       {m_temp.path("fifo"), m_new},
       "Nothing was done: cannot read the main base \"" + m_temp.path("fifo") + "\": it is not"},
      {"a folder holds the dupes file's name",
       [&] { fs::create_directory(m_new + ".dup"); },
       {m_main, m_new},
       "Nothing was done: cannot replace the dupes file \"" + m_new + ".dup\": it is a folder"},
      {"a device as the file for comparing",
       [] {},
       {m_main, "/dev/null"},
       "\"/dev/null\": it is not a regular file"},
      {"a path through a file",
       [] {},
       {m_main, m_new + "/x"},
       "part of the path is a file, not a folder"},
      {"a read-only file for comparing",
       [&] { fs::permissions(m_new, fs::perms::owner_read | fs::perms::group_read); },
       {m_main, m_new},
       "\"" + m_new + "\": access denied",
       true},
      {"a line break in a name",
       [] {},
       {m_main, m_temp.path("no\nfile")},
       "\"" + m_temp.path("no\\nfile") + "\": file not found"},
      {"a lone dash is a file name",
       [] {},
       {"-", m_new},
       "the main base \"-\": file not found",
       true},
      {"a second run on the same file",
       [&] {
         held = ::open(m_new.c_str(), O_RDONLY);  // as the first run holds it
         ASSERT_EQ(::flock(held, LOCK_EX), 0);
       },
       {m_main, m_new},
       "sv-cli: Nothing was done: another run is working on \"" + m_new + "\".\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(m_dir);
    fs::create_directory(m_dir);
    write(m_main, "A\r\n1\r\nm\r\n");
    write(m_new, "A\r\n1\r\nx\r\n");
    c.setUp();
    auto before = snapshot(m_dir);
    if (c.backedUp) before["new.rda.bak"] = before["new.rda"];
    EXPECT_EQ(run(c.args), 1);
    EXPECT_NE(m_err.str().find(c.says), std::string::npos) << m_err.str();
    EXPECT_EQ(m_err.str().find('\n'), m_err.str().size() - 1) << "one line";
    EXPECT_EQ(snapshot(m_dir), before);
    if (held >= 0) ::close(std::exchange(held, -1));
  }
  struct stat st;
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));
}

// Marks a file immutable, as chattr +i does, or lifts the mark; false where
// the process or the file system cannot.
bool setImmutable(const std::string& path, bool on) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK);
  int flags = 0;
  bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) ::close(fd);
  return done;
}

// An output that fails once the run is under way: a dupes file that cannot
// get its name (a full folder needs a new block for the entry), or the very
// last step, replacing the compared file. Either way the compared file keeps
// every record, and a run once the obstacle is gone puts every removed
// record in the dupes file.
TEST_F(SvCliTest, AnOutputThatFailsLateLeavesEveryRecordInTheComparedFile) {
  enum class Obstacle { DupesUnnamed, LastRenameFails, ComparedMadeImmutable };
  class Failing : public PosixFileSystem {
   public:
    Obstacle obstacle{};
    std::string compared;
    bool immutableSet = false;

   protected:
    // The dupes file below is the only one of ten bytes.
    int linkUnnamed(int fd, int folderFd, const char* name) override {
      struct stat st;
      if (obstacle == Obstacle::DupesUnnamed && ::fstat(fd, &st) == 0 && st.st_size == 10) {
        errno = ENOSPC;
        return -1;
      }
      return PosixFileSystem::linkUnnamed(fd, folderFd, name);
    }
    int renameOver(int folderFd, const char* from, const char* to) override {
      if (obstacle == Obstacle::LastRenameFails && std::string(to) == "new.rda") {
        errno = EIO;
        return -1;
      }
      return PosixFileSystem::renameOver(folderFd, from, to);
    }
    // Another program marks the file once the run has read it.
    void finishedReading(int fd) override {
      if (obstacle == Obstacle::ComparedMadeImmutable && !immutableSet) {
        immutableSet = setImmutable(compared, true);
      }
      PosixFileSystem::finishedReading(fd);
    }
  };
  const std::string original = "A\r\n1\r\nxx\r\nB\r\n2\r\ny\r\n";
  const struct {
    Obstacle obstacle;
    std::string says;
    bool dupesWritten;
  } cases[] = {
      {Obstacle::DupesUnnamed, "the dupes file \"" + m_new + ".dup\": disk full.", false},
      {Obstacle::LastRenameFails, "the file for comparing \"" + m_new + "\": input/output error.",
       true},
      {Obstacle::ComparedMadeImmutable, "the file for comparing \"" + m_new + "\": access denied.",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    fs::remove_all(m_dir);
    fs::create_directory(m_dir);
    write(m_main, "A\r\n1\r\nm\r\n");
    write(m_new, original);
    Failing files;
    files.obstacle = c.obstacle;
    files.compared = m_new;
    const int status = runCli({m_main, m_new}, files, m_out, m_err);
    if (c.obstacle == Obstacle::ComparedMadeImmutable) {
      if (!files.immutableSet) continue;  // not where the test may set the mark
      setImmutable(m_new, false);
    }
    EXPECT_EQ(status, 1);
    EXPECT_EQ(m_err.str(), "sv-cli: Cannot write " + c.says + "\n");
    EXPECT_EQ(read(m_new), original);
    EXPECT_EQ(read(m_new + ".bak"), original);
    EXPECT_EQ(fs::exists(m_new + ".dup"), c.dupesWritten);
    EXPECT_EQ(m_temp.entries(), c.dupesWritten ? 4 : 3) << "no temporary left";

    EXPECT_EQ(run({m_main, m_new}), 0) << m_err.str();
    EXPECT_EQ(read(m_new), "B\r\n2\r\ny\r\n");
    EXPECT_EQ(read(m_new + ".dup"), "A\r\n1\r\nxx\r\n");
  }
}

// A read-only file for comparing is kept; its backup, read-only like it,
// does not stop the run once the user lets the file be written.
TEST_F(SvCliTest, AReadOnlyFileIsKeptAndItsBackupIsNoObstacleLater) {
  write(m_main, "A\r\n1\r\nm\r\n");
  write(m_new, "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n");
  const auto readOnly = fs::perms::owner_read | fs::perms::group_read;
  fs::permissions(m_new, readOnly);
  EXPECT_EQ(run({m_main, m_new}), 1);
  EXPECT_EQ(read(m_new), "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n");
  EXPECT_EQ(fs::status(m_new + ".bak").permissions(), readOnly);

  fs::permissions(m_new, readOnly | fs::perms::owner_write);
  m_err.str("");
  EXPECT_EQ(run({m_main, m_new}), 0) << m_err.str();
  EXPECT_EQ(read(m_new), "B\r\n2\r\ny\r\n");
  EXPECT_EQ(read(m_new + ".dup"), "A\r\n1\r\nx\r\n");
}

// Links planted at the outputs' names are replaced; the compared file's own
// link survives and its target is cleaned.
TEST_F(SvCliTest, LinksAreFollowedOnlyForTheFileForComparing) {
  write(m_main, "A\r\n1\r\nm\r\n");
  fs::create_directory(m_dir / "real");
  write(m_temp.path("real/target.rda"), "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n");
  fs::create_symlink("real/target.rda", m_new);
  write(m_temp.path("victim1"), "precious 1");
  write(m_temp.path("victim2"), "precious 2");
  fs::create_symlink("victim1", m_new + ".bak");
  fs::create_symlink(m_temp.path("victim2"), m_new + ".dup");
  EXPECT_EQ(run({m_main, m_new}), 0) << m_err.str();
  EXPECT_EQ(read(m_temp.path("victim1")), "precious 1");
  EXPECT_EQ(read(m_temp.path("victim2")), "precious 2");
  EXPECT_TRUE(fs::is_symlink(m_new));
  EXPECT_EQ(read(m_temp.path("real/target.rda")), "B\r\n2\r\ny\r\n");
  EXPECT_FALSE(fs::is_symlink(m_new + ".bak"));
  EXPECT_EQ(read(m_new + ".bak"), "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n");
  EXPECT_FALSE(fs::is_symlink(m_new + ".dup"));
  EXPECT_EQ(read(m_new + ".dup"), "A\r\n1\r\nx\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "real"), {}), 1);
}

// The outputs are as private as the file they come from, and the cleaned
// file keeps its owner.
TEST_F(SvCliTest, OutputsKeepTheComparedFilesModeAndOwner) {
  write(m_main, "A\r\n1\r\nm\r\n");
  write(m_new, "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n");
  ASSERT_EQ(::chmod(m_new.c_str(), 0600), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(m_new.c_str(), 4321, 4322), 0);
  }
  EXPECT_EQ(run({m_main, m_new}), 0) << m_err.str();
  for (const std::string& p : {m_new, m_new + ".bak", m_new + ".dup"}) {
    SCOPED_TRACE(p);
    struct stat st;
    ASSERT_EQ(::stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    if (root) {
      EXPECT_EQ(st.st_uid, 4321u);
      EXPECT_EQ(st.st_gid, 4322u);
    }
  }
}

// A full disk, where the test can mount a small one: the backup fits, the
// cleaned and dupes files do not, and the run says so before it changes
// anything but the backup.
TEST_F(SvCliTest, AFullDiskFailsTheRunAndLeavesTheFilesWhole) {
  fs::create_directory(m_dir / "small");
  if (::mount("tmpfs", m_temp.path("small").c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "no tmpfs can be mounted here";
  }
  const std::string compared = m_temp.path("small/new.rda");
  std::string records;
  for (int i = 0; records.size() < 100000; ++i) {
    records += "C" + std::to_string(i) + "\r\n" + std::to_string(i % 2) + "\r\nnote\r\n";
  }
  write(m_main, "C0\r\n0\r\nm\r\nC2\r\n0\r\nm\r\n");
  write(compared, records);
  write(compared + ".dup", "old dupes");
  const int status = run({m_main, compared});
  const auto left = snapshot(m_dir / "small");
  ::umount2(m_temp.path("small").c_str(), MNT_DETACH);
  EXPECT_EQ(status, 1);
  EXPECT_NE(m_err.str().find(": disk full."), std::string::npos) << m_err.str();
  ASSERT_EQ(left.size(), 3u);
  EXPECT_EQ(left.at("new.rda").size(), records.size());
  EXPECT_TRUE(left.at("new.rda") == records);
  EXPECT_EQ(left.at("new.rda.dup"), "old dupes");
}

// sv-cli killed at any moment, between its commits included, then run to
// the end: the compared file is always wholly old or the right result, and
// nothing is left but the run's own files.
TEST_F(SvCliTest, AKilledRunLeavesWholeFilesAndNoDebris) {
  std::string mainBase;
  for (int i = 0; i < 10000; ++i) mainBase += "K" + std::to_string(i * 3) + "\r\n1\r\nm\r\n";
  std::string original;
  for (int i = 0; i < 100000; ++i) original += "K" + std::to_string(i) + "\r\n1\r\nnote\r\n";
  // The result of a complete run, from a run of its own.
  write(m_main, mainBase);
  write(m_new, original);
  ASSERT_EQ(run({m_main, m_new}), 0) << m_err.str();
  const std::string cleaned = read(m_new);
  ASSERT_NE(cleaned.size(), original.size());

  auto spawn = [&] {
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::execl(SV_CLI_PATH, SV_CLI_PATH, m_main.c_str(), m_new.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    return pid;
  };
  const std::set<std::string> theRunsFiles = {"MainBase.dat", "new.rda", "new.rda.bak",
                                              "new.rda.dup"};
  // How long a whole run takes here sets the range of moments to kill at.
  write(m_new, original);
  const auto start = std::chrono::steady_clock::now();
  int status = 0;
  ::waitpid(spawn(), &status, 0);
  const auto whole = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  std::mt19937 random(12345);
  // A run that finished before its kill narrows the range, so that a busy
  // first run does not leave most rounds killing nothing.
  long latest = std::chrono::duration_cast<std::chrono::microseconds>(whole).count();
  int killed = 0;
  for (int round = 0; round < 40 && killed < 12; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    write(m_new, original);
    const long moment = std::uniform_int_distribution<long>(0, latest)(random);
    const pid_t pid = spawn();
    std::this_thread::sleep_for(std::chrono::microseconds(moment));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) {
      ++killed;
    } else {
      latest = std::max(1L, moment * 3 / 4);
    }
    const std::string now = read(m_new);
    EXPECT_TRUE(now.size() == original.size() ? now == original : now == cleaned)
        << "size " << now.size();

    ASSERT_EQ(run({m_main, m_new}), 0) << m_err.str();
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir)) {
      names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, theRunsFiles);
    EXPECT_TRUE(read(m_new) == cleaned) << "size " << read(m_new).size();
  }
  EXPECT_GT(killed, 3);
}

}  // namespace
}  // namespace sv

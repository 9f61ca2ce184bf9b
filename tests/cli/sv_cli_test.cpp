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
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

// "--" ends the options: what follows is a file, whatever its name.
TEST_F(SvCliTest, RunsAndLeavesAForeignTempFileAlone) {
  const std::string compared = m_temp.path("-x");
  write(m_temp.path("--dry-run"), "UA3AAA\r\nMO-12\r\nmain\r\n");
  write(compared, "UA3AAA\r\nMO-12\r\nnew\r\nRN6BN\r\nKK-41\r\n\r\n");
  write((m_dir / "temp").string(), "someone's file");
  const fs::path cwd = fs::current_path();
  fs::current_path(m_dir);
  const int status = run({"--", "--dry-run", "-x"});
  fs::current_path(cwd);
  EXPECT_EQ(status, 0) << m_err.str();
  EXPECT_EQ(m_out.str(), "Total dupes records: 1\n");
  EXPECT_EQ(read(compared), "RN6BN\r\nKK-41\r\n\r\n");
  EXPECT_EQ(read(compared + ".bak"), "UA3AAA\r\nMO-12\r\nnew\r\nRN6BN\r\nKK-41\r\n\r\n");
  EXPECT_EQ(read(compared + ".dup"), "UA3AAA\r\nMO-12\r\nnew\r\n");
  EXPECT_EQ(read((m_dir / "temp").string()), "someone's file");
  EXPECT_EQ(m_temp.entries(), 5);
}

TEST_F(SvCliTest, UsageErrorsTouchNoFile) {
  write(m_new, "A\r\n1\r\nx\r\n");
  const std::vector<std::string> wrong[] = {{},          {m_new},      {m_main, m_new, m_new},
                                            {"", m_new}, {m_main, ""}, {"--bogus", m_main, m_new}};
  for (const auto& args : wrong) {
    EXPECT_EQ(run(args), 2);
    EXPECT_NE(m_err.str().find("Usage: sv-cli"), std::string::npos);
    EXPECT_EQ(m_out.str(), "");
  }
  // Whatever an option holds, the problem is told on one line.
  EXPECT_EQ(run({"--a\tb\x1b\n\x7f", m_main, m_new}), 2);
  EXPECT_EQ(m_err.str().substr(0, m_err.str().find('\n')),
            "sv-cli: unrecognized option '--a\\tb\\x1b\\n\\x7f'");
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

// The program itself, as a shell starts it, its output going to output.
pid_t start(const std::vector<std::string>& args, const char* output = "/dev/null") {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::dup2(::open(output, O_WRONLY), STDOUT_FILENO);
  std::vector<char*> argv = {const_cast<char*>(SV_CLI_PATH)};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ::execv(SV_CLI_PATH, argv.data());
  ::_exit(127);
}

int exitStatus(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Output that cannot be written is a failure, never a silent success.
TEST_F(SvCliTest, AFailedWriteToStandardOutputFailsTheRun) {
  write(m_main, "A\r\n1\r\nm\r\n");
  write(m_new, "A\r\n1\r\nx\r\n");
  EXPECT_EQ(exitStatus(start({"--version"})), 0);
  EXPECT_EQ(exitStatus(start({"--version"}, "/dev/full")), 1);
  EXPECT_EQ(exitStatus(start({"--dry-run", m_main, m_new}, "/dev/full")), 1);
}

// Names and bytes of every file in a folder; links show as "-> target".
std::map<std::string, std::string> snapshot(const fs::path& dir) {
  std::map<std::string, std::string> out;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    out[name] = entry.is_symlink() ? "-> " + fs::read_symlink(entry.path()).string()
                                   : testing::TempDir::read(entry.path().string());
  }
  return out;
}

// Every way the world can make a run refuse: one line on stderr, exit 1,
// and not one file of the folder changed but the backup, which comes before
// the main base is read.
TEST_F(SvCliTest, RefusedRunsSayWhyOnOneLineAndChangeNothing) {
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
      {"a device as the file for comparing",
       [] {},
       {m_main, "/dev/null"},
       "\"/dev/null\": it is not a regular file"},
      {"a line break in a name",
       [] {},
       {m_main, m_temp.path("no\nfile")},
       "\"" + m_temp.path("no\\nfile") + "\": file not found"},
      {"a lone dash is a file name",
       [] {},
       {"-", m_new},
       "the main base \"-\": file not found",
       true},
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
  }
  EXPECT_TRUE(fs::is_character_file("/dev/null")) << "a device is never replaced";
}

// What only a real folder shows: links at the outputs' names are replaced,
// never written through, while the compared file's own link stays and its
// target is cleaned, a killed run's leftover beside the target swept and a
// user's file of a like name kept; the outputs keep the compared file's mode.
TEST_F(SvCliTest, LinksAreFollowedOnlyForTheFileForComparing) {
  write(m_main, "A\r\n1\r\nm\r\n");
  fs::create_directory(m_dir / "real");
  const std::string target = m_temp.path("real/target.rda");
  write(target, "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink("real/target.rda", m_new);
  write(m_temp.path("real/.sv0123456789ab.tmp"), "a killed run's");
  write(m_temp.path("real/.sv0123456789ab.tmp.keep"), "the user's");
  write(m_temp.path("victim"), "precious");
  fs::create_symlink("victim", m_new + ".bak");
  fs::create_symlink(m_temp.path("victim"), m_new + ".dup");
  ASSERT_EQ(run({m_main, m_new}), 0) << m_err.str();
  EXPECT_EQ(read(m_temp.path("victim")), "precious");
  EXPECT_TRUE(fs::is_symlink(m_new));
  EXPECT_EQ(read(target), "B\r\n2\r\ny\r\n");
  EXPECT_EQ(read(m_new + ".bak"), "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n");
  EXPECT_EQ(read(m_new + ".dup"), "A\r\n1\r\nx\r\n");
  for (const std::string& made : {target, m_new + ".bak", m_new + ".dup"}) {
    EXPECT_FALSE(fs::is_symlink(made)) << made;
    EXPECT_EQ(fs::status(made).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read)
        << made;
  }
  EXPECT_FALSE(fs::exists(m_temp.path("real/.sv0123456789ab.tmp")));
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "real"), {}), 2);
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

// The very last step failing on the real kernel: another program marks the
// compared file immutable once the run has read it. The dupes file is in
// place first, the compared file keeps every record, and a run once the
// mark is gone leaves every removed record in the dupes file.
TEST_F(SvCliTest, AComparedFileThatCannotBeReplacedAtTheEndKeepsEveryRecord) {
  class Meddled : public PosixFileSystem {
   public:
    std::string victim;
    bool marked = false;

   protected:
    void finishedReading(int fd) override {
      if (!marked) marked = setImmutable(victim, true);
      PosixFileSystem::finishedReading(fd);
    }
  } files;
  files.victim = m_new;
  const std::string original = "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n";
  write(m_main, "A\r\n1\r\nm\r\n");
  write(m_new, original);
  const int status = runCli({m_main, m_new}, files, m_out, m_err);
  if (!files.marked) GTEST_SKIP() << "no immutable files here";
  setImmutable(m_new, false);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(m_err.str(),
            "sv-cli: Cannot write the file for comparing \"" + m_new + "\": access denied.\n");
  EXPECT_EQ(read(m_new), original);
  EXPECT_EQ(read(m_new + ".dup"), "A\r\n1\r\nx\r\n");
  EXPECT_EQ(m_temp.entries(), 4) << "no temporary left";
  ASSERT_EQ(run({m_main, m_new}), 0) << m_err.str();
  EXPECT_EQ(read(m_new), "B\r\n2\r\ny\r\n");
  EXPECT_EQ(read(m_new + ".dup"), "A\r\n1\r\nx\r\n");
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

  const std::set<std::string> theRunsFiles = {"MainBase.dat", "new.rda", "new.rda.bak",
                                              "new.rda.dup"};
  // How long a whole run takes here sets the range of moments to kill at.
  write(m_new, original);
  const auto begun = std::chrono::steady_clock::now();
  ASSERT_EQ(exitStatus(start({m_main, m_new})), 0);
  const auto whole = std::chrono::steady_clock::now() - begun;

  std::mt19937 random(12345);
  // A run that finished before its kill narrows the range, so that a busy
  // first run does not leave most rounds killing nothing.
  long latest = std::chrono::duration_cast<std::chrono::microseconds>(whole).count();
  int killed = 0;
  for (int round = 0; round < 40 && killed < 12; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    write(m_new, original);
    const long moment = std::uniform_int_distribution<long>(0, latest)(random);
    const pid_t pid = start({m_main, m_new});
    std::this_thread::sleep_for(std::chrono::microseconds(moment));
    ::kill(pid, SIGKILL);
    int status = 0;
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

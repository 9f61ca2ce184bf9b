// The batch front end on real files: exit status, what it prints, and what
// it leaves on disk, the work file of older tools included.

#include "cli/sv_cli.h"

#include "platform/native_file_system.h"

#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

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
  #ifdef _WIN32
  NativeFileSystem m_files;
#else
  NativeFileSystem m_files{PosixFileSystem::Reading::Map};  // as sv-cli reads
#endif
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

}  // namespace
}  // namespace sv

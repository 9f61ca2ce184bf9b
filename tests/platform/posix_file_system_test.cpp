#include "platform/posix_file_system.h"

#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sv {
namespace {

namespace fs = std::filesystem;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_temp.ok()); }

  std::string path(const std::string& name) const { return m_temp.path(name); }
  static void write(const std::string& p, const std::string& data) {
    testing::TempDir::write(p, data);
  }
  static std::string read(const std::string& p) { return testing::TempDir::read(p); }
  long entries() const { return m_temp.entries(); }
  std::error_code replace(const std::string& p, const std::string& data,
                          const FileAttributes& attributes = {}) {
    std::unique_ptr<Replacement> r;
    if (auto e = m_files.beginReplace(p, attributes, r)) return e;
    if (auto e = r->append(data)) return e;
    if (auto e = r->flush()) return e;
    return r->commit();
  }

  testing::TempDir m_temp;
  const fs::path& m_dir = m_temp.dir();
  PosixFileSystem m_files;
};

TEST_F(PosixFileSystemTest, ReadsEveryByte) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += std::string(200000, '\r');
  write(path("a"), bytes);
  write(path("empty"), "");
  SharedContents got;
  ASSERT_FALSE(m_files.readFile(path("a"), got));
  EXPECT_EQ(got->bytes(), bytes);
  ASSERT_FALSE(m_files.readFile(path("empty"), got));
  EXPECT_EQ(got->bytes(), "");
}

TEST_F(PosixFileSystemTest, CopiedContentsStayAsReadWhateverHappensToTheFile) {
  write(path("f"), "old bytes");
  write(path("g"), "old bytes");
  SharedContents replaced;
  SharedContents rewritten;
  ASSERT_FALSE(m_files.readFile(path("f"), replaced));
  ASSERT_FALSE(m_files.readFile(path("g"), rewritten));
  ASSERT_FALSE(replace(path("f"), "new"));
  write(path("g"), "new");  // in place, truncating it first
  EXPECT_EQ(replaced->bytes(), "old bytes");
  EXPECT_EQ(rewritten->bytes(), "old bytes");
}

TEST_F(PosixFileSystemTest, ReadFailuresNameTheirCause) {
  SharedContents got;
  EXPECT_EQ(m_files.readFile(path("missing"), got), std::errc::no_such_file_or_directory);
  EXPECT_EQ(describeError(m_files.readFile(path("missing"), got)), "file not found");
  EXPECT_EQ(m_files.readFile(m_dir.string(), got), std::errc::is_a_directory);
}

TEST_F(PosixFileSystemTest, ReplaceIsInvisibleUntilCommitAndLeavesNoTemporary) {
  write(path("f"), "old");
  {
    std::unique_ptr<Replacement> r;
    ASSERT_FALSE(m_files.beginReplace(path("f"), {}, r));
    ASSERT_FALSE(r->append("new"));
    EXPECT_EQ(read(path("f")), "old");
  }  // dropped without commit
  EXPECT_EQ(read(path("f")), "old");
  EXPECT_EQ(entries(), 1);
  ASSERT_FALSE(replace(path("f"), "new"));
  EXPECT_EQ(read(path("f")), "new");
  EXPECT_EQ(entries(), 1);
}

TEST_F(PosixFileSystemTest, ReplaceInAMissingFolderFails) {
  EXPECT_EQ(replace(path("nowhere/f"), "x"),
            std::errc::no_such_file_or_directory);
}

TEST_F(PosixFileSystemTest, SameFileSeesThroughLinksAndSpellings) {
  write(path("a"), "x");
  write(path("b"), "x");
  fs::create_symlink("a", m_dir / "l");
  EXPECT_TRUE(m_files.sameFile(path("a"), path("l")));
  EXPECT_TRUE(m_files.sameFile(path("a"), m_dir.string() + "/./a"));
  EXPECT_FALSE(m_files.sameFile(path("a"), path("b")));
  EXPECT_FALSE(m_files.sameFile(path("a"), path("missing")));
}

}  // namespace
}  // namespace sv

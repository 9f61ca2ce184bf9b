// The Windows file layer on real files, under wine in the cross build.

#include "platform/win32_file_system.h"

#include "tests/support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <windows.h>

namespace sv {
namespace {

namespace fs = std::filesystem;

class Win32FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_temp.ok()); }

  // UTF-8, as the program's paths are.
  std::string path(const std::string& name) const {
    return toUtf8(m_temp.dir().wstring()) + "\\" + name;
  }
  static fs::path native(const std::string& p) {
    std::wstring wide;
    EXPECT_TRUE(toWide(p, wide));
    return wide;
  }
  static void write(const std::string& p, const std::string& data) {
    std::ofstream(native(p), std::ios::binary) << data;
  }
  static std::string read(const std::string& p) {
    std::ifstream in(native(p), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  long entries() const { return m_temp.entries(); }
  std::error_code replace(const std::string& p, const std::string& data) {
    std::unique_ptr<Replacement> r;
    if (auto e = m_files.beginReplace(p, p, r)) return e;
    if (auto e = r->append(data)) return e;
    if (auto e = r->flush()) return e;
    return r->commit();
  }
  // Opens the file as another program would that shares nothing.
  static HANDLE holdExclusively(const std::string& p) {
    return ::CreateFileW(native(p).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }

  testing::TempDir m_temp;
  Win32FileSystem m_files;
};

TEST_F(Win32FileSystemTest, ReadsEveryByteOfFilesOfAnyName) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += std::string(200000, '\r');
  const std::string names[] = {"a", "empty", "Основа ☺.dat", "new.rda"};
  write(path(names[0]), bytes);
  write(path(names[1]), "");
  write(path(names[2]), "UA3AAA\r\n");
  SharedContents got;
  ASSERT_FALSE(m_files.readFile(path(names[0]), got));
  EXPECT_EQ(got->bytes(), bytes);
  ASSERT_FALSE(m_files.readFile(path(names[1]), got));
  EXPECT_EQ(got->bytes(), "");
  ASSERT_FALSE(m_files.readFile(path(names[2]), got));
  EXPECT_EQ(got->bytes(), "UA3AAA\r\n");
  // Forward slashes are Windows path separators too.
  ASSERT_FALSE(m_files.readFile(toUtf8(m_temp.dir().wstring()) + "/" + names[2], got));
  EXPECT_EQ(got->bytes(), "UA3AAA\r\n");
}

TEST_F(Win32FileSystemTest, ContentsStayAsReadWhateverHappensToTheFile) {
  write(path("f"), "old bytes");
  write(path("g"), "old bytes");
  SharedContents replaced;
  SharedContents rewritten;
  ASSERT_FALSE(m_files.readFile(path("f"), replaced));
  ASSERT_FALSE(m_files.readFile(path("g"), rewritten));
  // Held contents must not keep the file from being replaced.
  ASSERT_FALSE(replace(path("f"), "new"));
  write(path("g"), "new");
  EXPECT_EQ(replaced->bytes(), "old bytes");
  EXPECT_EQ(rewritten->bytes(), "old bytes");
  EXPECT_EQ(read(path("f")), "new");
}

TEST_F(Win32FileSystemTest, ReadFailuresNameTheirCause) {
  SharedContents got;
  EXPECT_EQ(describeError(m_files.readFile(path("missing"), got)), "file not found");
  EXPECT_EQ(describeError(m_files.readFile(path("nowhere\\f"), got)), "file not found");
  EXPECT_EQ(m_files.readFile(toUtf8(m_temp.dir().wstring()), got), std::errc::is_a_directory);
  EXPECT_EQ(m_files.readFile("bad \xff name", got), std::errc::invalid_argument);
  write(path("held"), "x");
  const HANDLE held = holdExclusively(path("held"));
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(describeError(m_files.readFile(path("held"), got)), "the file is in use");
  ::CloseHandle(held);
  EXPECT_FALSE(got);
}

TEST_F(Win32FileSystemTest, ReplaceIsInvisibleUntilCommitAndLeavesNoTemporary) {
  write(path("f"), "old");
  {
    std::unique_ptr<Replacement> r;
    ASSERT_FALSE(m_files.beginReplace(path("f"), path("f"), r));
    ASSERT_FALSE(r->append("new"));
    EXPECT_EQ(read(path("f")), "old");
    EXPECT_EQ(entries(), 2);
  }  // dropped without commit
  EXPECT_EQ(read(path("f")), "old");
  EXPECT_EQ(entries(), 1);
  ASSERT_FALSE(replace(path("f"), "new"));
  EXPECT_EQ(read(path("f")), "new");
  ASSERT_FALSE(replace(path("Файл.rda.dup"), "dupes"));
  EXPECT_EQ(read(path("Файл.rda.dup")), "dupes");
  EXPECT_EQ(entries(), 2);
}

TEST_F(Win32FileSystemTest, AFileInUseIsNotReplacedAndTheTemporaryGoes) {
  write(path("f"), "old");
  const HANDLE held = holdExclusively(path("f"));
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::error_code error = replace(path("f"), "new");
  ::CloseHandle(held);
  EXPECT_TRUE(error);
  EXPECT_TRUE(describeError(error) == "the file is in use" || describeError(error) == "access denied")
      << describeError(error);
  EXPECT_EQ(read(path("f")), "old");
  EXPECT_EQ(entries(), 1);
}

TEST_F(Win32FileSystemTest, ReplaceInAMissingFolderFails) {
  EXPECT_EQ(describeError(replace(path("nowhere\\f"), "x")), "file not found");
  EXPECT_EQ(entries(), 0);
}

TEST_F(Win32FileSystemTest, SameFileSeesThroughLinksAndSpellings) {
  write(path("a"), "x");
  write(path("b"), "x");
  ASSERT_TRUE(::CreateHardLinkW(native(path("l")).c_str(), native(path("a")).c_str(), nullptr));
  EXPECT_TRUE(m_files.sameFile(path("a"), path("l")));
  EXPECT_TRUE(m_files.sameFile(path("a"), path(".\\a")));
  EXPECT_TRUE(m_files.sameFile(path("a"), path("A")));
  EXPECT_FALSE(m_files.sameFile(path("a"), path("b")));
  EXPECT_FALSE(m_files.sameFile(path("a"), path("missing")));
  const HANDLE held = holdExclusively(path("a"));
  EXPECT_TRUE(m_files.sameFile(path("a"), path("l")));
  ::CloseHandle(held);
}

TEST(Win32Errors, AreTheUsersWordsOfLinux) {
  const struct {
    DWORD code;
    const char* words;
  } cases[] = {
      {ERROR_FILE_NOT_FOUND, "file not found"},   {ERROR_PATH_NOT_FOUND, "file not found"},
      {ERROR_ACCESS_DENIED, "access denied"},     {ERROR_DISK_FULL, "disk full"},
      {ERROR_HANDLE_DISK_FULL, "disk full"},      {ERROR_SHARING_VIOLATION, "the file is in use"},
      {ERROR_LOCK_VIOLATION, "the file is in use"}, {ERROR_USER_MAPPED_FILE, "the file is in use"},
      {ERROR_WRITE_PROTECT, "the disk is read-only"},
  };
  for (const auto& c : cases) EXPECT_EQ(describeError(fromWin32Error(c.code)), c.words) << c.code;
}

TEST(Win32Text, Utf8AndWideRoundTrip) {
  const std::string utf8 = "MainBase Основа \xF0\x9F\x98\x80.dat";
  std::wstring wide;
  ASSERT_TRUE(toWide(utf8, wide));
  EXPECT_EQ(wide.size(), 22u);  // the emoji is two UTF-16 units
  EXPECT_EQ(toUtf8(wide), utf8);
  EXPECT_FALSE(toWide("\xC0\x80", wide));
}

}  // namespace
}  // namespace sv

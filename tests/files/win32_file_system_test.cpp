// The Windows file layer on real files, under wine in the cross build.

#include "files/win32/win32_file_system.h"

#include "tests/support/temp_dir.h"

#include <windows.h>

#include <aclapi.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sddl.h>

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
    testing::TempDir::write(native(p), data);
  }
  static std::string read(const std::string& p) { return testing::TempDir::read(native(p)); }
  long entries() const { return m_temp.entries(); }
  std::error_code replace(const std::string& p, const std::string& data,
                          const FileAttributes& attributes = {}) {
    std::unique_ptr<Replacement> r;
    if (auto e = m_files.beginReplace(p, attributes, r)) return e;
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
  EXPECT_EQ(m_files.readFile("NUL", got), FileError::NotRegularFile);
  EXPECT_EQ(m_files.readFile("bad \xff name", got), std::errc::invalid_argument);
  write(path("held"), "x");
  const HANDLE held = holdExclusively(path("held"));
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(describeError(m_files.readFile(path("held"), got)), "it is in use by another program");
  ::CloseHandle(held);
  EXPECT_FALSE(got);
}

TEST_F(Win32FileSystemTest, ReplaceIsInvisibleUntilCommitAndLeavesNoTemporary) {
  write(path("f"), "old");
  {
    std::unique_ptr<Replacement> r;
    ASSERT_FALSE(m_files.beginReplace(path("f"), {}, r));
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

// Reserved room is no content: the new file holds exactly what was appended.
TEST_F(Win32FileSystemTest, ReservingRoomLeavesTheSizeToTheData) {
  std::unique_ptr<Replacement> r;
  ASSERT_FALSE(m_files.beginReplace(path("f"), {}, r));
  ASSERT_FALSE(r->reserve(1 << 20));
  ASSERT_FALSE(r->append("abc"));
  ASSERT_FALSE(r->flush());
  ASSERT_FALSE(r->commit());
  EXPECT_EQ(read(path("f")), "abc");
}

TEST_F(Win32FileSystemTest, WhatCannotBeReplacedFailsAtTheStart) {
  write(path("f"), "old");
  const HANDLE held = holdExclusively(path("f"));
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::error_code inUse = replace(path("f"), "new");
  ::CloseHandle(held);
  EXPECT_EQ(inUse, FileError::InUseByAnotherProgram);
  EXPECT_EQ(read(path("f")), "old");

  fs::create_directory(m_temp.dir() / "folder");
  std::unique_ptr<Replacement> r;
  EXPECT_EQ(m_files.beginReplace(path("folder"), {}, r), std::errc::is_a_directory);
  EXPECT_EQ(m_files.beginReplace("NUL", {}, r), FileError::NotRegularFile);
  EXPECT_EQ(describeError(replace(path("nowhere\\f"), "x")), "file not found");

  write(path("kept"), "old");
  ASSERT_TRUE(::SetFileAttributesA(path("kept").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(replace(path("kept"), "new"), std::errc::permission_denied);
  EXPECT_EQ(read(path("kept")), "old");
  ::SetFileAttributesA(path("kept").c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(entries(), 3);
}

// The access rules, attributes and creation time a user sees in a file's
// Properties, as far as wine keeps them: a new version keeps all three, and
// what is made from it takes the access rules alone.
TEST_F(Win32FileSystemTest, ANewVersionKeepsTheFilesIdentity) {
  write(path("f"), "old");
  const std::wstring f = native(path("f")).wstring();
  // Only the owner and the administrators, fixed against the folder's rules.
  PSECURITY_DESCRIPTOR given = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;FA;;;OW)(A;;FA;;;BA)", SDDL_REVISION_1, &given, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ::GetSecurityDescriptorDacl(given, &present, &dacl, &defaulted);
  ASSERT_EQ(::SetNamedSecurityInfoW(const_cast<wchar_t*>(f.c_str()), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, dacl, nullptr),
            DWORD(ERROR_SUCCESS));
  ::LocalFree(given);
  ASSERT_TRUE(::SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE |
                                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
  FILETIME created{0x12345600, 0x01d00000};  // in 2014
  {
    HANDLE h = ::CreateFileW(f.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(::SetFileTime(h, &created, nullptr, nullptr));
    ::CloseHandle(h);
  }
  auto rulesOf = [](const std::wstring& p) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    wchar_t* text = nullptr;
    std::wstring rules;
    if (::GetNamedSecurityInfoW(p.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, nullptr, nullptr, &sd) == ERROR_SUCCESS &&
        ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
            sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
      rules = text;
    }
    ::LocalFree(text);
    ::LocalFree(sd);
    return rules;
  };
  const std::wstring rules = rulesOf(f);
  // As the system took them: wine keeps no access rules (it shows rules
  // made from the Unix mode), no creation time of its own and no "not
  // indexed"; Windows keeps them all.
  WIN32_FILE_ATTRIBUTE_DATA before{};
  ASSERT_TRUE(::GetFileAttributesExW(f.c_str(), GetFileExInfoStandard, &before));
  ASSERT_TRUE(before.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
  const bool timeTaken = ::CompareFileTime(&before.ftCreationTime, &created) == 0;
  const bool rulesTaken = rules.starts_with(L"D:P");

  std::unique_ptr<LockedFile> lock;
  ASSERT_FALSE(m_files.lockForRun(path("f"), lock));
  const FileAttributes identity = lock->attributes();
  SharedContents contents;
  ASSERT_FALSE(lock->read(contents));
  ASSERT_FALSE(replace(path("f.bak"), "old", identity.accessOnly()));
  ASSERT_FALSE(replace(path("f"), "new", identity));
  lock.reset();

  WIN32_FILE_ATTRIBUTE_DATA now{};
  ASSERT_TRUE(::GetFileAttributesExW(f.c_str(), GetFileExInfoStandard, &now));
  EXPECT_EQ(read(path("f")), "new");
  EXPECT_EQ(now.dwFileAttributes, before.dwFileAttributes);
  if (timeTaken) {
    EXPECT_EQ(::CompareFileTime(&now.ftCreationTime, &created), 0);
  }
  if (rulesTaken) {
    EXPECT_EQ(rulesOf(f), rules);
    EXPECT_EQ(rulesOf(f + L".bak"), rules);
  }
  EXPECT_FALSE(::GetFileAttributesW((f + L".bak").c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

// "C:new.rda" lies in drive C's own current folder, wherever the process's is.
TEST_F(Win32FileSystemTest, ADriveRelativeNameGetsItsTemporaryBesideIt) {
  const std::wstring dir = m_temp.dir().wstring();
  ASSERT_EQ(dir[1], L':');
  const std::wstring drive = dir.substr(0, 2);
  wchar_t previous[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, previous);
  // The process stands on another drive; the test's drive remembers the folder.
  ASSERT_TRUE(::SetCurrentDirectoryW(drive == L"Z:" ? L"C:\\" : L"Z:\\"));
  ASSERT_TRUE(::SetEnvironmentVariableW((L"=" + drive).c_str(), dir.c_str()));
  std::unique_ptr<Replacement> r;
  const std::error_code begun = m_files.beginReplace(toUtf8(drive) + "new.rda", {}, r);
  const long besideIt = entries();
  const std::error_code committed = begun ? begun : r->commit();
  ::SetCurrentDirectoryW(previous);
  EXPECT_FALSE(begun);
  EXPECT_EQ(besideIt, 1);
  EXPECT_FALSE(committed);
  EXPECT_TRUE(fs::exists(m_temp.dir() / "new.rda"));
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

TEST_F(Win32FileSystemTest, ASecondRunCannotLockTheFileNorItsNewVersion) {
  write(path("f"), "old");
  ASSERT_TRUE(::CreateHardLinkW(native(path("l")).c_str(), native(path("f")).c_str(), nullptr));
  std::unique_ptr<LockedFile> first;
  ASSERT_FALSE(m_files.lockForRun(path("f"), first));
  std::unique_ptr<LockedFile> second;
  const std::error_code inUse = make_error_code(FileError::InUseByAnotherRun);
  EXPECT_EQ(m_files.lockForRun(path("f"), second), inUse);
  EXPECT_EQ(m_files.lockForRun(path("l"), second), inUse);
  Win32FileSystem other;
  EXPECT_EQ(other.lockForRun(path("F"), second), inUse);
  EXPECT_TRUE(m_files.sameFile(first->target(), path("f")));
  EXPECT_EQ(first->target().substr(1, 2), ":\\") << first->target();

  // Nobody writes the file until the run has read it; then it is let go,
  // since Windows cannot replace a file that is open.
  const auto openForWriting = [&] {
    const HANDLE h = ::CreateFileW(native(path("f")).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    return true;
  };
  EXPECT_FALSE(openForWriting());
  SharedContents got;
  ASSERT_FALSE(first->read(got));
  EXPECT_EQ(got->bytes(), "old");
  EXPECT_TRUE(openForWriting());
  EXPECT_EQ(m_files.lockForRun(path("f"), second), inUse);

  // Once the first run has put its new version in place, the name holds a
  // new file; that one is held too until the run lets go of it.
  std::unique_ptr<Replacement> r;
  ASSERT_FALSE(m_files.beginReplace(first->target(), first->attributes(), r));
  ASSERT_FALSE(r->append("new"));
  ASSERT_FALSE(r->flush());
  ASSERT_FALSE(r->commit());
  EXPECT_EQ(m_files.lockForRun(path("f"), second), inUse);
  r.reset();
  first.reset();
  EXPECT_FALSE(m_files.lockForRun(path("f"), second));
  EXPECT_EQ(read(path("f")), "new");
  // The hard link kept the old file: the new version was moved in, not copied.
  EXPECT_EQ(read(path("l")), "old");
}

TEST_F(Win32FileSystemTest, AFileChangedBeforeItIsReplacedFails) {
  const std::error_code changed = make_error_code(FileError::ChangedWhileRead);
  for (bool inPlace : {true, false}) {
    write(path("g"), "old");
    std::unique_ptr<LockedFile> lock;
    SharedContents got;
    ASSERT_FALSE(m_files.lockForRun(path("g"), lock));
    ASSERT_FALSE(lock->read(got));
    EXPECT_FALSE(lock->checkUnchanged());
    if (inPlace) {
      write(path("g"), "other");
    } else {
      write(path("h"), "old");
      ASSERT_TRUE(::MoveFileExW(native(path("h")).c_str(), native(path("g")).c_str(),
                                MOVEFILE_REPLACE_EXISTING));
    }
    EXPECT_EQ(lock->checkUnchanged(), changed) << (inPlace ? "written in place" : "moved over");
  }
}

// What a killed run left is removed; a live run's temporaries and the
// user's own files are not.
TEST_F(Win32FileSystemTest, DebrisOfAKilledRunIsRemovedAndNothingElse) {
  write(path(".sv0123456789ab.tmp"), "left by a killed run");
  write(path(".sv-mine.tmp"), "the user's");
  write(path("f"), "data");
  std::unique_ptr<Replacement> live;
  ASSERT_FALSE(m_files.beginReplace(path("f"), {}, live));
  ASSERT_FALSE(live->flush());
  ASSERT_EQ(entries(), 4);
  m_files.removeDebris(path("f"));
  EXPECT_FALSE(fs::exists(m_temp.dir() / ".sv0123456789ab.tmp"));
  EXPECT_TRUE(fs::exists(m_temp.dir() / ".sv-mine.tmp"));
  EXPECT_EQ(entries(), 3);
  EXPECT_FALSE(live->commit());
  EXPECT_EQ(read(path("f")), "");
}

TEST(Win32Errors, AreTheUsersWordsOfLinux) {
  const struct {
    DWORD code;
    const char* words;
  } cases[] = {
      {ERROR_FILE_NOT_FOUND, "file not found"},
      {ERROR_PATH_NOT_FOUND, "file not found"},
      {ERROR_ACCESS_DENIED, "access denied"},
      {ERROR_DISK_FULL, "disk full"},
      {ERROR_HANDLE_DISK_FULL, "disk full"},
      {ERROR_SHARING_VIOLATION, "it is in use by another program"},
      {ERROR_LOCK_VIOLATION, "it is in use by another program"},
      {ERROR_USER_MAPPED_FILE, "it is in use by another program"},
      {ERROR_WRITE_PROTECT, "the disk is read-only"},
  };
  for (const auto& c : cases) EXPECT_EQ(describeError(fromWin32Error(c.code)), c.words) << c.code;
  // Codes without an errno keep the system's own words, never those of the
  // errno that happens to share their number (13 is EACCES).
  const std::string invalidData = describeError(fromWin32Error(ERROR_INVALID_DATA));
  EXPECT_NE(invalidData, "access denied");
  EXPECT_FALSE(invalidData.empty());
  EXPECT_NE(invalidData.back(), '\n');
}

}  // namespace
}  // namespace sv

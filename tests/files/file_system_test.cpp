// The file layer's contract (files/file_system.h), kept by this system's
// layer on the real disk (POSIX, or Win32 under wine) and by the in-memory one
// of the engine's and the windows' tests; then each system's own cases.

#include "files/file_system.h"

#include "tests/support/memory_file_system.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include "files/win32/win32_file_system.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#else
#include "engine/compare_and_delete.h"
#include "files/posix/posix_file_system.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>
#include <set>

namespace sv {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

std::error_code replaceFile(FileSystem& files, const std::string& path, const std::string& data,
                            const FileAttributes& attributes = {}) {
  std::unique_ptr<Replacement> r;
  if (auto e = files.beginReplace(path, attributes, r)) return e;
  if (auto e = r->append(data)) return e;
  if (auto e = r->flush()) return e;
  return r->commit();
}

std::set<std::string> namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// What a user or another program does beside a layer, by file name: link
// makes a symbolic link, or (where none can be made) a hard one and says
// false; after rewriteOnceRead, name is rewritten once the layer reads it.
class World {
 public:
  virtual ~World() = default;
  virtual std::string path(const std::string& name) = 0;
  virtual void write(const std::string& name, const std::string& data) = 0;
  virtual std::set<std::string> names() = 0;
  virtual void makeFolder(const std::string& name) = 0;
  virtual bool link(const std::string& name, const std::string& target) = 0;
  virtual std::string special() = 0;
  virtual void rewriteOnceRead(const std::string& name) = 0;
};

// This system's layer, in a folder of its own.
#ifdef _WIN32
using SystemLayer = Win32FileSystem;
#else
using SystemLayer = PosixFileSystem;
#endif
class Disk : public World, public SystemLayer {
 public:
  void write(const std::string& name, const std::string& data) override {
    TempDir::write(path(name), data);
  }
  std::set<std::string> names() override { return namesIn(m_folder.dir()); }
  void makeFolder(const std::string& name) override { fs::create_directory(path(name)); }
  void rewriteOnceRead(const std::string& name) override { m_victim = path(name); }
#ifdef _WIN32
  // Names relative to the drive's own current folder, "C:f", while the
  // process stands on another drive: temporaries still go beside targets.
  explicit Disk(bool = true) {
    const std::wstring folder = m_folder.dir().wstring();
    ::SetEnvironmentVariableW((L"=" + folder.substr(0, 2)).c_str(), folder.c_str());
    ::SetCurrentDirectoryW(folder[0] == L'Z' ? L"C:\\" : L"Z:\\");
  }
  std::string path(const std::string& name) override {
    return m_folder.path("").substr(0, 2) + name;
  }
  // Wine makes no symbolic links, and Windows only for the privileged.
  bool link(const std::string& name, const std::string& target) override {
    return !::CreateHardLinkW(fs::path(path(name)).c_str(), fs::path(path(target)).c_str(), 0);
  }
  std::string special() override { return "NUL"; }

 protected:
  void finishedReading(void*) override { TempDir::write(m_victim, "rewritten"); }
#else
  explicit Disk(bool unnamed = true) : m_unnamed(unnamed) {}
  std::string path(const std::string& name) override { return m_folder.path(name); }
  bool link(const std::string& name, const std::string& target) override {
    fs::create_symlink(target, path(name));
    return true;
  }
  std::string special() override {
    ::mkfifo(path("fifo").c_str(), 0600);
    return path("fifo");
  }

 protected:
  void finishedReading(int) override { TempDir::write(m_victim, "rewritten"); }
  // As on a file system without unnamed files: named temporaries instead.
  int createUnnamed(int folder) override {
    errno = EOPNOTSUPP;
    return m_unnamed ? PosixFileSystem::createUnnamed(folder) : -1;
  }
  bool m_unnamed;
#endif

 private:
  TempDir m_folder;
  std::string m_victim;
};

// The in-memory layer, with every name in one folder.
class Memory : public World, public testing::MemoryFileSystem {
 public:
  std::string path(const std::string& name) override { return name; }
  void write(const std::string& name, const std::string& data) override { files[name] = data; }
  std::set<std::string> names() override {
    std::set<std::string> names(folders.begin(), folders.end());
    for (const auto& [name, data] : files) names.insert(name);
    for (const auto& [name, target] : links) names.insert(name);
    return names;
  }
  void makeFolder(const std::string& name) override { folders.insert(name); }
  bool link(const std::string& name, const std::string& target) override {
    links[name] = target;
    return true;
  }
  std::string special() override {
    files["fifo"];
    MemoryFileSystem::special.insert("fifo");
    return "fifo";
  }
  void rewriteOnceRead(const std::string& name) override {
    afterRead = [this, name](const std::string&) { files[name] = "rewritten"; };
  }
};

class Contract : public ::testing::TestWithParam<std::string> {
 protected:
  std::string path(const std::string& name) { return m_world->path(name); }
  std::string read(const std::string& name) {
    return m_files.readFile(path(name), m_got) ? "" : std::string(m_got->bytes());
  }

  const std::unique_ptr<World> m_world =
      GetParam() == "Memory" ? std::unique_ptr<World>(new Memory)
                             : std::make_unique<Disk>(GetParam() != "PosixNamedTemporaries");
  FileSystem& m_files = dynamic_cast<FileSystem&>(*m_world);
  const std::error_code m_changed = make_error_code(FileError::ChangedWhileRead);
  SharedContents m_got;
  std::unique_ptr<LockedFile> m_lock, m_second;
  std::unique_ptr<Replacement> m_new;
};

// Every byte, by copy (a mapping would show the new bytes), large enough
// for every way of reading; a file that another program writes while it is
// read, or after, in place or by a new version, fails.
TEST_P(Contract, ReadsByCopyAndFailsAFileChangedMeanwhile) {
  std::string bytes;
  while (bytes.size() < (3 << 20)) bytes += static_cast<char>(bytes.size() * 7);
  m_world->write("f", bytes);
  m_world->write("g", bytes);
  SharedContents rewritten;
  ASSERT_FALSE(m_files.readFile(path("f"), rewritten));
  ASSERT_FALSE(m_files.lockForRun(path("g"), m_lock));
  ASSERT_FALSE(m_lock->read(m_got));
  m_world->write("f", "b");
  ASSERT_FALSE(replaceFile(m_files, path("g"), ""));
  EXPECT_TRUE(rewritten->bytes() == bytes && m_got->bytes() == bytes) << "the bytes changed";
  EXPECT_EQ(m_lock->checkUnchanged(), m_changed) << "replaced";
  ASSERT_FALSE(m_files.lockForRun(path("f"), m_second));
  ASSERT_FALSE(m_second->read(m_got));
  m_world->write("f", "in place");
  EXPECT_EQ(m_second->checkUnchanged(), m_changed) << "written in place";
  m_world->rewriteOnceRead("f");
  EXPECT_EQ(m_files.readFile(path("f"), m_got), m_changed);
}

// A folder, and what would block a reader or never end (a FIFO, a device),
// are refused before a run uses them and when it does, in the user's words.
TEST_P(Contract, WhatIsNoRegularFileIsRefused) {
  m_world->makeFolder("folder");
  for (const auto& [p, words] : {std::pair(path("folder"), "it is a folder, not a file"),
                                 std::pair(m_world->special(), "it is not a regular file")}) {
    EXPECT_EQ(describeError(m_files.readFile(p, m_got)), words) << p;
    EXPECT_EQ(describeError(m_files.lockForRun(p, m_lock)), words) << p;
    EXPECT_EQ(describeError(m_files.checkUse(p, FileUse::Read)), words) << p;
    EXPECT_EQ(describeError(m_files.checkUse(p, FileUse::Replace)), words) << p;
    EXPECT_EQ(describeError(m_files.beginReplace(p, {}, m_new)), words) << p;
  }
}

// Nothing shows under the name until commit; no temporary outlives its
// replacement, committed, dropped (a later step failed) or failing itself.
TEST_P(Contract, ReplaceIsInvisibleUntilCommitAndLeavesNoTemporary) {
  m_world->write("f", "old");
  for (bool commit : {false, true}) {
    ASSERT_FALSE(m_files.beginReplace(path("f"), {}, m_new));
    ASSERT_FALSE(m_new->reserve(1 << 20));  // room, not content
    ASSERT_FALSE(m_new->append("new"));
    ASSERT_FALSE(m_new->flush());
    EXPECT_EQ(read("f"), "old");
    EXPECT_FALSE(commit && m_new->commit());
    m_new.reset();
    EXPECT_EQ(m_world->names(), std::set<std::string>{"f"});
  }
  ASSERT_FALSE(m_files.beginReplace(path("g"), {}, m_new));
  m_world->makeFolder("g");
  EXPECT_TRUE(m_new->commit());
  m_new.reset();
  EXPECT_EQ(m_world->names(), (std::set<std::string>{"f", "g"}));
}

// A link at an output's name is replaced, never written through. A run
// locks the file a link leads to; a second run can lock neither it, by any
// name, nor the new version the first run put in place.
TEST_P(Contract, LinksTheRunsLockAndTheNewVersion) {
  m_world->write("kept", "old");
  m_world->write("f", "old");
  m_world->link("link", "kept");
  m_world->link("l", "f");
  ASSERT_FALSE(replaceFile(m_files, path("link"), "new"));
  EXPECT_EQ(read("link") + read("kept"), "newold");
  ASSERT_FALSE(m_files.lockForRun(path("l"), m_lock));
  EXPECT_TRUE(m_files.sameFile(m_lock->target(), path("f"))) << m_lock->target();
  EXPECT_EQ(describeError(m_files.lockForRun(path("f"), m_second)), "another run is working on it");
  EXPECT_EQ(m_files.lockForRun(path("l"), m_second), FileError::InUseByAnotherRun);
  ASSERT_FALSE(m_lock->read(m_got));
  ASSERT_FALSE(m_files.beginReplace(m_lock->target(), m_lock->attributes(), m_new));
  ASSERT_FALSE(m_new->flush());
  ASSERT_FALSE(m_new->commit());
  EXPECT_EQ(m_files.lockForRun(path("f"), m_second), FileError::InUseByAnotherRun);
}

// What a killed run left is removed; a live run's temporaries are not, nor
// the user's files however like a temporary they are named.
TEST_P(Contract, DebrisOfAKilledRunIsRemovedAndNothingElse) {
  m_world->write("f", "old");
  for (const char* name : {".sv0123456789ab.tmp.bak", ".svXYZ.tmp", ".svABCDEF012345.tmp",
                           ".sv0123456789abcd.tmp", "sv0123456789ab.tmp"}) {
    m_world->write(name, "the user's");
  }
  m_world->makeFolder(".sv0123456789ac.tmp");
  const bool symbolic = m_world->link(".sv0123456789ad.tmp", "f");
  ASSERT_FALSE(m_files.beginReplace(path("f"), {}, m_new));
  ASSERT_FALSE(m_new->flush());
  std::set<std::string> kept = m_world->names();
  if (!symbolic) kept.erase(".sv0123456789ad.tmp");  // a hard link is a file like any other
  m_world->write(".sv0123456789ab.tmp", "left by a killed run");
  m_files.removeDebris(path("f"));
  EXPECT_EQ(m_world->names(), kept);
  EXPECT_FALSE(m_new->commit());
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Layers, Contract, ::testing::Values("Win32", "Memory"),
                         [](const auto& kind) { return kind.param; });
#else
INSTANTIATE_TEST_SUITE_P(Layers, Contract,
                         ::testing::Values("Posix", "PosixNamedTemporaries", "Memory"),
                         [](const auto& kind) { return kind.param; });
#endif

// Each system's own cases, in a folder of their own.
class FilesTest : public ::testing::Test {
 protected:
  std::string path(const std::string& name) { return m_files.path(name); }

  Disk m_files;
  SharedContents m_got;
  std::unique_ptr<LockedFile> m_lock;
  std::unique_ptr<Replacement> m_new;
};

#ifndef _WIN32
// Another file is renamed over the name between the lock's opening and its
// claim: the lock must be on the file the name holds once it is taken.
TEST_F(FilesTest, TheLockIsOnTheFileTheNameHoldsOnceLocked) {
  struct RenamedOver : Disk {
    int lockFile(int fd) override {
      ::rename(path("g").c_str(), path("f").c_str());  // once: then g is gone
      return PosixFileSystem::lockFile(fd);
    }
  } files;
  TempDir::write(files.path("f"), "first");
  TempDir::write(files.path("g"), "second");
  ASSERT_FALSE(files.lockForRun(files.path("f"), m_lock));
  ASSERT_FALSE(m_lock->read(m_got));
  EXPECT_EQ(m_got->bytes(), "second");
}

// A new file gets the old one's owner and group as far as the process may:
// both (root), else the group alone where it is in it, else neither, and
// then the group's permissions go. Replacing is refused beforehand where the
// system keeps a file as it is: marked immutable or append-only, another
// user's in a shared (sticky) folder, in a folder the runner may not write.
TEST_F(FilesTest, OwnerGroupAndModeAndWhatTheSystemKeepsAsItIs) {
  TempDir::write(path("marked"), "x");
  const int fd = ::open(path("marked").c_str(), O_RDONLY);
  for (int flag : {FS_IMMUTABLE_FL, FS_APPEND_FL, 0}) {
    if (::ioctl(fd, FS_IOC_SETFLAGS, &flag) == 0 && flag != 0) {
      EXPECT_EQ(m_files.checkUse(path("marked"), FileUse::Replace), FileError::ProtectedFromChange);
    }
  }
  ::close(fd);
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give files away and to become nobody";
  const unsigned nobody = 65534, member = 4242;
  ASSERT_EQ(::chown(path("").c_str(), nobody, nobody), 0);
  fs::create_directories(path("shared/closed"));
  fs::permissions(path("shared"), fs::perms::all | fs::perms::sticky_bit);
  fs::permissions(path("shared/closed"), fs::perms(0705));
  TempDir::write(path("shared/root's"), "x");
  ASSERT_FALSE(
      replaceFile(m_files, path("owner"), "", FileAttributes::ofOwner(nobody, member, 0640)));
  if (::fork() == 0) {  // nobody, in the group member too
    const bool ok =
        ::setgroups(1, &member) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0 &&
        !replaceFile(m_files, path("group"), "", FileAttributes::ofOwner(0, member, 0640)) &&
        !replaceFile(m_files, path("neither"), "", FileAttributes::ofOwner(0, 0, 02750)) &&
        !replaceFile(m_files, path("shared/nobody's"), "") &&
        !m_files.checkUse(path("shared/nobody's"), FileUse::Replace) &&
        m_files.checkUse(path("shared/root's"), FileUse::Replace) ==
            FileError::OthersInSharedFolder &&
        m_files.checkUse(path("shared/closed/new"), FileUse::Replace) ==
            std::errc::permission_denied;
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_TRUE(::wait(&status) > 0 && status == 0);
  for (const auto& [name, group, mode] :
       {std::tuple("owner", member, 0640u), std::tuple("group", member, 0640u),
        std::tuple("neither", nobody, 0700u)}) {
    struct stat st {};
    ::stat(path(name).c_str(), &st);
    EXPECT_TRUE(st.st_uid == nobody && st.st_gid == group && (st.st_mode & 07777) == mode) << name;
  }
}

// Without unnamed files, a named temporary is private from its creation,
// whatever the umask. Each file reaches the disk before its name does, a
// rename (not a copy) puts it in place, so a hard link keeps the old bytes,
// and the rename is flushed too. A temporary's name does not grow.
TEST_F(FilesTest, ANamedTemporaryIsPrivateFlushedThenRenamedThenItsFolderFlushed) {
  struct Watched : Disk {
    Watched() : Disk(false) {}
    int createNamed(int folder, const char* name) override {
      const int fd = PosixFileSystem::createNamed(folder, name);
      struct stat st {};
      ::fstat(fd, &st);
      steps += (st.st_mode & 07777) == 0600 ? "private " : "open ";
      return fd;
    }
    int syncFile(int fd) override { return steps += "file ", PosixFileSystem::syncFile(fd); }
    int syncFolder(int fd) override { return steps += "folder", PosixFileSystem::syncFolder(fd); }
    int renameOver(int folder, const char* from, const char* to) override {
      return steps += "rename ", PosixFileSystem::renameOver(folder, from, to);
    }
    std::string steps;
  } files;
  const std::string name = files.path(std::string(251, 'n') + ".bak");
  TempDir::write(name, "old");
  fs::create_hard_link(name, files.path("hard"));
  const mode_t umask = ::umask(0);
  EXPECT_FALSE(
      replaceFile(files, name, "new", FileAttributes::ofOwner(::geteuid(), ::getegid(), 0664)));
  ::umask(umask);
  EXPECT_EQ(files.steps, "private file rename folder");
  EXPECT_EQ(fs::status(name).permissions(), fs::perms(0664));
  EXPECT_EQ(TempDir::read(name) + TempDir::read(files.path("hard")), "newold");
}

// A run on a link works on its target, and sweeps what a killed run left
// beside the target as well.
TEST_F(FilesTest, ARunOnALinkWorksOnItsTarget) {
  fs::create_directory(path("real"));
  TempDir::write(path("MainBase.dat"), "A\r\n1\r\nm\r\n");
  TempDir::write(path("real/new.rda"), "A\r\n1\r\nx\r\nB\r\n2\r\ny\r\n");
  TempDir::write(path("real/.sv0123456789ab.tmp"), "left by a killed run");
  fs::create_symlink("real/new.rda", path("new.rda"));
  EXPECT_TRUE(compareAndDelete(m_files, path("MainBase.dat"), path("new.rda")).status.isOk());
  EXPECT_EQ(TempDir::read(path("real/new.rda")), "B\r\n2\r\ny\r\n");
  EXPECT_EQ(namesIn(path("real")), std::set<std::string>{"new.rda"});
}

#else
// Opens a file as another program would, sharing it with all.
HANDLE hold(const std::string& path, DWORD access, DWORD how = OPEN_EXISTING, DWORD flags = 0) {
  const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  return ::CreateFileW(fs::path(path).c_str(), access, all, nullptr, how, flags, nullptr);
}

ULONGLONG indexOf(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  ::GetFileInformationByHandle(h, &info);
  return (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

// The run's claim is named by the file's volume and index, which another
// layer (another sv-cli) meets by another case of the name; its hold keeps
// writers away while it reads. A replaced file's index is free while the run
// that replaced it still holds its claim, and a new file may get it (wine on
// ext4 at once): a temporary of this run's that does is no other run's.
TEST_F(FilesTest, ATemporaryGivenAReplacedFilesIndexIsNoOtherRuns) {
  TempDir::write(path("f"), "old");
  const HANDLE f = hold(path("f"), 0);
  const ULONGLONG freed = indexOf(f);
  ::CloseHandle(f);
  ASSERT_FALSE(m_files.lockForRun(path("f"), m_lock));
  EXPECT_EQ(Win32FileSystem().lockForRun(path("F"), m_lock), FileError::InUseByAnotherRun);
  m_files.rewriteOnceRead("f");  // in vain: the run's hold keeps writers away until it has read
  ASSERT_FALSE(m_lock->read(m_got));
  EXPECT_EQ(m_got->bytes(), "old");
  ASSERT_FALSE(replaceFile(m_files, path("f"), "new"));
  // Files of the test's own take every free index before the freed one.
  std::vector<HANDLE> fillers;
  do {
    fillers.push_back(hold(path(std::to_string(fillers.size())), GENERIC_WRITE, CREATE_NEW,
                           FILE_FLAG_DELETE_ON_CLOSE));
  } while (indexOf(fillers.back()) != freed && fillers.size() < 20000);
  const bool reached = indexOf(fillers.back()) == freed;
  ::CloseHandle(fillers.back());  // its index, the freed one, is the next new file's
  fillers.pop_back();
  const std::error_code begun = m_files.beginReplace(path("g"), {}, m_new);
  m_new.reset();
  for (HANDLE h : fillers) ::CloseHandle(h);
  if (!reached) GTEST_SKIP() << "the system gave the index to no new file";
  EXPECT_FALSE(begun) << describeError(begun);
  EXPECT_EQ(namesIn(path("")), std::set<std::string>{"f"}) << "a temporary kept aside stayed";
}

// The access rules (a DACL in SDDL), attributes and creation time a user
// sees in a file's Properties.
struct Identity {
  std::wstring rules;
  WIN32_FILE_ATTRIBUTE_DATA data{};
};

Identity identityOf(const std::string& path) {
  Identity identity;
  const std::wstring name = fs::path(path).wstring();
  ::GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &identity.data);
  PSECURITY_DESCRIPTOR sd = nullptr;
  wchar_t* text = nullptr;
  if (::GetNamedSecurityInfoW(name.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &sd) == ERROR_SUCCESS &&
      ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
          sd, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
    identity.rules = text;
  }
  ::LocalFree(text);
  ::LocalFree(sd);
  return identity;
}

// A new version keeps the file's identity; what is made from it (the
// backup, the dupes file) takes its access rules alone. Wine keeps no
// access rules (it shows rules made from the Unix mode), no creation time of
// its own and no "not indexed": those are checked where the system took them.
TEST_F(FilesTest, ANewVersionKeepsTheFilesIdentity) {
  TempDir::write(path("f"), "old");
  const std::wstring f = fs::path(path("f")).wstring();
  PSECURITY_DESCRIPTOR given = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;;FA;;;OW)(A;;FA;;;BA)", SDDL_REVISION_1, &given, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  ::GetSecurityDescriptorDacl(given, &present, &dacl, &defaulted);
  ::SetNamedSecurityInfoW(const_cast<wchar_t*>(f.c_str()), SE_FILE_OBJECT,
                          DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr,
                          nullptr, dacl, nullptr);
  ::LocalFree(given);
  ASSERT_TRUE(::SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE |
                                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
  const FILETIME created{0x12345600, 0x01d00000};  // in 2014
  const HANDLE h = hold(path("f"), FILE_WRITE_ATTRIBUTES);
  ::SetFileTime(h, &created, nullptr, nullptr);
  ::CloseHandle(h);
  const Identity before = identityOf(path("f"));
  ASSERT_TRUE(before.data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);

  ASSERT_FALSE(m_files.lockForRun(path("f"), m_lock));
  const FileAttributes attributes = m_lock->attributes();
  ASSERT_FALSE(m_lock->read(m_got));
  ASSERT_FALSE(replaceFile(m_files, path("f.bak"), "old", attributes.accessOnly()));
  ASSERT_FALSE(replaceFile(m_files, path("f"), "new", attributes));
  m_lock.reset();

  const Identity now = identityOf(path("f"));
  EXPECT_EQ(now.data.dwFileAttributes, before.data.dwFileAttributes);
  if (::CompareFileTime(&before.data.ftCreationTime, &created) == 0) {
    EXPECT_EQ(::CompareFileTime(&now.data.ftCreationTime, &created), 0);
  }
  if (before.rules.starts_with(L"D:P")) {
    EXPECT_EQ(now.rules, before.rules);
    EXPECT_EQ(identityOf(path("f.bak")).rules, before.rules);
  }
  EXPECT_FALSE(identityOf(path("f.bak")).data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
}

#endif

}  // namespace
}  // namespace sv

#include "files/posix/posix_file_system.h"

#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <map>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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
    return replaceWith(m_files, p, data, attributes);
  }
  static std::error_code replaceWith(FileSystem& files, const std::string& p,
                                     const std::string& data,
                                     const FileAttributes& attributes = {}) {
    std::unique_ptr<Replacement> r;
    if (auto e = files.beginReplace(p, attributes, r)) return e;
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

TEST_F(PosixFileSystemTest, SameFileSeesThroughLinksAndSpellings) {
  write(path("a"), "x");
  write(path("b"), "x");
  fs::create_symlink("a", m_dir / "l");
  EXPECT_TRUE(m_files.sameFile(path("a"), path("l")));
  EXPECT_TRUE(m_files.sameFile(path("a"), m_dir.string() + "/./a"));
  EXPECT_FALSE(m_files.sameFile(path("a"), path("b")));
  EXPECT_FALSE(m_files.sameFile(path("a"), path("missing")));
}

struct stat statOf(const std::string& p) {
  struct stat st {};
  EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
  return st;
}

// The programs' own file layer keeps what it read, whatever happens to the
// file afterwards (replaced, or cut short and rewritten in place): a mapping
// would show the new bytes, or fault on a file cut short.
TEST_F(PosixFileSystemTest, TheProgramsFileLayerReadsByCopy) {
  const std::string original(3 << 20, 'a');  // large enough for every way of reading
  write(path("f"), original);
  write(path("g"), original);
  const auto files = systemFileSystem();
  SharedContents rewritten, replaced;
  ASSERT_FALSE(files->readFile(path("f"), rewritten));
  ASSERT_FALSE(files->readFile(path("g"), replaced));
  ASSERT_EQ(::truncate(path("f").c_str(), 0), 0);
  write(path("f"), "b");
  ASSERT_FALSE(replaceWith(*files, path("g"), "new"));
  for (const SharedContents& got : {rewritten, replaced}) {
    EXPECT_EQ(got->bytes().size(), original.size());
    EXPECT_TRUE(got->bytes() == original) << "the bytes read changed";
  }
}

// Anything but a regular file fails at once, also where opening it
// would wait (a FIFO without a writer) or reading it would never end.
TEST_F(PosixFileSystemTest, SpecialFilesAreRefusedWithoutBlocking) {
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  const std::error_code notRegular = make_error_code(FileError::NotRegularFile);
  SharedContents got;
  std::unique_ptr<LockedFile> lock;
  std::unique_ptr<Replacement> r;
  EXPECT_EQ(m_files.readFile(path("fifo"), got), notRegular);
  EXPECT_EQ(m_files.lockForRun(path("fifo"), lock), notRegular);
  EXPECT_EQ(m_files.readFile("/dev/zero", got), notRegular);
  EXPECT_EQ(m_files.lockForRun("/dev/null", lock), notRegular);
  EXPECT_EQ(m_files.beginReplace(path("fifo"), {}, r), notRegular);
  EXPECT_EQ(describeError(notRegular), "it is not a regular file");
  fs::create_directory(m_dir / "dir");
  EXPECT_EQ(m_files.beginReplace(path("dir"), {}, r), std::errc::is_a_directory);
  EXPECT_TRUE(fs::is_fifo(m_dir / "fifo"));
}

TEST_F(PosixFileSystemTest, ErrorsInTheUsersWords) {
  const std::map<std::errc, std::string> words = {
      {std::errc::no_such_file_or_directory, "file not found"},
      {std::errc::permission_denied, "access denied"},
      {std::errc::operation_not_permitted, "access denied"},
      {std::errc::no_space_on_device, "disk full"},
      {std::errc::is_a_directory, "it is a folder, not a file"},
      {std::errc::read_only_file_system, "the disk is read-only"},
      {std::errc::not_a_directory, "part of the path is a file, not a folder"},
      {std::errc::not_enough_memory, "not enough memory"},
  };
  for (const auto& [code, text] : words) EXPECT_EQ(describeError(std::make_error_code(code)), text);
  EXPECT_EQ(describeError(make_error_code(FileError::InUseByAnotherRun)),
            "another run is working on it");
  write(path("file"), "x");
  SharedContents got;
  EXPECT_EQ(describeError(m_files.readFile(path("file/x"), got)),
            "part of the path is a file, not a folder");
  EXPECT_EQ(m_files.readFile(path("missing"), got), std::errc::no_such_file_or_directory);
  EXPECT_EQ(m_files.readFile(m_dir.string(), got), std::errc::is_a_directory);
  EXPECT_EQ(replace(path("nowhere/f"), "x"), std::errc::no_such_file_or_directory);
}

// A link at an output's name is replaced itself, never written through,
// even to a file that may not be written (sv-cli's test plants such links).
TEST_F(PosixFileSystemTest, ALinkAtTheNameIsReplacedNeverWrittenThrough) {
  write(path("kept"), "old");
  fs::permissions(m_dir / "kept", fs::perms::owner_read | fs::perms::group_read);
  fs::create_symlink("kept", m_dir / "link");
  ASSERT_FALSE(replace(path("link"), "new"));
  EXPECT_FALSE(fs::is_symlink(m_dir / "link"));
  EXPECT_EQ(read(path("link")), "new");
  EXPECT_EQ(read(path("kept")), "old");
}

// The compared file's link is resolved by the system, however the link is
// spelled: a long relative chain, or the process's own descriptor link.
TEST_F(PosixFileSystemTest, TheLockedFileIsTheLinksTargetWithItsOwnAttributes) {
  const std::string longName(100, 'x');
  fs::create_directories(m_dir / "deep" / longName);
  const std::string real = (m_dir / "deep" / longName / "target.rda").string();
  write(real, "old");
  ::chmod(real.c_str(), 0640);
  fs::create_symlink("deep/" + longName + "/target.rda", m_dir / "link.rda");
  fs::create_symlink("link.rda", m_dir / "link2.rda");
  std::unique_ptr<LockedFile> lock;
  ASSERT_FALSE(m_files.lockForRun(path("link2.rda"), lock));
  EXPECT_EQ(lock->target(), fs::canonical(real).string());
  EXPECT_EQ(lock->attributes().mode, 0640u) << "the target's mode, not the link's";
  SharedContents got;
  ASSERT_FALSE(lock->read(got));
  EXPECT_EQ(got->bytes(), "old");
  lock.reset();

  const int fd = ::open(real.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_FALSE(m_files.lockForRun("/proc/self/fd/" + std::to_string(fd), lock));
  EXPECT_EQ(lock->target(), fs::canonical(real).string());
  ::close(fd);
}

// A process that may not give a new file the old one's group leaves it in
// a group of its own: that group must not get what only the old group could
// read. A group the process belongs to is given even where the owner
// cannot be.
TEST_F(PosixFileSystemTest, ANewFileInAnotherGroupGetsNoGroupPermissions) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as a user outside a group";
  constexpr uid_t kNobody = 65534;
  ASSERT_EQ(::chown(m_dir.c_str(), kNobody, kNobody), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      ::_exit(2);
    }
    PosixFileSystem files;
    const bool ok =
        !replaceWith(files, path("foreign-group"), "x",
                     FileAttributes::ofOwner(kNobody, 0, 02750)) &&
        !replaceWith(files, path("foreign-owner"), "x", FileAttributes::ofOwner(0, kNobody, 0640));
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  const struct stat foreignGroup = statOf(path("foreign-group"));
  EXPECT_EQ(foreignGroup.st_gid, kNobody);
  EXPECT_EQ(foreignGroup.st_mode & 07777, 0700u);
  const struct stat foreignOwner = statOf(path("foreign-owner"));
  EXPECT_EQ(foreignOwner.st_uid, kNobody);
  EXPECT_EQ(foreignOwner.st_gid, kNobody);
  EXPECT_EQ(foreignOwner.st_mode & 07777, 0640u);
}

TEST_F(PosixFileSystemTest, ASecondRunCannotLockTheFileNorItsNewVersion) {
  write(path("f"), "old");
  fs::create_symlink("f", m_dir / "l");
  std::unique_ptr<LockedFile> first;
  ASSERT_FALSE(m_files.lockForRun(path("f"), first));
  std::unique_ptr<LockedFile> second;
  const std::error_code inUse = make_error_code(FileError::InUseByAnotherRun);
  EXPECT_EQ(m_files.lockForRun(path("f"), second), inUse);
  EXPECT_EQ(m_files.lockForRun(path("l"), second), inUse);
  // Another process, as a second sv-cli would be.
  const pid_t child = ::fork();
  if (child == 0) {
    PosixFileSystem files;
    std::unique_ptr<LockedFile> lock;
    ::_exit(files.lockForRun(path("f"), lock) == inUse ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

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
}

// What a new version cannot replace is told before a run touches anything,
// on the real kernel: a folder, a FIFO, a file the system protects, another
// user's file in a shared folder, a folder the runner may not write.
TEST_F(PosixFileSystemTest, WhatCannotBeUsedIsToldBeforehand) {
  write(path("f"), "x");
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  fs::create_directory(m_dir / "dir");
  fs::create_symlink("f", m_dir / "link");
  for (const char* name : {"f", "link", "none"}) {
    EXPECT_FALSE(m_files.checkUse(path(name), FileUse::Replace)) << name;
    EXPECT_FALSE(m_files.checkUse(path(name), FileUse::Read)) << name;
  }
  EXPECT_EQ(m_files.checkUse(path("dir"), FileUse::Replace), std::errc::is_a_directory);
  EXPECT_EQ(m_files.checkUse(path("fifo"), FileUse::Replace), FileError::NotRegularFile);
  EXPECT_EQ(m_files.checkUse(path("fifo"), FileUse::Read), FileError::NotRegularFile);

  for (int flag : {FS_IMMUTABLE_FL, FS_APPEND_FL}) {
    write(path("marked"), "x");
    const int fd = ::open(path("marked").c_str(), O_RDONLY);
    int flags = flag;
    if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0) {
      EXPECT_EQ(m_files.checkUse(path("marked"), FileUse::Replace), FileError::ProtectedFromChange);
      flags = 0;
      ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
  }

  if (::geteuid() != 0) return;  // another user is needed, and only root becomes one
  const uid_t nobody = 65534;
  fs::create_directory(m_dir / "shared");
  fs::permissions(m_dir / "shared", fs::perms::all | fs::perms::sticky_bit);
  write(path("shared/root's"), "x");
  write(path("shared/mine"), "x");
  ASSERT_EQ(::chown(path("shared/mine").c_str(), nobody, nobody), 0);
  fs::create_directory(m_dir / "closed");
  fs::permissions(m_dir / "closed",
                  fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  const pid_t child = ::fork();
  if (child == 0) {
    const bool asked = ::setegid(nobody) == 0 && ::seteuid(nobody) == 0;
    const bool right =
        m_files.checkUse(path("shared/root's"), FileUse::Replace) ==
            make_error_code(FileError::OthersInSharedFolder) &&
        !m_files.checkUse(path("shared/mine"), FileUse::Replace) &&
        m_files.checkUse(path("closed/new"), FileUse::Replace) == std::errc::permission_denied;
    ::_exit(asked && right ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Another program writing the file while it is read, or after, before the
// run replaces it.
TEST_F(PosixFileSystemTest, AFileChangedWhileReadOrBeforeItIsReplacedFails) {
  class Meddled : public PosixFileSystem {
   public:
    std::string victim;

   protected:
    void finishedReading(int) override {
      if (!victim.empty()) TempDir::write(victim, "grown by someone else");
    }
    using TempDir = testing::TempDir;
  } files;
  write(path("f"), "old");
  const std::error_code changed = make_error_code(FileError::ChangedWhileRead);
  files.victim = path("f");
  SharedContents got;
  EXPECT_EQ(files.readFile(path("f"), got), changed);
  EXPECT_EQ(got, nullptr);
  std::unique_ptr<LockedFile> lock;
  ASSERT_FALSE(files.lockForRun(path("f"), lock));
  EXPECT_EQ(lock->read(got), changed);
  files.victim.clear();

  for (bool inPlace : {true, false}) {
    write(path("g"), "old");
    ASSERT_FALSE(files.lockForRun(path("g"), lock));
    ASSERT_FALSE(lock->read(got));
    EXPECT_FALSE(lock->checkUnchanged());
    if (inPlace) {
      write(path("g"), "other");
    } else {
      write(path("h"), "old");
      fs::rename(m_dir / "h", m_dir / "g");
    }
    EXPECT_EQ(lock->checkUnchanged(), changed) << (inPlace ? "written in place" : "renamed over");
    lock.reset();
  }
}

// Each file reaches the disk before its name does, and a rename, not a
// copy, puts it in place: a hard link to the old file keeps the old bytes.
TEST_F(PosixFileSystemTest, EachFileIsFlushedThenRenamedIntoPlaceThenTheFolderFlushed) {
  class Watched : public PosixFileSystem {
   public:
    std::vector<std::string> events;
    std::vector<ino_t> synced;

   protected:
    int syncFile(int fd) override {
      struct stat st;
      ::fstat(fd, &st);
      synced.push_back(st.st_ino);
      events.push_back("sync file");
      return PosixFileSystem::syncFile(fd);
    }
    int syncFolder(int fd) override {
      events.push_back("sync folder");
      return PosixFileSystem::syncFolder(fd);
    }
    int renameOver(int folder, const char* from, const char* to) override {
      struct stat st;
      ::fstatat(folder, from, &st, AT_SYMLINK_NOFOLLOW);
      const bool wasSynced = std::find(synced.begin(), synced.end(), st.st_ino) != synced.end();
      events.push_back(wasSynced ? "rename synced file" : "rename unsynced file");
      return PosixFileSystem::renameOver(folder, from, to);
    }
  } files;
  write(path("f"), "old");
  fs::create_hard_link(m_dir / "f", m_dir / "hard");
  ASSERT_FALSE(replaceWith(files, path("f"), "new"));
  const std::vector<std::string> expected = {"sync file", "rename synced file", "sync folder"};
  EXPECT_EQ(files.events, expected);
  EXPECT_EQ(read(path("f")), "new");
  EXPECT_EQ(read(path("hard")), "old");
}

// The temporary's name does not grow with the target's: a name that just
// leaves room for ".bak" works.
TEST_F(PosixFileSystemTest, NamesUpToTheLimitCanBeReplaced) {
  const std::string name = path(std::string(251, 'n') + ".bak");
  ASSERT_FALSE(replace(name, "first"));
  ASSERT_FALSE(replace(name, "second"));
  EXPECT_EQ(read(name), "second");
  EXPECT_EQ(entries(), 1);
}

// What a killed run left is removed; a live run's temporaries and the
// user's own files are not.
TEST_F(PosixFileSystemTest, DebrisOfAKilledRunIsRemovedAndNothingElse) {
  write(path(".sv0123456789ab.tmp"), "left by a killed run");
  write(path(".sv0123456789ac.tmp"), "held by a live run");
  write(path(".sv-mine.tmp"), "the user's");
  write(path("f"), "data");
  fs::create_symlink("f", m_dir / ".sv0123456789ad.tmp");
  const int held = ::open(path(".sv0123456789ac.tmp").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  m_files.removeDebris(path("f"));
  ::close(held);
  EXPECT_FALSE(fs::exists(m_dir / ".sv0123456789ab.tmp"));
  EXPECT_TRUE(fs::exists(m_dir / ".sv0123456789ac.tmp"));
  EXPECT_TRUE(fs::exists(m_dir / ".sv-mine.tmp"));
  EXPECT_TRUE(fs::is_symlink(m_dir / ".sv0123456789ad.tmp"));
  EXPECT_EQ(read(path("f")), "data");
}

// A small file system of its own, where the test may mount one.
class SmallDisk {
 public:
  explicit SmallDisk(const std::string& dir) : m_dir(dir) {
    m_mounted = ::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=256k") == 0;
  }
  ~SmallDisk() {
    if (m_mounted) ::umount2(m_dir.c_str(), MNT_DETACH);
  }
  bool mounted() const { return m_mounted; }

 private:
  std::string m_dir;
  bool m_mounted = false;
};

TEST_F(PosixFileSystemTest, AFileThatCannotFitFailsAtOnceAndLeavesNothing) {
  fs::create_directory(m_dir / "small");
  SmallDisk disk(path("small"));
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  const std::string target = path("small/f");
  write(target, "old");
  {
    std::unique_ptr<Replacement> r;
    ASSERT_FALSE(m_files.beginReplace(target, {}, r));
    EXPECT_EQ(r->reserve(1 << 20), std::errc::no_space_on_device);
    EXPECT_FALSE(r->reserve(1000));
  }
  EXPECT_EQ(replace(target, std::string(1 << 20, 'x')), std::errc::no_space_on_device);
  EXPECT_EQ(read(target), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir / "small"), {}), 1);
}

// Where the file system has no unnamed files, a named temporary takes
// their place: private, short, gone after commit or failure, and swept
// away once the run that made it is gone.
TEST_F(PosixFileSystemTest, NamedTemporariesWhereUnnamedOnesAreMissing) {
  class NoUnnamed : public PosixFileSystem {
   protected:
    int createUnnamed(int) override {
      errno = EOPNOTSUPP;
      return -1;
    }
  } files;
  auto temporaries = [&] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_dir)) {
      const std::string name = entry.path().filename().string();
      if (isTemporaryName(name)) names.push_back(name);
    }
    return names;
  };
  write(path("f"), "old");
  {
    std::unique_ptr<Replacement> r;
    ASSERT_FALSE(
        files.beginReplace(path("f"), FileAttributes::ofOwner(::geteuid(), ::getegid(), 0640), r));
    const auto names = temporaries();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(statOf(path(names[0])).st_mode & 07777, 0640u);
    // Held by this live run: a sweep leaves it.
    files.removeDebris(path("f"));
    EXPECT_EQ(temporaries().size(), 1u);
  }
  EXPECT_TRUE(temporaries().empty());
  ASSERT_FALSE(replaceWith(files, path(std::string(251, 'n')), "new"));
  EXPECT_TRUE(temporaries().empty());

  // A process killed while writing leaves its temporary; the next sweep
  // removes it.
  const pid_t child = ::fork();
  if (child == 0) {
    std::unique_ptr<Replacement> r;
    if (files.beginReplace(path("f"), {}, r)) ::_exit(1);
    ::_exit(0);  // no destructors: as if killed
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_EQ(temporaries().size(), 1u);
  files.removeDebris(path("f"));
  EXPECT_TRUE(temporaries().empty());
  EXPECT_EQ(read(path("f")), "old");
}

}  // namespace
}  // namespace sv

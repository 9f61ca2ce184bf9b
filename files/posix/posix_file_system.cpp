#include "files/posix/posix_file_system.h"

#include "files/disk_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <memory>
#include <new>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sv {
namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

struct DescriptorTraits {
  using Raw = int;
  static int none() { return -1; }
  static bool valid(int fd) { return fd >= 0; }
  static void close(int fd) { ::close(fd); }
};
using Descriptor = Owned<DescriptorTraits>;

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Opening never waits: a FIFO without a writer would block a plain open.
int openForReading(const char* path, int extraFlags = 0) {
  return ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | extraFlags);
}

// A file's identity, size and modification time as the shared code compares them.
FileVersion versionOf(const struct stat& st) {
  FileVersion version;
  version.kind = S_ISREG(st.st_mode)   ? FileVersion::Kind::Regular
                 : S_ISDIR(st.st_mode) ? FileVersion::Kind::Folder
                                       : FileVersion::Kind::Other;
  version.device = st.st_dev;
  version.index = st.st_ino;
  version.size = static_cast<std::uint64_t>(st.st_size);
  version.modified = static_cast<std::uint64_t>(st.st_mtim.tv_sec) * 1000000000 +
                     static_cast<std::uint64_t>(st.st_mtim.tv_nsec);
  return version;
}

// What holds an output's name must be something a rename may replace without
// losing anything but an old version: a file or a link.
std::error_code requireReplaceable(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return {};
  return requireRegular(versionOf(st));
}

std::error_code writeAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

// The mode a new file gets when nothing says otherwise: 0666 less the umask,
// which can only be read by setting it, so it is read once.
mode_t defaultMode() {
  static const mode_t mode = [] {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

}  // namespace

int PosixFileSystem::syncFile(int fd) { return ::fsync(fd); }
int PosixFileSystem::syncFolder(int fd) { return ::fsync(fd); }
int PosixFileSystem::renameOver(int folderFd, const char* from, const char* to) {
  return ::renameat(folderFd, from, folderFd, to);
}
void PosixFileSystem::finishedReading(int) {}
int PosixFileSystem::createUnnamed(int folderFd) {
  return ::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
}
int PosixFileSystem::createNamed(int folderFd, const char* name) {
  return ::openat(folderFd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}
int PosixFileSystem::lockFile(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB); }
int PosixFileSystem::linkUnnamed(int fd, int folderFd, const char* name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), folderFd, name, AT_SYMLINK_FOLLOW);
}

// An open descriptor as the shared code sees it.
class PosixFileSystem::Reader : public DiskFile {
 public:
  Reader(PosixFileSystem& fs, int fd) : m_fs(fs), m_fd(fd) {}

  std::error_code version(FileVersion& version) override {
    if (::fstat(m_fd.get(), &m_stat) != 0) return lastError();
    version = versionOf(m_stat);
    return {};
  }
  std::error_code readAt(std::uint64_t offset, char* data, std::size_t size,
                         std::size_t& got) override {
    ssize_t n;
    do {
      n = ::pread(m_fd.get(), data, size, static_cast<off_t>(offset));
    } while (n < 0 && errno == EINTR);
    if (n < 0) return lastError();
    got = static_cast<std::size_t>(n);
    return {};
  }
  // Large buffers are asked for in huge pages, all faulted in by one call:
  // clearing and mapping small pages one at a time cost as much as the copy.
  std::shared_ptr<BufferContents> buffer(std::size_t capacity) override {
    constexpr std::size_t kMappedFrom = 1 << 20;
    constexpr std::size_t kHugePage = 2 << 20;
    if (capacity < kMappedFrom) return DiskFile::buffer(capacity);
    // Room to start on a huge-page boundary.
    const std::size_t mappedSize = capacity + kHugePage;
    void* mapped =
        ::mmap(nullptr, mappedSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    // Unmapped however this ends, the allocations below failing too.
    std::shared_ptr<void> owner(mapped, [mappedSize](void* p) { ::munmap(p, mappedSize); });
    const auto start = (reinterpret_cast<std::uintptr_t>(mapped) + kHugePage - 1) &
                       ~static_cast<std::uintptr_t>(kHugePage - 1);
    char* data = reinterpret_cast<char*>(start);
    // Both are hints: without them the pages come one fault at a time.
    ::madvise(data, capacity, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    ::madvise(data, capacity, MADV_POPULATE_WRITE);
#endif
    return std::make_shared<BufferContents>(data, std::move(owner));
  }
  void finishedReading() override { m_fs.finishedReading(m_fd.get()); }

  // The run's lock is flock on the open file, which other runs' flock calls
  // see and which the system drops by itself when the process dies.
  std::error_code claim(const FileVersion&, std::shared_ptr<void>&) override {
    if (m_fs.lockFile(m_fd.get()) == 0) return {};
    return errno == EWOULDBLOCK ? make_error_code(FileError::InUseByAnotherRun) : lastError();
  }
  // The system's own resolution of every link on the way.
  std::error_code target(const std::string& path, std::string& target) override {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return lastError();
    target = resolved;
    std::free(resolved);
    return {};
  }
  FileAttributes attributes() override {
    return FileAttributes::ofOwner(m_stat.st_uid, m_stat.st_gid,
                                   static_cast<std::uint32_t>(m_stat.st_mode & 07777));
  }

 private:
  PosixFileSystem& m_fs;
  Descriptor m_fd;
  struct stat m_stat {};
};

std::error_code PosixFileSystem::openFile(const std::string& path, bool,
                                          std::unique_ptr<DiskFile>& file) {
  const int fd = openForReading(path.c_str());
  if (fd < 0) return lastError();
  file = std::make_unique<Reader>(*this, fd);
  return {};
}

std::error_code PosixFileSystem::versionOfName(const std::string& path, FileVersion& version) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return lastError();
  version = versionOf(st);
  return {};
}

namespace {

// A file marked immutable or append-only cannot be renamed over, by root
// neither; only a file the process may open can be asked.
std::error_code protectedFromChange(int folder, const char* name) {
  Descriptor fd(::openat(folder, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
  int flags = 0;
  if (fd && ::ioctl(fd.get(), FS_IOC_GETFLAGS, &flags) == 0 &&
      (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0) {
    return make_error_code(FileError::ProtectedFromChange);
  }
  return {};
}

// In a folder with the sticky bit (a shared one such as /tmp), only the
// owner of a file or of the folder may remove or replace it. Root may
// always; so may others with the capability, whom this does not see.
bool othersInSharedFolder(const struct stat& folder, const struct stat& file) {
  const uid_t self = ::geteuid();
  return (folder.st_mode & S_ISVTX) != 0 && self != 0 && file.st_uid != self &&
         folder.st_uid != self;
}

}  // namespace

std::error_code PosixFileSystem::checkUse(const std::string& path, FileUse use) {
  if (use == FileUse::Read) {
    FileVersion version;
    return versionOfName(path, version) ? std::error_code() : requireRegular(version);
  }
  const std::string baseName = baseNameOf(path);
  if (baseName.empty()) return std::make_error_code(std::errc::is_a_directory);
  Descriptor folder(::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return lastError();
  // A new version is made in the folder and renamed over the name: the
  // folder must take both (a read-only or immutable one takes neither).
  if (::faccessat(folder.get(), ".", W_OK | X_OK, AT_EACCESS) != 0) return lastError();
  struct stat existing;
  if (::fstatat(folder.get(), baseName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno == ENOENT ? std::error_code() : lastError();
  }
  if (auto error = requireReplaceable(existing)) return error;
  struct stat folderStat;
  if (::fstat(folder.get(), &folderStat) != 0) return lastError();
  if (othersInSharedFolder(folderStat, existing)) {
    return make_error_code(FileError::OthersInSharedFolder);
  }
  return S_ISREG(existing.st_mode) ? protectedFromChange(folder.get(), baseName.c_str())
                                   : std::error_code();
}

void PosixFileSystem::removeDebris(const std::string& path) {
  DIR* dir = ::opendir(directoryOf(path).c_str());
  if (dir == nullptr) return;
  const int folder = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    if (!isTemporaryName(entry->d_name)) continue;
    Descriptor fd(
        ::openat(folder, entry->d_name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    struct stat named;
    // A live run holds the lock on each of its temporaries.
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 ||
        ::fstatat(folder, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !versionOf(st).sameFile(versionOf(named))) {
      continue;
    }
    (void)::unlinkat(folder, entry->d_name, 0);
  }
  ::closedir(dir);
}

// A new version written to a temporary file in the target's folder: an
// unnamed one (O_TMPFILE) where the file system allows, which a killed run
// cannot leave behind; otherwise a named one that a later run sweeps away.
class PosixFileSystem::Writer : public Replacement {
 public:
  Writer(PosixFileSystem& fs, int folder, int fd, std::string baseName, std::string named)
      : m_fs(fs),
        m_folder(folder),
        m_fd(fd),
        m_baseName(std::move(baseName)),
        m_named(std::move(named)) {}

  ~Writer() override {
    if (!m_committed && !m_named.empty()) (void)::unlinkat(m_folder.get(), m_named.c_str(), 0);
  }

  std::error_code reserve(std::uint64_t bytes) override {
    if (bytes == 0) return {};
    if (::fallocate(m_fd.get(), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes)) == 0) return {};
    if (errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL) return {};
    return lastError();
  }

  std::error_code append(std::string_view data) override { return writeAll(m_fd.get(), data); }

  // Naming can fail (a full folder needs a new block for the entry), so it
  // happens here, before the run puts any of its files in place: what is
  // left for commit is a rename.
  std::error_code flush() override {
    if (m_fs.syncFile(m_fd.get()) != 0) return lastError();
    if (m_named.empty()) return giveName();
    return {};
  }

  std::error_code commit() override {
    if (m_fs.renameOver(m_folder.get(), m_named.c_str(), m_baseName.c_str()) != 0) {
      return lastError();
    }
    m_committed = true;
    // Makes the rename itself survive a crash; the data is already safe, so
    // a folder that cannot be synced is no failure of the run.
    (void)m_fs.syncFolder(m_folder.get());
    return {};
  }

 private:
  // An unnamed file gets a short name of its own once its data is on disk.
  std::error_code giveName() {
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = temporaryName();
      if (m_fs.linkUnnamed(m_fd.get(), m_folder.get(), name.c_str()) == 0) {
        m_named = std::move(name);
        return {};
      }
      if (errno != EEXIST) return lastError();
    }
    return std::make_error_code(std::errc::file_exists);
  }

  PosixFileSystem& m_fs;
  Descriptor m_folder;
  // Kept open, and so locked, until the run lets go of the new file.
  Descriptor m_fd;
  std::string m_baseName;
  std::string m_named;
  bool m_committed = false;
};

namespace {

// Gives a new file the owner and group it should have, as far as the process
// may. Where the group cannot be given, the file is left in the process's own
// group, which must not read what the file's group alone could: the group's
// permissions are dropped.
std::error_code takeOwnerAndGroup(int fd, const FileAttributes& attributes, mode_t& mode) {
  if (::fchown(fd, attributes.owner, attributes.group) == 0) return {};
  if (errno != EPERM) return lastError();
  // Only root may give a file away; a member of the group may still give it
  // the group.
  if (::fchown(fd, static_cast<uid_t>(-1), attributes.group) == 0) return {};
  if (errno != EPERM) return lastError();
  struct stat st;
  if (::fstat(fd, &st) != 0) return lastError();
  if (st.st_gid != attributes.group) mode &= ~static_cast<mode_t>(S_ISGID | S_IRWXG);
  return {};
}

}  // namespace

std::error_code PosixFileSystem::beginReplace(const std::string& path,
                                              const FileAttributes& attributes,
                                              std::unique_ptr<Replacement>& out) {
  const std::string baseName = baseNameOf(path);
  if (baseName.empty()) return std::make_error_code(std::errc::is_a_directory);
  Descriptor folder(::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return lastError();
  struct stat existing;
  if (::fstatat(folder.get(), baseName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (auto error = requireReplaceable(existing)) return error;
  } else if (errno != ENOENT) {
    return lastError();
  }

  // Private until its attributes are set.
  std::string named;
  Descriptor fd(createUnnamed(folder.get()));
  if (!fd) {
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
      return lastError();
    }
    for (int attempt = 0; !fd; ++attempt) {
      named = temporaryName();
      fd.reset(createNamed(folder.get(), named.c_str()));
      if (!fd && (errno != EEXIST || attempt == 100)) return lastError();
    }
  }
  auto writer = std::make_unique<Writer>(*this, folder.release(), fd.get(), baseName, named);
  const int raw = fd.release();
  if (lockFile(raw) != 0) return lastError();
  mode_t mode = attributes.known ? static_cast<mode_t>(attributes.mode & 07777) : defaultMode();
  if (attributes.known) {
    if (auto error = takeOwnerAndGroup(raw, attributes, mode)) return error;
  }
  if (::fchmod(raw, mode) != 0) return lastError();
  out = std::move(writer);
  return {};
}

std::unique_ptr<FileSystem> systemFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace sv

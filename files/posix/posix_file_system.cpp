#include "files/posix/posix_file_system.h"

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

// Closes a descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : m_fd(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() { reset(); }

  int get() const { return m_fd; }
  explicit operator bool() const { return m_fd >= 0; }
  void reset(int fd = -1) {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = fd;
  }
  int release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }

 private:
  int m_fd;
};

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

std::error_code requireRegular(const struct stat& st) {
  if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  if (!S_ISREG(st.st_mode)) return make_error_code(FileError::NotRegularFile);
  return {};
}

bool sameVersion(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

bool sameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A file's bytes in memory of their own, left uninitialised until read.
// Large buffers are asked for in huge pages, all faulted in by one call:
// clearing and mapping small pages one at a time cost as much as the copy.
class BufferContents : public FileContents {
 public:
  explicit BufferContents(std::size_t capacity) {
    if (capacity < kMappedFrom) {
      m_data = new char[capacity];
      return;
    }
    // Room to start on a huge-page boundary.
    m_mappedSize = capacity + kHugePage;
    m_mapped =
        ::mmap(nullptr, m_mappedSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m_mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = (reinterpret_cast<std::uintptr_t>(m_mapped) + kHugePage - 1) &
                       ~static_cast<std::uintptr_t>(kHugePage - 1);
    m_data = reinterpret_cast<char*>(start);
    // Both are hints: without them the pages come one fault at a time.
    ::madvise(m_data, capacity, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
    ::madvise(m_data, capacity, MADV_POPULATE_WRITE);
#endif
  }
  BufferContents(const BufferContents&) = delete;
  BufferContents& operator=(const BufferContents&) = delete;
  ~BufferContents() override {
    if (m_mapped != nullptr) {
      ::munmap(m_mapped, m_mappedSize);
    } else {
      delete[] m_data;
    }
  }
  std::string_view bytes() const override { return {m_data, m_size}; }
  char* data() { return m_data; }
  void setSize(std::size_t size) { m_size = size; }

 private:
  static constexpr std::size_t kMappedFrom = 1 << 20;
  static constexpr std::size_t kHugePage = 2 << 20;
  void* m_mapped = nullptr;
  std::size_t m_mappedSize = 0;
  char* m_data = nullptr;
  std::size_t m_size = 0;
};

// Reads from offset 0 up to capacity bytes or the end, whichever comes
// first; the caller learns from the count whether the file grew.
std::error_code readAll(int fd, char* data, std::size_t capacity, std::size_t& used) {
  used = 0;
  while (used < capacity) {
    const ssize_t n = ::pread(fd, data + used, capacity - used, static_cast<off_t>(used));
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  return {};
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
int PosixFileSystem::linkUnnamed(int fd, int folderFd, const char* name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), folderFd, name, AT_SYMLINK_FOLLOW);
}

// Reading an open regular file by copy, with the check that it did not
// change meanwhile: a writer in place leaves a new size or modification time.
class PosixFileSystem::Reader {
 public:
  static std::error_code read(PosixFileSystem& fs, int fd, SharedContents& contents,
                              struct stat& seen) {
    struct stat before;
    if (::fstat(fd, &before) != 0) return lastError();
    if (auto error = requireRegular(before)) return error;
    const auto size = static_cast<std::size_t>(before.st_size);
    std::shared_ptr<BufferContents> buffer;
    try {
      // One byte more than the file holds shows a file that grew.
      buffer = std::make_shared<BufferContents>(size + 1);
    } catch (const std::bad_alloc&) {
      return std::make_error_code(std::errc::not_enough_memory);
    }
    std::size_t used = 0;
    if (auto error = readAll(fd, buffer->data(), size + 1, used)) return error;
    fs.finishedReading(fd);
    struct stat after;
    if (::fstat(fd, &after) != 0) return lastError();
    if (!sameVersion(before, after) || used != size) {
      return make_error_code(FileError::ChangedWhileRead);
    }
    buffer->setSize(used);
    contents = std::move(buffer);
    seen = after;
    return {};
  }
};

std::error_code PosixFileSystem::readFile(const std::string& path, SharedContents& contents) {
  contents.reset();
  Descriptor fd(openForReading(path.c_str()));
  if (!fd) return lastError();
  struct stat seen;
  return Reader::read(*this, fd.get(), contents, seen);
}

// The run's lock: flock on the open file, which other runs' flock calls see
// and which the system drops by itself when the process dies.
class PosixFileSystem::Lock : public LockedFile {
 public:
  Lock(PosixFileSystem& fs, int fd, std::string target, const struct stat& st)
      : m_fs(fs), m_fd(fd), m_target(std::move(target)), m_seen(st) {}

  std::error_code read(SharedContents& contents) override {
    return Reader::read(m_fs, m_fd.get(), contents, m_seen);
  }

  std::error_code checkUnchanged() override {
    struct stat now;
    if (::fstat(m_fd.get(), &now) != 0) return lastError();
    struct stat named;
    if (::stat(m_target.c_str(), &named) != 0 || !sameVersion(m_seen, now) ||
        !sameInode(now, named)) {
      return make_error_code(FileError::ChangedWhileRead);
    }
    return {};
  }

  const std::string& target() const override { return m_target; }

  FileAttributes attributes() const override {
    return FileAttributes::ofOwner(m_seen.st_uid, m_seen.st_gid,
                                   static_cast<std::uint32_t>(m_seen.st_mode & 07777));
  }

 private:
  PosixFileSystem& m_fs;
  Descriptor m_fd;
  std::string m_target;
  struct stat m_seen;
};

std::error_code PosixFileSystem::lockForRun(const std::string& path,
                                            std::unique_ptr<LockedFile>& out) {
  // The name may come to hold another file between open and flock; the lock
  // is only good on the file the name still holds once it is taken.
  for (int attempt = 0; attempt < 10; ++attempt) {
    Descriptor fd(openForReading(path.c_str()));
    if (!fd) return lastError();
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) return lastError();
    if (auto error = requireRegular(st)) return error;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK) return make_error_code(FileError::InUseByAnotherRun);
      return lastError();
    }
    struct stat named;
    if (::stat(path.c_str(), &named) != 0) return lastError();
    if (!sameInode(st, named)) continue;
    // The system's own resolution of every link on the way.
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return lastError();
    std::string target(resolved);
    std::free(resolved);
    out = std::make_unique<Lock>(*this, fd.get(), std::move(target), st);
    (void)fd.release();
    return {};
  }
  return make_error_code(FileError::ChangedWhileRead);
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
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return {};
    return requireRegular(st);
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
  if (S_ISDIR(existing.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  if (!S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode)) {
    return make_error_code(FileError::NotRegularFile);
  }
  struct stat folderStat;
  if (::fstat(folder.get(), &folderStat) != 0) return lastError();
  if (othersInSharedFolder(folderStat, existing)) {
    return make_error_code(FileError::OthersInSharedFolder);
  }
  return S_ISREG(existing.st_mode) ? protectedFromChange(folder.get(), baseName.c_str())
                                   : std::error_code();
}

void PosixFileSystem::removeDebris(const std::string& path) {
  Descriptor folder(::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return;
  const int listed = ::dup(folder.get());
  if (listed < 0) return;
  DIR* dir = ::fdopendir(listed);
  if (dir == nullptr) {
    ::close(listed);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    if (!isTemporaryName(entry->d_name)) continue;
    Descriptor fd(::openat(folder.get(), entry->d_name,
                           O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    struct stat named;
    // A live run holds the lock on each of its temporaries.
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 ||
        ::fstatat(folder.get(), entry->d_name, &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !sameInode(st, named)) {
      continue;
    }
    (void)::unlinkat(folder.get(), entry->d_name, 0);
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
  // What holds the name now must be something a rename may replace without
  // losing anything but an old version: a file or a link.
  struct stat existing;
  if (::fstatat(folder.get(), baseName.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(existing.st_mode)) return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode)) {
      return make_error_code(FileError::NotRegularFile);
    }
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
      fd.reset(::openat(folder.get(), named.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
      if (!fd && (errno != EEXIST || attempt == 100)) return lastError();
    }
  }
  auto writer = std::make_unique<Writer>(*this, folder.release(), fd.get(), baseName, named);
  const int raw = fd.release();
  if (::flock(raw, LOCK_EX | LOCK_NB) != 0) return lastError();
  mode_t mode = attributes.known ? static_cast<mode_t>(attributes.mode & 07777) : defaultMode();
  if (attributes.known) {
    if (auto error = takeOwnerAndGroup(raw, attributes, mode)) return error;
  }
  if (::fchmod(raw, mode) != 0) return lastError();
  out = std::move(writer);
  return {};
}

bool PosixFileSystem::sameFile(const std::string& a, const std::string& b) {
  struct stat sa;
  struct stat sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sameInode(sa, sb);
}

std::unique_ptr<FileSystem> systemFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace sv

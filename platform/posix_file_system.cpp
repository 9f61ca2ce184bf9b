#include "platform/posix_file_system.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <fcntl.h>
#include <random>
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
  // Closes now; close can report a late write error.
  std::error_code close() {
    const int fd = m_fd;
    m_fd = -1;
    if (fd >= 0 && ::close(fd) != 0) return lastError();
    return {};
  }
  void reset(int fd = -1) {
    (void)close();
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

// Follows symbolic links at the final name so that replacing the file writes
// the link's target and leaves the link itself in place.
std::string resolveLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string target(static_cast<std::size_t>(st.st_size) + 1, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return path;
    target.resize(static_cast<std::size_t>(n));
    path = target.starts_with('/') ? target : directoryOf(path) + "/" + target;
  }
  return path;
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

class PosixReplacement : public Replacement {
 public:
  PosixReplacement(std::string target, std::string temporary, int fd)
      : m_target(std::move(target)), m_temporary(std::move(temporary)), m_fd(fd) {}

  ~PosixReplacement() override {
    if (!m_committed) {
      m_fd.reset();
      ::unlink(m_temporary.c_str());
    }
  }

  std::error_code append(std::string_view data) override { return writeAll(m_fd.get(), data); }

  std::error_code flush() override {
    if (::fsync(m_fd.get()) != 0) return lastError();
    return m_fd.close();
  }

  std::error_code commit() override {
    assert(!m_fd);
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) return lastError();
    m_committed = true;
    // Makes the rename itself survive a crash; the data is already safe, so
    // a folder that cannot be synced is no failure of the run.
    Descriptor dir(::open(directoryOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir) (void)::fsync(dir.get());
    return {};
  }

 private:
  std::string m_target;
  std::string m_temporary;
  Descriptor m_fd;
  bool m_committed = false;
};

class MappedContents : public FileContents {
 public:
  MappedContents(void* data, std::size_t size) : m_data(data), m_size(size) {}
  MappedContents(const MappedContents&) = delete;
  MappedContents& operator=(const MappedContents&) = delete;
  ~MappedContents() override { ::munmap(m_data, m_size); }

  std::string_view bytes() const override { return {static_cast<const char*>(m_data), m_size}; }

 private:
  void* m_data;
  std::size_t m_size;
};

// Reads to the end. sizeHint is what the file held when it was opened; it
// may still grow or shrink while it is read.
std::error_code readAll(int fd, std::size_t sizeHint, std::string& bytes) {
  std::size_t capacity = sizeHint + 1;
  for (;;) {
    const std::size_t used = bytes.size();
    if (used == capacity) capacity = std::max<std::size_t>(capacity * 2, 1 << 16);
    bytes.resize(capacity);
    const ssize_t n = ::read(fd, bytes.data() + used, capacity - used);
    bytes.resize(used + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    if (n == 0) return {};
  }
}

}  // namespace

std::error_code PosixFileSystem::readFile(const std::string& path, SharedContents& contents) {
  contents.reset();
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return lastError();
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return lastError();
  if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  const auto size = static_cast<std::size_t>(st.st_size);
  if (m_reading == Reading::Map && S_ISREG(st.st_mode) && size > 0) {
    void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
    if (data != MAP_FAILED) {
      contents = std::make_shared<MappedContents>(data, size);
      return {};
    }
  }
  std::string bytes;
  if (auto error = readAll(fd.get(), S_ISREG(st.st_mode) ? size : 0, bytes)) return error;
  contents = std::make_shared<StringContents>(std::move(bytes));
  return {};
}

std::error_code PosixFileSystem::beginReplace(const std::string& path,
                                              const std::string& permissionsFrom,
                                              std::unique_ptr<Replacement>& out) {
  const std::string target = resolveLinks(path);
  const std::string prefix = directoryOf(target) + "/." + baseNameOf(target) + ".";
  std::random_device seed;
  std::mt19937_64 random(seed());
  Descriptor fd;
  std::string temporary;
  for (int attempt = 0; !fd; ++attempt) {
    temporary = prefix + std::to_string(random() % 1000000000) + ".tmp";
    // 0666 lets the umask decide, as for any new file.
    fd.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd && (errno != EEXIST || attempt == 100)) return lastError();
  }
  struct stat st;
  if (::stat(permissionsFrom.c_str(), &st) == 0 && ::fchmod(fd.get(), st.st_mode & 07777) != 0) {
    const std::error_code error = lastError();
    fd.reset();
    ::unlink(temporary.c_str());
    return error;
  }
  out = std::make_unique<PosixReplacement>(target, std::move(temporary), fd.release());
  return {};
}

bool PosixFileSystem::sameFile(const std::string& a, const std::string& b) {
  struct stat sa;
  struct stat sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace sv

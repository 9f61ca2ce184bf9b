#pragma once

// What the two layers on a real disk (posix/ and win32/) share, written once
// over each system's calls: a file's bytes read by copy and checked against a
// change meanwhile, the run's lock taken on the file a name still holds once
// it is taken, and whether two names hold one file.

#include "files/file_system.h"

#include <cstdint>
#include <memory>
#include <utility>

namespace sv {

// Which file, and which version of it: what a name held when it was read.
struct FileVersion {
  enum class Kind { Other, Regular, Folder };
  Kind kind = Kind::Other;
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  std::uint64_t size = 0;
  std::uint64_t modified = 0;  // in the system's own units

  bool sameFile(const FileVersion& other) const {
    return device == other.device && index == other.index;
  }
  bool operator==(const FileVersion&) const = default;
};

// Only regular files are read or replaced; a folder is told as one.
std::error_code requireRegular(const FileVersion& version);

// What the system opened (a descriptor, a handle), closed on every way out.
// Traits: its type, the value of none, and how to close one.
template <typename Traits>
class Owned {
 public:
  using Raw = typename Traits::Raw;
  explicit Owned(Raw raw = Traits::none()) : m_raw(raw) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  ~Owned() { reset(); }

  Raw get() const { return m_raw; }
  explicit operator bool() const { return Traits::valid(m_raw); }
  void reset(Raw raw = Traits::none()) {
    if (Traits::valid(m_raw)) Traits::close(m_raw);
    m_raw = raw;
  }
  Raw release() { return std::exchange(m_raw, Traits::none()); }

 private:
  Raw m_raw;
};

// A file's bytes in memory of their own, left uninitialised until read: the
// room at data, which owner keeps and gives back when it goes.
class BufferContents : public FileContents {
 public:
  BufferContents(char* data, std::shared_ptr<void> owner)
      : m_data(data), m_owner(std::move(owner)) {}

  std::string_view bytes() const override { return {m_data, m_size}; }
  char* data() { return m_data; }
  void setSize(std::size_t size) { m_size = size; }

 private:
  char* m_data = nullptr;
  std::shared_ptr<void> m_owner;
  std::size_t m_size = 0;
};

// An open file of the system's as the shared code sees it; closed with the
// object.
class DiskFile {
 public:
  virtual ~DiskFile() = default;
  virtual std::error_code version(FileVersion& version) = 0;
  // Up to size bytes from offset; got is 0 at the end of the file.
  virtual std::error_code readAt(std::uint64_t offset, char* data, std::size_t size,
                                 std::size_t& got) = 0;
  // Room for capacity bytes; the heap's unless the system has better.
  virtual std::shared_ptr<BufferContents> buffer(std::size_t capacity);
  // Called once the bytes are read, before the file is checked for a change.
  virtual void finishedReading() {}

  // For the run's lock: takes the run's claim on the file (InUseByAnotherRun
  // when a live run holds it), kept by claim, or by the open file itself
  // when claim stays empty; the real file behind path, links resolved; the
  // file's own attributes.
  virtual std::error_code claim(const FileVersion& version, std::shared_ptr<void>& claim) = 0;
  virtual std::error_code target(const std::string& path, std::string& target) = 0;
  virtual FileAttributes attributes() = 0;
};

// The layers on a real disk: reading a file by copy, the run's lock and
// telling whether two names hold one file, over each system's calls.
class DiskFileSystem : public FileSystem {
 public:
  std::error_code readFile(const std::string& path, SharedContents& contents) override;
  std::error_code lockForRun(const std::string& path, std::unique_ptr<LockedFile>& out) override;
  bool sameFile(const std::string& a, const std::string& b) override;

 protected:
  // Opens the file at path (links followed, never waiting for a writer) to
  // read it whole; for a run, shared with no writer until it is read.
  virtual std::error_code openFile(const std::string& path, bool forRun,
                                   std::unique_ptr<DiskFile>& file) = 0;
  // What a name holds now, links followed.
  virtual std::error_code versionOfName(const std::string& path, FileVersion& version) = 0;

 private:
  class Lock;
};

}  // namespace sv

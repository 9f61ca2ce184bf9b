#include "files/disk_file.h"

#include <cstdint>
#include <new>

namespace sv {

std::error_code requireRegular(const FileVersion& version) {
  if (version.kind == FileVersion::Kind::Folder) {
    return std::make_error_code(std::errc::is_a_directory);
  }
  if (version.kind != FileVersion::Kind::Regular) return make_error_code(FileError::NotRegularFile);
  return {};
}

namespace {

// Reads the whole regular file from offset 0 by copy, and fails with
// ChangedWhileRead when a writer left a new size or modification time
// meanwhile. seen: the version read.
std::error_code readWhole(DiskFile& file, SharedContents& contents, FileVersion& seen) {
  FileVersion before;
  if (auto error = file.version(before)) return error;
  if (auto error = requireRegular(before)) return error;
  if (before.size > SIZE_MAX - 1) return std::make_error_code(std::errc::not_enough_memory);
  // One byte more than the file holds shows a file that grew.
  const auto capacity = static_cast<std::size_t>(before.size) + 1;
  std::shared_ptr<BufferContents> buffer;
  try {
    buffer = file.buffer(capacity);
  } catch (const std::bad_alloc&) {
    return std::make_error_code(std::errc::not_enough_memory);
  }
  std::size_t used = 0;
  while (used < capacity) {
    std::size_t got = 0;
    if (auto error = file.readAt(used, buffer->data() + used, capacity - used, got)) return error;
    if (got == 0) break;
    used += got;
  }
  file.finishedReading();
  FileVersion after;
  if (auto error = file.version(after)) return error;
  if (!(before == after) || used != before.size) {
    return make_error_code(FileError::ChangedWhileRead);
  }
  buffer->setSize(used);
  contents = std::move(buffer);
  seen = after;
  return {};
}

}  // namespace

std::shared_ptr<BufferContents> DiskFile::buffer(std::size_t capacity) {
  std::shared_ptr<char[]> heap(new char[capacity]);
  return std::make_shared<BufferContents>(heap.get(), heap);
}

std::error_code DiskFileSystem::readFile(const std::string& path, SharedContents& contents) {
  contents.reset();
  std::unique_ptr<DiskFile> file;
  if (auto error = openFile(path, false, file)) return error;
  FileVersion seen;
  return readWhole(*file, contents, seen);
}

bool DiskFileSystem::sameFile(const std::string& a, const std::string& b) {
  FileVersion va;
  FileVersion vb;
  return !versionOfName(a, va) && !versionOfName(b, vb) && va.sameFile(vb);
}

// The run's lock on a file: its bytes read from the open file, its changes
// seen through its name.
class DiskFileSystem::Lock : public LockedFile {
 public:
  Lock(DiskFileSystem& fs, std::unique_ptr<DiskFile> file, std::shared_ptr<void> claim,
       std::string target)
      : m_fs(fs),
        m_file(std::move(file)),
        m_claim(std::move(claim)),
        m_target(std::move(target)),
        m_attributes(m_file->attributes()) {}

  std::error_code read(SharedContents& contents) override {
    if (!m_file) return make_error_code(FileError::ChangedWhileRead);
    const std::error_code error = readWhole(*m_file, contents, m_seen);
    // Where the claim is apart from the file, the file is let go of: Windows
    // refuses to replace a file that is open.
    if (m_claim) m_file.reset();
    return error;
  }

  // The name still holds the file read, as it was: a writer in place leaves
  // a new size or modification time, a file renamed over the name another
  // index.
  std::error_code checkUnchanged() override {
    FileVersion now;
    if (m_fs.versionOfName(m_target, now) || !(now == m_seen)) {
      return make_error_code(FileError::ChangedWhileRead);
    }
    return {};
  }

  const std::string& target() const override { return m_target; }
  FileAttributes attributes() const override { return m_attributes; }

 private:
  DiskFileSystem& m_fs;
  std::unique_ptr<DiskFile> m_file;
  std::shared_ptr<void> m_claim;
  std::string m_target;
  FileAttributes m_attributes;
  FileVersion m_seen;
};

std::error_code DiskFileSystem::lockForRun(const std::string& path,
                                           std::unique_ptr<LockedFile>& out) {
  // The name may come to hold another file between opening and claiming;
  // the claim is only good on the file the name still holds once taken.
  for (int attempt = 0; attempt < 10; ++attempt) {
    std::unique_ptr<DiskFile> file;
    FileVersion opened;
    std::shared_ptr<void> claim;
    FileVersion named;
    if (auto error = openFile(path, true, file)) return error;
    if (auto error = file->version(opened)) return error;
    if (auto error = requireRegular(opened)) return error;
    if (auto error = file->claim(opened, claim)) return error;
    if (auto error = versionOfName(path, named)) return error;
    if (!named.sameFile(opened)) continue;
    std::string target;
    if (auto error = file->target(path, target)) return error;
    out = std::make_unique<Lock>(*this, std::move(file), std::move(claim), std::move(target));
    return {};
  }
  return make_error_code(FileError::ChangedWhileRead);
}

}  // namespace sv

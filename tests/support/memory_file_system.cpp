#include "tests/support/memory_file_system.h"

namespace sv::testing {
namespace {

class MemoryReplacement : public Replacement {
 public:
  MemoryReplacement(MemoryFileSystem& fs, const std::string& target, const std::string& temporary,
                    const FileAttributes& attributes)
      : m_fs(fs), m_target(target), m_temporary(temporary), m_attributes(attributes) {}
  ~MemoryReplacement() override {
    std::lock_guard lock(m_fs.mutex);
    if (m_committed) {
      m_fs.locked.erase(m_fs.locked.find(m_target));
    } else if (!m_fs.use(Op::Remove)) {
      m_fs.files.erase(m_temporary);
    }
  }
  std::error_code reserve(std::uint64_t bytes) override {
    std::lock_guard lock(m_fs.mutex);
    m_fs.reserved[m_target] = bytes;
    if (bytes > m_fs.room) return std::make_error_code(std::errc::no_space_on_device);
    return m_fs.use(Op::Reserve);
  }
  std::error_code append(std::string_view data) override {
    std::lock_guard lock(m_fs.mutex);
    const std::error_code error = m_fs.use(Op::Write);
    m_fs.files[m_temporary].append(error ? data.substr(0, data.size() / 2) : data);
    return error;
  }
  std::error_code flush() override {
    std::lock_guard lock(m_fs.mutex);
    if (auto error = m_fs.use(Op::Sync)) return error;
    m_fs.steps.push_back("flush " + m_target);
    return {};
  }
  std::error_code commit() override {
    std::lock_guard lock(m_fs.mutex);
    if (auto error = m_fs.use(Op::Rename)) return error;
    if (auto it = m_fs.refusing.find(m_target); it != m_fs.refusing.end()) return it->second;
    if (m_fs.folders.count(m_target) != 0) return std::make_error_code(std::errc::is_a_directory);
    m_fs.files[m_target] = std::move(m_fs.files[m_temporary]);
    m_fs.files.erase(m_temporary);
    m_fs.links.erase(m_target);
    m_fs.special.erase(m_target);
    m_fs.attributes[m_target] = m_attributes;
    m_fs.steps.push_back("commit " + m_target);
    // The new file is held for the run as the old one was.
    m_fs.locked.insert(m_target);
    m_committed = true;
    return {};
  }

 private:
  MemoryFileSystem& m_fs;
  std::string m_target;
  std::string m_temporary;
  FileAttributes m_attributes;
  bool m_committed = false;
};

class MemoryLock : public LockedFile {
 public:
  MemoryLock(MemoryFileSystem& fs, const std::string& path) : m_fs(fs), m_path(path) {}
  ~MemoryLock() override {
    std::lock_guard lock(m_fs.mutex);
    m_fs.locked.erase(m_fs.locked.find(m_path));
  }
  std::error_code read(SharedContents& contents) override {
    if (auto error = m_fs.readFile(m_path, contents)) return error;
    m_read = std::string(contents->bytes());
    return {};
  }
  std::error_code checkUnchanged() override {
    std::lock_guard lock(m_fs.mutex);
    auto it = m_fs.files.find(m_path);
    if (it == m_fs.files.end() || it->second != m_read) {
      return make_error_code(FileError::ChangedWhileRead);
    }
    return {};
  }
  const std::string& target() const override { return m_path; }
  FileAttributes attributes() const override {
    FileAttributes attributes = FileAttributes::ofOwner(1000, 1000, 0640);
    attributes.flags = 0x22;  // as on Windows: hidden, archive
    attributes.created = 7;
    return attributes;
  }

 private:
  MemoryFileSystem& m_fs;
  std::string m_path;
  std::string m_read;
};

}  // namespace

const char* opName(Op op) {
  static const char* const kNames[] = {"Open",  "Read", "Lock",   "Create", "Reserve",
                                       "Write", "Sync", "Rename", "Remove"};
  return kNames[static_cast<int>(op)];
}

std::error_code MemoryFileSystem::use(Op op) {
  if (++m_uses[op] != m_failAt || op != m_failOp) return {};
  m_failHit = true;
  return m_failError;
}

std::string MemoryFileSystem::resolved(std::string path) const {
  for (auto it = links.find(path); it != links.end(); it = links.find(path)) path = it->second;
  return path;
}

std::error_code MemoryFileSystem::notAFile(const std::string& path) const {
  if (folders.count(path) != 0) return std::make_error_code(std::errc::is_a_directory);
  if (special.count(path) != 0) return make_error_code(FileError::NotRegularFile);
  return {};
}

std::error_code MemoryFileSystem::readFile(const std::string& name, SharedContents& contents) {
  const std::string path = resolved(name);
  {
    std::lock_guard lock(mutex);
    contents.reset();
    if (auto error = use(Op::Open)) return error;
    if (auto error = notAFile(path)) return error;
    auto it = files.find(path);
    if (it == files.end()) return std::make_error_code(std::errc::no_such_file_or_directory);
    if (auto it = refusing.find(path); it != refusing.end()) return it->second;
    if (auto error = use(Op::Read)) return error;
    contents = std::make_shared<StringContents>(it->second);
    steps.push_back("read " + path);
  }
  if (afterRead) afterRead(path);
  std::lock_guard lock(mutex);
  auto it = files.find(path);
  if (it != files.end() && it->second == contents->bytes()) return {};
  contents.reset();
  return make_error_code(FileError::ChangedWhileRead);
}

std::error_code MemoryFileSystem::lockForRun(const std::string& name,
                                             std::unique_ptr<LockedFile>& out) {
  std::lock_guard lock(mutex);
  const std::string path = resolved(name);
  if (auto error = use(Op::Lock)) return error;
  if (auto error = notAFile(path)) return error;
  if (files.count(path) == 0) return std::make_error_code(std::errc::no_such_file_or_directory);
  if (locked.count(path) != 0) return make_error_code(FileError::InUseByAnotherRun);
  locked.insert(path);
  steps.push_back("lock " + path);
  out = std::make_unique<MemoryLock>(*this, path);
  return {};
}

std::error_code MemoryFileSystem::checkUse(const std::string& path, FileUse use) {
  std::lock_guard lock(mutex);
  steps.push_back("check " + path);
  if (auto it = refusing.find(path); it != refusing.end()) return it->second;
  // A link at an output's name is replaced, not followed.
  return notAFile(use == FileUse::Read ? resolved(path) : path);
}

// A killed run's debris: a file of a temporary's name that no run holds.
void MemoryFileSystem::removeDebris(const std::string& path) {
  std::lock_guard lock(mutex);
  steps.push_back("sweep " + path);
  const std::string folder = path.substr(0, path.rfind('/') + 1);
  std::erase_if(files, [&](const auto& file) {
    return file.first.starts_with(folder) && isTemporaryName(file.first.substr(folder.size())) &&
           locked.count(file.first) == 0;
  });
}

std::error_code MemoryFileSystem::beginReplace(const std::string& path,
                                               const FileAttributes& attributes,
                                               std::unique_ptr<Replacement>& out) {
  std::lock_guard lock(mutex);
  if (auto error = use(Op::Create)) return error;
  if (auto error = notAFile(path)) return error;
  const std::string temporary = path + ".~tmp" + std::to_string(++m_temporaries);
  files[temporary];
  out = std::make_unique<MemoryReplacement>(*this, path, temporary, attributes);
  return {};
}

bool MemoryFileSystem::sameFile(const std::string& a, const std::string& b) {
  std::lock_guard lock(mutex);
  return resolved(a) == resolved(b) && files.count(resolved(a)) != 0;
}

}  // namespace sv::testing

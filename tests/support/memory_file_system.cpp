#include "tests/support/memory_file_system.h"

namespace sv::testing {
namespace {

class MemoryReplacement : public Replacement {
 public:
  MemoryReplacement(MemoryFileSystem& fs, std::string target, std::string temporary)
      : m_fs(fs), m_target(std::move(target)), m_temporary(std::move(temporary)) {}

  ~MemoryReplacement() override {
    std::lock_guard lock(m_fs.mutex);
    if (!m_committed && !m_fs.use(Op::Remove)) m_fs.files.erase(m_temporary);
  }

  std::error_code append(std::string_view data) override {
    std::lock_guard lock(m_fs.mutex);
    if (auto error = m_fs.use(Op::Write)) {
      m_fs.files[m_temporary].append(data.substr(0, data.size() / 2));
      return error;
    }
    m_fs.files[m_temporary].append(data);
    return {};
  }

  std::error_code flush() override {
    std::lock_guard lock(m_fs.mutex);
    return m_fs.use(Op::Sync);
  }

  std::error_code commit() override {
    std::lock_guard lock(m_fs.mutex);
    if (auto error = m_fs.use(Op::Rename)) return error;
    m_fs.files[m_target] = std::move(m_fs.files[m_temporary]);
    m_fs.files.erase(m_temporary);
    m_committed = true;
    return {};
  }

 private:
  MemoryFileSystem& m_fs;
  std::string m_target;
  std::string m_temporary;
  bool m_committed = false;
};

}  // namespace

const char* opName(Op op) {
  switch (op) {
    case Op::Open:
      return "Open";
    case Op::Read:
      return "Read";
    case Op::Create:
      return "Create";
    case Op::Write:
      return "Write";
    case Op::Sync:
      return "Sync";
    case Op::Rename:
      return "Rename";
    case Op::Remove:
      return "Remove";
  }
  return "?";
}

std::error_code MemoryFileSystem::use(Op op) {
  if (++m_uses[op] == m_failAt && op == m_failOp) {
    m_failHit = true;
    return m_failError;
  }
  return {};
}

std::error_code MemoryFileSystem::readFile(const std::string& path, SharedContents& contents) {
  std::lock_guard lock(mutex);
  contents.reset();
  if (auto error = use(Op::Open)) return error;
  auto it = files.find(path);
  if (it == files.end()) return std::make_error_code(std::errc::no_such_file_or_directory);
  if (auto error = use(Op::Read)) return error;
  contents = std::make_shared<StringContents>(it->second);
  return {};
}

std::error_code MemoryFileSystem::beginReplace(const std::string& path, const std::string&,
                                               std::unique_ptr<Replacement>& out) {
  std::lock_guard lock(mutex);
  if (auto error = use(Op::Create)) return error;
  const std::string temporary = path + ".~tmp" + std::to_string(++m_temporaries);
  files[temporary];
  out = std::make_unique<MemoryReplacement>(*this, path, temporary);
  return {};
}

}  // namespace sv::testing

#pragma once

// An in-memory file layer for tests. Any operation can be made to fail on
// its n-th use, so every error path of a run can be walked; a failing write
// keeps half of its data, as a full disk does. A run may use it from several
// threads at once; tests read and set files only while no run is going.

#include "platform/file_system.h"

#include <cerrno>
#include <map>
#include <mutex>
#include <string>
#include <system_error>

namespace sv::testing {

enum class Op { Open, Read, Create, Write, Sync, Rename, Remove };

inline constexpr Op kAllOps[] = {Op::Open, Op::Read,   Op::Create, Op::Write,
                                 Op::Sync, Op::Rename, Op::Remove};

const char* opName(Op op);

class MemoryFileSystem : public FileSystem {
 public:
  // Every file by name, temporary files included while they exist.
  std::map<std::string, std::string> files;

  // The nth use (from 1) of op fails with error.
  void failOn(Op op, int nth,
              std::error_code error = std::make_error_code(std::errc::no_space_on_device)) {
    m_failOp = op;
    m_failAt = nth;
    m_failError = error;
  }
  bool failureHit() const { return m_failHit; }
  int uses(Op op) const {
    auto it = m_uses.find(op);
    return it == m_uses.end() ? 0 : it->second;
  }

  std::error_code readFile(const std::string& path, SharedContents& contents) override;
  std::error_code beginReplace(const std::string& path, const std::string& permissionsFrom,
                               std::unique_ptr<Replacement>& out) override;
  bool sameFile(const std::string& a, const std::string& b) override {
    std::lock_guard lock(mutex);
    return a == b && files.count(a) != 0;
  }

  // Counts a use of op; returns the injected error when this use must fail.
  // The caller holds mutex.
  std::error_code use(Op op);

  std::mutex mutex;

 private:
  std::map<Op, int> m_uses;
  Op m_failOp = Op::Open;
  int m_failAt = 0;
  std::error_code m_failError;
  bool m_failHit = false;
  int m_temporaries = 0;
};

}  // namespace sv::testing

#pragma once

// An in-memory file layer for tests. Any operation can be made to fail on
// its n-th use, so every error path of a run can be walked; a failing write
// keeps half of its data, as a full disk does. A run may use it from several
// threads at once; tests read and set files only while no run is going.

#include "files/file_system.h"

#include <cerrno>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace sv::testing {

enum class Op { Open, Read, Lock, Create, Reserve, Write, Sync, Rename, Remove };

inline constexpr Op kAllOps[] = {Op::Open,  Op::Read, Op::Lock,   Op::Create, Op::Reserve,
                                 Op::Write, Op::Sync, Op::Rename, Op::Remove};

const char* opName(Op op);

class MemoryFileSystem : public FileSystem {
 public:
  // Every file by name, temporary files included while they exist.
  std::map<std::string, std::string> files;
  // The attributes each replaced file was given, by final name.
  std::map<std::string, FileAttributes> attributes;
  // Files that are not regular files (FIFOs, devices) by name.
  std::set<std::string> special;
  // Files that another program holds or the system protects, and what
  // reading or replacing them fails with.
  std::map<std::string, std::error_code> refusing;
  // Locks held now, by file: another run's (put here by a test) and this
  // layer's own. A file is locked while it is here at least once.
  std::multiset<std::string> locked;
  // Called after each file is read, outside the lock: a test's stand-in for
  // another program at work.
  std::function<void(const std::string& path)> afterRead;
  // Every step in turn ("read x", "lock x", "flush x", "commit x", ...),
  // x the final name: which step came before which.
  std::vector<std::string> steps;
  // The room a new file may reserve, as on a small disk, and what each new
  // file asked for, by final name.
  std::uint64_t room = UINT64_MAX;
  std::map<std::string, std::uint64_t> reserved;

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
  std::error_code lockForRun(const std::string& path, std::unique_ptr<LockedFile>& out) override;
  std::error_code checkUse(const std::string& path, FileUse use) override;
  void removeDebris(const std::string& path) override;
  std::error_code beginReplace(const std::string& path, const FileAttributes& attributes,
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

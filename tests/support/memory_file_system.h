#pragma once

// An in-memory file layer for tests. Any operation can be made to fail on
// its n-th use, so every error path of a run can be walked; a failing write
// keeps half of its data, as a full disk does. A run may use it from several
// threads at once; tests read and set files only while no run is going.

#include "files/file_system.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace sv::testing {

enum class Op { Open, Read, Lock, Create, Reserve, Write, Sync, Rename, Remove };

inline constexpr Op kAllOps[] = {Op::Open,  Op::Read, Op::Lock,   Op::Create, Op::Reserve,
                                 Op::Write, Op::Sync, Op::Rename, Op::Remove};

const char* opName(Op op);

class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;          // by name, temporaries too while they exist
  std::map<std::string, FileAttributes> attributes;  // each replaced file's, by final name
  std::set<std::string> special;                     // no regular files: FIFOs, devices
  std::set<std::string> folders;
  std::map<std::string, std::string> links;  // by name, with the name each leads to
  // Files another program holds or the system protects: what reading or
  // replacing them fails with.
  std::map<std::string, std::error_code> refusing;
  // Locks held now, another run's (put here by a test) and this layer's own:
  // a file is locked while it is here at least once.
  std::multiset<std::string> locked;
  // Called after each file is read, outside the lock: another program at work.
  std::function<void(const std::string& path)> afterRead;
  // Every step in turn ("read x", "lock x", "flush x", "commit x", ...).
  std::vector<std::string> steps;
  std::uint64_t room = UINT64_MAX;                // what a new file may reserve, as on a small disk
  std::map<std::string, std::uint64_t> reserved;  // what each new file asked for

  // The nth use (from 1) of op fails with error.
  void failOn(Op op, int nth,
              std::error_code error = std::make_error_code(std::errc::no_space_on_device)) {
    m_failOp = op;
    m_failAt = nth;
    m_failError = error;
  }
  bool failureHit() const { return m_failHit; }
  int uses(Op op) const { return m_uses.count(op) != 0 ? m_uses.at(op) : 0; }

  std::error_code readFile(const std::string& path, SharedContents& contents) override;
  std::error_code lockForRun(const std::string& path, std::unique_ptr<LockedFile>& out) override;
  std::error_code checkUse(const std::string& path, FileUse use) override;
  void removeDebris(const std::string& path) override;
  std::error_code beginReplace(const std::string& path, const FileAttributes& attributes,
                               std::unique_ptr<Replacement>& out) override;
  bool sameFile(const std::string& a, const std::string& b) override;

  // Counts a use of op (the caller holds mutex): the error when it must fail.
  std::error_code use(Op op);

  std::mutex mutex;

 private:
  // The file a name leads to, links followed, and why it is none.
  std::string resolved(std::string path) const;
  std::error_code notAFile(const std::string& path) const;

  std::map<Op, int> m_uses;
  Op m_failOp = Op::Open;
  int m_failAt = 0;
  std::error_code m_failError;
  bool m_failHit = false;
  int m_temporaries = 0;
};

}  // namespace sv::testing

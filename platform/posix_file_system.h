#pragma once

// The file layer on the real disk (POSIX).

#include "platform/file_system.h"

namespace sv {

class PosixFileSystem : public FileSystem {
 public:
  enum class Reading {
    // Files are read into memory of their own: what was read stays as it
    // was, however long it is kept. For a window that shows results until
    // the next run, while other programs may change the files meanwhile.
    Copy,
    // Regular files are mapped: the bytes come straight from the page cache,
    // which saves a copy of each file. Only for results that live no longer
    // than a run: a file truncated by another program while it is mapped
    // makes reading the lost part fail with SIGBUS.
    Map,
  };

  explicit PosixFileSystem(Reading reading = Reading::Copy) : m_reading(reading) {}

  std::error_code readFile(const std::string& path, SharedContents& contents) override;
  // Writes to a uniquely named file beside the target (after following a
  // symbolic link at the target's name, so the link survives) and renames it
  // over the target on commit.
  std::error_code beginReplace(const std::string& path, const std::string& permissionsFrom,
                               std::unique_ptr<Replacement>& out) override;
  bool sameFile(const std::string& a, const std::string& b) override;

 private:
  Reading m_reading;
};

}  // namespace sv

#pragma once

// The file layer on the real disk (POSIX).

#include "platform/file_system.h"

namespace sv {

class PosixFileSystem : public FileSystem {
 public:
  // Maps regular files rather than copying them: the bytes come straight
  // from the page cache, which for files of millions of records saves both
  // the copy and the memory. Another program that truncates a file while it
  // is mapped makes reading the lost part fail with SIGBUS; the run writes
  // every file beside its target first, so even then no file is left broken.
  std::error_code readFile(const std::string& path, SharedContents& contents) override;
  // Writes to a uniquely named file beside the target (after following a
  // symbolic link at the target's name, so the link survives) and renames it
  // over the target on commit.
  std::error_code beginReplace(const std::string& path, const std::string& permissionsFrom,
                               std::unique_ptr<Replacement>& out) override;
  bool sameFile(const std::string& a, const std::string& b) override;
};

}  // namespace sv

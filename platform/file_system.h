#pragma once

// The file layer: the only way the engine touches the disk. The real layer
// (posix_file_system.h) works on the operating system; tests substitute
// in-memory layers that fail on purpose. Every operation reports failure as
// a std::error_code with a generic (errno) category, never by throwing.

#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace sv {

// A new version of a file being written under a temporary name beside it.
// Nothing is visible under the final name until commit() succeeds; a
// replacement destroyed without a successful commit removes its temporary file.
class Replacement {
 public:
  virtual ~Replacement() = default;

  virtual std::error_code append(std::string_view data) = 0;
  // Flushes the data to disk and renames it over the final name in one step.
  virtual std::error_code commit() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads the whole file into contents (which is cleared first).
  virtual std::error_code readFile(const std::string& path, std::string& contents) = 0;

  // Starts writing a new version of path. The new file takes the permission
  // bits of permissionsFrom when that file exists (pass path itself to keep
  // them), otherwise the usual defaults for a new file.
  virtual std::error_code beginReplace(const std::string& path, const std::string& permissionsFrom,
                                       std::unique_ptr<Replacement>& out) = 0;

  // True when both paths name one existing file (through links as well).
  virtual bool sameFile(const std::string& a, const std::string& b) = 0;
};

// The user's words for a failed file operation ("file not found", "access denied", ...).
std::string describeError(std::error_code error);

}  // namespace sv

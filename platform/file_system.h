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

// The bytes of a whole file as read, kept for as long as anyone holds them.
class FileContents {
 public:
  virtual ~FileContents() = default;
  virtual std::string_view bytes() const = 0;
};

using SharedContents = std::shared_ptr<const FileContents>;

// Contents held in memory, for files made on the spot and for tests.
class StringContents : public FileContents {
 public:
  explicit StringContents(std::string data) : m_data(std::move(data)) {}
  std::string_view bytes() const override { return m_data; }

 private:
  std::string m_data;
};

// A new version of a file being written under a temporary name beside it.
// Nothing is visible under the final name until commit() succeeds; a
// replacement destroyed without a successful commit removes its temporary file.
class Replacement {
 public:
  virtual ~Replacement() = default;

  virtual std::error_code append(std::string_view data) = 0;
  // Flushes the data to disk; nothing may be appended after it.
  virtual std::error_code flush() = 0;
  // Renames the flushed data over the final name in one step.
  virtual std::error_code commit() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads the whole file. The contents stay as they were read even if the
  // file changes later.
  virtual std::error_code readFile(const std::string& path, SharedContents& contents) = 0;

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

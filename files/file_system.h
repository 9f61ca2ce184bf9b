#pragma once

// The file layer: the only way the engine touches the disk. The real layers
// (posix_file_system.h, and the Win32 one) work on the operating system;
// tests substitute in-memory layers that fail on purpose. Every operation
// reports failure as a std::error_code, never by throwing: the system's own
// errors in the generic (errno) category, Sievra's own in fileErrorCategory().
//
// Rules every layer keeps:
// - Only regular files (or links to them) are read or replaced; opening
//   never blocks, so a FIFO or a device fails at once.
// - Files are read by copy: what was read stays as it was, whatever happens
//   to the file afterwards. A file that changes while it is read fails.
// - A new version is written under a temporary name in the target's folder,
//   flushed to disk, and put in place in one step; nothing is ever written
//   through a link that holds the target's name.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace sv {

// Sievra's own reasons why a file operation failed.
enum class FileError {
  NotRegularFile = 1,     // a FIFO, a device, a socket: nothing a run may read or replace
  ChangedWhileRead,       // another program changed the file while it was read or used
  InUseByAnotherRun,      // another run holds the file's lock
  InUseByAnotherProgram,  // another program holds it open and shares it with no one
  ProtectedFromChange,    // the system keeps it as it is (immutable or append-only)
  OthersInSharedFolder,   // another user's, in a folder that lets only owners replace files
};

const std::error_category& fileErrorCategory();
std::error_code make_error_code(FileError error);

// The bytes of a whole file as read, kept for as long as anyone holds them.
class FileContents {
 public:
  virtual ~FileContents() = default;
  virtual std::string_view bytes() const = 0;
};

using SharedContents = std::shared_ptr<const FileContents>;

// Contents held in memory.
class StringContents : public FileContents {
 public:
  explicit StringContents(std::string data) : m_data(std::move(data)) {}
  std::string_view bytes() const override { return m_data; }

 private:
  std::string m_data;
};

// Who owns a file and who may read it, and what makes it the file it is.
// Each layer fills and takes what its system has: POSIX the owner, group and
// mode (known set); Windows the access rules, attributes and creation time.
struct FileAttributes {
  bool known = false;
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
  std::uint32_t mode = 0;  // permission bits only (07777)
  // A self-relative security descriptor with the file's access rules;
  // empty: a new file's defaults.
  std::string accessRules;
  // The file's own: FILE_ATTRIBUTE_* bits (hidden, archive, not indexed)
  // and creation time, which only its new version takes.
  std::uint32_t flags = 0;
  std::uint64_t created = 0;

  static FileAttributes ofOwner(std::uint32_t owner, std::uint32_t group, std::uint32_t mode) {
    FileAttributes attributes;
    attributes.known = true;
    attributes.owner = owner;
    attributes.group = group;
    attributes.mode = mode;
    return attributes;
  }

  // What the other files a run makes from this one take: who may read
  // them, not the file's own identity.
  FileAttributes accessOnly() const {
    FileAttributes access = *this;
    access.flags = 0;
    access.created = 0;
    return access;
  }
};

// What a run will do with a file, for FileSystem::checkUse().
enum class FileUse { Read, Replace };

// A new version of a file being written under a temporary name beside it.
// Nothing is visible under the final name until commit() succeeds; a
// replacement destroyed without a successful commit leaves nothing behind.
// The new file stays locked against other runs (as by lockForRun) until the
// replacement is destroyed, also after commit.
class Replacement {
 public:
  virtual ~Replacement() = default;

  // Claims room for bytes on the disk up front, so that a file that cannot
  // fit fails at once (ENOSPC) rather than after most of it is written.
  // A file system that cannot reserve is no failure.
  virtual std::error_code reserve(std::uint64_t bytes) = 0;
  virtual std::error_code append(std::string_view data) = 0;
  // Flushes the data to disk; nothing may be appended after it. Whatever
  // can fail short of the rename itself fails here, so that a run that has
  // flushed all its new files can put them in place one after the other.
  virtual std::error_code flush() = 0;
  // Puts the flushed data in place under the final name in one step (a
  // rename over it), then makes the rename itself durable. A short hold of
  // either file by another program is waited out.
  virtual std::error_code commit() = 0;
};

// The file a run cleans, held exclusively for the run's whole length: a
// second run's lockForRun on the same file fails with InUseByAnotherRun.
// The lock is advisory and adds no file the user sees.
class LockedFile {
 public:
  virtual ~LockedFile() = default;

  // The file's whole bytes, read by copy from the locked file itself.
  virtual std::error_code read(SharedContents& contents) = 0;
  // Fails with ChangedWhileRead when the file was written, truncated or
  // replaced by another program since read().
  virtual std::error_code checkUnchanged() = 0;
  // The real file behind the name the run was given, links resolved by the
  // system: the name a new version must replace.
  virtual const std::string& target() const = 0;
  // The file's own attributes (a link's target's, never the link's).
  virtual FileAttributes attributes() const = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads the whole regular file at path by copy.
  virtual std::error_code readFile(const std::string& path, SharedContents& contents) = 0;

  // Takes the run's lock on the regular file at path (following links).
  virtual std::error_code lockForRun(const std::string& path, std::unique_ptr<LockedFile>& out) = 0;

  // Tells, before a run touches anything, whether path can be used so. Read
  // fails for what is not a regular file; Replace for a name that holds
  // what a new version cannot replace: a folder, a special file, a file the
  // system keeps from change or another program holds, a folder that takes
  // no new file. A short hold by another program is waited out. A missing
  // file is no failure here: the run meets it in its own step.
  virtual std::error_code checkUse(const std::string& path, FileUse use) = 0;

  // Removes what a run killed earlier left in path's folder (temporary files
  // no live run holds). Best effort: nothing to report.
  virtual void removeDebris(const std::string& path) = 0;

  // Starts writing a new version of path with the given attributes (those
  // the process may set; unknown ones give a new file's defaults). Whatever
  // holds the name path, a link included, is replaced, never written through.
  virtual std::error_code beginReplace(const std::string& path, const FileAttributes& attributes,
                                       std::unique_ptr<Replacement>& out) = 0;

  // True when both paths name one existing file (through links as well).
  virtual bool sameFile(const std::string& a, const std::string& b) = 0;
};

// The file layer of this system, as the programs use it.
std::unique_ptr<FileSystem> systemFileSystem();

// The user's words for a failed file operation ("file not found", "access
// denied", ...), to follow the file's name and a colon.
std::string describeError(std::error_code error);

// The names the layers give temporary files beside their targets: ".sv", 12
// random hex digits, ".tmp". Short whatever the target's name, so that any
// file whose own outputs fit the system's name limit can be replaced, and a
// later run can tell a killed run's leftovers from the user's files.
std::string temporaryName();
bool isTemporaryName(std::string_view name);

}  // namespace sv

template <>
struct std::is_error_code_enum<sv::FileError> : std::true_type {};

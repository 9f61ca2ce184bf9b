#include "files/file_system.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>

namespace sv {
namespace {

class FileErrorCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "sievra-file"; }
  std::string message(int value) const override {
    switch (static_cast<FileError>(value)) {
      case FileError::NotRegularFile:
        return "it is not a regular file";
      case FileError::ChangedWhileRead:
        return "another program changed it while the run was using it";
      case FileError::InUseByAnotherRun:
        return "another run is working on it";
      case FileError::InUseByAnotherProgram:
        return "it is in use by another program";
      case FileError::ProtectedFromChange:
        return "the system protects it from change (immutable or append-only)";
      case FileError::OthersInSharedFolder:
        return "it belongs to another user, and its folder lets only a file's owner replace it";
    }
    return "unknown error";
  }
};

constexpr std::string_view kTemporaryPrefix = ".sv";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kTemporaryDigits = 12;

#ifdef _WIN32
constexpr bool kSystemErrorsAreErrno = false;
#else
constexpr bool kSystemErrorsAreErrno = true;
#endif

}  // namespace

const std::error_category& fileErrorCategory() {
  static const FileErrorCategory category;
  return category;
}

std::error_code make_error_code(FileError error) {
  return {static_cast<int>(error), fileErrorCategory()};
}

std::string describeError(std::error_code error) {
  if (error.category() == fileErrorCategory()) return error.message();
  // Only POSIX's system category holds errno values; Windows' holds Win32 codes.
  const bool isErrno = error.category() == std::generic_category() ||
                       (kSystemErrorsAreErrno && error.category() == std::system_category());
  if (!isErrno) return error.message();
  static const std::pair<int, const char*> kWords[] = {
      {ENOENT, "file not found"},
      {EACCES, "access denied"},
      {EPERM, "access denied"},
      {ENOSPC, "disk full"},
#ifdef EDQUOT
      {EDQUOT, "disk quota exceeded"},
#endif
      {EISDIR, "it is a folder, not a file"},
      {EROFS, "the disk is read-only"},
      {ENAMETOOLONG, "the name is too long"},
      {ENOTDIR, "part of the path is a file, not a folder"},
      {EIO, "input/output error"},
      {ENOMEM, "not enough memory"},
      {ELOOP, "too many links on the path"},
      {EBUSY, "the file is in use"},
      {ETXTBSY, "the file is in use"},
  };
  for (const auto& [code, words] : kWords) {
    if (code == error.value()) return words;
  }
  return error.message();
}

std::string temporaryName() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  char digits[kTemporaryDigits + 1];
  std::snprintf(digits, sizeof digits, "%012llx",
                static_cast<unsigned long long>(random() & 0xffffffffffffULL));
  return std::string(kTemporaryPrefix) + digits + std::string(kTemporarySuffix);
}

bool isTemporaryName(std::string_view name) {
  if (name.size() != kTemporaryPrefix.size() + kTemporaryDigits + kTemporarySuffix.size() ||
      !name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix)) {
    return false;
  }
  for (char c : name.substr(kTemporaryPrefix.size(), kTemporaryDigits)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

}  // namespace sv

#include "files/win32/win32_file_system.h"

#include "files/disk_file.h"

#include <windows.h>

#include <aclapi.h>
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace sv {
namespace {

std::error_code lastError() { return fromWin32Error(::GetLastError()); }

// Win32 codes without an errno of their own, in the system's words.
class Win32ErrorCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "win32"; }
  std::string message(int code) const override {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words(text == nullptr ? L"" : text, n);
    ::LocalFree(text);
    // As the other reasons read after a file's name: no full stop, no line end.
    while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' ||
                              words.back() == L'.' || words.back() == L' '))
      words.pop_back();
    if (words.empty()) return "system error " + std::to_string(code);
    return toUtf8(words);
  }
};

const std::error_category& win32Category() {
  static const Win32ErrorCategory category;
  return category;
}

struct HandleTraits {
  using Raw = HANDLE;
  static HANDLE none() { return INVALID_HANDLE_VALUE; }
  static bool valid(HANDLE h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void close(HANDLE h) { ::CloseHandle(h); }
};
using Handle = Owned<HandleTraits>;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::error_code badName() { return std::make_error_code(std::errc::invalid_argument); }

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

// Where the folder part of a path ends: after its last separator, or after
// the drive of a drive-relative "C:new.rda", whose folder is the drive's
// current one, not the process's.
std::size_t folderLength(const std::string& path) {
  const std::size_t slash = lastSeparator(path);
  if (slash != std::string::npos) return slash + 1;
  return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

std::string folderOf(const std::string& path) { return path.substr(0, folderLength(path)); }

std::string baseNameOf(const std::string& path) { return path.substr(folderLength(path)); }

// Only files on a disk are read or replaced: not folders, consoles, pipes or
// devices such as NUL, which are of kind Other.
std::error_code versionOf(HANDLE h, FileVersion& v) {
  if (::GetFileType(h) != FILE_TYPE_DISK) return {};
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(h, &info)) return lastError();
  v.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileVersion::Kind::Folder
                                                              : FileVersion::Kind::Regular;
  v.device = info.dwVolumeSerialNumber;
  v.index = (ULONGLONG(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  v.size = (ULONGLONG(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  v.modified =
      (ULONGLONG(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
  return {};
}

// Opens whatever holds the name for its identity alone: no access asked
// for, so it works on files that others hold open without sharing.
HANDLE openForIdentity(const std::wstring& path, DWORD flags = 0) {
  return ::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

std::error_code versionOfPath(const std::wstring& path, FileVersion& v) {
  Handle h(openForIdentity(path));
  if (!h) return lastError();
  return versionOf(h.get(), v);
}

std::error_code requireRegular(HANDLE h) {
  FileVersion v;
  if (auto error = versionOf(h, v)) return error;
  return requireRegular(v);
}

// Opening a folder as a file fails with "access denied"; the user is better
// told what it is.
std::error_code openError(const std::wstring& path) {
  const std::error_code error = lastError();
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::make_error_code(std::errc::is_a_directory);
  return error;
}

// Virus scanners, indexers and sync clients open a file for a moment after
// it was written or named. What they hold is waited out for a bounded time,
// as Windows' own tools do, before a run gives up on a file.
constexpr ULONGLONG kHoldWaitMs = 1000;

bool isHeld(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_USER_MAPPED_FILE;
}

// Calls attempt, which returns a Win32 error (0 for success), again while
// it fails because another program holds a file and the wait is not over.
// Access denied counts as such a hold where asked: it is what replacing a
// file that another program holds open fails with.
template <typename Attempt>
DWORD whileHeld(Attempt attempt, bool accessDeniedToo = false) {
  const ULONGLONG start = ::GetTickCount64();
  DWORD pause = 10;
  for (;;) {
    const DWORD error = attempt();
    const bool held = isHeld(error) || (accessDeniedToo && error == ERROR_ACCESS_DENIED);
    if (!held || ::GetTickCount64() - start >= kHoldWaitMs) return error;
    ::Sleep(pause);
    pause = std::min<DWORD>(pause * 2, 100);
  }
}

// Opens path, waiting out another program's short hold; on failure the
// handle is invalid and GetLastError() says why.
HANDLE openWaiting(const std::wstring& path, DWORD access, DWORD share, DWORD flags) {
  HANDLE h = INVALID_HANDLE_VALUE;
  const DWORD error = whileHeld([&] {
    h = ::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr);
    return h == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
  });
  ::SetLastError(error);
  return h;
}

HANDLE openForReading(const std::wstring& path, DWORD share) {
  return openWaiting(path, GENERIC_READ, share, FILE_FLAG_SEQUENTIAL_SCAN);
}

// Whether another program holds what is at path so that it cannot be
// removed or replaced: asking to delete it then fails for sharing.
bool heldByAnother(const std::wstring& path) {
  Handle h(::CreateFileW(path.c_str(), DELETE, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return !h && isHeld(::GetLastError());
}

// The attributes a file keeps through a new version (read-only is refused
// before, and the system's own bits are the system's).
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// What makes an open file the file it is, as its Properties show it: its
// access rules, attributes and creation time.
FileAttributes identityOf(HANDLE h) {
  FileAttributes identity;
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileInformationByHandle(h, &info)) {
    identity.flags = info.dwFileAttributes & kKeptAttributes;
    identity.created =
        (ULONGLONG(info.ftCreationTime.dwHighDateTime) << 32) | info.ftCreationTime.dwLowDateTime;
  }
  PSECURITY_DESCRIPTOR rules = nullptr;
  if (::GetSecurityInfo(h, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                        nullptr, &rules) == ERROR_SUCCESS) {
    identity.accessRules.assign(static_cast<const char*>(rules),
                                ::GetSecurityDescriptorLength(rules));
    ::LocalFree(rules);
  }
  return identity;
}

// Gives a new file the access rules of the file it was made from. Rules the
// old file inherited from its folder are inherited anew from the new file's
// (the same folder for a new version), unless the old file's were fixed.
std::error_code giveAccessRules(HANDLE h, const std::string& rules) {
  if (rules.empty()) return {};
  const auto descriptor = const_cast<char*>(rules.data());
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL dacl = nullptr;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) ||
      !::GetSecurityDescriptorControl(descriptor, &control, &revision)) {
    return lastError();
  }
  if (!present) return {};
  const SECURITY_INFORMATION what =
      DACL_SECURITY_INFORMATION |
      ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                     : UNPROTECTED_DACL_SECURITY_INFORMATION);
  const DWORD error = ::SetSecurityInfo(h, SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr);
  return error == ERROR_SUCCESS ? std::error_code() : fromWin32Error(error);
}

// Gives a new version the old file's attributes and creation time, once
// its data is written (writing sets the archive bit).
std::error_code giveIdentity(HANDLE h, const FileAttributes& identity) {
  if (identity.flags == 0 && identity.created == 0) return {};
  FILE_BASIC_INFO info{};
  info.CreationTime.QuadPart = static_cast<LONGLONG>(identity.created);
  info.FileAttributes = identity.flags == 0 ? FILE_ATTRIBUTE_NORMAL : identity.flags;
  if (!::SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info)) return lastError();
  return {};
}

// The run's hold on one file, known by its identity, for as long as the
// object lives. Semaphores, unlike mutexes, may be let go from any thread.
class RunClaim {
 public:
  // InUseByAnotherRun when a live run holds the file.
  std::error_code take(const FileVersion& file) {
    wchar_t name[64];
    std::swprintf(name, 64, L"Sievra.run.%08lx.%016llx", static_cast<unsigned long>(file.device),
                  static_cast<unsigned long long>(file.index));
    // The same file may be reached from another session too.
    m_semaphore.reset(
        ::CreateSemaphoreW(nullptr, 1, 1, (std::wstring(L"Global\\") + name).c_str()));
    if (!m_semaphore) m_semaphore.reset(::CreateSemaphoreW(nullptr, 1, 1, name));
    if (!m_semaphore) return lastError();
    if (::WaitForSingleObject(m_semaphore.get(), 0) != WAIT_OBJECT_0) {
      m_semaphore.reset();
      return make_error_code(FileError::InUseByAnotherRun);
    }
    return {};
  }

  RunClaim() = default;
  RunClaim(const RunClaim&) = delete;
  RunClaim& operator=(const RunClaim&) = delete;
  ~RunClaim() {
    if (m_semaphore) ::ReleaseSemaphore(m_semaphore.get(), 1, nullptr);
  }

 private:
  Handle m_semaphore;
};

// The real path behind a handle, links resolved, without the "\\?\" the
// system puts before it.
std::string finalPathOf(HANDLE h, const std::string& given) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return given;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(n + 1);
  }
  if (path.starts_with(L"\\\\?\\UNC\\")) return toUtf8(L"\\\\" + path.substr(8));
  if (path.starts_with(L"\\\\?\\")) return toUtf8(path.substr(4));
  return toUtf8(path);
}

std::error_code writeAll(HANDLE h, std::string_view data) {
  while (!data.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(h, data.data(), chunk, &written, nullptr)) return lastError();
    data.remove_prefix(written);
  }
  return {};
}

class Win32Writer : public Replacement {
 public:
  Win32Writer(HANDLE file, std::wstring temporary, std::wstring target,
              std::unique_ptr<RunClaim> claim, const FileAttributes& identity)
      : m_file(file),
        m_temporary(std::move(temporary)),
        m_target(std::move(target)),
        m_claim(std::move(claim)),
        m_identity(identity) {}

  ~Win32Writer() override {
    m_file.reset();
    if (!m_committed) ::DeleteFileW(m_temporary.c_str());
  }

  std::error_code reserve(std::uint64_t bytes) override {
    if (bytes == 0) return {};
    FILE_ALLOCATION_INFO info{};
    info.AllocationSize.QuadPart = static_cast<LONGLONG>(bytes);
    if (::SetFileInformationByHandle(m_file.get(), FileAllocationInfo, &info, sizeof info))
      return {};
    const DWORD error = ::GetLastError();
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return fromWin32Error(error);
    return {};
  }

  std::error_code append(std::string_view data) override { return writeAll(m_file.get(), data); }

  std::error_code flush() override {
    if (auto error = giveIdentity(m_file.get(), m_identity)) return error;
    if (!::FlushFileBuffers(m_file.get())) return lastError();
    return {};
  }

  std::error_code commit() override {
    // A file that is open cannot be moved; the claim keeps other runs away.
    m_file.reset();
    // Write-through: the move is on the disk before it is reported done.
    const DWORD error = whileHeld(
        [&] {
          return ::MoveFileExW(m_temporary.c_str(), m_target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                     ? 0
                     : ::GetLastError();
        },
        true);
    if (error != 0) {
      // The system says "access denied" for a file another program holds.
      if (error == ERROR_ACCESS_DENIED && (heldByAnother(m_target) || heldByAnother(m_temporary)))
        return make_error_code(FileError::InUseByAnotherProgram);
      return fromWin32Error(error);
    }
    m_committed = true;
    return {};
  }

 private:
  Handle m_file;
  std::wstring m_temporary;
  std::wstring m_target;
  std::unique_ptr<RunClaim> m_claim;
  FileAttributes m_identity;
  bool m_committed = false;
};

}  // namespace

// An open handle as the shared code sees it, closed with the object.
class Win32FileSystem::Reader : public DiskFile {
 public:
  Reader(Win32FileSystem& fs, HANDLE file) : m_fs(fs), m_file(file) {}

  std::error_code version(FileVersion& version) override {
    return versionOf(m_file.get(), version);
  }
  std::error_code readAt(std::uint64_t offset, char* data, std::size_t size,
                         std::size_t& got) override {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    got = 0;
    if (!::ReadFile(m_file.get(), data, chunk, &n, &at)) {
      return ::GetLastError() == ERROR_HANDLE_EOF ? std::error_code() : lastError();
    }
    got = n;
    return {};
  }
  void finishedReading() override { m_fs.finishedReading(m_file.get()); }

  std::error_code claim(const FileVersion& version, std::shared_ptr<void>& claim) override {
    auto taken = std::make_shared<RunClaim>();
    if (auto error = taken->take(version)) return error;
    claim = std::move(taken);
    return {};
  }
  std::error_code target(const std::string& path, std::string& target) override {
    target = finalPathOf(m_file.get(), path);
    return {};
  }
  FileAttributes attributes() override { return identityOf(m_file.get()); }

 private:
  Win32FileSystem& m_fs;
  Handle m_file;
};

std::error_code Win32FileSystem::openFile(const std::string& path, bool forRun,
                                          std::unique_ptr<DiskFile>& file) {
  std::wstring wide;
  if (!toWide(path, wide)) return badName();
  // No one writes the file while a run reads it, and deleting stays shared
  // so that it can be replaced; others may go on using a file that is only
  // read, as they could on Linux.
  const HANDLE h = openForReading(wide, forRun ? FILE_SHARE_READ | FILE_SHARE_DELETE : kShareAll);
  if (h == INVALID_HANDLE_VALUE) return openError(wide);
  file = std::make_unique<Reader>(*this, h);
  return {};
}

std::error_code Win32FileSystem::versionOfName(const std::string& path, FileVersion& version) {
  std::wstring wide;
  if (!toWide(path, wide)) return badName();
  return versionOfPath(wide, version);
}

void Win32FileSystem::finishedReading(void*) {}

bool toWide(const std::string& utf8, std::wstring& wide) {
  wide.clear();
  if (utf8.empty()) return true;
  const int size = static_cast<int>(utf8.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (n <= 0) return false;
  wide.resize(static_cast<std::size_t>(n));
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), n);
  return true;
}

std::string toUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(n, 0)), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::error_code fromWin32Error(unsigned long code) {
  static const std::pair<DWORD, std::errc> kGeneric[] = {
      {ERROR_FILE_NOT_FOUND, std::errc::no_such_file_or_directory},
      {ERROR_PATH_NOT_FOUND, std::errc::no_such_file_or_directory},
      {ERROR_INVALID_DRIVE, std::errc::no_such_file_or_directory},
      {ERROR_BAD_NETPATH, std::errc::no_such_file_or_directory},
      {ERROR_BAD_NET_NAME, std::errc::no_such_file_or_directory},
      {ERROR_ACCESS_DENIED, std::errc::permission_denied},
      {ERROR_DISK_FULL, std::errc::no_space_on_device},
      {ERROR_HANDLE_DISK_FULL, std::errc::no_space_on_device},
      {ERROR_WRITE_PROTECT, std::errc::read_only_file_system},
      {ERROR_FILENAME_EXCED_RANGE, std::errc::filename_too_long},
      {ERROR_DIRECTORY, std::errc::not_a_directory},
      {ERROR_NOT_ENOUGH_MEMORY, std::errc::not_enough_memory},
      {ERROR_OUTOFMEMORY, std::errc::not_enough_memory},
      {ERROR_FILE_EXISTS, std::errc::file_exists},
      {ERROR_ALREADY_EXISTS, std::errc::file_exists},
      {ERROR_CANT_RESOLVE_FILENAME, std::errc::too_many_symbolic_link_levels},
      {ERROR_CRC, std::errc::io_error},
      {ERROR_READ_FAULT, std::errc::io_error},
      {ERROR_WRITE_FAULT, std::errc::io_error},
  };
  if (isHeld(code)) return make_error_code(FileError::InUseByAnotherProgram);
  for (const auto& [win32, generic] : kGeneric) {
    if (win32 == code) return std::make_error_code(generic);
  }
  return {static_cast<int>(code), win32Category()};
}

void Win32FileSystem::removeDebris(const std::string& path) {
  const std::string folder = folderOf(path);
  std::wstring pattern;
  if (!toWide(folder + ".sv*.tmp", pattern)) return;
  WIN32_FIND_DATAW found;
  const HANDLE first = ::FindFirstFileW(pattern.c_str(), &found);
  if (first == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = toUtf8(found.cFileName);
    // Never a folder or a link: a run's temporaries are neither.
    if (!isTemporaryName(name) ||
        (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
      continue;
    }
    std::wstring wide;
    if (!toWide(folder + name, wide)) continue;
    // A live run holds the claim on each of its temporaries.
    FileVersion v;
    RunClaim claim;
    if (versionOfPath(wide, v) || claim.take(v)) continue;
    ::DeleteFileW(wide.c_str());
  } while (::FindNextFileW(first, &found));
  ::FindClose(first);
}

std::error_code Win32FileSystem::checkUse(const std::string& path, FileUse use) {
  std::wstring wide;
  if (!toWide(path, wide)) return badName();
  if (use == FileUse::Read) {
    Handle h(openForReading(wide, kShareAll));
    if (h) return requireRegular(h.get());
    const DWORD error = ::GetLastError();
    // Missing or unreadable: the run's own read says so in its turn.
    if (isHeld(error)) return fromWin32Error(error);
    const std::error_code why = openError(wide);
    return why == std::errc::is_a_directory ? why : std::error_code();
  }
  if (baseNameOf(path).empty()) return std::make_error_code(std::errc::is_a_directory);
  // What holds the name must be something a move may replace without losing
  // anything but an old version: a file or a link.
  Handle existing(openForIdentity(wide, FILE_FLAG_OPEN_REPARSE_POINT));
  if (!existing) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return {};
    return fromWin32Error(error);
  }
  if (auto error = requireRegular(existing.get())) return error;
  // The move would be refused.
  BY_HANDLE_FILE_INFORMATION info;
  if (::GetFileInformationByHandle(existing.get(), &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) &&
      !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return std::make_error_code(std::errc::permission_denied);
  }
  existing.reset();
  // A program that holds the file open without sharing its deletion (a
  // viewer, the companion program importing it) keeps it from being replaced.
  Handle deletable(openWaiting(wide, DELETE, kShareAll,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
  if (!deletable) return fromWin32Error(::GetLastError());
  return {};
}

std::error_code Win32FileSystem::beginReplace(const std::string& path,
                                              const FileAttributes& attributes,
                                              std::unique_ptr<Replacement>& out) {
  std::wstring target;
  if (!toWide(path, target)) return badName();
  if (auto error = checkUse(path, FileUse::Replace)) return error;

  // A new file may get the index of one that was replaced while a run still
  // holds its claim: ext4 under wine hands the index out again at once, NTFS
  // at times. A claim refused to a temporary this very call made is then no
  // other run's: that one is kept aside, open, so that the next temporary
  // gets another index, and goes once a claim is taken.
  std::vector<std::unique_ptr<Win32Writer>> aside;
  std::error_code error;
  for (int attempt = 0; attempt <= 100; ++attempt) {
    std::wstring temporary;
    if (!toWide(folderOf(path) + temporaryName(), temporary)) return badName();
    // Shared with no one: nobody reads a half-written file.
    Handle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE | WRITE_DAC | READ_CONTROL, 0,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      error = lastError();
      if (error == std::errc::file_exists) continue;
      return error;
    }
    FileVersion v;
    auto claim = std::make_unique<RunClaim>();
    error = versionOf(file.get(), v);
    if (!error) error = claim->take(v);
    if (!error) error = giveAccessRules(file.get(), attributes.accessRules);
    // Deletes its file when it goes uncommitted.
    auto writer = std::make_unique<Win32Writer>(file.release(), std::move(temporary), target,
                                                std::move(claim), attributes);
    if (!error) {
      out = std::move(writer);
      return {};
    }
    if (error != FileError::InUseByAnotherRun) return error;
    aside.push_back(std::move(writer));
  }
  return error;
}

std::unique_ptr<FileSystem> systemFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace sv

#include "platform/win32_file_system.h"

#include <algorithm>
#include <cassert>
#include <random>
#include <windows.h>

namespace sv {
namespace {

std::error_code lastError() { return fromWin32Error(::GetLastError()); }

// Closes a handle on every way out.
class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : m_h(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { (void)close(); }

  HANDLE get() const { return m_h; }
  explicit operator bool() const { return m_h != INVALID_HANDLE_VALUE; }
  std::error_code close() {
    const HANDLE h = m_h;
    m_h = INVALID_HANDLE_VALUE;
    if (h != INVALID_HANDLE_VALUE && !::CloseHandle(h)) return lastError();
    return {};
  }

 private:
  HANDLE m_h;
};

std::size_t lastSeparator(const std::string& path) { return path.find_last_of("\\/"); }

std::string directoryOf(const std::string& path) {
  const std::size_t slash = lastSeparator(path);
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseNameOf(const std::string& path) {
  const std::size_t slash = lastSeparator(path);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::error_code badName() { return std::make_error_code(std::errc::invalid_argument); }

// Opening a folder as a file fails with "access denied"; the user is better
// told what it is.
std::error_code openError(const std::wstring& path) {
  const std::error_code error = lastError();
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::make_error_code(std::errc::is_a_directory);
  return error;
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

class Win32Replacement : public Replacement {
 public:
  Win32Replacement(std::wstring target, std::wstring temporary, HANDLE h)
      : m_target(std::move(target)), m_temporary(std::move(temporary)), m_file(h) {}

  ~Win32Replacement() override {
    if (!m_committed) {
      (void)m_file.close();
      ::DeleteFileW(m_temporary.c_str());
    }
  }

  std::error_code append(std::string_view data) override { return writeAll(m_file.get(), data); }

  std::error_code flush() override {
    if (!::FlushFileBuffers(m_file.get())) return lastError();
    return m_file.close();
  }

  std::error_code commit() override {
    assert(!m_file);
    // Write-through: the move is on disk before it is reported done.
    if (!::MoveFileExW(m_temporary.c_str(), m_target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return lastError();
    m_committed = true;
    return {};
  }

 private:
  std::wstring m_target;
  std::wstring m_temporary;
  Handle m_file;
  bool m_committed = false;
};

// Reads to the end; the file may still grow or shrink while it is read.
std::error_code readAll(HANDLE h, std::size_t sizeHint, std::string& bytes) {
  std::size_t capacity = sizeHint + 1;
  for (;;) {
    const std::size_t used = bytes.size();
    if (used == capacity) capacity = std::max<std::size_t>(capacity * 2, 1 << 16);
    bytes.resize(capacity);
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(capacity - used, 1u << 30));
    DWORD n = 0;
    const bool ok = ::ReadFile(h, bytes.data() + used, chunk, &n, nullptr);
    bytes.resize(used + n);
    if (!ok) return lastError();
    if (n == 0) return {};
  }
}

struct FileId {
  DWORD volume;
  DWORD high;
  DWORD low;
};

bool fileId(const std::string& path, FileId& id) {
  std::wstring wide;
  if (!toWide(path, wide)) return false;
  // No access asked for: reading the identity needs none, and so works on
  // files that others hold open without sharing. Backup semantics let folders
  // open too.
  Handle h(::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!h || !::GetFileInformationByHandle(h.get(), &info)) return false;
  id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  return true;
}

}  // namespace

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
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
      return std::make_error_code(std::errc::permission_denied);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return std::make_error_code(std::errc::device_or_resource_busy);
    case ERROR_WRITE_PROTECT:
      return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_FILENAME_EXCED_RANGE:
      return std::make_error_code(std::errc::filename_too_long);
    case ERROR_DIRECTORY:
      return std::make_error_code(std::errc::not_a_directory);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return std::make_error_code(std::errc::not_enough_memory);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return std::make_error_code(std::errc::file_exists);
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
      return std::make_error_code(std::errc::io_error);
    default:
      return {static_cast<int>(code), std::system_category()};
  }
}

std::error_code Win32FileSystem::readFile(const std::string& path, SharedContents& contents) {
  contents.reset();
  std::wstring wide;
  if (!toWide(path, wide)) return badName();
  // Others may go on reading, writing and even renaming the file meanwhile,
  // as they could on Linux.
  Handle h(::CreateFileW(wide.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!h) return openError(wide);
  LARGE_INTEGER size{};
  const bool disk = ::GetFileType(h.get()) == FILE_TYPE_DISK;
  if (disk && !::GetFileSizeEx(h.get(), &size)) return lastError();
  std::string bytes;
  if (auto error = readAll(h.get(), static_cast<std::size_t>(size.QuadPart), bytes)) return error;
  contents = std::make_shared<StringContents>(std::move(bytes));
  return {};
}

std::error_code Win32FileSystem::beginReplace(const std::string& path, const std::string&,
                                              std::unique_ptr<Replacement>& out) {
  std::wstring target;
  if (!toWide(path, target)) return badName();
  const std::string prefix = directoryOf(path) + baseNameOf(path) + ".";
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0;; ++attempt) {
    std::wstring temporary;
    if (!toWide(prefix + std::to_string(random() % 1000000000) + ".tmp", temporary))
      return badName();
    // Not shared: nobody reads a half-written file.
    HANDLE h = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      out = std::make_unique<Win32Replacement>(std::move(target), std::move(temporary), h);
      return {};
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt == 100) return fromWin32Error(error);
  }
}

bool Win32FileSystem::sameFile(const std::string& a, const std::string& b) {
  FileId ia{};
  FileId ib{};
  return fileId(a, ia) && fileId(b, ib) && ia.volume == ib.volume && ia.high == ib.high &&
         ia.low == ib.low;
}

}  // namespace sv

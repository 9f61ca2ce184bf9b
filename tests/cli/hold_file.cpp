// Holds a file open as another Windows program does (a viewer, a virus
// scanner, the companion program importing it), for the tests of runs that
// meet such a file.
//
//   sv-hold-file PATH SHARING [MILLISECONDS]
//
// SHARING is "none" (no one else may open it) or "read" (others may read it,
// not write or delete it). Prints "held" once it holds the file, then lets go
// after MILLISECONDS, or when its standard input ends.

#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const DWORD share = std::wcscmp(argv[2], L"read") == 0 ? FILE_SHARE_READ : 0;
  const HANDLE file =
      ::CreateFileW(argv[1], GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::fputs("held\n", stdout);
  std::fflush(stdout);
  if (argc > 3) {
    ::Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
  } else {
    char buffer[64];
    DWORD n = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &n, nullptr) &&
           n > 0) {
    }
  }
  ::CloseHandle(file);
  return 0;
}

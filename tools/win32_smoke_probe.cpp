// sv-smoke-probe: starts sv.exe as a user would, waits for its window, checks
// the title and the client area at the display's dots per inch, closes it by
// its close box and checks that the program ended cleanly and left its
// position in the registry. With DPI, the user's display setting is DPI
// while sv.exe runs, and put back afterwards.
//
//   sv-smoke-probe PATH\TO\sv.exe [DPI]

#include "ui/design/geometry.h"
#include "ui/design/window_tables.h"
#include "ui/win32/handles.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int fail(const char* what) {
  std::fprintf(stderr, "sv-smoke-probe: %s\n", what);
  return 1;
}

HWND findMainWindow(DWORD process) {
  struct Search {
    DWORD process;
    HWND found;
  } search{process, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM state) -> BOOL {
        auto* s = reinterpret_cast<Search*>(state);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->process && IsWindowVisible(hwnd) && !GetWindow(hwnd, GW_OWNER)) {
          s->found = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The display setting a program started from now on sees.
constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";

DWORD readLogPixels() {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS) {
    return 0;
  }
  return value;
}

void writeLogPixels(DWORD value) {
  if (value == 0) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
    return;
  }
  RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &value, sizeof(value));
}

int probe(const wchar_t* sv, int dpi);

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 && argc != 3) return fail("usage: sv-smoke-probe PATH\\TO\\sv.exe [DPI]");
  SetProcessDPIAware();
  if (argc == 2) {
    return probe(argv[1], GetDeviceCaps(sv::win32::WindowDc(nullptr).get(), LOGPIXELSX));
  }
  const int dpi = _wtoi(argv[2]);
  const DWORD before = readLogPixels();
  writeLogPixels(static_cast<DWORD>(dpi));
  const int result = probe(argv[1], dpi);
  writeLogPixels(before);
  return result;
}

namespace {

int probe(const wchar_t* sv, int dpi) {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\VARNOK SV");

  std::wstring command = L"\"" + std::wstring(sv) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(sv, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return fail("sv.exe does not start");
  }
  WaitForInputIdle(process.hProcess, 30000);
  HWND window = nullptr;
  for (int tries = 0; tries < 300 && !window; ++tries) {
    window = findMainWindow(process.dwProcessId);
    if (!window) Sleep(100);
  }
  if (!window) {
    TerminateProcess(process.hProcess, 1);
    return fail("no window appeared");
  }

  int failures = 0;
  wchar_t title[128] = {};
  GetWindowTextW(window, title, 128);
  if (std::wstring(title) != L"  VARNOK Dalvorn Sievra") {
    std::fprintf(stderr, "title: \"%ls\"\n", title);
    ++failures;
  }
  const sv::design::Window& design = sv::design::form1Window();
  RECT client;
  GetClientRect(window, &client);
  const int width = sv::design::twipsToPixels(design.clientWidth, dpi);
  const int height = sv::design::twipsToPixels(design.clientHeight, dpi);
  std::printf("dpi %d, client area %ld x %ld\n", dpi, client.right, client.bottom);
  if (client.right != width || client.bottom != height) {
    std::fprintf(stderr, "client area %ld x %ld, designed %d x %d\n", client.right, client.bottom,
                 width, height);
    ++failures;
  }

  PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    return fail("sv.exe did not end after its window was closed");
  }
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  if (exitCode != 0) {
    std::fprintf(stderr, "exit code %lu\n", exitCode);
    ++failures;
  }
  wchar_t left[32] = {};
  DWORD size = sizeof(left);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\VARNOK SV\\Pos",
                   L"Left", RRF_RT_REG_SZ, nullptr, left, &size) != ERROR_SUCCESS) {
    std::fprintf(stderr, "no position stored on closing\n");
    ++failures;
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\VARNOK SV");
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return failures == 0 ? 0 : 1;
}

}  // namespace

// sv-win32-screenshot: pictures of the Win32 windows for the documentation.
// Runs Compare & Delete on copies of the sample files through the real main
// window (the pickers answered by a double), then saves the main window and
// the About window as 24-bit BMP files.
//
//   sv-win32-screenshot EXAMPLES_FOLDER OUTPUT_FOLDER

#include "files/file_system.h"
#include "files/win32/win32_file_system.h"
#include "tests/ui/win32/doubles.h"
#include "ui/win32/form1.h"
#include "ui/win32/frm_about.h"
#include "ui/win32/handles.h"

#include <commctrl.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <objbase.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

void pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The window as it stands on the screen, frame and title bar included.
bool saveWindow(HWND window, const fs::path& file) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  pump();
  RECT place;
  GetWindowRect(window, &place);
  const int width = place.right - place.left;
  const int height = place.bottom - place.top;
  const sv::win32::WindowDc screen(nullptr);
  const sv::win32::unique_hdc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files keep their rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const sv::win32::unique_hbitmap bitmap(
      CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const sv::win32::SelectedObject selected(memory.get(), bitmap.get());
  BitBlt(memory.get(), 0, 0, width, height, screen.get(), place.left, place.top,
         SRCCOPY | CAPTUREBLT);
  GdiFlush();
  const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  header.bfSize = header.bfOffBits + imageSize;
  info.bmiHeader.biSizeImage = imageSize;
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&header), sizeof(header));
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
  out.write(static_cast<const char*>(bits), imageSize);
  return static_cast<bool>(out);
}

std::function<void()> g_inAbout;

int g_ticksShown = 0;

void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND about = FindWindowW(sv::win32::FrmAbout::kClassName, nullptr);
  if (!about || !IsWindowVisible(about)) return;
  // A few turns of the About window's own loop, so that it is active and
  // painted before it is taken.
  if (g_ticksShown++ == 0) {
    SetForegroundWindow(about);
    SetActiveWindow(about);
  }
  if (g_ticksShown < 20) return;
  KillTimer(nullptr, id);
  g_inAbout();
  PostMessageW(about, WM_CLOSE, 0, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: sv-win32-screenshot EXAMPLES_FOLDER OUTPUT_FOLDER\n", stderr);
    return 2;
  }
  SetProcessDPIAware();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  const fs::path examples = argv[1];
  const fs::path output = argv[2];
  // The run rewrites the compared file: work on copies.
  const fs::path work = fs::temp_directory_path() / "sv-win32-screenshot";
  std::error_code ignored;
  fs::remove_all(work, ignored);
  fs::create_directories(work);
  fs::create_directories(output);
  fs::copy_file(examples / "MainBase.dat", work / "MainBase.dat");
  fs::copy_file(examples / "new.rda", work / "new.rda");

  const std::unique_ptr<sv::FileSystem> files = sv::systemFileSystem();
  sv::testing::FakeFileDialog dialog;
  sv::testing::MemorySettings settings;
  sv::testing::RecordingShell shell;
  dialog.answers = {sv::toUtf8((work / "MainBase.dat").wstring()),
                    sv::toUtf8((work / "new.rda").wstring())};
  int result = 0;
  {
    sv::win32::Form1 window({*files, dialog, settings, shell, {}, 0});
    SetWindowPos(window.hwnd(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    window.show();
    SetForegroundWindow(window.hwnd());
    pump();
    for (const char* button : {"of1", "of2", "Command1"}) {
      SendMessageW(window.control(button), BM_CLICK, 0, 0);
      pump();
    }
    // The count and the selections at the foot of each list are what a
    // reader looks for; give List3 the focus as after a start.
    SetFocus(window.control("List3"));
    if (!saveWindow(window.hwnd(), output / "win32-main.bmp")) result = 1;

    g_inAbout = [&] {
      const HWND about = FindWindowW(sv::win32::FrmAbout::kClassName, nullptr);
      SetWindowPos(about, HWND_TOP, 440, 40, 0, 0, SWP_NOSIZE);
      if (!saveWindow(about, output / "win32-about.bmp")) result = 1;
    };
    SetTimer(nullptr, 0, 50, &onTimer);
    SendMessageW(window.hwnd(), WM_COMMAND, sv::win32::Form1::kFirstMenuCommand, 0);
  }
  fs::remove_all(work, ignored);
  CoUninitialize();
  return result;
}

// sv.exe: the Sievra window, native Win32.

#include "files/file_system.h"
#include "ui/win32/form1.h"
#include "ui/win32/win32_file_dialog.h"
#include "ui/win32/win32_settings_store.h"
#include "ui/win32/win32_shell_open.h"

#include <windows.h>

#include <commctrl.h>
#include <memory>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  // Rectangles follow the display's real dots per inch rather than being
  // stretched as a bitmap by the system.
  SetProcessDPIAware();
  // The open-file dialog hosts shell objects, which want a single-threaded apartment.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  int exitCode = 0;
  {
    const std::unique_ptr<sv::FileSystem> files = sv::systemFileSystem();
    sv::win32::CommonFileDialog dialog;
    sv::win32::RegistrySettingsStore settings;
    sv::win32::DesktopShellOpener shell;
    sv::win32::Form1 window({*files, dialog, settings, shell, {}, 0});
    if (!window.isOpen()) return 1;
    window.show(showCommand);

    // The program ends with its main window: by the close box, or by Exit,
    // which also ends the loop at once.
    MSG message;
    while (window.isOpen() && GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (window.preTranslate(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    exitCode = window.isOpen() ? static_cast<int>(message.wParam) : 0;
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return exitCode;
}

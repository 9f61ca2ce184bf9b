#pragma once

// The shell-open request of the Win32 window: hands a web address or a mail
// link to the desktop shell. Every caller ignores the result.

#include <windows.h>

#include <string>

namespace sv::win32 {

class ShellOpener {
 public:
  virtual ~ShellOpener() = default;

  // The six arguments of ShellExecuteA; file is UTF-8 here.
  virtual void shellExecute(HWND owner, const char* operation, const std::string& file,
                            const char* parameters, const char* directory, int showCommand) = 0;
};

// ShellExecuteA with the file in the system's 8-bit code page.
class DesktopShellOpener : public ShellOpener {
 public:
  void shellExecute(HWND owner, const char* operation, const std::string& file,
                    const char* parameters, const char* directory, int showCommand) override;
};

// Opens target the way every link of the program does: "Open", no parameters,
// no directory, shown normally.
void openTarget(ShellOpener& opener, HWND owner, const std::string& target);

}  // namespace sv::win32

#pragma once

// The shell-open request of the Win32 windows: hands a web address or a mail
// link to the desktop shell. Every caller ignores the result.

#include "ui/design/links.h"

#include <windows.h>

namespace sv::win32 {

class ShellOpener {
 public:
  virtual ~ShellOpener() = default;

  // ShellExecuteA of request, from owner.
  virtual void shellExecute(HWND owner, const design::ShellOpenRequest& request) = 0;
};

class DesktopShellOpener : public ShellOpener {
 public:
  void shellExecute(HWND owner, const design::ShellOpenRequest& request) override;
};

// Opens link the way every link of the program does; Link::None opens nothing.
void openLink(ShellOpener& opener, HWND owner, design::Link link);

}  // namespace sv::win32

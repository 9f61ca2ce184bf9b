#include "ui/win32/win32_shell_open.h"

#include "ui/win32/win32_text.h"

#include <shellapi.h>

namespace sv::win32 {

void DesktopShellOpener::shellExecute(HWND owner, const char* operation, const std::string& file,
                                      const char* parameters, const char* directory,
                                      int showCommand) {
  const std::string target = toAnsiCodePage(file);
  ShellExecuteA(owner, operation, target.c_str(), parameters, directory, showCommand);
}

void openTarget(ShellOpener& opener, HWND owner, const std::string& target) {
  opener.shellExecute(owner, "Open", target, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace sv::win32

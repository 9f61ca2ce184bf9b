#include "ui/win32/win32_shell_open.h"

#include <shellapi.h>

namespace sv::win32 {

void DesktopShellOpener::shellExecute(HWND owner, const design::ShellOpenRequest& request) {
  // The targets are ASCII: the same bytes in every 8-bit code page.
  ShellExecuteA(owner, request.operation, request.file, request.parameters, request.directory,
                request.showCommand);
}

void openLink(ShellOpener& opener, HWND owner, design::Link link) {
  const design::ShellOpenRequest request = design::shellOpenRequest(link);
  if (request.file) opener.shellExecute(owner, request);
}

}  // namespace sv::win32

#pragma once

// Both Qt windows hand a link to the desktop by the one shell-open request
// of the shared tables.

#include "platform/shell_open.h"
#include "ui/layout/links.h"

#include <QString>

namespace sv {

inline void openLink(ShellOpener& opener, QWidget* owner, layout::Link link) {
  const layout::ShellOpenRequest request = layout::shellOpenRequest(link);
  opener.shellExecute(owner, request.operation, QString::fromLatin1(request.file),
                      request.parameters, request.directory, request.showCommand);
}

}  // namespace sv

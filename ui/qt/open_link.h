#pragma once

// Both Qt windows hand a link to the desktop by the one shell-open request
// of the shared tables.

#include "ui/design/links.h"
#include "ui/qt/shell_open.h"

#include <QString>

namespace sv {

inline void openLink(ShellOpener& opener, QWidget* owner, design::Link link) {
  const design::ShellOpenRequest request = design::shellOpenRequest(link);
  opener.shellExecute(owner, request.operation, QString::fromLatin1(request.file),
                      request.parameters, request.directory, request.showCommand);
}

}  // namespace sv

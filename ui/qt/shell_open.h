#pragma once

// The shell-open request: hands a web address or a mail link to the desktop,
// which opens it with the user's browser or mail program. The result is
// ignored by every caller: nothing is reported when nothing opens.

#include <QString>

class QWidget;

namespace sv {

class ShellOpener {
 public:
  virtual ~ShellOpener() = default;

  // The six arguments of the request: owner window, operation ("Open"), the
  // target, parameters and working directory (none: null), show command (1).
  virtual void shellExecute(QWidget* owner, const char* operation, const QString& file,
                            const char* parameters, const char* directory, int showCommand) = 0;
};

// Linux: starts xdg-open with the target as its single argument, directly and
// never through a shell. Windows: ShellExecuteA with the six arguments.
class DesktopShellOpener : public ShellOpener {
 public:
  void shellExecute(QWidget* owner, const char* operation, const QString& file,
                    const char* parameters, const char* directory, int showCommand) override;
};

}  // namespace sv

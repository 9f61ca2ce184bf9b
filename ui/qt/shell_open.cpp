#include "ui/qt/shell_open.h"

#include <QWidget>

#ifdef Q_OS_WIN
// shellapi.h needs the types of windows.h ahead of it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#else
#include <QProcess>
#include <QStringList>
#endif

namespace sv {

void DesktopShellOpener::shellExecute(QWidget* owner, const char* operation, const QString& file,
                                      const char* parameters, const char* directory,
                                      int showCommand) {
#ifdef Q_OS_WIN
  const HWND window = owner ? reinterpret_cast<HWND>(owner->winId()) : nullptr;
  const QByteArray target = file.toLocal8Bit();
  ShellExecuteA(window, operation, target.constData(), parameters, directory, showCommand);
#else
  // xdg-open has no owner window, operation, parameters or show command of its
  // own. The target goes over as one argument with no shell in between, so no
  // character of it can ever be run as a command. Whether anything opens is
  // not looked at.
  Q_UNUSED(owner);
  Q_UNUSED(operation);
  Q_UNUSED(parameters);
  Q_UNUSED(directory);
  Q_UNUSED(showCommand);
  QProcess::startDetached(QStringLiteral("xdg-open"), {file});
#endif
}

}  // namespace sv

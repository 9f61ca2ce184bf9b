// sv: the Sievra window.

#include "platform/file_dialog.h"
#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "platform/shell_open.h"
#include "ui/main/app_identity.h"
#include "ui/main/form1.h"
#include "ui/main/screenshot_hook.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

namespace {

// Qt aborts with a long message when it cannot reach a display; say it in
// one line, with the way to run the program anyway.
bool displayMissing() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
         qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#else
  return false;
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
  if (displayMissing()) {
    std::fputs("sv: no display available; run it under Xvfb instead: xvfb-run -a sv\n", stderr);
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(sv::kAppName));
  QApplication::setApplicationVersion(QString::fromLatin1(sv::kAppVersion));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/sievra.ico")));

  // The lists stay on screen while other programs may change the files; the
  // system's file layer reads by copy, so they stay as they were read.
  const auto files = sv::systemFileSystem();
  sv::QtFileDialog dialog;
  sv::QtSettingsStore settings;
  sv::DesktopShellOpener shell;
  sv::ScreenshotHook hook;

  Form1 window({*files, hook.active() ? hook.fileDialog() : dialog, settings, shell, {}});
  window.show();
  hook.drive(window);
  return app.exec();
}

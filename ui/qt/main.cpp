// sievra: the Sievra window.

#include "files/file_system.h"
#include "ui/design/app_identity.h"
#include "ui/qt/command_line.h"
#include "ui/qt/file_dialog.h"
#include "ui/qt/form1.h"
#include "ui/qt/settings_store.h"
#include "ui/qt/shell_open.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>

#include <cstdio>
#include <string>

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

// The dialogs give full paths; a path from the command line becomes one too.
QString fullPath(const std::string& path) {
  return QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absoluteFilePath();
}

}  // namespace

int main(int argc, char* argv[]) {
  const sv::CommandLine line = sv::parseCommandLine({argv + 1, argv + argc});
  if (line.action == sv::CommandLine::Action::PrintAndExit) {
    std::fputs(line.out.c_str(), stdout);
    std::fputs(line.err.c_str(), stderr);
    return std::fflush(stdout) == 0 ? line.status : 1;
  }
  if (displayMissing()) {
    // The command as this program was started, so that it works as printed.
    std::fprintf(stderr,
                 "sievra: no display available; run it under Xvfb instead (package xvfb): "
                 "xvfb-run -a %s\n",
                 argv[0]);
    return 1;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(sv::kAppName));
  QApplication::setApplicationVersion(QString::fromLatin1(sv::kAppVersion));

  // The lists stay on screen while other programs may change the files; the
  // system's file layer reads by copy, so they stay as they were read.
  const auto files = sv::systemFileSystem();
  sv::QtFileDialog dialog;
  sv::QtSettingsStore settings;
  sv::DesktopShellOpener shell;

  Form1 window({*files, dialog, settings, shell, {}});
  if (!line.mainBase.empty()) window.preselect(fullPath(line.mainBase), fullPath(line.compared));
  window.show();
  return app.exec();
}

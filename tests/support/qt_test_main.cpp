// The Qt suites run in one QApplication, offscreen unless told otherwise, with
// a settings folder of their own set before any QSettings exists, so the
// user's real settings are never touched. Qt also wants a private runtime
// folder and warns without one: ctest gives each test one in the build tree,
// and a test run without it (as the build lists the tests) makes its own.

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir config;
  QTemporaryDir runtime;  // readable by its owner only, as Qt asks
  if (!config.isValid() || !runtime.isValid()) return 1;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QStandardPaths::setTestModeEnabled(true);
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  }
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The UI tests run in one QApplication, offscreen unless told otherwise.

#include "tests/support/runtime_dir.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  sv::test::PrivateRuntimeDir runtime;
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#pragma once

// Qt wants a private runtime folder and warns without one. ctest gives each
// Qt test one in the build tree; when a test runs without it (as the build
// lists the tests), it makes one of its own for as long as it runs.

#include <QTemporaryDir>
#include <QtGlobal>

namespace sv::test {

class PrivateRuntimeDir {
 public:
  PrivateRuntimeDir() {
    // QTemporaryDir makes its folder readable by its owner only, as Qt asks.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && m_dir.isValid()) {
      qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
    }
  }

 private:
  QTemporaryDir m_dir;
};

}  // namespace sv::test

#include "ui/qt/shell_open.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace sv {
namespace {

// A stand-in xdg-open, found first on PATH, that writes down the arguments it
// was started with, one a line, after their count.
class DesktopShellOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    QFile file(m_dir.filePath("xdg-open"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.args\"\n");
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_oldPath = qgetenv("PATH");
    qputenv("PATH", m_dir.path().toLocal8Bit() + ':' + m_oldPath);
  }
  void TearDown() override { qputenv("PATH", m_oldPath); }

  // The opener does not wait for what it starts, so neither can the test.
  QByteArray startedArguments() const {
    QFile file(m_dir.filePath("xdg-open.args"));
    const QDeadlineTimer deadline(30'000);
    while (!file.exists() && !deadline.hasExpired()) QThread::msleep(20);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
  }

  QTemporaryDir m_dir;
  QByteArray m_oldPath;
};

TEST_F(DesktopShellOpenerTest, HandsTheTargetOverAsOneArgumentWithNoShell) {
  const QString marker = m_dir.filePath("ran");
  const QString target = "http://www.varnok.example.com/a b;touch " + marker + " $(touch " +
                         marker + ")`touch " + marker + "`|touch " + marker + "&";
  DesktopShellOpener opener;

  opener.shellExecute(nullptr, "Open", target, nullptr, nullptr, 1);

  EXPECT_EQ(startedArguments(), "1\n" + target.toLocal8Bit() + "\n");
  EXPECT_FALSE(QFile::exists(marker));
}

}  // namespace
}  // namespace sv

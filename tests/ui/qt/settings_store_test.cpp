#include "ui/qt/settings_store.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sv {
namespace {

const QString kApplication = QStringLiteral("VARNOK SV");
const QString kSection = QStringLiteral("Pos");

// Every test, and every case of a table, gets an empty per-user folder of its
// own, so that no cached file of another case is read.
class SettingsStoreTest : public ::testing::Test {
 protected:
  static void useFolder(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  }
  QString read(const QString& key) { return m_store.read(kApplication, kSection, key); }
  void write(const QString& key, const QString& value) {
    m_store.write(kApplication, kSection, key, value);
  }

  QtSettingsStore m_store;
};

TEST_F(SettingsStoreTest, ReadsBackWhatWasWrittenAndMissingKeysReadEmpty) {
  QTemporaryDir dir;
  useFolder(dir.path());
  EXPECT_EQ(read("Left"), QString());
  write("Top", "300");
  EXPECT_EQ(read("Left"), QString());
  EXPECT_EQ(m_store.read(kApplication, "Other", "Top"), QString());
  EXPECT_EQ(m_store.read("Other", kSection, "Top"), QString());

  // Each replaces the one before; the INI format must not take any of them
  // for a list, a comment, an escape or a type.
  for (const char* value : {"-1500", "1234,5", "a;b", "back\\slash", "@Invalid()",
                            "\xd0\x9b\xd0\xb5\xd0\xb2\xd0\xbe"}) {
    SCOPED_TRACE(value);
    write("Left", QString::fromUtf8(value));
    EXPECT_EQ(read("Left"), QString::fromUtf8(value));
    EXPECT_EQ(read("Top"), QStringLiteral("300"));
  }
}

TEST_F(SettingsStoreTest, HandEditedFileReadsAsTyped) {
  const struct {
    const char* lines;
    const char* left;
  } cases[] = {{"Left=1200", "1200"},
               {"Left=1234,5", "1234,5"},
               {"Left=", ""},
               {"Top=1200", ""},
               {"Left=1200\n[Broken", ""}};  // no settings file at all
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    QTemporaryDir dir;
    useFolder(dir.path());
    ASSERT_TRUE(QDir(dir.path()).mkpath(kApplication));
    QFile file(dir.filePath("VARNOK SV/VARNOK SV.conf"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("[Pos]\n") + c.lines + "\n");
    file.close();
    EXPECT_EQ(read("Left"), QString::fromLatin1(c.left));
  }
}

// A store that cannot be written is skipped without a crash or a made-up
// value. Tests run as root, so only a path that cannot exist blocks a write.
TEST_F(SettingsStoreTest, UnwritableStoreIsSkippedAndReadsEmpty) {
  for (const bool folderUnderAFile : {true, false}) {
    SCOPED_TRACE(folderUnderAFile ? "folder under a file" : "store file is a folder");
    QTemporaryDir dir;
    if (folderUnderAFile) {
      QFile blocker(dir.filePath("file"));
      ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
      useFolder(dir.filePath("file/config"));
    } else {
      useFolder(dir.path());
      ASSERT_TRUE(QDir(dir.path()).mkpath("VARNOK SV/VARNOK SV.conf"));
    }
    write("Left", "1234");
    EXPECT_EQ(read("Left"), QString());
  }
}

}  // namespace
}  // namespace sv

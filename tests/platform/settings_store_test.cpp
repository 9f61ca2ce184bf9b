#include "platform/settings_store.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <string>

namespace sv {
namespace {

const QString kApplication = QStringLiteral("VARNOK SV");
const QString kSection = QStringLiteral("Pos");

// Every test gets an empty per-user folder of its own.
class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    useFolder(m_dir.path());
  }

  static void useFolder(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
  }
  QString storeFile() const { return m_dir.filePath("VARNOK SV/VARNOK SV.conf"); }
  void writeStoreFile(const QByteArray& content) const {
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("VARNOK SV"));
    QFile file(storeFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }

  QTemporaryDir m_dir;
  QtSettingsStore m_store;
};

TEST_F(SettingsStoreTest, MissingKeyReadsEmpty) {
  EXPECT_EQ(m_store.read(kApplication, kSection, "Left"), QString());

  m_store.write(kApplication, kSection, "Top", "300");
  EXPECT_EQ(m_store.read(kApplication, kSection, "Left"), QString());
  EXPECT_EQ(m_store.read(kApplication, "Other", "Top"), QString());
  EXPECT_EQ(m_store.read("Other", kSection, "Top"), QString());
}

TEST_F(SettingsStoreTest, WritesToTheUsersFolderAndKeepsBothKeys) {
  m_store.write(kApplication, kSection, "Left", "1234");
  m_store.write(kApplication, kSection, "Top", "-75");

  EXPECT_EQ(m_store.read(kApplication, kSection, "Left"), "1234");
  EXPECT_EQ(m_store.read(kApplication, kSection, "Top"), "-75");
  QFile file(storeFile());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray content = file.readAll();
  EXPECT_TRUE(content.contains("[Pos]")) << content.toStdString();
  EXPECT_TRUE(content.contains("Left=1234")) << content.toStdString();
}

TEST_F(SettingsStoreTest, WriteReplacesTheOldValue) {
  m_store.write(kApplication, kSection, "Left", "1234");
  m_store.write(kApplication, kSection, "Left", "15");

  EXPECT_EQ(m_store.read(kApplication, kSection, "Left"), "15");
}

// Whatever text is written comes back unchanged, including what the INI
// format would otherwise take for a list, a comment, an escape or a type.
class SettingsRoundTripTest : public SettingsStoreTest,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(SettingsRoundTripTest, ReadsBackWhatWasWritten) {
  const QString value = QString::fromUtf8(GetParam());

  m_store.write(kApplication, kSection, "Left", value);

  EXPECT_EQ(m_store.read(kApplication, kSection, "Left"), value);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsRoundTripTest,
                         ::testing::Values("1234", "-1500", "100.7", "1234,5", "1 234,5",
                                           "not a number", "  12  ", "@Invalid()", "a;b", "a=b",
                                           "\"quoted\"", "back\\slash", "true",
                                           "\xd0\x9b\xd0\xb5\xd0\xb2\xd0\xbe"));

// A file edited by hand is read as the text it holds; one that is not a
// settings file at all reads empty.
struct HandEditedCase {
  const char* line;
  const char* expected;
};

std::ostream& operator<<(std::ostream& out, const HandEditedCase& c) { return out << c.line; }

class SettingsHandEditedTest : public SettingsStoreTest,
                               public ::testing::WithParamInterface<HandEditedCase> {};

TEST_P(SettingsHandEditedTest, ReadsTheTextAsTyped) {
  writeStoreFile(QByteArray("[Pos]\n") + GetParam().line + "\n");

  EXPECT_EQ(m_store.read(kApplication, kSection, "Left"), QString(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SettingsHandEditedTest,
    ::testing::Values(HandEditedCase{"Left=1200", "1200"}, HandEditedCase{"Left=abc", "abc"},
                      HandEditedCase{"Left=1234,5", "1234,5"}, HandEditedCase{"Left=", ""},
                      HandEditedCase{"Top=1200", ""}, HandEditedCase{"Left=1200\n[Broken", ""}));

// A store that cannot be written must neither stop the program nor make up
// values: the write is skipped and the key still reads empty. Tests run as
// root, so only a path that cannot exist blocks a write.
struct UnwritableCase {
  const char* name;
  void (*block)(const QTemporaryDir& dir);
};

std::ostream& operator<<(std::ostream& out, const UnwritableCase& c) { return out << c.name; }

class UnwritableStoreTest : public SettingsStoreTest,
                            public ::testing::WithParamInterface<UnwritableCase> {};

TEST_P(UnwritableStoreTest, WriteIsSkippedAndReadsEmpty) {
  GetParam().block(m_dir);

  m_store.write(kApplication, kSection, "Left", "1234");

  EXPECT_EQ(m_store.read(kApplication, kSection, "Left"), QString());
}

void folderUnderAFile(const QTemporaryDir& dir) {
  QFile blocker(dir.filePath("file"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.filePath("file/config"));
}

void storeFileIsAFolder(const QTemporaryDir& dir) {
  ASSERT_TRUE(QDir(dir.path()).mkpath("VARNOK SV/VARNOK SV.conf"));
}

INSTANTIATE_TEST_SUITE_P(Stores, UnwritableStoreTest,
                         ::testing::Values(UnwritableCase{"FolderUnderAFile", folderUnderAFile},
                                           UnwritableCase{"StoreFileIsAFolder",
                                                          storeFileIsAFolder}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sv

#include "ui/qt/settings_store.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace sv {
namespace {

// An empty per-user folder of the test's own, so that nothing of the user's
// or of another test is read.
TEST(SettingsStoreTest, ReadsBackWhatWasWrittenAndMissingKeysReadEmpty) {
  QTemporaryDir dir;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
  QtSettingsStore store;
  EXPECT_EQ(store.read("VARNOK SV", "Pos", "Left"), QString());
  store.write("VARNOK SV", "Pos", "Top", "300");
  EXPECT_EQ(store.read("VARNOK SV", "Pos", "Left"), QString());
  EXPECT_EQ(store.read("VARNOK SV", "Other", "Top"), QString());
  EXPECT_EQ(store.read("Other", "Pos", "Top"), QString());

  // Each replaces the one before; the INI format must not take any of them
  // for a list, a comment, an escape or a type.
  for (const char* value : {"-1500", "1234,5", "a;b", "back\\slash", "@Invalid()",
                            "\xd0\x9b\xd0\xb5\xd0\xb2\xd0\xbe"}) {
    SCOPED_TRACE(value);
    store.write("VARNOK SV", "Pos", "Left", QString::fromUtf8(value));
    EXPECT_EQ(store.read("VARNOK SV", "Pos", "Left"), QString::fromUtf8(value));
    EXPECT_EQ(store.read("VARNOK SV", "Pos", "Top"), QStringLiteral("300"));
  }
}

}  // namespace
}  // namespace sv

// The window's position: saved in twips on every way out, restored on load.

#include "tests/ui/main/form1_fixture.h"
#include <QPushButton>
#include <QTest>

#include <optional>

namespace sv::test {
namespace {

const QString kApp = QStringLiteral("VARNOK SV");
const QString kSection = QStringLiteral("Pos");

class PositionMemoryTest : public Form1Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }

  void store(const char* key, const char* value) {
    settings.values[MemorySettingsStore::key(kApp, kSection, QString::fromLatin1(key))] =
        QString::fromUtf8(value);
  }
  QString stored(const char* key) const {
    return settings.values.value(
        MemorySettingsStore::key(kApp, kSection, QString::fromLatin1(key)));
  }
  bool has(const char* key) const {
    return settings.values.contains(
        MemorySettingsStore::key(kApp, kSection, QString::fromLatin1(key)));
  }
};

TEST_F(PositionMemoryTest, FirstStartUsesTheDefaultPlaceAndClosingStoresBothEdges) {
  createWindow();
  window->move(100, 40);
  window->close();
  EXPECT_EQ(stored("Left"), QStringLiteral("1500"));
  EXPECT_EQ(stored("Top"), QStringLiteral("600"));
}

TEST_F(PositionMemoryTest, ExitStoresThePositionAndClosesTheWindow) {
  createWindow();
  window->move(-20, 7);
  QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(stored("Left"), QStringLiteral("-300"));
  EXPECT_EQ(stored("Top"), QStringLiteral("105"));
}

struct Restore {
  const char* label;
  const char* left;  // nullptr: no entry at all
  const char* top;
  std::optional<int> x;  // pixels; nothing: the default place is kept
  std::optional<int> y;
};

TEST_F(PositionMemoryTest, LoadAppliesEachStoredEdgeOnItsOwn) {
  // The place Qt gives a new window, to compare the edges that stay.
  createWindow();
  const QPoint defaultPlace = window->pos();
  window.reset();

  const Restore cases[] = {
      {"whole twips", "1500", "600", 100, 40},
      {"fractions are floored", "1507.9", "7.6", 100, 0},  // 1507 -> 100.47 px; 7 -> 0.47 px
      {"negative fraction floors down", "-100.2", "-7.4", -7, -1},  // -101 -> -6.7; -8 -> -0.53
      {"negative", "-300", "-1500", -20, -100},
      {"far beyond the screen", "150000", "90000", 10000, 6000},
      {"only Top stored", nullptr, "300", std::nullopt, 20},
      {"only Left stored", "450", nullptr, 30, std::nullopt},
      {"empty text is no entry", "", "", std::nullopt, std::nullopt},
      {"non-numeric is skipped", "left", "12x", std::nullopt, std::nullopt},
      {"one good, one not", "abc", "750", std::nullopt, 50},
  };
  for (const Restore& c : cases) {
    SCOPED_TRACE(c.label);
    settings.values.clear();
    if (c.left) store("Left", c.left);
    if (c.top) store("Top", c.top);
    createWindow();
    EXPECT_EQ(window->x(), c.x.value_or(defaultPlace.x()));
    EXPECT_EQ(window->y(), c.y.value_or(defaultPlace.y()));
    window.reset();
  }
}

TEST_F(PositionMemoryTest, CloseAndReopenComesBackToTheSameSpot) {
  createWindow();
  window->move(123, 45);
  window->close();
  createWindow();
  EXPECT_EQ(window->pos(), QPoint(123, 45));
}

TEST_F(PositionMemoryTest, LoadingWritesNothing) {
  store("Left", "1500");
  createWindow();
  EXPECT_EQ(settings.writes, 0);
  EXPECT_FALSE(has("Top"));
}

}  // namespace
}  // namespace sv::test

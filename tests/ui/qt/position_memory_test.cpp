// The window's position: saved in twips on every way out, restored on load.

#include "tests/ui/qt/form1_fixture.h"

#include <optional>
#include <string_view>

namespace sv::test {
namespace {

class PositionMemoryTest : public Form1Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }  // each case builds its own window

  static QString key(const char* name) {
    return MemorySettingsStore::key("VARNOK SV", "Pos", QString::fromLatin1(name));
  }
};

TEST_F(PositionMemoryTest, CloseBoxAndExitSaveThePositionAndLoadRestoresIt) {
  const struct {
    const char* way;
    QPoint at;
    const char* left;
    const char* top;
  } ways[] = {{"close box", {100, 40}, "1500", "600"}, {"Exit", {-20, 7}, "-300", "105"}};
  for (const auto& w : ways) {
    SCOPED_TRACE(w.way);
    settings.values.clear();
    createWindow();
    window->move(w.at);
    if (w.way == std::string_view("Exit")) {
      click("Command3");
    } else {
      window->close();
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(settings.values.value(key("Left")), QString::fromLatin1(w.left));
    EXPECT_EQ(settings.values.value(key("Top")), QString::fromLatin1(w.top));
    createWindow();
    EXPECT_EQ(window->pos(), w.at);
  }
}

// How a stored text reads is checked with the shared position rules; here,
// that the window floors it into pixels and takes each edge on its own.
TEST_F(PositionMemoryTest, LoadFloorsFractionsAndKeepsTheDefaultForAMissingOrBadEdge) {
  createWindow();
  const QPoint defaultPlace = window->pos();  // where Qt puts a new window

  const struct {
    const char* label;
    const char* left;  // nullptr: no entry at all
    const char* top;
    std::optional<int> x;  // pixels; nothing: the default place is kept
    std::optional<int> y;
  } cases[] = {
      {"fractions are floored", "1507.9", "7.6", 100, 0},  // 1507 -> 100.47; 7 -> 0.47
      {"only Top stored", nullptr, "300", std::nullopt, 20},
      {"non-numeric is skipped", "12x", "750", std::nullopt, 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    settings = MemorySettingsStore();
    if (c.left) settings.values[key("Left")] = QString::fromLatin1(c.left);
    if (c.top) settings.values[key("Top")] = QString::fromLatin1(c.top);
    createWindow();
    EXPECT_EQ(window->x(), c.x.value_or(defaultPlace.x()));
    EXPECT_EQ(window->y(), c.y.value_or(defaultPlace.y()));
    EXPECT_EQ(settings.writes, 0) << "loading writes nothing";
    window.reset();
  }
}

}  // namespace
}  // namespace sv::test

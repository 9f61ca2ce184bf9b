// The remembered window position: how a stored edge is read and written.

#include "ui/design/position.h"

#include "ui/design/geometry.h"

#include <clocale>
#include <gtest/gtest.h>
#include <optional>

namespace sv::design {
namespace {

// "1234,9" was typed with a decimal comma; at 1e300 no window stands, and
// flooring it would overflow.
TEST(PositionTest, StoredEdgesAreReadAndFloored) {
  const struct {
    const char* text;
    double twips;
  } cases[] = {{"1440", 1440}, {"0", 0},     {"-1500", -1500}, {"100.7", 100},    {"-100.2", -101},
               {"-0.5", -1},   {" 75 ", 75}, {"+30", 30},      {"1.5E+03", 1500}, {"1234,9", 1234}};
  for (const auto& c : cases) EXPECT_EQ(readStoredTwips(c.text), c.twips) << c.text;
  for (const char* refused :
       {"", "   ", "12abc", "abc", "1,2,3", "1.5,2", "--5", "inf", "nan", "-2e9", "1e300"}) {
    EXPECT_EQ(readStoredTwips(refused), std::nullopt) << refused;
  }
}

// In single precision: seven digits.
TEST(PositionTest, EdgesAreWrittenAsPlainDecimalText) {
  const struct {
    double twips;
    const char* text;
  } cases[] = {{1440, "1440"},
               {0, "0"},
               {-0.0, "0"},
               {-1500, "-1500"},
               {1234.5, "1234.5"},
               {99990, "99990"},
               {-2000000, "-2000000"},
               {1234567.8, "1234568"}};
  for (const auto& c : cases) EXPECT_EQ(storedTwipsText(c.twips), c.text);
}

TEST(PositionTest, AWrittenEdgeReadsBackWhereTheWindowStood) {
  // A locale with a decimal comma, where the machine has one, must not
  // change what is written or read.
  for (const char* comma : {"de_DE.UTF-8", "de_DE", "ru_RU.UTF-8", "German_Germany.1252"}) {
    if (std::setlocale(LC_ALL, comma)) break;
  }
  for (int dpi : {96, 120, 144, 168}) {
    for (int pixels = -3000; pixels <= 3000; pixels += 7) {
      const double twips = pixelsToTwips(pixels, dpi);
      const std::optional<double> read = readStoredTwips(storedTwipsText(twips));
      ASSERT_TRUE(read) << pixels << " at " << dpi;
      EXPECT_EQ(twipsToPixels(*read, dpi), pixels) << pixels << " at " << dpi;
    }
  }
  std::setlocale(LC_ALL, "C");
}

}  // namespace
}  // namespace sv::design

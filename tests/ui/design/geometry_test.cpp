// Twips to pixels at the display's dots per inch.

#include "ui/design/geometry.h"

#include "ui/design/window_tables.h"

#include <gtest/gtest.h>

namespace sv::design {
namespace {

TEST(GeometryTest, TwipsBecomePixelsAtEveryDpi) {
  EXPECT_EQ(twipsToPixels(15), 1);
  EXPECT_EQ(twipsToPixels(1493), 100) << "rounded, not truncated";
  EXPECT_EQ(twipsToPixels(-2000), -133) << "negative edges round the same way";
  EXPECT_EQ(twipsToPixels(5670, 120), 473);
  EXPECT_EQ(twipsToPixels(Rect{1493, 4320, 1455, 375}), (Rect{100, 288, 97, 25}));
  EXPECT_EQ(twipsToPixels(Rect{0, 360, 2055, 2010}, 192), (Rect{0, 48, 274, 268}));

  EXPECT_DOUBLE_EQ(pixelsToTwips(100), 1500);
  EXPECT_DOUBLE_EQ(pixelsToTwips(-7, 120), -84);

  EXPECT_EQ(pointsToPixels(9.75), 13);
  EXPECT_EQ(pointsToPixels(8.25, 144), 17);
}

// Each left/right pair of Form1 shares one border line; that must survive
// any dpi, or a scaled window shows gaps or double lines between them.
TEST(GeometryTest, SharedEdgesStaySharedAtAnyDpi) {
  const Window& form = form1Window();
  const std::pair<const char*, const char*> pairs[] = {
      {"List3", "List4"}, {"Text1", "Text2"}, {"of1", "of2"}};
  for (int dpi = 72; dpi <= 288; ++dpi) {
    SCOPED_TRACE(dpi);
    for (const auto& [leftName, rightName] : pairs) {
      const Rect left = twipsToPixels(form.control(leftName).rect, dpi);
      const Rect right = twipsToPixels(form.control(rightName).rect, dpi);
      EXPECT_EQ(right.left, twipsToPixels(2040, dpi)) << rightName;
      EXPECT_EQ(left.right(), twipsToPixels(2055, dpi)) << leftName;
    }
    const Rect command1 = twipsToPixels(form.control("Command1").rect, dpi);
    const Rect command3 = twipsToPixels(form.control("Command3").rect, dpi);
    EXPECT_LE(command3.top, command1.bottom());
  }
}

}  // namespace
}  // namespace sv::design

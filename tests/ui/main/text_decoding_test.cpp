// The Qt window shows a field by the shared display rule, surrogate pairs
// and all; the rule itself is tested with the window tables.

#include "ui/main/text_decoding.h"

#include <gtest/gtest.h>

namespace sv {
namespace {

TEST(TextDecodingTest, QtTextFollowsTheSharedRule) {
  EXPECT_EQ(decodeForDisplay("\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C \xF0\x9F\x93\xBB"),
            QString::fromUtf16(u"Тверь 📻"));
  EXPECT_EQ(decodeForDisplay("\xD2\xE2\xE5\xF0\xFC\x98"), QString::fromUtf16(u"Тверь\u0098"));
  EXPECT_EQ(decodeForDisplay(std::string_view("a\0b", 3)), QString::fromUtf16(u"a\0b", 3));
}

}  // namespace
}  // namespace sv

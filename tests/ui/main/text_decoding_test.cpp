// Field bytes on screen: UTF-8 when they are valid UTF-8, else Windows-1251.

#include "ui/main/text_decoding.h"

#include <gtest/gtest.h>
#include <string>

namespace sv {
namespace {

TEST(TextDecodingTest, ShowsUtf8AsUtf8AndEverythingElseAsWindows1251) {
  const struct {
    const char* label;
    std::string bytes;
    const char16_t* shown;
  } cases[] = {
      {"plain ASCII", "UA3AAA  MO-12\t", u"UA3AAA  MO-12\t"},
      {"Cyrillic in UTF-8", "\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C", u"Тверь"},
      {"Cyrillic in Windows-1251", "\xD2\xE2\xE5\xF0\xFC", u"Тверь"},
      {"Windows-1251 signs, unassigned 0x98 kept", "\xA8\xB8\xB9\x85\x96\x97\x88\x98",
       u"Ёё№…–—€\u0098"},
      {"UTF-8 euro and emoji", "\xE2\x82\xAC \xF0\x9F\x93\xBB", u"€ 📻"},
      {"truncated UTF-8 sequence", "\xD0", u"Р"},
      {"overlong form is no UTF-8", "\xC0\xAF", u"АЇ"},
      {"surrogate is no UTF-8", "\xED\xA0\x80", u"н\u00A0Ђ"},
      {"past U+10FFFF is no UTF-8", "\xF4\x90\x80\x80", u"фђЂЂ"},
      {"one bad byte makes the whole field Windows-1251", "\xD0\xA2\xFF", u"Рўя"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(decodeForDisplay(c.bytes), QString::fromUtf16(c.shown));
  }

  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  const QString every = decodeWindows1251(all);
  ASSERT_EQ(every.size(), 256) << "one character for every byte";
  EXPECT_EQ(every[0x41], QChar('A'));
  EXPECT_EQ(every[0xC0], QChar(0x0410));
  EXPECT_EQ(every[0xFF], QChar(0x044F));
}

}  // namespace
}  // namespace sv

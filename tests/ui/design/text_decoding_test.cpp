// Field bytes on screen: UTF-8 when they are valid UTF-8, else Windows-1251.

#include "ui/design/text_decoding.h"

#include <gtest/gtest.h>
#include <string>

namespace sv::design {
namespace {

TEST(TextDecodingTest, ShowsUtf8AsUtf8AndEverythingElseAsWindows1251) {
  const struct {
    const char* label;
    std::string bytes;
    std::u16string shown;
    bool utf8;
  } cases[] = {
      {"empty", "", u"", true},
      {"plain ASCII", "UA3AAA  MO-12\t", u"UA3AAA  MO-12\t", true},
      {"NUL kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3), true},
      {"Cyrillic in UTF-8", "\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C", u"Тверь", true},
      {"Cyrillic in Windows-1251", "\xD2\xE2\xE5\xF0\xFC", u"Тверь", false},
      {"Windows-1251 signs, unassigned 0x98 kept", "\xA8\xB8\xB9\x85\x96\x97\x88\x98",
       u"Ёё№…–—€\u0098", false},
      {"UTF-8 euro and emoji", "\xE2\x82\xAC \xF0\x9F\x93\xBB", u"€ 📻", true},
      {"largest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF", true},
      {"byte order mark shown", "\xEF\xBB\xBFR", u"\uFEFFR", true},
      {"truncated UTF-8 sequence", "\xD0", u"Р", false},
      {"truncated in the middle", "\xE2\x82 ", u"в\u201A ", false},
      {"lone continuation byte", "\x80", u"Ђ", false},
      {"overlong form is no UTF-8", "\xC0\xAF", u"АЇ", false},
      {"overlong three-byte form", "\xE0\x80\xAF", u"аЂЇ", false},
      {"surrogate is no UTF-8", "\xED\xA0\x80", u"н\u00A0Ђ", false},
      {"past U+10FFFF is no UTF-8", "\xF4\x90\x80\x80", u"фђЂЂ", false},
      {"five-byte lead", "\xF8\x88\x80\x80\x80", u"ш€ЂЂЂ", false},
      {"one bad byte makes the whole field Windows-1251", "\xD0\xA2\xFF", u"Рўя", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(decodeForDisplayUtf16(c.bytes), c.shown);
    EXPECT_EQ(isValidUtf8(c.bytes), c.utf8);
    EXPECT_EQ(decodeForDisplayUtf8(c.bytes), c.utf8 ? c.bytes : windows1251ToUtf8(c.bytes));
  }
}

TEST(TextDecodingTest, Windows1251GivesEveryByteItsCharacter) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  const std::u16string every = windows1251ToUtf16(all);
  ASSERT_EQ(every.size(), 256u);
  for (int byte = 0; byte < 0x80; ++byte) EXPECT_EQ(every[byte], byte);
  EXPECT_EQ(every[0xC0], u'А');
  EXPECT_EQ(every[0xFF], u'я');
  EXPECT_EQ(every[0xA8], u'Ё');
  EXPECT_EQ(every[0xB8], u'ё');
  for (int byte = 0xC0; byte <= 0xFF; ++byte) {
    EXPECT_EQ(every[byte], 0x0410 + (byte - 0xC0)) << "the alphabet runs in order";
  }
  EXPECT_EQ(windows1251ToUtf8("A\xC0\xFF\x88\x98\xB9"), "A\u0410\u044F\u20AC\u0098\u2116");
}

}  // namespace
}  // namespace sv::design

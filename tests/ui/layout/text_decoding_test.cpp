// Field bytes on screen: UTF-8 when they are valid UTF-8, else Windows-1251.

#include "ui/layout/text_decoding.h"

#include <gtest/gtest.h>
#include <string>

namespace sv::layout {
namespace {

// The same text as UTF-8, for comparing the two forms of the decoder.
std::string toUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size()) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

TEST(TextDecodingTest, ShowsUtf8AsUtf8AndEverythingElseAsWindows1251) {
  const struct {
    const char* label;
    std::string bytes;
    std::u16string shown;
  } cases[] = {
      {"empty", "", u""},
      {"plain ASCII", "UA3AAA  MO-12\t", u"UA3AAA  MO-12\t"},
      {"NUL kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"Cyrillic in UTF-8", "\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C", u"Тверь"},
      {"Cyrillic in Windows-1251", "\xD2\xE2\xE5\xF0\xFC", u"Тверь"},
      {"Windows-1251 signs, unassigned 0x98 kept", "\xA8\xB8\xB9\x85\x96\x97\x88\x98",
       u"Ёё№…–—€\u0098"},
      {"UTF-8 euro and emoji", "\xE2\x82\xAC \xF0\x9F\x93\xBB", u"€ 📻"},
      {"largest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"byte order mark shown", "\xEF\xBB\xBFR", u"\uFEFFR"},
      {"truncated UTF-8 sequence", "\xD0", u"Р"},
      {"truncated in the middle", "\xE2\x82 ", u"в\u201A "},
      {"lone continuation byte", "\x80", u"Ђ"},
      {"overlong form is no UTF-8", "\xC0\xAF", u"АЇ"},
      {"overlong three-byte form", "\xE0\x80\xAF", u"аЂЇ"},
      {"surrogate is no UTF-8", "\xED\xA0\x80", u"н\u00A0Ђ"},
      {"past U+10FFFF is no UTF-8", "\xF4\x90\x80\x80", u"фђЂЂ"},
      {"five-byte lead", "\xF8\x88\x80\x80\x80", u"ш€ЂЂЂ"},
      {"one bad byte makes the whole field Windows-1251", "\xD0\xA2\xFF", u"Рўя"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(decodeForDisplayUtf16(c.bytes), c.shown);
    EXPECT_EQ(decodeForDisplayUtf8(c.bytes), toUtf8(c.shown));
    EXPECT_EQ(isValidUtf8(c.bytes), toUtf8(c.shown) == c.bytes);
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
  EXPECT_EQ(windows1251ToUtf8(all), toUtf8(every));
}

}  // namespace
}  // namespace sv::layout

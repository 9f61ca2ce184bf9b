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
  } cases[] = {
      {"empty", "", u""},
      {"plain ASCII", "UA3AAA  MO-12\t", u"UA3AAA  MO-12\t"},
      {"NUL kept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
      {"Cyrillic in UTF-8", "\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C", u"Тверь"},
      {"Cyrillic in Windows-1251", "\xD2\xE2\xE5\xF0\xFC", u"Тверь"},
      {"UTF-8 euro and emoji", "\xE2\x82\xAC \xF0\x9F\x93\xBB", u"€ 📻"},
      {"largest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
      {"byte order mark shown", "\xEF\xBB\xBFR", u"\uFEFFR"},
      {"truncated UTF-8 sequence", "\xD0", u"Р"},
      {"truncated in the middle", "\xE2\x82 ", u"в\u201A "},
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
  }
}

// Every byte of Windows-1251 above ASCII, a range of bytes a row; none of
// these ranges is UTF-8, so each shows as Windows-1251.
TEST(TextDecodingTest, Windows1251GivesEveryByteItsCharacter) {
  const struct {
    int first;
    int last;
    std::u16string shown;
  } ranges[] = {
      {0x80, 0x8F, u"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏ"},
      {0x90, 0x9F, u"ђ‘’“”•–—\u0098™љ›њќћџ"},  // 0x98 has no character: kept as on Windows
      {0xA0, 0xAF, u"\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї"},
      {0xB0, 0xBF, u"°±Ііґµ¶·ё№є»јЅѕї"},
      {0xC0, 0xFF, u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя"},
  };
  for (const auto& r : ranges) {
    SCOPED_TRACE(r.first);
    std::string bytes;
    for (int byte = r.first; byte <= r.last; ++byte) bytes.push_back(static_cast<char>(byte));
    EXPECT_EQ(decodeForDisplayUtf16(bytes), r.shown);
  }
}

}  // namespace
}  // namespace sv::design

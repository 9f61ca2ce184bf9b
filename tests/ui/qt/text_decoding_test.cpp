// The Qt window shows a field by the shared display rule, surrogate pairs
// and all; the rule itself is tested with the window tables, and NULs and a
// leading byte order mark against Qt's decoder below.

#include "ui/qt/text_decoding.h"

#include "ui/design/text_decoding.h"

#include <QStringDecoder>

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace sv {
namespace {

TEST(TextDecodingTest, QtTextFollowsTheSharedRule) {
  EXPECT_EQ(decodeForDisplay("\xD0\xA2\xD0\xB2\xD0\xB5\xD1\x80\xD1\x8C \xF0\x9F\x93\xBB"),
            QString::fromUtf16(u"Тверь 📻"));
  EXPECT_EQ(decodeForDisplay("\xD2\xE2\xE5\xF0\xFC\x98"), QString::fromUtf16(u"Тверь\u0098"));
}

// The shared validator against Qt's own UTF-8 decoder, on fields made of
// the bytes where UTF-8 has its edges: lead bytes, continuation bytes and
// the limits of overlong forms, surrogates and U+10FFFF.
TEST(TextDecodingTest, SharedUtf8RuleAgreesWithQtsDecoder) {
  const unsigned char edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xED, 0xEE, 0xEF, 0xF0,
                                 0xF4, 0xF5, 0xF8, 0xFE, 0xFF, 0xBB, 0xBE, 0xB7};
  std::mt19937 random(8);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(edges) - 1);
  std::uniform_int_distribution<int> length(1, 6);
  int valid = 0;
  for (int round = 0; round < 200'000; ++round) {
    std::string field;
    for (int n = length(random); n > 0; --n)
      field.push_back(static_cast<char>(edges[pick(random)]));
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString qt = utf8(QByteArrayView(field.data(), static_cast<qsizetype>(field.size())));
    ASSERT_EQ(design::isValidUtf8(field), !utf8.hasError())
        << QByteArray::fromStdString(field).toHex().toStdString();
    if (!utf8.hasError()) {
      ++valid;
      ASSERT_EQ(decodeForDisplay(field), qt)
          << QByteArray::fromStdString(field).toHex().toStdString();
    }
  }
  EXPECT_GT(valid, 1000) << "the fields must reach both sides of the rule";
}

}  // namespace
}  // namespace sv

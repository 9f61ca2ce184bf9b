#include "engine/main_base_index.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace sv {
namespace {

// An index over the records of text, which must outlive it.
MainBaseIndex indexOf(const std::string& text) {
  MainBaseIndex index(text, 0);
  RecordReader reader(text);
  while (!reader.atEnd()) {
    const std::size_t start = reader.position();
    Record record;
    EXPECT_TRUE(reader.read(record));
    index.add(record, start);
  }
  index.build();
  return index;
}

std::vector<std::size_t> matches(const MainBaseIndex& index, Record r) {
  std::vector<std::size_t> out;
  const std::uint32_t hash = MainBaseIndex::hashKey(r);
  index.forEachMatch(r, hash, index.candidate(hash),
                     [&](std::size_t start, std::size_t) { out.push_back(start); });
  return out;
}

TEST(MainBaseIndex, EqualKeysComeBackInFileOrderAmongManyOthers) {
  std::string text;
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < 10000; ++i) {
    starts.push_back(text.size());
    text += "C" + std::to_string(i % 500) + "\r\nR" + std::to_string(i / 500 % 2) + "\r\n\r\n";
  }
  const MainBaseIndex index = indexOf(text);
  // Every key occurs ten times, spread over the whole file.
  for (std::size_t probe : {0u, 7u, 499u, 500u, 999u}) {
    const std::string c = "C" + std::to_string(probe % 500);
    const std::string r = "R" + std::to_string(probe / 500 % 2);
    std::vector<std::size_t> expected;
    for (std::size_t i = probe; i < 10000; i += 1000) expected.push_back(starts[i]);
    EXPECT_EQ(matches(index, {c, r, "any notes"}), expected) << c << " " << r;
  }
  EXPECT_TRUE(matches(index, {"C1", "R9", ""}).empty());
}

TEST(MainBaseIndex, KeysCompareFieldsNotTheirConcatenation) {
  const std::string text = "AB\r\nC\r\n\r\nA\rBC\r\r\n";
  const MainBaseIndex index = indexOf(text);
  EXPECT_EQ(matches(index, {"AB", "C", ""}), std::vector<std::size_t>{0});
  EXPECT_EQ(matches(index, {"A", "BC", ""}), std::vector<std::size_t>{9});
  EXPECT_TRUE(matches(index, {"ABC", "", ""}).empty());
  EXPECT_TRUE(matches(index, {"AB", "C\r", ""}).empty());
}

TEST(MainBaseIndex, EmptyIndexFindsNothing) {
  const MainBaseIndex index = indexOf("");
  EXPECT_TRUE(matches(index, {"", "", ""}).empty());
}

}  // namespace
}  // namespace sv

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

TEST(MainBaseIndex, KeysCompareFieldsNotTheirConcatenation) {
  const std::string text = "AB\r\nC\r\n\r\nA\rBC\r\r\n";
  const MainBaseIndex index = indexOf(text);
  EXPECT_EQ(matches(index, {"AB", "C", ""}), std::vector<std::size_t>{0});
  EXPECT_EQ(matches(index, {"A", "BC", ""}), std::vector<std::size_t>{9});
  EXPECT_TRUE(matches(index, {"ABC", "", ""}).empty());
  EXPECT_TRUE(matches(index, {"AB", "C\r", ""}).empty());
}

}  // namespace
}  // namespace sv

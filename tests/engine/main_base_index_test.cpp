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

// Where the records that share r's key start, in the order the index gives.
std::vector<std::size_t> matches(const MainBaseIndex& index, Record r) {
  const std::uint32_t hash = MainBaseIndex::hashKey(r);
  const Partners partners = index.partners(r, hash, index.candidate(hash));
  if (partners.count <= 1) {
    return partners.count == 0 ? std::vector<std::size_t>{}
                               : std::vector<std::size_t>{partners.where};
  }
  const std::vector<std::uint64_t>& cells = index.groups()->cells;
  EXPECT_EQ(cells.at(partners.where), partners.count);
  return {cells.begin() + partners.where + 1, cells.begin() + partners.where + 1 + partners.count};
}

TEST(MainBaseIndex, KeysCompareFieldsNotTheirConcatenation) {
  const std::string text = "AB\r\nC\r\n\r\nA\rBC\r\r\n";
  const MainBaseIndex index = indexOf(text);
  EXPECT_EQ(matches(index, {"AB", "C", ""}), std::vector<std::size_t>{0});
  EXPECT_EQ(matches(index, {"A", "BC", ""}), std::vector<std::size_t>{9});
  EXPECT_TRUE(matches(index, {"ABC", "", ""}).empty());
  EXPECT_TRUE(matches(index, {"AB", "C\r", ""}).empty());
}

TEST(MainBaseIndex, RecordsSharingAKeyComeInFileOrderWhateverTheirNumber) {
  // Keys repeated 1, 2, 3 and 400 times, interleaved, and a key whose
  // records are all different from one another but for the Notes.
  std::string text;
  std::vector<std::size_t> a, b, c, d;
  for (int i = 0; i < 400; ++i) {
    d.push_back(text.size());
    text += "D\r\n4\r\n" + std::to_string(i) + "\r\n";
    if (i < 3) {
      c.push_back(text.size());
      text += "C\r\n3\r\nc\r\n";
    }
    if (i == 7 || i == 300) {
      b.push_back(text.size());
      text += "B\r\n2\r\n\r\n";
    }
    if (i == 50) {
      a.push_back(text.size());
      text += "A\r\n1\r\nonly\r\n";
    }
  }
  const MainBaseIndex index = indexOf(text);
  EXPECT_EQ(matches(index, {"A", "1", "x"}), a);
  EXPECT_EQ(matches(index, {"B", "2", ""}), b);
  EXPECT_EQ(matches(index, {"C", "3", ""}), c);
  EXPECT_EQ(matches(index, {"D", "4", ""}), d);
  EXPECT_TRUE(matches(index, {"D", "3", ""}).empty());
  // Each record is listed once: the groups hold the repeated keys' records
  // and a count each, nothing per coincidence.
  EXPECT_EQ(index.groups()->cells.size(), (2 + 1) + (3 + 1) + (400 + 1));
}

}  // namespace
}  // namespace sv

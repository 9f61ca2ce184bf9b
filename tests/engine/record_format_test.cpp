#include "engine/record_format.h"

#include <gtest/gtest.h>
#include <vector>

namespace sv {
namespace {

struct ReadCase {
  const char* label;
  std::string_view data;
  std::vector<std::vector<std::string_view>> records;  // complete records, fields in order
  std::size_t truncatedRecord;                         // 0: none; else 1-based record that breaks
  std::size_t missingLine;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.label; }

class RecordReadingTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RecordReadingTest, ReadsRecordsByTheLineRules) {
  const ReadCase& c = GetParam();
  RecordReader reader(c.data);
  std::vector<std::vector<std::string_view>> got;
  std::size_t broken = 0;
  while (!reader.atEnd()) {
    Record r;
    if (!reader.read(r)) {
      broken = got.size() + 1;
      break;
    }
    got.push_back({r.callsign, r.rdaNumber, r.notes});
  }
  EXPECT_EQ(got, c.records);
  EXPECT_EQ(broken, c.truncatedRecord);
  if (broken != 0) {
    EXPECT_EQ(reader.linesRead() + 1, c.missingLine);
  }
}

using F = std::vector<std::string_view>;

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordReadingTest,
    ::testing::Values(
        ReadCase{"Empty", "", {}, 0, 0},
        ReadCase{"CrLf", "UA3AAA\r\nMO-12\r\nnote\r\n", {F{"UA3AAA", "MO-12", "note"}}, 0, 0},
        ReadCase{"NoEndAfterLast", "UA3AAA\r\nMO-12\r\nnote", {F{"UA3AAA", "MO-12", "note"}}, 0, 0},
        ReadCase{"CrOnly", "A\rB\rC\r", {F{"A", "B", "C"}}, 0, 0},
        ReadCase{"MixedEnds", "A\r\nB\rC\r\nD\rE\r\nF", {F{"A", "B", "C"}, F{"D", "E", "F"}}, 0, 0},
        ReadCase{"EmptyFields", "\r\n\r\n\r\n", {F{"", "", ""}}, 0, 0},
        ReadCase{
            "SpacesKept", " ua3a \r\n\tMO-12\r\n x \r\n", {F{" ua3a ", "\tMO-12", " x "}}, 0, 0},
        ReadCase{"FourLines", "A\r\nB\r\nC\r\nD\r\n", {F{"A", "B", "C"}}, 2, 5},
        ReadCase{"FiveLines", "A\r\nB\r\nC\r\nD\r\nE", {F{"A", "B", "C"}}, 2, 6},
        ReadCase{"EmptyLineAfterSix",
                 "A\rB\rC\r\nD\rE\rF\r\n\r\n",
                 {F{"A", "B", "C"}, F{"D", "E", "F"}},
                 3,
                 8},
        ReadCase{"LfOnlyIsOneLine", "A\nB\nC\n", {}, 1, 2},
        ReadCase{"LfInsideField", "A\nx\r\nB\r\nC\r\n", {F{"A\nx", "B", "C"}}, 0, 0},
        ReadCase{"CrLfLfKeepsSecondLf", "A\r\n\nB\r\nC\r\n", {F{"A", "\nB", "C"}}, 0, 0},
        ReadCase{
            "HighBytes", "\xD0\xEE\r\n\xFF\r\n\x80\r\n", {F{"\xD0\xEE", "\xFF", "\x80"}}, 0, 0}),
    [](const auto& info) { return std::string(info.param.label); });

// How records are written, and which lines have a lone LF, shows in every
// file and failure of differential_test.cpp, byte for byte against a
// literal scan.

}  // namespace
}  // namespace sv

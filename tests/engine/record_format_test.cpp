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
        ReadCase{
            "NoEndAfterLastLine", "UA3AAA\r\nMO-12\r\nnote", {F{"UA3AAA", "MO-12", "note"}}, 0, 0},
        ReadCase{"CrOnly", "A\rB\rC\r", {F{"A", "B", "C"}}, 0, 0},
        ReadCase{"MixedEnds", "A\r\nB\rC\r\nD\rE\r\nF", {F{"A", "B", "C"}, F{"D", "E", "F"}}, 0, 0},
        ReadCase{"EmptyFields", "\r\n\r\n\r\n", {F{"", "", ""}}, 0, 0},
        ReadCase{"SpacesAndCaseKept",
                 " ua3aaa \r\n\tMO-12\r\n x \r\n",
                 {F{" ua3aaa ", "\tMO-12", " x "}},
                 0,
                 0},
        ReadCase{"FourLines", "A\r\nB\r\nC\r\nD\r\n", {F{"A", "B", "C"}}, 2, 5},
        ReadCase{"FiveLines", "A\r\nB\r\nC\r\nD\r\nE", {F{"A", "B", "C"}}, 2, 6},
        ReadCase{"ExtraEmptyLineAfterSix",
                 "A\r\nB\r\nC\r\nD\r\nE\r\nF\r\n\r\n",
                 {F{"A", "B", "C"}, F{"D", "E", "F"}},
                 3,
                 8},
        ReadCase{"LfOnlyIsOneLine", "A\nB\nC\n", {}, 1, 2},
        ReadCase{"LfInsideField", "A\nx\r\nB\r\nC\r\n", {F{"A\nx", "B", "C"}}, 0, 0},
        ReadCase{"CrLfLfKeepsSecondLf", "A\r\n\nB\r\nC\r\n", {F{"A", "\nB", "C"}}, 0, 0},
        ReadCase{
            "HighBytes", "\xD0\xEE\r\n\xFF\r\n\x80\r\n", {F{"\xD0\xEE", "\xFF", "\x80"}}, 0, 0}),
    [](const auto& info) { return std::string(info.param.label); });

// How records are written and found again by offset shows in every file and
// list of differential_test.cpp, byte for byte against a literal scan.

TEST(RecordFormat, WrittenFormIsWhatWritingItsLinesGivesBack) {
  const std::string longClean = std::string(40, 'x') + "\r\n" + std::string(40, '\n') + "\r\n";
  for (const std::string& data :
       {std::string(), std::string("A\r\n"), std::string("A\r\nB\r\n\nC\r\n"), longClean,
        std::string("A\r\nB"), std::string("A\r"), std::string("A\rB\r\n"), std::string("\n"),
        longClean + "x\r" + std::string(20, 'y') + "\r\n", std::string(30, 'z') + "\r\r\n"}) {
    // Reading every line and writing it back is the definition.
    std::string rewritten;
    for (std::size_t pos = 0; pos < data.size();) {
      rewritten += readLine(data, pos);
      rewritten += kLineEnd;
    }
    EXPECT_EQ(isWrittenForm(data), rewritten == data) << ::testing::PrintToString(data);
  }
}

TEST(RecordFormat, LoneLineFeedDetection) {
  EXPECT_FALSE(hasLoneLineFeed("A\r\nB\r\n"));
  EXPECT_FALSE(hasLoneLineFeed("A\r\r\n"));
  EXPECT_TRUE(hasLoneLineFeed("A\nB"));
  EXPECT_TRUE(hasLoneLineFeed("\nA"));
  EXPECT_TRUE(hasLoneLineFeed("A\r\n\n"));
}

}  // namespace
}  // namespace sv

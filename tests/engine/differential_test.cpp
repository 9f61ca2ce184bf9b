// The indexed run against a literal nested-loop scan: for each compared
// record, read the whole main base line by line and compare. Thousands of
// small random inputs with frequent key collisions, records repeated dozens
// of times in both files, mixed line ends, broken tails and high bytes must
// give the same lists, files and count, or the same failure.

#include "engine/compare_and_delete.h"
#include "tests/support/memory_file_system.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace sv {
namespace {

const std::string kMain = "m.dat";
const std::string kNew = "c.rda";

// A file read line by line, the slow and obvious way.
struct LineFile {
  bool atEnd() const { return pos == data.size(); }
  bool readLine(std::string& line) {
    if (atEnd()) return false;
    line.clear();
    while (pos < data.size() && data[pos] != '\r') line += data[pos++];
    if (pos < data.size() && data[pos++] == '\r' && pos < data.size() && data[pos] == '\n') ++pos;
    ++lines;
    return true;
  }
  const std::string& data;
  std::size_t pos = 0;
  std::size_t lines = 0;
};

struct LiteralOutcome {
  bool ok = true;
  RunStatus::Kind kind = RunStatus::Kind::Ok;
  RunFile file = RunFile::Compared;
  std::size_t record = 0, missingLine = 0;
  std::vector<std::string> list2, list3, list4;
  std::map<std::string, std::string> files;
};

LiteralOutcome literalRun(std::map<std::string, std::string> files) {
  LiteralOutcome out;
  auto fail = [&](RunStatus::Kind kind, RunFile file, const LineFile* f) {
    out.ok = false;
    out.kind = kind;
    out.file = file;
    if (f != nullptr) {
      out.record = f->lines / 3 + 1;
      out.missingLine = f->lines + 1;
    }
    out.files = files;
    return out;
  };
  if (!files.count(kNew)) return fail(RunStatus::Kind::ReadFailed, RunFile::Compared, nullptr);
  files[kNew + ".bak"] = files[kNew];
  const std::string compared = files[kNew];
  LineFile c{compared};
  while (!c.atEnd()) {
    std::string c1, c2, c3;
    if (!c.readLine(c1) || !c.readLine(c2) || !c.readLine(c3)) {
      return fail(RunStatus::Kind::Truncated, RunFile::Compared, &c);
    }
    bool none = true;
    if (!files.count(kMain)) return fail(RunStatus::Kind::ReadFailed, RunFile::MainBase, nullptr);
    LineFile m{files[kMain]};
    while (!m.atEnd()) {
      std::string m1, m2, m3;
      if (!m.readLine(m1) || !m.readLine(m2) || !m.readLine(m3)) {
        return fail(RunStatus::Kind::Truncated, RunFile::MainBase, &m);
      }
      if (c1 == m1 && c2 == m2) {
        none = false;
        out.list3.insert(out.list3.end(), {m1, m2, m3});
        out.list4.insert(out.list4.end(), {c1, c2, c3});
      }
    }
    if (none) out.list2.insert(out.list2.end(), {c1, c2, c3});
  }
  auto join = [](const std::vector<std::string>& items) {
    std::string text;
    for (const auto& item : items) text += item + "\r\n";
    return text;
  };
  files[kNew] = join(out.list2);
  files[kNew + ".dup"] = join(out.list4);
  out.files = files;
  return out;
}

template <std::size_t N>
const char* anyOf(std::mt19937& random, const char* const (&choices)[N]) {
  return choices[random() % N];
}

std::string randomFile(std::mt19937& random) {
  static const char* const kFields[] = {"",  "A",  "a",        "A ",   " A", "B",
                                        "1", "01", "\xC0\xFF", "\x80", "\t", "UA3AAA"};
  static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\r", "\n"};
  // Mostly a few records; sometimes enough bytes for the reader's wide path.
  const int lines = std::uniform_int_distribution<int>(0, random() % 4 == 0 ? 60 : 13)(random);
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += anyOf(random, kFields);
    if (i + 1 < lines || random() % 2 == 0) text += anyOf(random, kEnds);
  }
  return text;
}

// A few records, each repeated many times in random order, for both files:
// every record of one coincides with dozens of the other's.
void repeatedRecords(std::mt19937& random, std::string& mainBase, std::string& compared) {
  static const char* const kRecords[] = {"A\r\n1\r\nx\r\n", "A\r\n1\r\ny\r\n", "B\r\n1\r\n\r\n",
                                         "A\r\n2\r\nz\r\n", "B\r1\r\n\r"};
  auto fill = [&](std::string& text) {
    for (int i = random() % 91; i > 0; --i) text += anyOf(random, kRecords);
  };
  fill(mainBase);
  fill(compared);
}

std::vector<std::string> items(const ResultList& list) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list.item(i));
  return out;
}

// Runs both on files; whether the run failed.
bool expectSameAsLiteralScan(const std::map<std::string, std::string>& files) {
  const LiteralOutcome expected = literalRun(files);
  testing::MemoryFileSystem fs;
  fs.files = files;
  const RunOutcome got = compareAndDelete(fs, kMain, kNew);

  EXPECT_EQ(got.status.isOk(), expected.ok) << got.status.message();
  if (!expected.ok) {
    EXPECT_EQ(got.status.kind(), expected.kind);
    EXPECT_EQ(got.status.file(), expected.file);
    EXPECT_EQ(got.status.record(), expected.record);
    EXPECT_EQ(got.status.missingLine(), expected.missingLine);
  }
  EXPECT_EQ(items(got.lists.List2), expected.list2);
  EXPECT_EQ(items(got.lists.List3), expected.list3);
  EXPECT_EQ(items(got.lists.List4), expected.list4);
  EXPECT_EQ(got.dupesCount() * 3, expected.list4.size());
  EXPECT_TRUE(fs.files == expected.files) << "the files differ";
  return !expected.ok;
}

TEST(Differential, IndexedRunEqualsTheLiteralScan) {
  std::mt19937 random(20031);
  int failures = 0;
  for (int round = 0; round < 4000 && !HasFailure(); ++round) {
    std::map<std::string, std::string> files;
    if (round % 8 == 0) {
      repeatedRecords(random, files[kMain], files[kNew]);
    } else {
      if (random() % 16 != 0) files[kMain] = randomFile(random);
      if (random() % 16 != 0) files[kNew] = randomFile(random);
    }
    if (random() % 4 == 0) files[kNew + ".dup"] = "stale";
    // Half the time the compared file borrows main base records, so that
    // coincidences are common.
    if (files.count(kMain) && files.count(kNew) && random() % 2 == 0) {
      files[kNew] = files[kMain].substr(0, random() % (files[kMain].size() + 1)) + files[kNew];
    }
    SCOPED_TRACE(::testing::PrintToString(files));
    failures += expectSameAsLiteralScan(files);
  }
  // Both outcomes must be well represented for the comparison to mean much.
  EXPECT_GT(failures, 400);
  EXPECT_LT(failures, 3600);
}

// Enough compared records for the run to share the look-ups between
// threads; the results must still come out in file order. Records of 16 MiB
// and more have no room for their length in a record's place: they are
// measured again where needed, and written whole.
TEST(Differential, ALargeRunEqualsTheLiteralScan) {
  const std::string notes(16 << 20, 'n');
  std::map<std::string, std::string> files = {
      {kNew, "C0\r\nR\r\n" + notes + "\r\nX\r\nR\r\n" + notes + "x\r\n"}};
  for (int i = 0; i < 30; ++i) {
    files[kMain] += "C" + std::to_string(i % 20) + "\r\nR\r\nm" + std::to_string(i) + "\r\n";
  }
  for (int j = 0; j < 140'000; ++j) {
    files[kNew] += "C" + std::to_string(j * 7 % 50) + "\r\nR\r\nn" + std::to_string(j) + "\r\n";
  }
  EXPECT_FALSE(expectSameAsLiteralScan(files));
}

// Thousands of partners for each compared record: the dupes file holds the
// record once per coincidence, in whole blocks and the odd copies after
// them, also when its line ends must be rewritten.
TEST(Differential, RecordsWithThousandsOfPartnersAreWrittenOncePerCoincidence) {
  for (const std::string end : {"\r\n", "\r"}) {
    std::map<std::string, std::string> files;
    for (int i = 0; i < 30011; ++i) files[kMain] += "A\r\n1\r\n" + std::to_string(i) + "\r\n";
    for (const char* notes : {"x", "z"}) files[kNew] += "A" + end + "1" + end + notes + end;
    files[kNew].insert(0, "B" + end + "2" + end + "y" + end);
    EXPECT_FALSE(expectSameAsLiteralScan(files)) << "line ends " << end.size();
  }
}

}  // namespace
}  // namespace sv

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
class LineFile {
 public:
  explicit LineFile(const std::string& data) : m_data(data) {}
  bool atEnd() const { return m_pos == m_data.size(); }
  bool readLine(std::string& line) {
    if (atEnd()) return false;
    line.clear();
    while (m_pos < m_data.size() && m_data[m_pos] != '\r') line += m_data[m_pos++];
    if (m_pos < m_data.size()) {
      ++m_pos;
      if (m_pos < m_data.size() && m_data[m_pos] == '\n') ++m_pos;
    }
    ++lines;
    return true;
  }
  std::size_t lines = 0;

 private:
  const std::string& m_data;
  std::size_t m_pos = 0;
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
  LineFile c(compared);
  while (!c.atEnd()) {
    std::string c1, c2, c3;
    if (!c.readLine(c1) || !c.readLine(c2) || !c.readLine(c3)) {
      return fail(RunStatus::Kind::Truncated, RunFile::Compared, &c);
    }
    bool none = true;
    if (!files.count(kMain)) return fail(RunStatus::Kind::ReadFailed, RunFile::MainBase, nullptr);
    LineFile m(files[kMain]);
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

std::string randomFile(std::mt19937& random) {
  static const char* const kFields[] = {"",  "A",  "a",        "A ",   " A", "B",
                                        "1", "01", "\xC0\xFF", "\x80", "\t", "UA3AAA"};
  static const char* const kEnds[] = {"\r\n", "\r\n", "\r\n", "\r", "\n"};
  // Mostly a few records; sometimes enough bytes for the reader's wide path.
  const int lines = std::uniform_int_distribution<int>(0, random() % 4 == 0 ? 60 : 13)(random);
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += kFields[std::uniform_int_distribution<int>(0, std::size(kFields) - 1)(random)];
    const bool last = i + 1 == lines;
    if (!last || random() % 2 == 0) {
      text += kEnds[std::uniform_int_distribution<int>(0, std::size(kEnds) - 1)(random)];
    }
  }
  return text;
}

// A few records, each repeated many times in random order, for both files:
// every record of one coincides with dozens of the other's.
void repeatedRecords(std::mt19937& random, std::string& mainBase, std::string& compared) {
  static const char* const kRecords[] = {"A\r\n1\r\nx\r\n", "A\r\n1\r\ny\r\n", "B\r\n1\r\n\r\n",
                                         "A\r\n2\r\nz\r\n", "B\r1\r\n\r"};
  auto fill = [&](std::string& text) {
    const int copies = std::uniform_int_distribution<int>(0, 90)(random);
    for (int i = 0; i < copies; ++i) {
      text += kRecords[std::uniform_int_distribution<int>(0, std::size(kRecords) - 1)(random)];
    }
  };
  fill(mainBase);
  fill(compared);
}

std::vector<std::string> items(const ResultList& list) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < list.size(); ++i) out.emplace_back(list.item(i));
  return out;
}

TEST(Differential, IndexedRunEqualsTheLiteralScan) {
  std::mt19937 random(20031);
  int failures = 0;
  for (int round = 0; round < 4000; ++round) {
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

    const LiteralOutcome expected = literalRun(files);
    testing::MemoryFileSystem fs;
    fs.files = files;
    const RunOutcome got = compareAndDelete(fs, kMain, kNew);

    ASSERT_EQ(got.status.isOk(), expected.ok) << got.status.message();
    if (!expected.ok) {
      ++failures;
      EXPECT_EQ(got.status.kind(), expected.kind);
      EXPECT_EQ(got.status.file(), expected.file);
      EXPECT_EQ(got.status.record(), expected.record);
      EXPECT_EQ(got.status.missingLine(), expected.missingLine);
    }
    ASSERT_EQ(items(got.lists.List2), expected.list2);
    ASSERT_EQ(items(got.lists.List3), expected.list3);
    ASSERT_EQ(items(got.lists.List4), expected.list4);
    ASSERT_EQ(got.dupesCount() * 3, expected.list4.size());
    ASSERT_EQ(fs.files, expected.files);
  }
  // Both outcomes must be well represented for the comparison to mean much.
  EXPECT_GT(failures, 400);
  EXPECT_LT(failures, 3600);
}

}  // namespace
}  // namespace sv

// What a run allocates must not grow with the number of coincidences: a
// compared record with a thousand partners costs what a record with one
// does. Every allocation of this program is counted, to the byte.

#include "engine/compare_and_delete.h"
#include "tests/support/memory_file_system.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <new>
#include <string>

namespace {

std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

// Each block starts with its size, so that freeing it can be counted too.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* allocate(std::size_t size) {
  void* block = std::malloc(size + kHeader);
  if (block == nullptr) throw std::bad_alloc();
  *static_cast<std::size_t*>(block) = size;
  const std::size_t live = g_live += size;
  std::size_t peak = g_peak.load();
  while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void release(void* p) {
  if (p == nullptr) return;
  void* block = static_cast<char*>(p) - kHeader;
  g_live -= *static_cast<std::size_t*>(block);
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }

namespace sv {
namespace {

// What is written is counted and dropped, so that a dupes file of millions
// of records costs no memory of the test's.
struct Counting : Replacement {
  explicit Counting(std::size_t& size) : size(size) {}
  std::error_code reserve(std::uint64_t) override { return {}; }
  std::error_code append(std::string_view data) override {
    size += data.size();
    return {};
  }
  std::error_code flush() override { return {}; }
  std::error_code commit() override { return {}; }
  std::size_t& size;
};

struct CountingFileSystem : testing::MemoryFileSystem {
  std::error_code beginReplace(const std::string& path, const FileAttributes&,
                               std::unique_ptr<Replacement>& out) override {
    out = std::make_unique<Counting>(written[path] = 0);
    return {};
  }
  std::map<std::string, std::size_t> written;
};

struct Measured {
  std::size_t peakBytes;
  // What the outcome still holds: the lists and the bytes they show.
  std::size_t heldBytes;
  RunOutcome outcome;
};

// Runs over records of equal length whose keys are key(i).
template <typename Key>
Measured measure(CountingFileSystem& fs, std::size_t records, Key key) {
  std::string mainBase;
  std::string compared;
  for (std::size_t i = 0; i < records; ++i) {
    mainBase += key('M', i) + "\r\n1\r\nnote\r\n";
    compared += key('C', i) + "\r\n1\r\nnote\r\n";
  }
  fs.files["m"] = std::move(mainBase);
  fs.files["c"] = std::move(compared);
  const std::size_t before = g_live.load();
  g_peak = before;
  Measured m{0, 0, compareAndDelete(fs, "m", "c")};
  m.peakBytes = g_peak.load() - before;
  m.heldBytes = g_live.load() - before;
  return m;
}

std::string numbered(char side, std::size_t i) {
  char text[16];
  std::snprintf(text, sizeof text, "%c%05zu", side, i);
  return text;
}

TEST(RunMemory, AMillionCoincidencesCostNoMoreThanNone) {
  constexpr std::size_t kRecords = 1000;
  constexpr std::size_t kRecordBytes = 17;
  CountingFileSystem none;
  const Measured distinct = measure(none, kRecords, numbered);
  ASSERT_TRUE(distinct.outcome.status.isOk());
  ASSERT_EQ(distinct.outcome.dupesCount(), 0u);

  CountingFileSystem all;
  const Measured same =
      measure(all, kRecords, [](char, std::size_t) { return std::string(6, 'K'); });
  ASSERT_TRUE(same.outcome.status.isOk()) << same.outcome.status.message();
  ASSERT_EQ(same.outcome.dupesCount(), kRecords * kRecords);
  EXPECT_EQ(all.written["c.dup"], kRecords * kRecords * kRecordBytes);
  EXPECT_EQ(all.written["c"], 0u);

  // Holding each coincidence would take some 16 MB; what a run may spend
  // beyond the no-coincidence case is the main base's group, a dupe entry
  // per compared record and one write buffer.
  RecordProperty("peak_bytes", std::to_string(same.peakBytes));
  RecordProperty("peak_bytes_without", std::to_string(distinct.peakBytes));
  EXPECT_LT(same.peakBytes, distinct.peakBytes + (512u << 10))
      << "peak " << same.peakBytes << " against " << distinct.peakBytes;
  // The coincidence lists hold a dupe entry per compared record and the
  // group's cells, both sides sharing them.
  EXPECT_LT(same.heldBytes, distinct.heldBytes + 3 * kRecords * (24 + 8 + 8));
}

}  // namespace
}  // namespace sv

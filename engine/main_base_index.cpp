#include "engine/main_base_index.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <functional>

namespace sv {
namespace {

constexpr std::uint64_t kMul1 = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t kMul2 = 0xBF58476D1CE4E5B9ull;

template <typename Word>
std::uint64_t load(const char* p) {
  Word v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Callsigns and RDA Numbers are short, so every field is read with at most
// two loads that may overlap, without a loop or a call.
std::uint64_t hashField(std::string_view s) {
  const char* p = s.data();
  const std::size_t n = s.size();
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  if (n >= 8) {
    if (n > 16) return std::hash<std::string_view>{}(s);
    a = load<std::uint64_t>(p);
    b = load<std::uint64_t>(p + n - 8);
  } else if (n >= 4) {
    a = load<std::uint32_t>(p);
    b = load<std::uint32_t>(p + n - 4);
  } else if (n > 0) {
    a = static_cast<unsigned char>(p[0]) |
        (std::uint64_t{static_cast<unsigned char>(p[n / 2])} << 8);
    b = static_cast<unsigned char>(p[n - 1]);
  }
  const std::uint64_t h = (a ^ kMul1) * ((b + n) ^ kMul2);
  return h ^ (h >> 32);
}

}  // namespace

std::uint32_t MainBaseIndex::hashKey(const Record& record) {
  const std::uint64_t h = (hashField(record.callsign) * kMul1) ^ hashField(record.rdaNumber);
  return static_cast<std::uint32_t>((h * kMul2) >> 32);
}

MainBaseIndex::MainBaseIndex(std::string_view mainBase, std::size_t expectedRecords)
    : m_data(mainBase) {
  assert(mainBase.size() < kOffsetMask);
  m_addedStarts.reserve(expectedRecords);
  m_addedHashes.reserve(expectedRecords);
}

void MainBaseIndex::add(const Record& record, std::size_t start) {
  assert(m_slots.empty());
  m_addedStarts.push_back(start);
  m_addedHashes.push_back(hashKey(record));
}

void MainBaseIndex::build() {
  // Two thirds full at most keeps probe runs short, and costs a third less
  // memory than half full would.
  const std::size_t size =
      std::bit_ceil(std::max<std::size_t>(16, m_addedStarts.size() + m_addedStarts.size() / 2));
  m_slots.assign(size, 0);
  // Later records of a key already in a slot: the slot, and where they start.
  struct Repeat {
    std::size_t slot;
    std::size_t start;
  };
  std::vector<Repeat> repeats;
  constexpr std::size_t kAhead = 16;
  const std::size_t added = m_addedStarts.size();
  for (std::size_t i = 0; i < added; ++i) {
    if (i + kAhead < added) prefetchSlot(m_addedHashes[i + kAhead]);
    const std::uint32_t hash = m_addedHashes[i];
    const std::size_t start = m_addedStarts[i];
    for (std::size_t s = hash & mask();; s = (s + 1) & mask()) {
      std::uint64_t& slot = m_slots[s];
      if (slot == 0) {
        slot = slotFor(hash, start);
        break;
      }
      if (sameHash(slot, hash) && sameKey(startIn(slot), recordAt(m_data, start))) {
        repeats.push_back({s, start});
        break;
      }
    }
  }
  m_addedStarts = {};
  m_addedHashes = {};
  if (repeats.empty()) return;

  // Repeats went in in file order, so ordering by slot, then by offset,
  // lines up each key's records in file order.
  std::sort(repeats.begin(), repeats.end(), [](const Repeat& a, const Repeat& b) {
    return a.slot != b.slot ? a.slot < b.slot : a.start < b.start;
  });
  std::size_t keys = 0;
  for (std::size_t i = 0; i < repeats.size(); ++i) {
    keys += i == 0 || repeats[i].slot != repeats[i - 1].slot;
  }
  std::vector<std::uint64_t>& cells = m_groups->cells;
  cells.reserve(repeats.size() + 2 * keys);
  for (std::size_t i = 0; i < repeats.size();) {
    const std::size_t s = repeats[i].slot;
    std::size_t j = i;
    while (j < repeats.size() && repeats[j].slot == s) ++j;
    const std::size_t group = cells.size();
    cells.push_back(j - i + 1);
    cells.push_back(startIn(m_slots[s]));
    for (; i < j; ++i) cells.push_back(repeats[i].start);
    m_slots[s] = (m_slots[s] & ~kOffsetMask) | kGroup | (group + 1);
  }
}

Partners MainBaseIndex::partners(const Record& record, std::uint32_t hash,
                                 std::size_t candidate) const {
  for (std::size_t s = candidate; m_slots[s] != 0; s = (s + 1) & mask()) {
    const std::uint64_t slot = m_slots[s];
    if (!sameHash(slot, hash) || !sameKey(firstStart(slot), record)) continue;
    if (!(slot & kGroup)) return {1, startIn(slot)};
    const std::size_t group = startIn(slot);
    return {m_groups->cells[group], group};
  }
  return {};
}

bool MainBaseIndex::sameKey(std::size_t start, const Record& record) const {
  const Record here = recordAt(m_data, start);
  return here.callsign == record.callsign && here.rdaNumber == record.rdaNumber;
}

}  // namespace sv

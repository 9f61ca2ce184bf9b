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
  m_added.reserve(expectedRecords);
}

void MainBaseIndex::add(const Record& record, std::size_t start) {
  assert(m_slots.empty());
  m_added.push_back({start, hashKey(record)});
}

void MainBaseIndex::build() {
  // Half full at most, so probe runs stay short.
  const std::size_t size = std::bit_ceil(std::max<std::size_t>(16, m_added.size() * 2));
  m_slots.assign(size, 0);
  constexpr std::size_t kAhead = 16;
  // Walking backwards and putting each record in front of its key's chain
  // leaves every chain in file order.
  for (std::size_t i = m_added.size(); i-- > 0;) {
    if (i >= kAhead) prefetchSlot(m_added[i - kAhead].hash);
    const Added& added = m_added[i];
    for (std::size_t s = added.hash & mask();; s = (s + 1) & mask()) {
      std::uint64_t& slot = m_slots[s];
      if (slot == 0) {
        slot = slotFor(added.hash, added.start);
        break;
      }
      std::size_t end;
      if (sameHash(slot, added.hash) &&
          sameKey(startIn(slot), recordAt(m_data, added.start), end)) {
        m_next.emplace(added.start, startIn(slot));
        slot = slotFor(added.hash, added.start) | kRepeated;
        break;
      }
    }
  }
  m_added = {};
}

bool MainBaseIndex::sameKey(std::size_t start, const Record& record, std::size_t& end) const {
  const Record here = recordAt(m_data, start, end);
  return here.callsign == record.callsign && here.rdaNumber == record.rdaNumber;
}

}  // namespace sv

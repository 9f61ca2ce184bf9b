#include "engine/main_base_index.h"

#include <bit>
#include <cassert>
#include <functional>

namespace sv {

void MainBaseIndex::add(const Record& record, std::size_t start) {
  assert(m_slots.empty());
  m_entries.push_back({record.callsign, record.rdaNumber, start, hashKey(record), kNone});
}

std::uint32_t MainBaseIndex::hashKey(const Record& record) {
  const std::size_t h1 = std::hash<std::string_view>{}(record.callsign);
  const std::size_t h2 = std::hash<std::string_view>{}(record.rdaNumber);
  const std::uint64_t mixed = (h1 ^ (h2 * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
  return static_cast<std::uint32_t>(mixed >> 32);
}

void MainBaseIndex::build() {
  // Half full at most, so probe runs stay short.
  const std::size_t slots = std::bit_ceil(std::max<std::size_t>(16, m_entries.size() * 2));
  m_slots.assign(slots, kNone);
  const std::size_t mask = slots - 1;
  // Walking backwards and putting each entry in front of its key's chain
  // leaves every chain in file order.
  for (std::size_t i = m_entries.size(); i-- > 0;) {
    Entry& entry = m_entries[i];
    for (std::size_t s = entry.hash & mask;; s = (s + 1) & mask) {
      std::uint32_t& slot = m_slots[s];
      if (slot == kNone) {
        slot = static_cast<std::uint32_t>(i);
        break;
      }
      const Entry& head = m_entries[slot];
      if (head.hash == entry.hash && head.callsign == entry.callsign &&
          head.rdaNumber == entry.rdaNumber) {
        entry.next = slot;
        slot = static_cast<std::uint32_t>(i);
        break;
      }
    }
  }
}

std::uint32_t MainBaseIndex::find(const Record& record) const {
  if (m_slots.empty()) return kNone;
  const std::uint32_t hash = hashKey(record);
  const std::size_t mask = m_slots.size() - 1;
  for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
    const std::uint32_t slot = m_slots[s];
    if (slot == kNone) return kNone;
    const Entry& head = m_entries[slot];
    if (head.hash == hash && head.callsign == record.callsign &&
        head.rdaNumber == record.rdaNumber) {
      return slot;
    }
  }
}

}  // namespace sv

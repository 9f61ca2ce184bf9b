#pragma once

// The main base's records keyed by (Callsign, RDA Number), built once per
// run so that each compared record costs one lookup instead of a pass over
// the whole main base. Records with equal keys are kept in file order, which
// is the order their coincidences must come out in.
//
// The index holds only byte offsets into the main base's bytes, which must
// outlive it. Lookups are meant to be made in batches: hash a few records,
// prefetch their slots, then look them up, so that the memory latency of one
// lookup hides behind the others.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/record_format.h"

namespace sv {

class MainBaseIndex {
 public:
  // expectedRecords sizes the index up front; more may be added.
  MainBaseIndex(std::string_view mainBase, std::size_t expectedRecords) : m_data(mainBase) {
    m_entries.reserve(expectedRecords);
  }

  static std::uint32_t hashKey(const Record& record);

  // Adds the record that occupies bytes [start, end) of the main base;
  // records must be added in file order.
  void add(const Record& record, std::size_t start, std::size_t end);
  // Makes the added records searchable. No add() after this.
  void build();

  // A lookup goes in stages, each of which touches memory that the stage
  // before it prefetched: the slot (prefetchSlot), then the entry the slot
  // names (candidate), then the record the entry names (prefetchRecord).
  void prefetchSlot(std::uint32_t hash) const { __builtin_prefetch(&m_slots[hash & mask()]); }
  // The first slot that is free or holds hash: where verifying starts.
  std::size_t candidate(std::uint32_t hash) const {
    std::size_t s = hash & mask();
    while (m_slots[s] != 0 && (m_slots[s] >> 32) != hash) s = (s + 1) & mask();
    if (m_slots[s] != 0) __builtin_prefetch(&m_entries[entryIn(s)]);
    return s;
  }
  void prefetchRecord(std::size_t candidate) const {
    if (m_slots[candidate] != 0) __builtin_prefetch(m_data.data() + m_entries[entryIn(candidate)].start);
  }

  // Calls visit(start, end) for every added record whose Callsign and RDA
  // Number equal the record's, in file order. hash is the record's key hash
  // and candidate what candidate(hash) gave.
  template <typename Visit>
  void forEachMatch(const Record& record, std::uint32_t hash, std::size_t candidate,
                    Visit&& visit) const {
    for (std::uint32_t i = find(record, hash, candidate); i != kNone; i = m_entries[i].next) {
      visit(m_entries[i].start, m_entries[i].end);
    }
  }

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  struct Entry {
    std::size_t start;
    std::size_t end;
    std::uint32_t hash;
    std::uint32_t next;  // the next entry with the same key
  };

  // A slot holds the key hash in its high half and entry index + 1 in its low
  // half, so that a probe rarely needs to look at the entry; 0 is free.
  static std::uint64_t slotFor(std::uint32_t hash, std::uint32_t entry) {
    return (std::uint64_t{hash} << 32) | (entry + 1);
  }

  bool sameKey(std::size_t start, const Record& record) const;
  std::size_t mask() const { return m_slots.size() - 1; }
  std::uint32_t entryIn(std::size_t slot) const {
    return static_cast<std::uint32_t>(m_slots[slot]) - 1;
  }
  // First entry with the record's key, or kNone, probing from slot candidate.
  std::uint32_t find(const Record& record, std::uint32_t hash, std::size_t candidate) const;

  std::string_view m_data;
  std::vector<Entry> m_entries;
  std::vector<std::uint64_t> m_slots;
};

}  // namespace sv

#pragma once

// The main base's records keyed by (Callsign, RDA Number), built once per
// run so that each compared record costs one lookup instead of a pass over
// the whole main base. Records with equal keys are kept in file order, which
// is the order their coincidences must come out in.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/record_format.h"

namespace sv {

class MainBaseIndex {
 public:
  // Adds the record that starts at byte offset start; records must be added
  // in file order and stay alive (they are views) while the index is used.
  void add(const Record& record, std::size_t start);

  // Makes the added records searchable. No add() after this.
  void build();

  // Calls visit(start) for every added record whose Callsign and RDA Number
  // equal the record's, in file order.
  template <typename Visit>
  void forEachMatch(const Record& record, Visit&& visit) const {
    for (std::uint32_t i = find(record); i != kNone; i = m_entries[i].next) {
      visit(m_entries[i].start);
    }
  }

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  struct Entry {
    std::string_view callsign;
    std::string_view rdaNumber;
    std::size_t start;
    std::uint32_t hash;
    std::uint32_t next;  // the next entry with the same key
  };

  static std::uint32_t hashKey(const Record& record);
  // First entry with the record's key, or kNone.
  std::uint32_t find(const Record& record) const;

  std::vector<Entry> m_entries;
  // Open addressing over the first entry of every key; kNone marks a free slot.
  std::vector<std::uint32_t> m_slots;
};

}  // namespace sv

#pragma once

// The main base's records keyed by (Callsign, RDA Number), built once per
// run so that each compared record costs one lookup instead of a pass over
// the whole main base. Records with equal keys are kept in file order, which
// is the order their coincidences must come out in.
//
// The index holds only byte offsets into the main base's bytes, which must
// outlive it. A slot holds the offset of the only record of its key, so a
// lookup touches just the slot and that record. Keys that several records
// share are listed as groups, each record once, so that a key held by
// thousands of records costs a lookup no more than any other. Lookups are
// meant to go in batches and stages, each touching memory the stage before
// prefetched, so that the memory latency of one lookup hides behind the
// others.

#include "engine/record_format.h"
#include "engine/result_list.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace sv {

// Asks for the cache line at p. The compiler's own prefetch builtin may be
// dropped as having no effect, as GCC does with a prefetch of an address
// read from memory; written out, it stays.
inline void prefetch(const void* p) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  asm volatile("prefetcht0 (%0)" : : "r"(p));
#else
  __builtin_prefetch(p);
#endif
}

class MainBaseIndex {
 public:
  // expectedRecords sizes the index up front; more may be added.
  MainBaseIndex(std::string_view mainBase, std::size_t expectedRecords);

  static std::uint32_t hashKey(const Record& record);

  // Adds the record that starts at byte offset start of the main base;
  // records must be added in file order.
  void add(const Record& record, std::size_t start);
  // Makes the added records searchable. No add() after this.
  void build();

  void prefetchSlot(std::uint32_t hash) const { prefetch(&m_slots[hash & mask()]); }
  // The first slot that is free or holds a record whose key hashes like
  // hash: where verifying starts.
  std::size_t candidate(std::uint32_t hash) const {
    std::size_t s = hash & mask();
    while (m_slots[s] != 0 && !sameHash(m_slots[s], hash)) s = (s + 1) & mask();
    return s;
  }
  // False when no record can match: the candidate slot is free.
  bool mayMatch(std::size_t candidate) const { return m_slots[candidate] != 0; }
  void prefetchRecord(std::size_t candidate) const {
    if (!mayMatch(candidate)) return;
    const std::uint64_t slot = m_slots[candidate];
    if (slot & kGroup) {
      prefetch(&m_groups->cells[startIn(slot)]);
      return;
    }
    // A record is rarely longer than two cache lines; it may straddle them.
    const char* record = m_data.data() + startIn(slot);
    prefetch(record);
    prefetch(record + 64);
  }

  // The added records whose Callsign and RDA Number equal the record's, in
  // file order. hash is the record's key hash and candidate what
  // candidate(hash) gave.
  Partners partners(const Record& record, std::uint32_t hash, std::size_t candidate) const;

  // The groups of keys held by several records, which Partners::where names;
  // they outlive the index.
  std::shared_ptr<const PartnerGroups> groups() const { return m_groups; }

 private:
  // A slot: the top 23 bits of the key hash, a bit telling that the key
  // has a group, and the record's offset + 1 (0 marks a free slot), or the
  // group's position + 1, in 40 bits, which is room for a terabyte.
  static constexpr int kOffsetBits = 40;
  static constexpr std::uint64_t kOffsetMask = (std::uint64_t{1} << kOffsetBits) - 1;
  static constexpr std::uint64_t kGroup = std::uint64_t{1} << kOffsetBits;
  static constexpr int kHashShift = kOffsetBits + 1;

  static std::uint64_t slotFor(std::uint32_t hash, std::size_t start) {
    return (std::uint64_t{hash} >> 9 << kHashShift) | (start + 1);
  }
  static bool sameHash(std::uint64_t slot, std::uint32_t hash) {
    return (slot >> kHashShift) == (hash >> 9);
  }
  static std::size_t startIn(std::uint64_t slot) { return (slot & kOffsetMask) - 1; }

  std::size_t mask() const { return m_slots.size() - 1; }
  // Whether the record at start has the key of record.
  bool sameKey(std::size_t start, const Record& record) const;
  // Where the first record of the key that slot names starts.
  std::size_t firstStart(std::uint64_t slot) const {
    return slot & kGroup ? m_groups->cells[startIn(slot) + 1] : startIn(slot);
  }

  std::string_view m_data;
  // What add() collected, until build() puts it into the slots; kept apart,
  // as together they would be padded to 16 bytes a record.
  std::vector<std::uint64_t> m_addedStarts;
  std::vector<std::uint32_t> m_addedHashes;
  std::vector<std::uint64_t> m_slots;
  std::shared_ptr<PartnerGroups> m_groups = std::make_shared<PartnerGroups>();
};

}  // namespace sv

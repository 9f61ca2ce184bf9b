#pragma once

// The run's result lists: ordered lists of text items, three per record
// (Callsign, RDA Number, Notes). The items are views into the bytes of the
// file the records came from, and the list shares ownership of those bytes,
// so it stays valid after the run and may be handed to another thread.
//
// A coincidence costs nothing of its own. A compared record with n
// partners in the main base is held once, with n; its partners are found
// through the main base's groups of equal keys. The compared side still
// lists it n times and the main base side lists each partner in turn, so
// items 3k to 3k+2 of both sides belong to coincidence k, as if every
// coincidence had been appended on its own.

#include "engine/record_format.h"
#include "files/file_system.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

namespace sv {

// The main base's keys that more than one record holds: for each, its number
// of records and then where each of them starts, in file order.
struct PartnerGroups {
  std::vector<std::uint64_t> cells;
};

// A compared record's partners in the main base: how many, and where to
// find them: the one partner's offset when there is one, else the position
// of its group in PartnerGroups.
struct Partners {
  std::uint64_t count = 0;
  std::uint64_t where = 0;
};

// Where a record lies in its file, in one word: its start in the top 40
// bits (room for a terabyte) and its length in the low 24, so that writing
// it needs no second reading; a record of 16 MiB or more is measured when
// needed.
class RecordPlace {
 public:
  RecordPlace() = default;
  RecordPlace(std::uint64_t start, std::uint64_t end)
      : m_word(start << kLengthBits | std::min<std::uint64_t>(end - start, kUnmeasured)) {}

  std::uint64_t start() const { return m_word >> kLengthBits; }
  // The record's bytes in data, the file it lies in.
  std::string_view in(std::string_view data) const {
    const std::uint64_t length = m_word & kUnmeasured;
    if (length != kUnmeasured) return data.substr(start(), length);
    return data.substr(start(), recordEnd(data, start()) - start());
  }

 private:
  static constexpr int kLengthBits = 24;
  static constexpr std::uint64_t kUnmeasured = (std::uint64_t{1} << kLengthBits) - 1;
  std::uint64_t m_word = 0;
};

// Records of one file: what the scan keeps.
class KeptRecords {
 public:
  void reserve(std::size_t records) { m_parts.back().reserve(records); }
  void append(RecordPlace place) {
    m_parts.back().push_back(place);
    ++m_count;
  }
  // Takes over other's storage: lists of millions are joined without copying.
  void appendAll(KeptRecords&& other);

  std::size_t count() const { return m_count; }
  RecordPlace place(std::size_t k) const;

 private:
  std::vector<std::vector<RecordPlace>> m_parts = std::vector<std::vector<RecordPlace>>(1);
  std::size_t m_count = 0;
};

// Every coincidence of a scan, one entry per dupe compared record, in the
// order of the compared file.
class Coincidences {
 public:
  explicit Coincidences(std::shared_ptr<const PartnerGroups> groups = {})
      : m_groups(std::move(groups)) {}

  void setGroups(std::shared_ptr<const PartnerGroups> groups) { m_groups = std::move(groups); }
  void reserve(std::size_t dupes) { m_parts.back().dupes.reserve(dupes); }
  // The compared record at compared has partners.count > 0 partners.
  void append(RecordPlace compared, Partners partners);
  void appendAll(Coincidences&& other);

  std::uint64_t count() const { return m_count; }
  // Where coincidence k's compared record lies and its main base record starts.
  RecordPlace comparedPlace(std::uint64_t k) const;
  std::uint64_t mainStart(std::uint64_t k) const;
  // Calls visit(compared record, partner count) for each dupe in order;
  // stops at the first error.
  std::error_code forEachDupe(
      const std::function<std::error_code(RecordPlace, std::uint64_t)>& visit) const;

 private:
  struct Dupe {
    RecordPlace compared;
    std::uint64_t where;
    // Coincidences of its part before this dupe's.
    std::uint64_t before;
  };
  struct Part {
    std::vector<Dupe> dupes;
    std::uint64_t count = 0;
  };
  struct Found {
    const Dupe* dupe;
    std::uint64_t partners;
    std::uint64_t j;  // which partner
  };
  Found find(std::uint64_t k) const;

  std::shared_ptr<const PartnerGroups> m_groups;
  std::vector<Part> m_parts = std::vector<Part>(1);
  std::uint64_t m_count = 0;
};

class ResultList {
 public:
  enum class Side { Kept, Compared, MainBase };

  ResultList() = default;
  ResultList(SharedContents source, std::shared_ptr<const KeptRecords> records);
  ResultList(SharedContents source, std::shared_ptr<const Coincidences> coincidences, Side side);

  // Number of items: three per record.
  std::uint64_t size() const { return recordCount() * 3; }
  bool empty() const { return recordCount() == 0; }
  std::uint64_t recordCount() const;

  std::string_view item(std::uint64_t index) const;
  Record record(std::uint64_t k) const;
  // Record k's bytes in its source, line ends included.
  std::string_view bytes(std::uint64_t k) const;

  // Calls visit(record bytes, times) for runs of equal records in list order:
  // a compared record with n coincidences comes once, with n.
  std::error_code forEachRun(
      const std::function<std::error_code(std::string_view, std::uint64_t)>& visit) const;

 private:
  std::uint64_t startOf(std::uint64_t k) const;

  SharedContents m_source;
  std::string_view m_bytes;
  Side m_side = Side::Kept;
  std::shared_ptr<const KeptRecords> m_kept;
  std::shared_ptr<const Coincidences> m_coincidences;
};

}  // namespace sv

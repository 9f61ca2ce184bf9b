#pragma once

// An ordered list of text items, three per record (Callsign, RDA Number,
// Notes), as the run fills it. The items are views into the bytes of the file
// the records came from; the list shares ownership of those bytes, so it
// stays valid after the run and may be handed to another thread.

#include "engine/record_format.h"
#include "platform/file_system.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sv {

class ResultList {
 public:
  ResultList() = default;
  explicit ResultList(SharedContents source)
      : m_source(std::move(source)), m_bytes(m_source->bytes()) {}

  // Number of items: three per record.
  std::size_t size() const { return m_count * 3; }
  bool empty() const { return m_count == 0; }
  std::size_t recordCount() const { return m_count; }

  std::string_view item(std::size_t index) const;
  Record record(std::size_t k) const;
  // Record k's bytes in its source, line ends included.
  std::string_view bytes(std::size_t k) const;

  void reserve(std::size_t records) { m_parts.back().reserve(records); }
  // An empty list over the same source.
  ResultList emptyCopy() const { return ResultList(m_source); }
  // Appends every record of other, which must have the same source, by
  // taking over its storage: lists of millions of records are joined
  // without copying them.
  void appendAll(ResultList&& other);
  // Appends the record that occupies bytes [start, end) of the source.
  void append(std::size_t start, std::size_t end) {
    m_parts.back().push_back({start, end});
    ++m_count;
  }

 private:
  struct Span {
    std::size_t start;
    std::size_t end;
  };

  const Span& span(std::size_t k) const;

  SharedContents m_source;
  std::string_view m_bytes;
  // The records in order, as one or more parts joined end to end.
  std::vector<std::vector<Span>> m_parts = std::vector<std::vector<Span>>(1);
  std::size_t m_count = 0;
};

}  // namespace sv

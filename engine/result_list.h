#pragma once

// An ordered list of text items, three per record (Callsign, RDA Number,
// Notes), as the run fills it. The items are views into the bytes of the file
// the records came from; the list shares ownership of those bytes, so it
// stays valid after the run and may be handed to another thread.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/record_format.h"

namespace sv {

class ResultList {
 public:
  ResultList() = default;
  explicit ResultList(std::shared_ptr<const std::string> source) : m_source(std::move(source)) {}

  // Number of items: three per record.
  std::size_t size() const { return m_spans.size() * 3; }
  bool empty() const { return m_spans.empty(); }
  std::size_t recordCount() const { return m_spans.size(); }

  std::string_view item(std::size_t index) const;
  Record record(std::size_t k) const;
  // Record k's bytes in its source, line ends included.
  std::string_view bytes(std::size_t k) const;

  void reserve(std::size_t records) { m_spans.reserve(records); }
  // Appends the record that occupies bytes [start, end) of the source.
  void append(std::size_t start, std::size_t end) { m_spans.push_back({start, end}); }

 private:
  struct Span {
    std::size_t start;
    std::size_t end;
  };

  std::shared_ptr<const std::string> m_source;
  std::vector<Span> m_spans;
};

}  // namespace sv

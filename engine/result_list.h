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
  std::size_t size() const { return m_starts.size() * 3; }
  bool empty() const { return m_starts.empty(); }
  std::size_t recordCount() const { return m_starts.size(); }

  std::string_view item(std::size_t index) const;
  Record record(std::size_t k) const;

  // Appends the record that starts at this byte offset of the source.
  void append(std::size_t recordStart) { m_starts.push_back(recordStart); }

 private:
  std::shared_ptr<const std::string> m_source;
  std::vector<std::size_t> m_starts;
};

}  // namespace sv

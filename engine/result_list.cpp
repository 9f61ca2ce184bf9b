#include "engine/result_list.h"

#include <cassert>
#include <utility>

namespace sv {

std::string_view ResultList::item(std::size_t index) const {
  assert(index < size());
  return field(record(index / 3), index % 3);
}

Record ResultList::record(std::size_t k) const { return recordAt(m_bytes, span(k).start); }

std::string_view ResultList::bytes(std::size_t k) const {
  const Span& s = span(k);
  return m_bytes.substr(s.start, s.end - s.start);
}

void ResultList::appendAll(ResultList&& other) {
  assert(other.m_source == m_source);
  for (std::vector<Span>& part : other.m_parts) {
    if (!part.empty()) m_parts.push_back(std::move(part));
  }
  m_count += std::exchange(other.m_count, 0);
  other.m_parts.assign(1, {});
}

const ResultList::Span& ResultList::span(std::size_t k) const {
  assert(k < m_count);
  for (const std::vector<Span>& part : m_parts) {
    if (k < part.size()) return part[k];
    k -= part.size();
  }
  __builtin_unreachable();
}

}  // namespace sv

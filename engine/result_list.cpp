#include "engine/result_list.h"

#include <cassert>

namespace sv {

std::string_view ResultList::item(std::size_t index) const {
  assert(index < size());
  return field(record(index / 3), index % 3);
}

Record ResultList::record(std::size_t k) const {
  assert(k < m_spans.size());
  return recordAt(*m_source, m_spans[k].start);
}

std::string_view ResultList::bytes(std::size_t k) const {
  assert(k < m_spans.size());
  const Span& span = m_spans[k];
  return std::string_view(*m_source).substr(span.start, span.end - span.start);
}

}  // namespace sv

#include "engine/result_list.h"

#include <cassert>

namespace sv {

std::string_view ResultList::item(std::size_t index) const {
  assert(index < size());
  return field(record(index / 3), index % 3);
}

Record ResultList::record(std::size_t k) const {
  assert(k < m_starts.size());
  return recordAt(*m_source, m_starts[k]);
}

}  // namespace sv

#include "engine/result_list.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace sv {

void KeptRecords::appendAll(KeptRecords&& other) {
  for (std::vector<RecordPlace>& part : other.m_parts) {
    if (!part.empty()) m_parts.push_back(std::move(part));
  }
  m_count += std::exchange(other.m_count, 0);
  other.m_parts.assign(1, {});
}

RecordPlace KeptRecords::place(std::size_t k) const {
  assert(k < m_count);
  for (const std::vector<RecordPlace>& part : m_parts) {
    if (k < part.size()) return part[k];
    k -= part.size();
  }
  __builtin_unreachable();
}

void Coincidences::append(RecordPlace compared, Partners partners) {
  assert(partners.count > 0);
  Part& part = m_parts.back();
  part.dupes.push_back({compared, partners.where, part.count});
  part.count += partners.count;
  m_count += partners.count;
}

void Coincidences::appendAll(Coincidences&& other) {
  assert(!other.m_groups || !m_groups || other.m_groups == m_groups);
  for (Part& part : other.m_parts) {
    if (!part.dupes.empty()) m_parts.push_back(std::move(part));
  }
  m_count += std::exchange(other.m_count, 0);
  other.m_parts.assign(1, {});
}

Coincidences::Found Coincidences::find(std::uint64_t k) const {
  assert(k < m_count);
  for (const Part& part : m_parts) {
    if (k >= part.count) {
      k -= part.count;
      continue;
    }
    // The last dupe whose first coincidence is at or before k.
    const auto next = std::upper_bound(part.dupes.begin(), part.dupes.end(), k,
                                       [](std::uint64_t n, const Dupe& d) { return n < d.before; });
    const Dupe& dupe = *(next - 1);
    const std::uint64_t end = next == part.dupes.end() ? part.count : next->before;
    return {&dupe, end - dupe.before, k - dupe.before};
  }
  __builtin_unreachable();
}

RecordPlace Coincidences::comparedPlace(std::uint64_t k) const { return find(k).dupe->compared; }

std::uint64_t Coincidences::mainStart(std::uint64_t k) const {
  const Found found = find(k);
  if (found.partners == 1) return found.dupe->where;
  assert(m_groups && m_groups->cells[found.dupe->where] == found.partners);
  return m_groups->cells[found.dupe->where + 1 + found.j];
}

std::error_code Coincidences::forEachDupe(
    const std::function<std::error_code(RecordPlace, std::uint64_t)>& visit) const {
  for (const Part& part : m_parts) {
    for (std::size_t d = 0; d < part.dupes.size(); ++d) {
      const std::uint64_t end = d + 1 < part.dupes.size() ? part.dupes[d + 1].before : part.count;
      if (auto error = visit(part.dupes[d].compared, end - part.dupes[d].before)) {
        return error;
      }
    }
  }
  return {};
}

ResultList::ResultList(SharedContents source, std::shared_ptr<const KeptRecords> records)
    : m_source(std::move(source)),
      m_bytes(m_source->bytes()),
      m_side(Side::Kept),
      m_kept(std::move(records)) {}

ResultList::ResultList(SharedContents source, std::shared_ptr<const Coincidences> coincidences,
                       Side side)
    : m_source(std::move(source)),
      m_bytes(m_source->bytes()),
      m_side(side),
      m_coincidences(std::move(coincidences)) {
  assert(side != Side::Kept);
}

std::uint64_t ResultList::recordCount() const {
  if (m_kept) return m_kept->count();
  if (m_coincidences) return m_coincidences->count();
  return 0;
}

std::uint64_t ResultList::startOf(std::uint64_t k) const {
  switch (m_side) {
    case Side::Kept:
      return m_kept->place(k).start();
    case Side::Compared:
      return m_coincidences->comparedPlace(k).start();
    case Side::MainBase:
      return m_coincidences->mainStart(k);
  }
  __builtin_unreachable();
}

std::string_view ResultList::item(std::uint64_t index) const {
  assert(index < size());
  return field(record(index / 3), index % 3);
}

Record ResultList::record(std::uint64_t k) const { return recordAt(m_bytes, startOf(k)); }

std::string_view ResultList::bytes(std::uint64_t k) const {
  switch (m_side) {
    case Side::Kept:
      return m_kept->place(k).in(m_bytes);
    case Side::Compared:
      return m_coincidences->comparedPlace(k).in(m_bytes);
    case Side::MainBase:
      break;
  }
  const std::size_t start = m_coincidences->mainStart(k);
  return m_bytes.substr(start, recordEnd(m_bytes, start) - start);
}

std::error_code ResultList::forEachRun(
    const std::function<std::error_code(std::string_view, std::uint64_t)>& visit) const {
  if (m_kept) {
    for (std::size_t k = 0; k < m_kept->count(); ++k) {
      if (auto error = visit(m_kept->place(k).in(m_bytes), 1)) return error;
    }
    return {};
  }
  if (!m_coincidences) return {};
  if (m_side == Side::Compared) {
    return m_coincidences->forEachDupe(
        [&](RecordPlace place, std::uint64_t times) { return visit(place.in(m_bytes), times); });
  }
  for (std::uint64_t k = 0; k < m_coincidences->count(); ++k) {
    if (auto error = visit(bytes(k), 1)) return error;
  }
  return {};
}

}  // namespace sv

#include "engine/record_format.h"

#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace sv {
namespace {

// The first CR in [p, end), or end. Lines are short, so a call to memchr
// costs more than the search itself; sixteen bytes at a time does not.
const char* findCr(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, cr)));
    if (mask != 0) return p + std::countr_zero(mask);
  }
#endif
  const void* found = std::memchr(p, '\r', static_cast<std::size_t>(end - p));
  return found != nullptr ? static_cast<const char*>(found) : end;
}

}  // namespace

std::string_view readLine(std::string_view data, std::size_t& pos) {
  assert(pos < data.size());
  const char* begin = data.data() + pos;
  const char* end = data.data() + data.size();
  const char* cr = findCr(begin, end);
  if (cr == end) {
    pos = data.size();
    return {begin, static_cast<std::size_t>(end - begin)};
  }
  const std::size_t length = static_cast<std::size_t>(cr - begin);
  pos += length + 1;
  if (pos < data.size() && data[pos] == '\n') ++pos;
  return {begin, length};
}

#if defined(__SSE2__)
namespace {

// Positions of the CR bytes among the 64 bytes at p, one bit each.
std::uint64_t crMask64(const char* p) {
  const __m128i cr = _mm_set1_epi8('\r');
  std::uint64_t mask = 0;
  for (int i = 0; i < 4; ++i) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    mask |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, cr)))}
            << (16 * i);
  }
  return mask;
}

}  // namespace
#endif

bool RecordReader::read(Record& record) {
#if defined(__SSE2__)
  // Most records fit in 64 bytes: find all three line ends with one look.
  const char* begin = m_data.data() + m_pos;
  const char* end = m_data.data() + m_data.size();
  if (end - begin >= 64) {
    std::uint64_t crs = crMask64(begin);
    const std::uint64_t fromSecond = crs & (crs - 1);
    if ((fromSecond & (fromSecond - 1)) != 0) {
      const char* p = begin;
      for (std::string_view* f : {&record.callsign, &record.rdaNumber, &record.notes}) {
        const char* cr = begin + std::countr_zero(crs);
        crs &= crs - 1;
        *f = {p, static_cast<std::size_t>(cr - p)};
        p = cr + 1;
        if (p != end && *p == '\n') ++p;
      }
      m_pos = static_cast<std::size_t>(p - m_data.data());
      m_lines += 3;
      return true;
    }
  }
#endif
  std::string_view* fields[] = {&record.callsign, &record.rdaNumber, &record.notes};
  for (std::string_view* f : fields) {
    if (atEnd()) return false;
    *f = readLine(m_data, m_pos);
    ++m_lines;
  }
  return true;
}

Record recordAt(std::string_view data, std::size_t start, std::size_t& end) {
  RecordReader reader(data.substr(start));
  Record record;
  [[maybe_unused]] const bool complete = reader.read(record);
  assert(complete);
  end = start + reader.position();
  return record;
}

Record recordAt(std::string_view data, std::size_t start) {
  std::size_t end;
  return recordAt(data, start, end);
}

std::size_t recordEnd(std::string_view data, std::size_t start) {
  std::size_t end;
  recordAt(data, start, end);
  return end;
}

std::string_view field(const Record& record, std::size_t index) {
  switch (index) {
    case 0:
      return record.callsign;
    case 1:
      return record.rdaNumber;
    default:
      assert(index == 2);
      return record.notes;
  }
}

bool hasLoneLineFeed(std::string_view data) {
  for (std::size_t pos = data.find('\n'); pos != std::string_view::npos;
       pos = data.find('\n', pos + 1)) {
    if (pos == 0 || data[pos - 1] != '\r') return true;
  }
  return false;
}

void appendRecord(std::string& out, const Record& record) {
  for (std::string_view f : {record.callsign, record.rdaNumber, record.notes}) {
    out.append(f);
    out.append(kLineEnd);
  }
}

bool isWrittenForm(std::string_view data) {
  const char* p = data.data();
  const char* end = p + data.size();
  if (p != end && (data.size() < 2 || end[-2] != '\r' || end[-1] != '\n')) return false;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; end - p >= 17; p += 16) {
    const auto crs =
        _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), cr));
    const auto lfsAfter = _mm_movemask_epi8(
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1)), lf));
    if ((crs & ~lfsAfter) != 0) return false;
  }
#endif
  for (; p != end; ++p) {
    if (*p == '\r' && (end - p < 2 || p[1] != '\n')) return false;
  }
  return true;
}

}  // namespace sv

#include "engine/record_format.h"

#include <cassert>
#include <cstring>

namespace sv {

std::string_view readLine(std::string_view data, std::size_t& pos) {
  assert(pos < data.size());
  const char* begin = data.data() + pos;
  const std::size_t left = data.size() - pos;
  const void* cr = std::memchr(begin, '\r', left);
  if (cr == nullptr) {
    pos = data.size();
    return {begin, left};
  }
  const std::size_t length = static_cast<const char*>(cr) - begin;
  pos += length + 1;
  if (pos < data.size() && data[pos] == '\n') ++pos;
  return {begin, length};
}

bool RecordReader::read(Record& record) {
  std::string_view* fields[] = {&record.callsign, &record.rdaNumber, &record.notes};
  for (std::string_view* f : fields) {
    if (atEnd()) return false;
    *f = readLine(m_data, m_pos);
    ++m_lines;
  }
  return true;
}

Record recordAt(std::string_view data, std::size_t start) {
  RecordReader reader(data.substr(start));
  Record record;
  [[maybe_unused]] const bool complete = reader.read(record);
  assert(complete);
  return record;
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

}  // namespace sv

#pragma once

// The record file format, stated once.
//
// A record file is nothing but records: every three consecutive lines form
// one record (Callsign, RDA Number, Notes). There is no header and no
// separator. Fields are bytes, never decoded, trimmed or case-folded.
//
// Reading: a line runs up to the next CR, which ends it; a LF directly after
// that CR belongs to the same line end. A LF anywhere else is an ordinary
// byte of the line. The last line of a file needs no line end. A file is at
// its end when no byte is left, so a line end after the last line starts one
// more (empty) line. A record is read only when the file is not at its end,
// and then all three of its lines must be there: a file whose line count is
// not a multiple of three is truncated inside its last record.
//
// Writing: every field, the last included, is followed by CR LF.

#include <cstddef>
#include <string>
#include <string_view>

namespace sv {

struct Record {
  std::string_view callsign;
  std::string_view rdaNumber;
  std::string_view notes;
};

inline constexpr std::string_view kLineEnd = "\r\n";

// Returns the line that starts at pos and moves pos past its line end.
// pos must be below data.size().
std::string_view readLine(std::string_view data, std::size_t& pos);

// Reads the records of a file held in memory, one after the other.
class RecordReader {
 public:
  explicit RecordReader(std::string_view data) : m_data(data) {}

  bool atEnd() const { return m_pos == m_data.size(); }

  // Reads the record at the current position. Returns false when the data
  // ends inside it; record then holds nothing useful. Must not be called at
  // the end.
  bool read(Record& record);

  // Byte offset of the next record; after a successful read, the record just
  // read started at the position before the call.
  std::size_t position() const { return m_pos; }
  // Lines read so far, the partial record's included.
  std::size_t linesRead() const { return m_lines; }

 private:
  std::string_view m_data;
  std::size_t m_pos = 0;
  std::size_t m_lines = 0;
};

// The complete record that starts at offset start of data.
Record recordAt(std::string_view data, std::size_t start);
// The same, and where it ends: the offset just past its third line end.
Record recordAt(std::string_view data, std::size_t start, std::size_t& end);

// Where the complete record that starts at offset start of data ends: the
// offset just past its third line end.
std::size_t recordEnd(std::string_view data, std::size_t start);

// Field 0, 1 or 2 (Callsign, RDA Number, Notes) of a record.
std::string_view field(const Record& record, std::size_t index);

// True when data holds a LF that does not directly follow a CR: a sign that
// the file was written with LF-only line ends.
bool hasLoneLineFeed(std::string_view data);

void appendRecord(std::string& out, const Record& record);

// True when data is exactly what writing its own lines would give: every CR
// is followed by LF, and data is empty or ends with CR LF. Each record of such
// data can then be copied as it stands.
bool isWrittenForm(std::string_view data);

}  // namespace sv

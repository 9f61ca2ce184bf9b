#pragma once

// How many rows a result list box holds. A list box counts its rows in an
// int (and a Qt view lays them out in int pixels), so a run's list can be
// longer than any list box: it then shows its first items, whole records
// only, and one last row that says how many items are not shown. Both lists
// of a pair have the same length and are cut at the same row, so they stay
// paired. The files and the count always hold everything.

#include <cstdint>
#include <string>

namespace sv::design {

struct ListRows {
  std::uint64_t shownItems = 0;  // items shown, from the first
  int rows = 0;                  // shownItems, plus the note's row when cut

  bool cut() const { return static_cast<std::uint64_t>(rows) != shownItems; }
  // Whether row is the note's, rather than an item's.
  bool isNote(std::uint64_t row) const { return cut() && row == shownItems; }
};

// The rows for a list of items in a list box that holds at most maxRows
// (at least 4: one record and the note).
ListRows listRows(std::uint64_t items, int maxRows);

// "... N more items not shown"
std::string cutNote(std::uint64_t hiddenItems);

}  // namespace sv::design

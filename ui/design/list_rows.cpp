#include "ui/design/list_rows.h"

#include <algorithm>

namespace sv::design {

ListRows listRows(std::uint64_t items, int maxRows) {
  const auto limit = static_cast<std::uint64_t>(std::max(maxRows, 4));
  if (items <= limit) return {items, static_cast<int>(items)};
  // Whole records of three items each, then the note.
  const std::uint64_t shown = (limit - 1) / 3 * 3;
  return {shown, static_cast<int>(shown + 1)};
}

std::string cutNote(std::uint64_t hiddenItems) {
  return "... " + std::to_string(hiddenItems) + " more items not shown";
}

}  // namespace sv::design

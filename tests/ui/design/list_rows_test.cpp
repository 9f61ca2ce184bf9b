#include "ui/design/list_rows.h"

#include <climits>
#include <gtest/gtest.h>

namespace sv::design {
namespace {

TEST(ListRows, ALongListShowsWholeRecordsThenOneNoteWithinTheLimit) {
  // What fits is shown whole, without a note.
  EXPECT_EQ(listRows(12, 12).rows, 12);
  EXPECT_FALSE(listRows(12, 12).cut());
  EXPECT_FALSE(listRows(0, 12).isNote(0));

  // One item too many: the last whole record that leaves room for the note.
  const ListRows rows = listRows(13, 12);
  EXPECT_TRUE(rows.cut());
  EXPECT_EQ(rows.shownItems, 9u);
  EXPECT_EQ(rows.rows, 10);
  EXPECT_TRUE(rows.isNote(9));
  EXPECT_FALSE(rows.isNote(8));

  // Far beyond an int, the count never wraps.
  const ListRows huge = listRows(30'000'000'000ull, INT_MAX);
  EXPECT_LE(huge.rows, INT_MAX);
  EXPECT_GT(huge.rows, INT_MAX - 4);
  EXPECT_EQ(huge.shownItems % 3, 0u);
  EXPECT_EQ(cutNote(30'000'000'000ull - huge.shownItems),
            "... " + std::to_string(30'000'000'000ull - huge.shownItems) + " more items not shown");
}

}  // namespace
}  // namespace sv::design

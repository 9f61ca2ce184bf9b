// List3 and List4 keep the same item selected and the same top row, whether
// the user moves one by mouse, keyboard, wheel or scroll bar, and a screen
// reader hears every move in both.

#include "tests/ui/win32/window_fixture.h"

#include <algorithm>

namespace sv::testing {
namespace {

class PairedListsTest : public Form1Test {
 protected:
  void SetUp() override {
    Form1Test::SetUp();
    files.files["MainBase.dat"] = records(0, 40, "main");
    files.files["new.rda"] = records(0, 30, "new");  // 30 coincidences, 90 items a list
    run("MainBase.dat", "new.rda");
    list3 = control("List3");
    list4 = control("List4");
    ASSERT_EQ(count(list3), 90);
  }

  static int top(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0)); }

  void clickRow(HWND list, int row) {
    const LPARAM at = MAKELPARAM(10, row * 13 + 6);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(list, WM_LBUTTONUP, 0, at);
    pumpMessages(window.get());
  }
  void key(HWND list, WPARAM key) {
    SetFocus(list);
    SendMessageW(list, WM_KEYDOWN, key, 0);
    pumpMessages(window.get());
  }
  void scroll(HWND list, WORD code, WORD position = 0) {
    SendMessageW(list, WM_VSCROLL, MAKEWPARAM(code, position), 0);
    pumpMessages(window.get());
  }

  HWND list3 = nullptr;
  HWND list4 = nullptr;
};

struct Event {
  DWORD event;
  HWND list;
  LONG child;  // the item's index + 1
  friend bool operator==(const Event&, const Event&) = default;
};
std::vector<Event> g_events;

void CALLBACK recordEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                          DWORD) {
  if (object == OBJID_CLIENT) g_events.push_back({event, hwnd, child});
}
bool heard(const Event& event) { return std::ranges::count(g_events, event) > 0; }

// The keys go on from the mirrored item: the list that follows moves its
// caret with its selection. Both lists announce the selection, only the
// focused one the focus.
TEST_F(PairedListsTest, SelectionIsMirroredAndAnnouncedBothWaysByMouseAndKeyboard) {
  EXPECT_EQ(selected(list3), 89) << "a run leaves the last item selected";
  EXPECT_EQ(top(list3), top(list4));
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, &recordEvent,
                      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  scroll(list3, SB_TOP);
  const struct {
    HWND list;
    WPARAM key;  // 0: a click on row 5
    int selected;
  } moves[] = {{list4, 0, 5},       {list3, VK_DOWN, 6}, {list3, 0, 5},
               {list4, VK_DOWN, 6}, {list4, VK_END, 89}, {list3, VK_UP, 88},
               {list4, VK_HOME, 0}, {list3, VK_DOWN, 1}, {list3, 0, 5}};
  for (const auto& move : moves) {
    SCOPED_TRACE(::testing::Message() << "key " << move.key << " to " << move.selected);
    g_events.clear();
    if (move.key) {
      key(move.list, move.key);
    } else {
      clickRow(move.list, 5);
    }
    const HWND other = move.list == list3 ? list4 : list3;
    EXPECT_EQ(selected(move.list), move.selected);
    EXPECT_EQ(selected(other), move.selected);
    EXPECT_EQ(top(list3), top(list4));
    EXPECT_TRUE(heard({EVENT_OBJECT_SELECTION, move.list, move.selected + 1}));
    EXPECT_TRUE(heard({EVENT_OBJECT_SELECTION, other, move.selected + 1}));
    EXPECT_TRUE(heard({EVENT_OBJECT_FOCUS, move.list, move.selected + 1}));
    EXPECT_FALSE(heard({EVENT_OBJECT_FOCUS, other, move.selected + 1}));
  }
  UnhookWinEvent(hook);
  clickRow(list3, 5);  // the item already selected: nothing changes
  EXPECT_EQ(selected(list4), 5);
}

TEST_F(PairedListsTest, ScrollingIsMirroredBothWaysByBarWheelAndToTheEnd) {
  scroll(list3, SB_TOP);
  EXPECT_EQ(top(list4), 0);
  scroll(list3, SB_LINEDOWN);
  EXPECT_EQ(top(list3), 1);
  EXPECT_EQ(top(list4), 1);
  scroll(list4, SB_PAGEDOWN);
  EXPECT_EQ(top(list3), top(list4));
  EXPECT_GT(top(list3), 1);
  scroll(list4, SB_THUMBPOSITION, 40);
  EXPECT_EQ(top(list4), 40);
  EXPECT_EQ(top(list3), 40);

  RECT place;
  GetWindowRect(list4, &place);
  SendMessageW(list4, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA),
               MAKELPARAM(place.left + 5, place.top + 5));
  pumpMessages(window.get());
  EXPECT_GT(top(list4), 40);
  EXPECT_EQ(top(list3), top(list4));

  scroll(list3, SB_BOTTOM);
  EXPECT_EQ(top(list3), 80);  // 90 items, 10 rows shown
  EXPECT_EQ(top(list4), 80);
  // The selection stays where it was: scrolling only moves the rows.
  EXPECT_EQ(selected(list3), 89);
}

}  // namespace
}  // namespace sv::testing

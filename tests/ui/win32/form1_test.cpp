// Form1 through its controls: its frame and keyboard (its title and client
// area at any dpi are sv_smoke's), the pickers, the busy run into the lists
// and the count, failures, and what a screen reader reads of it from a
// second process (sv-accessibility-probe).

#include "tests/ui/win32/window_fixture.h"
#include "ui/win32/win32_file_dialog.h"

#include <mutex>
#include <oleacc.h>

namespace sv::testing {
namespace {

using namespace std::string_literals;

TEST_F(Form1Test, FrameFollowsTheDesignAndControlsScaleWithTheDpi) {
  const LONG_PTR style = GetWindowLongPtrW(window->hwnd(), GWL_STYLE);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), WS_MINIMIZEBOX);
  EXPECT_EQ(GetMenu(window->hwnd()), nullptr);  // the pop-up menu makes no menu bar
  EXPECT_NE(SendMessageW(window->hwnd(), WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(SendMessageW(control("List3"), LB_GETITEMHEIGHT, 0, 0), 13);

  open(144);
  RECT list2;
  GetWindowRect(control("List2"), &list2);
  EXPECT_EQ(list2.right - list2.left, 566);  // 5655 twips, 565.5 pixels
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control("Label1"), WM_GETFONT, 0, 0)),
             sizeof(font), &font);
  EXPECT_EQ(font.lfHeight, -20);  // 9.75 pt
}

TEST_F(Form1Test, FocusStartsOnList3AndTabFollowsTheKeyboardOrderEnterPressesEscDoesNothing) {
  SetForegroundWindow(window->hwnd());
  EXPECT_EQ(GetFocus(), control("List3"));
  const char* order[] = {"List4", "of1",   "of2",   "Command1", "Command3",
                         "List2", "Text1", "Text2", "List3"};
  for (const char* next : order) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    pumpMessages(window.get());
    EXPECT_EQ(GetFocus(), control(next)) << "Tab towards " << next;
  }

  SetFocus(control("of1"));
  dialog.answers = {"C:\\data\\MainBase.dat"};
  PostMessageW(control("of1"), WM_KEYDOWN, VK_RETURN, 0);
  pumpMessages(window.get());
  EXPECT_EQ(dialog.calls.size(), 1u);

  PostMessageW(control("of1"), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(pumpMessages(window.get()));
  EXPECT_TRUE(window->isOpen());
  EXPECT_EQ(dialog.calls.size(), 1u);
}

TEST_F(Form1Test, PickersUseTheirFiltersOfferTheEarlierChoiceAndCancelKeepsIt) {
  dialog.answers = {"C:\\a b\\MainBase.dat", std::nullopt, "D:\\\xd0\xbd\xd0\xbe\xd0\xb2.rda"};
  click("of1");
  click("of1");       // cancelled
  click("Command1");  // one file chosen: no run
  EXPECT_TRUE(failures.empty());
  click("of2");
  ASSERT_EQ(dialog.calls.size(), 3u);
  EXPECT_EQ(dialog.calls[0].filter, "MainBase.dat|MainBase.dat");
  EXPECT_EQ(dialog.calls[0].initialFile, "");
  EXPECT_EQ(dialog.calls[0].owner, window->hwnd());
  EXPECT_EQ(dialog.calls[1].initialFile, "C:\\a b\\MainBase.dat");
  EXPECT_EQ(dialog.calls[2].filter, "RDA files|*.rda|");
  // As the dialog takes them: NUL after each part, one more at the end.
  EXPECT_EQ(win32::dialogFilter(dialog.calls[0].filter), L"MainBase.dat\0MainBase.dat\0\0"s);
  EXPECT_EQ(win32::dialogFilter(dialog.calls[2].filter), L"RDA files\0*.rda\0\0"s);
  EXPECT_EQ(windowText(control("Text1")), L" C:\\a b\\MainBase.dat");
  // Any characters: the path is kept in UTF-8 and shown in wide characters.
  EXPECT_EQ(windowText(control("Text2")), L" D:\\\x043d\x043e\x0432.rda");

  dialog.answers = {std::nullopt};
  click("of2");
  EXPECT_EQ(dialog.calls.back().initialFile, "D:\\\xd0\xbd\xd0\xbe\xd0\xb2.rda");
  EXPECT_EQ(windowText(control("Text2")), L" D:\\\x043d\x043e\x0432.rda");
}

TEST_F(Form1Test, RunFillsTheListsSelectsTheLastItemsAndShowsTheCount) {
  files.files["MainBase.dat"] = records(0, 5, "main");
  files.files["new.rda"] = records(3, 4, "new");  // 3 and 4 are dupes, 5 and 6 stay
  run("MainBase.dat", "new.rda");

  EXPECT_TRUE(failures.empty());
  for (const char* list : {"List2", "List3", "List4"}) {
    EXPECT_EQ(count(control(list)), 6) << list;
    EXPECT_EQ(selected(control(list)), 5) << list;
  }
  EXPECT_EQ(windowText(control("Label1")), L"Total dupes records: 2");
  EXPECT_EQ(files.files["new.rda"], records(5, 2, "new"));
  EXPECT_EQ(files.files["new.rda.dup"], records(3, 2, "new"));

  // A second run starts from empty lists.
  run("MainBase.dat", "new.rda");
  EXPECT_EQ(count(control("List3")), 0);
  EXPECT_EQ(selected(control("List3")), -1);
  EXPECT_EQ(count(control("List2")), 6);
  EXPECT_EQ(windowText(control("Label1")), L"Total dupes records: 0");
}

// The pointer whenever the run has read a file. The run may read on threads
// of its own: the pointer asked for is the one the screen shows. A failure
// gives the arrow back before its one message, which names the path in any
// characters.
TEST_F(Form1Test, TheRunIsBusyWhileReadingAndAFailureShowsOneMessageNamingThePath) {
  std::mutex noting;
  std::vector<HCURSOR> pointersWhileReading;
  files.afterRead = [&](const std::string&) {
    CURSORINFO shown{};
    shown.cbSize = sizeof(shown);
    GetCursorInfo(&shown);
    std::lock_guard lock(noting);
    pointersWhileReading.push_back(shown.hCursor);
  };
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  const std::string mainBase = "\xd0\x91\xd0\xb0\xd0\xb7\xd0\xb0.dat";  // Cyrillic "Baza"
  files.files[mainBase] = records(0, 2);
  files.files["new.rda"] = records(0, 3);
  run(mainBase, "new.rda");
  ASSERT_EQ(windowText(control("Label1")), L"Total dupes records: 2");
  ASSERT_FALSE(pointersWhileReading.empty());
  for (HCURSOR pointer : pointersWhileReading) EXPECT_EQ(pointer, LoadCursorW(nullptr, IDC_WAIT));
  EXPECT_EQ(GetCursor(), arrow);
  files.afterRead = nullptr;

  files.files.erase(mainBase);
  files.files["new.rda"] = records(0, 3);
  run(mainBase, "new.rda");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].owner, window->hwnd());
  EXPECT_EQ(failures[0].pointer, arrow);
  EXPECT_NE(failures[0].message.find(L"\"\x0411\x0430\x0437\x0430.dat\""), std::wstring::npos)
      << toUtf8(failures[0].message);
  EXPECT_EQ(files.files["new.rda"], records(0, 3));
  EXPECT_EQ(windowText(control("Label1")), L"Total dupes records: 2");
  EXPECT_EQ(count(control("List4")), 0);
}

// Every control by its words; each list by its child count, selection and
// focus; each item by its role, text (decoded as the list shows it) and
// state, past any 16-bit index.
TEST_F(Form1Test, EveryControlAndEveryItemOfTheMainWindowIsReadAfterALargeRun) {
  files.files["MainBase.dat"] = records(0, 35000, "main");
  // A Windows-1251 Notes line first; then 105,000 items in List3 and List4.
  files.files["new.rda"] = "\xd0\x96\xd0\xba\r\nR1\r\n\xcf\xf0\xe8\r\n" + records(0, 70000, "new");
  run("MainBase.dat", "new.rda");
  SetForegroundWindow(window->hwnd());
  SetFocus(control("List3"));
  expectRead(window->hwnd(), design::form1Window(),
             {{"Command1", ROLE_SYSTEM_PUSHBUTTON},
              {"Text1", ROLE_SYSTEM_TEXT},
              {"List3", ROLE_SYSTEM_LIST},
              {"Image1", ROLE_SYSTEM_GRAPHIC},
              {"Label1", ROLE_SYSTEM_STATICTEXT}},
             "Total dupes records: 35000");

  const std::string item = std::to_string(ROLE_SYSTEM_LISTITEM) + "\t";
  const LONG selectable = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  const std::string offscreen = "\t" + hex(selectable | STATE_SYSTEM_OFFSCREEN);
  const struct {
    const char* list;
    int child;  // the item's index + 1; 0: the list's count, selection and focus
    std::string read;
  } rows[] = {
      {"List3", 0, "105000\t105000\t105000"},  // the focus on its last item
      {"List4", 0, "105000\t105000\t-"},
      {"List2", 0, "105003\t105003\t-"},
      {"List3", 100001, item + "RDA-33333" + offscreen},
      {"List3", 105000,
       item + "main 34999\t" + hex(selectable | STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED)},
      {"List4", 100002, item + "new 33333" + offscreen},
      {"List4", 105000, item + "new 34999\t" + hex(selectable | STATE_SYSTEM_SELECTED)},
      {"List2", 3, item + "\xd0\x9f\xd1\x80\xd0\xb8" + offscreen},
      {"List2", 105001, item + "CALL69999\t" + hex(selectable)},
  };
  std::vector<std::wstring> queries;
  for (const auto& row : rows) {
    queries.push_back(
        query(control(row.list), row.child ? L":" + std::to_wstring(row.child) : L""));
  }
  const std::vector<Answer> answers = ask(queries);
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    std::string read;
    for (std::size_t field = rows[i].child ? 0 : 3; field < answers[i].size(); ++field) {
      read += (read.empty() ? "" : "\t") + answers[i][field];
    }
    EXPECT_EQ(read, rows[i].read) << rows[i].list << " child " << rows[i].child;
  }
  // The unused List1 is offered as invisible, which readers pass over.
  const std::vector<Answer> list1 = ask({query(control("List1"))});
  ASSERT_EQ(list1.at(0).size(), 6u);
  EXPECT_TRUE(std::stol(list1[0][2], nullptr, 16) & STATE_SYSTEM_INVISIBLE);
}

}  // namespace
}  // namespace sv::testing

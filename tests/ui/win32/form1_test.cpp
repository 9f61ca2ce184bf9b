// Form1 through its controls: its frame and keyboard, the pickers with their
// filters and earlier choices, the busy run into the lists and the count,
// and failures. Its title and client area at the display's dpi are
// sv_smoke's.

#include "tests/ui/win32/window_fixture.h"
#include "ui/win32/win32_file_dialog.h"

#include <mutex>

namespace sv::testing {
namespace {

using namespace std::string_literals;

TEST_F(Form1Test, FrameHasNoMenuBarOrMaximiseAndControlsScaleWithTheDpi) {
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
  EXPECT_EQ(count(control("List3")), 6);
  EXPECT_EQ(count(control("List4")), 6);
  EXPECT_EQ(count(control("List2")), 6);
  EXPECT_EQ(selected(control("List2")), 5);
  EXPECT_EQ(selected(control("List4")), 5);
  EXPECT_EQ(selected(control("List3")), 5);
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

TEST_F(Form1Test, AFailedRunShowsOneMessageNamingThePathKeepsTheLabelAndTheFile) {
  const std::string mainBase = "\xd0\x91\xd0\xb0\xd0\xb7\xd0\xb0.dat";  // Cyrillic "Baza"
  files.files[mainBase] = records(0, 2);
  files.files["new.rda"] = records(0, 3);
  run(mainBase, "new.rda");
  ASSERT_EQ(windowText(control("Label1")), L"Total dupes records: 2");

  files.files.erase(mainBase);
  files.files["new.rda"] = records(0, 3);
  run(mainBase, "new.rda");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].owner, window->hwnd());
  EXPECT_NE(failures[0].message.find(L"\"\x0411\x0430\x0437\x0430.dat\""), std::wstring::npos)
      << toUtf8(failures[0].message);
  EXPECT_EQ(files.files["new.rda"], records(0, 3));
  EXPECT_EQ(windowText(control("Label1")), L"Total dupes records: 2");
  EXPECT_EQ(count(control("List4")), 0);
}

// The pointer whenever the run has read a file. The run may read on threads
// of its own: the pointer asked for is the one the screen shows.
TEST_F(Form1Test, ThePointerIsBusyWhileTheRunReadsTheArrowAtAMessageTheQuestionMarkOverTheLogo) {
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
  files.files["MainBase.dat"] = records(0, 2);
  files.files["new.rda"] = records(1, 2);
  run("MainBase.dat", "new.rda");
  ASSERT_FALSE(pointersWhileReading.empty());
  for (HCURSOR pointer : pointersWhileReading) EXPECT_EQ(pointer, LoadCursorW(nullptr, IDC_WAIT));
  EXPECT_EQ(GetCursor(), arrow);

  files.files.erase("MainBase.dat");
  run("MainBase.dat", "new.rda");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].pointer, arrow);
  files.afterRead = nullptr;

  const auto pointerOver = [&](const char* name) {
    SendMessageW(window->hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(control(name)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
  };
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(pointerOver("Image1"), &info));
  EXPECT_EQ(info.xHotspot, 16u) << "the 32 x 32 question-mark picture";
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_EQ(pointerOver("Command1"), arrow);
}

}  // namespace
}  // namespace sv::testing

// The main window's frame at the display's dpi, and its keyboard: Tab
// follows the keyboard order, Enter presses a focused button, Esc does
// nothing. The controls' rectangles and texts are the shared tables' (tested
// with them) and the screenshots'.

#include "tests/ui/win32/window_fixture.h"

namespace sv::testing {
namespace {

TEST_F(Form1Test, FrameAndClientAreaFollowTheDesignAndScaleWithTheDpi) {
  const HWND form = window->hwnd();
  EXPECT_EQ(windowText(form), L"  VARNOK Dalvorn Sievra");
  RECT client;
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, 378);
  EXPECT_EQ(client.bottom, 324);
  const LONG_PTR style = GetWindowLongPtrW(form, GWL_STYLE);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), WS_MINIMIZEBOX);
  EXPECT_EQ(GetMenu(form), nullptr);  // the pop-up menu makes no menu bar
  EXPECT_NE(SendMessageW(form, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_EQ(SendMessageW(control("List3"), LB_GETITEMHEIGHT, 0, 0), 13);

  // A larger setting scales every rectangle, and the fonts with them.
  open(144);
  GetClientRect(window->hwnd(), &client);
  EXPECT_EQ(client.right, 567);
  EXPECT_EQ(client.bottom, 486);
  const RECT list2 = clientRectOf(control("List2"));
  EXPECT_EQ(list2.top, 360);
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

// Command1's caption broken into lines, one unit a character: the spaces
// where it breaks are in neither line, so each line is centred on its words.
TEST(CaptionLinesTest, BreakAtSpacesThatBelongToNeitherLine) {
  const std::wstring caption = L"   Compare          &&       Delete";
  const auto characters = [](std::wstring_view text) { return static_cast<int>(text.size()); };
  const struct {
    std::wstring caption;
    int width;
    std::vector<std::wstring> lines;
  } rows[] = {
      {caption, 35, {caption}},
      {caption, 34, {L"   Compare          &&", L"Delete"}},
      {caption, 16, {L"   Compare", L"&&       Delete"}},
      {caption, 12, {L"   Compare", L"&&", L"Delete"}},
      {caption, 2, {L"   Compare", L"&&", L"Delete"}},  // a word wider than the line stands alone
      {L"Exit  ", 10, {L"Exit"}},
      {L"   ", 10, {}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(win32::captionLines(row.caption, row.width, characters), row.lines) << row.width;
  }
}

}  // namespace
}  // namespace sv::testing

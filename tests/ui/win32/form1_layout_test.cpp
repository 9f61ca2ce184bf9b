// The main window against the window tables: frame, client area, every
// control's rectangle, text, font, tooltip and kind, and the keyboard order.

#include "tests/ui/win32/window_fixture.h"
#include "ui/design/geometry.h"

#include <commctrl.h>

namespace sv::testing {
namespace {

using design::ControlKind;

std::wstring toolTipOf(HWND form, HWND control) {
  HWND tips = nullptr;
  do {
    tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr);
  } while (tips && GetWindow(tips, GW_OWNER) != form);
  if (!tips) return L"<no tooltip window>";
  wchar_t text[256] = {};
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
  return text;
}

LOGFONTW fontOf(HWND hwnd) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof(font), &font);
  return font;
}

TEST_F(Form1Test, FrameAndClientAreaFollowTheDesignAndScaleWithTheDpi) {
  const HWND form = window->hwnd();
  EXPECT_EQ(windowText(form), L"  VARNOK Dalvorn Sievra");
  RECT client;
  GetClientRect(form, &client);
  EXPECT_EQ(client.right, 378);
  EXPECT_EQ(client.bottom, 324);
  const LONG_PTR style = GetWindowLongPtrW(form, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(GetMenu(form), nullptr);  // the pop-up menu makes no menu bar
  EXPECT_NE(SendMessageW(form, WM_GETICON, ICON_SMALL, 0), 0);

  // A larger setting scales every rectangle, and the fonts with them.
  open(144);
  GetClientRect(window->hwnd(), &client);
  EXPECT_EQ(client.right, 567);
  EXPECT_EQ(client.bottom, 486);
  const RECT list2 = clientRectOf(control("List2"));
  EXPECT_EQ(list2.top, 360);
  EXPECT_EQ(list2.right - list2.left, 566);            // 5655 twips, 565.5 pixels
  EXPECT_EQ(fontOf(control("Label1")).lfHeight, -20);  // 9.75 pt
}

TEST_F(Form1Test, EveryControlHasItsRectangleTextFontAndTooltip) {
  const design::Window& design = design::form1Window();
  for (const design::Control& c : design.controls) {
    SCOPED_TRACE(std::string(c.name));
    const HWND hwnd = control(std::string(c.name).c_str());
    if (c.kind == ControlKind::OpenFileDialog) {
      EXPECT_EQ(hwnd, nullptr);
      continue;
    }
    ASSERT_NE(hwnd, nullptr);
    const design::Rect pixels = design::twipsToPixels(c.rect, 96);
    const RECT place = clientRectOf(hwnd);
    EXPECT_EQ(place.left, pixels.left);
    EXPECT_EQ(place.top, pixels.top);
    EXPECT_EQ(place.right - place.left, pixels.width);
    EXPECT_EQ(place.bottom - place.top, pixels.height);

    wchar_t className[32] = {};
    GetClassNameW(hwnd, className, 32);
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    switch (c.kind) {
      case ControlKind::ListBox:
        EXPECT_STREQ(className, L"ListBox");
        EXPECT_TRUE(style & LBS_NODATA) << "lists keep no per-item storage";
        EXPECT_FALSE(style & LBS_SORT);
        EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        // Whole rows of the list font: 13 pixels each.
        EXPECT_EQ(SendMessageW(hwnd, LB_GETITEMHEIGHT, 0, 0), 13);
        break;
      case ControlKind::PushButton:
        EXPECT_STREQ(className, L"Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW) << "drawn in its own colour";
        EXPECT_EQ(windowText(hwnd), win32::wideText(c.text));
        break;
      case ControlKind::TextBox:
        EXPECT_STREQ(className, L"Edit");
        EXPECT_EQ(windowText(hwnd), L"");
        break;
      case ControlKind::Label:
        EXPECT_EQ(windowText(hwnd), win32::wideText(c.text));
        break;
      default:
        break;
    }
    // Tooltips keep their two spaces at each end and their "&".
    EXPECT_EQ(toolTipOf(window->hwnd(), hwnd), win32::wideText(c.tooltip));
    if (c.kind == ControlKind::Picture) continue;
    const LOGFONTW font = fontOf(hwnd);
    EXPECT_EQ(font.lfCharSet, 204);
    EXPECT_EQ(font.lfHeight, -c.font.pixelHeight(96));
    EXPECT_EQ(font.lfWeight, c.font.weight);
    EXPECT_EQ(font.lfItalic != 0, c.font.italic);
    EXPECT_EQ(win32::narrow(font.lfFaceName), c.font.name);
  }
  // List1 lies wholly left of the client area.
  EXPECT_LT(clientRectOf(control("List1")).right, 0);
}

TEST_F(Form1Test, FocusStartsOnList3AndTabFollowsTheKeyboardOrderEnterPressesEscDoesNothing) {
  SetForegroundWindow(window->hwnd());
  SetFocus(control("List3"));
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
  EXPECT_EQ(windowText(control("Text1")), L" C:\\data\\MainBase.dat");

  PostMessageW(control("of1"), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(pumpMessages(window.get()));
  EXPECT_TRUE(window->isOpen());
  EXPECT_EQ(dialog.calls.size(), 1u);
}

// Command1's caption broken into lines, one unit a character: the spaces
// where it breaks are in neither line, so each line is centred on its words.
TEST(CaptionLinesTest, BreakAtSpacesThatBelongToNeitherLine) {
  const std::wstring caption = win32::wideText(design::form1Window().control("Command1").text);
  const auto characters = [](std::wstring_view text) { return static_cast<int>(text.size()); };
  const struct {
    int width;
    std::vector<std::wstring> lines;
  } rows[] = {
      {35, {caption}},
      {34, {L"   Compare          &&", L"Delete"}},
      {16, {L"   Compare", L"&&       Delete"}},
      {12, {L"   Compare", L"&&", L"Delete"}},
      {2, {L"   Compare", L"&&", L"Delete"}},  // a word wider than the line stands alone
  };
  for (const auto& row : rows) {
    EXPECT_EQ(win32::captionLines(caption, row.width, characters), row.lines) << row.width;
  }
  EXPECT_EQ(win32::captionLines(L"Exit  ", 10, characters), std::vector<std::wstring>{L"Exit"});
  EXPECT_TRUE(win32::captionLines(L"   ", 10, characters).empty());
}

}  // namespace
}  // namespace sv::testing

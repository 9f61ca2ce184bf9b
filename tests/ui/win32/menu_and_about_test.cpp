// The logo's pop-up menu and the About window, driven from inside their own
// modal loops.

#include "tests/ui/win32/window_fixture.h"
#include "ui/design/links.h"
#include "ui/win32/frm_about.h"

namespace sv::testing {
namespace {

HWND findPopupMenu() { return FindWindowW(L"#32768", nullptr); }
HWND findAbout() { return FindWindowW(win32::FrmAbout::kClassName, nullptr); }

HWND aboutControl(HWND about, std::string_view name, int index = -1) {
  const design::Window& design = design::aboutWindow();
  return GetDlgItem(about, win32::controlId(design, design.control(name, index)));
}

std::wstring menuText(HMENU menu, int position) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
  return text;
}

using MenuTest = Form1Test;

TEST_F(MenuTest, AnyButtonOnTheLogoOpensHelpASeparatorAndTheAddress) {
  for (UINT press : {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    SCOPED_TRACE(press);
    bool opened = false;
    HMENU shown = nullptr;
    whileModal([&] {
      const HWND popup = findPopupMenu();
      if (!popup || !IsWindowVisible(popup)) return false;
      opened = true;
      shown = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
      EndMenu();
      return true;
    });
    SendMessageW(control("Image1"), press, 0, MAKELPARAM(5, 5));
    pumpMessages(window.get());
    EXPECT_TRUE(opened);
    EXPECT_EQ(shown, window->popupMenu());
  }
  const HMENU menu = window->popupMenu();
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  EXPECT_EQ(menuText(menu, 0), L"Help");
  EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(menuText(menu, 2), win32::wideText(kHomePage));
  for (int entry : {0, 2}) {
    const UINT state = GetMenuState(menu, static_cast<UINT>(entry), MF_BYPOSITION);
    EXPECT_FALSE(state & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
  }
  EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), static_cast<UINT>(-1));
}

void press(DWORD down, DWORD up) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = down;
  inputs[1].mi.dwFlags = up;
  SendInput(2, inputs, sizeof(INPUT));
}

// The address entry, chosen with the left button, opens the home page with
// the main window as owner.
TEST_F(MenuTest, AnEntryIsChosenWithTheLeftButtonOnly) {
  SetForegroundWindow(window->hwnd());
  RECT logo;
  GetWindowRect(control("Image1"), &logo);
  SetCursorPos(logo.left + 5, logo.top + 5);
  int step = 0;
  bool stayedOpen = false;
  whileModal([&] {
    const HWND popup = findPopupMenu();
    if (!popup || !IsWindowVisible(popup)) return step > 0;
    if (step == 0) {
      // The address entry: it opens the home page when chosen.
      RECT entry;
      GetMenuItemRect(nullptr, window->popupMenu(), 2, &entry);
      SetCursorPos((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
      press(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
      step = 1;
      return false;
    }
    if (step == 1) {
      stayedOpen = shell.calls.empty();
      press(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
      step = 2;
      return false;
    }
    return false;
  });
  SendMessageW(control("Image1"), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  pumpMessages(window.get());
  EXPECT_TRUE(stayedOpen) << "the right button chose an entry";
  ASSERT_EQ(shell.calls.size(), 1u) << "the left button chose nothing";
  const ShellCall& call = shell.calls[0];
  EXPECT_EQ(call.owner, window->hwnd());
  EXPECT_EQ(call.operation, "Open");
  EXPECT_EQ(call.file, kHomePage);
  EXPECT_TRUE(call.parametersNull && call.directoryNull);
  EXPECT_EQ(call.showCommand, SW_SHOWNORMAL);
}

TEST_F(MenuTest, HelpShowsTheAboutWindowModallyWithItsTextsAndLinks) {
  const HWND form = window->hwnd();
  int step = 0;
  bool checked = false;
  whileModal([&] {
    const HWND about = findAbout();
    if (step == 0) {
      if (!about || !IsWindowVisible(about)) return false;
      EXPECT_FALSE(IsWindowEnabled(form)) << "the main window takes no input";
      SendMessageW(form, WM_CLOSE, 0, 0);
      EXPECT_TRUE(window->isOpen()) << "not even a close request";
      // Owned, so no taskbar button; a fixed dialog frame with no icon.
      EXPECT_EQ(GetWindow(about, GW_OWNER), form);
      const LONG_PTR style = GetWindowLongPtrW(about, GWL_STYLE);
      EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
      EXPECT_TRUE(style & WS_SYSMENU);
      EXPECT_TRUE(GetWindowLongPtrW(about, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
      EXPECT_FALSE(GetWindowLongPtrW(about, GWL_EXSTYLE) & WS_EX_APPWINDOW);
      EXPECT_EQ(windowText(about), L"Help...");
      RECT client;
      GetClientRect(about, &client);
      EXPECT_EQ(client.right, 296);
      EXPECT_EQ(client.bottom, 318);
      EXPECT_EQ(GetFocus(), aboutControl(about, "cmdOK"));

      for (const design::Control& c : design::aboutWindow().controls) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.index));
        const HWND hwnd = aboutControl(about, c.name, c.index);
        EXPECT_NE(hwnd, nullptr);
        if (!hwnd) continue;
        const RECT place = clientRectOf(hwnd);
        const design::Rect pixels = design::twipsToPixels(c.rect, 96);
        EXPECT_EQ(place.left, pixels.left);
        EXPECT_EQ(place.top, pixels.top);
        if (c.sizing == design::Sizing::Fixed && c.kind != design::ControlKind::Picture) {
          EXPECT_EQ(place.right - place.left, pixels.width);
        }
        if (c.sizing == design::Sizing::FitText) {
          EXPECT_EQ(place.bottom - place.top, 13) << "one line of the 8.25 pt font";
        }
        if (c.kind != design::ControlKind::Picture) {
          EXPECT_EQ(windowText(hwnd), win32::wideText(c.text));
        }
        // One click on each: the links open their target, the rest nothing.
        if (c.kind == design::ControlKind::PushButton) continue;  // OK is pressed below
        shell.calls.clear();
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
        const design::ShellOpenRequest expected = design::shellOpenRequest(c.onClick);
        if (!expected.file) {
          EXPECT_TRUE(shell.calls.empty());
          continue;
        }
        EXPECT_EQ(shell.calls.size(), 1u);
        if (shell.calls.size() != 1) continue;
        EXPECT_EQ(shell.calls[0].owner, about);
        EXPECT_EQ(shell.calls[0].operation, "Open");
        EXPECT_EQ(shell.calls[0].file, expected.file);
        EXPECT_TRUE(shell.calls[0].parametersNull && shell.calls[0].directoryNull);
        EXPECT_EQ(shell.calls[0].showCommand, 1);
      }
      step = 1;
      PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
      return false;
    }
    if (step == 1) {
      EXPECT_TRUE(about && IsWindowVisible(about)) << "Esc leaves the window open";
      step = 2;
      PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
      checked = true;
      return true;
    }
    return true;
  });
  SendMessageW(form, WM_COMMAND, win32::Form1::kFirstMenuCommand, 0);
  pumpMessages(window.get());
  EXPECT_TRUE(checked);
  EXPECT_EQ(findAbout(), nullptr) << "Enter on OK closes the window";
  EXPECT_TRUE(IsWindowEnabled(form));

  // Shown again, it is built afresh; the close box closes it as OK does.
  bool reopened = false;
  whileModal([&] {
    const HWND about = findAbout();
    if (!about) return false;
    reopened = windowText(aboutControl(about, "Label2")).find(L"'Compare && Delete'") !=
               std::wstring::npos;
    PostMessageW(about, WM_CLOSE, 0, 0);
    return true;
  });
  SendMessageW(form, WM_COMMAND, win32::Form1::kFirstMenuCommand, 0);
  EXPECT_TRUE(reopened);
  EXPECT_EQ(findAbout(), nullptr);
  EXPECT_TRUE(window->isOpen());
}

}  // namespace
}  // namespace sv::testing

// The logo's pop-up menu and the About window, driven from inside their own
// modal loops.

#include "tests/ui/win32/window_fixture.h"
#include "ui/design/links.h"
#include "ui/win32/frm_about.h"

#include <oleacc.h>

namespace sv::testing {
namespace {

HWND findPopupMenu() {
  const HWND popup = FindWindowW(L"#32768", nullptr);
  return popup && IsWindowVisible(popup) ? popup : nullptr;
}
HMENU menuOf(HWND popup) { return reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)); }
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

void press(DWORD down, DWORD up) {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = down;
  inputs[1].mi.dwFlags = up;
  SendInput(2, inputs, sizeof(INPUT));
}

// Any button on the logo opens Help, a separator and the address. The
// address entry, chosen with the left button, opens the home page with the
// main window as owner; the right button chooses nothing.
TEST_F(MenuTest, AnyButtonOnTheLogoOpensTheMenuAndTheLeftButtonOnlyChoosesAnEntry) {
  for (UINT down : {WM_RBUTTONDOWN, WM_MBUTTONDOWN}) {
    HMENU menu = nullptr;
    whileModal([&] {
      const HWND popup = findPopupMenu();
      if (popup) menu = menuOf(popup);
      EndMenu();
      return popup != nullptr;
    });
    SendMessageW(control("Image1"), down, 0, MAKELPARAM(5, 5));
    pumpMessages(window.get());
    ASSERT_NE(menu, nullptr) << down;
    ASSERT_EQ(GetMenuItemCount(menu), 3);
    EXPECT_EQ(menuText(menu, 0), L"Help");
    EXPECT_TRUE(GetMenuState(menu, 1, MF_BYPOSITION) & MF_SEPARATOR);
    EXPECT_EQ(menuText(menu, 2), win32::wideText(kHomePage));
    EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), static_cast<UINT>(-1));
  }

  SetForegroundWindow(window->hwnd());
  RECT logo;
  GetWindowRect(control("Image1"), &logo);
  SetCursorPos(logo.left + 5, logo.top + 5);
  int step = 0;
  bool stayedOpen = false;
  whileModal([&] {
    const HWND popup = findPopupMenu();
    if (!popup) return step > 0;
    if (step++ == 0) {
      RECT entry;
      GetMenuItemRect(nullptr, menuOf(popup), 2, &entry);
      SetCursorPos((entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2);
      press(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    } else if (step == 2) {
      stayedOpen = shell.calls.empty();
      press(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    }
    return false;
  });
  SendMessageW(control("Image1"), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  pumpMessages(window.get());
  EXPECT_TRUE(stayedOpen) << "the right button chose an entry";
  ASSERT_EQ(shell.calls.size(), 1u) << "the left button chose nothing";
  EXPECT_EQ(shell.calls[0].owner, window->hwnd());
  EXPECT_EQ(shell.calls[0].file, kHomePage);
}

// Checks the About window while it is shown, then closes it with Enter on OK.
void checkAbout(HWND form, HWND about, RecordingShell& shell) {
  EXPECT_FALSE(IsWindowEnabled(form)) << "the main window takes no input";
  SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(form)) << "not even a close request";
  // Owned, so no taskbar button; a fixed dialog frame with no icon.
  EXPECT_EQ(GetWindow(about, GW_OWNER), form);
  EXPECT_EQ(GetWindowLongPtrW(about, GWL_STYLE) & (WS_MINIMIZEBOX | WS_THICKFRAME | WS_SYSMENU),
            WS_SYSMENU);
  EXPECT_EQ(GetWindowLongPtrW(about, GWL_EXSTYLE) & (WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW),
            WS_EX_DLGMODALFRAME);
  EXPECT_EQ(GetFocus(), aboutControl(about, "cmdOK"));

  const struct {
    const char* name;
    int index;
    const char* opens;  // null: nothing
  } clicks[] = {{"lblInf", 4, kHomePage}, {"lblInf2", 2, kMailLink}, {"Label2", -1, nullptr}};
  for (const auto& click : clicks) {
    SCOPED_TRACE(std::string(click.name) + " " + std::to_string(click.index));
    shell.calls.clear();
    const HWND label = aboutControl(about, click.name, click.index);
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
    SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
    ASSERT_EQ(shell.calls.size(), click.opens ? 1u : 0u);
    if (!click.opens) continue;
    EXPECT_EQ(shell.calls[0].owner, about);
    EXPECT_EQ(shell.calls[0].file, click.opens);
  }
}

TEST_F(MenuTest, HelpShowsTheAboutWindowModallyItsLinksOpenAndOkOrTheCloseBoxCloseIt) {
  const HWND form = window->hwnd();
  int step = 0;
  whileModal([&] {
    const HWND about = findAbout();
    if (!about || !IsWindowVisible(about)) return false;
    if (step++ == 0) {
      checkAbout(form, about, shell);
      PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
      return false;
    }
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);  // Esc left it open
    return true;
  });
  SendMessageW(form, WM_COMMAND, win32::Form1::kFirstMenuCommand, 0);
  pumpMessages(window.get());
  EXPECT_EQ(step, 2);
  EXPECT_EQ(findAbout(), nullptr) << "Enter on OK closes the window";
  EXPECT_TRUE(IsWindowEnabled(form));

  // Shown again, it is built afresh, a screen reader reads every control and
  // its addresses as links; the close box closes it as OK does.
  bool read = false;
  whileModal([&] {
    const HWND about = findAbout();
    if (!about || !IsWindowVisible(about)) return false;
    expectRead(about, design::aboutWindow(),
               {{"lblInf2", ROLE_SYSTEM_LINK},
                {"Label2", ROLE_SYSTEM_STATICTEXT},
                {"cmdOK", ROLE_SYSTEM_PUSHBUTTON}});
    read = true;
    PostMessageW(about, WM_CLOSE, 0, 0);
    return true;
  });
  SendMessageW(form, WM_COMMAND, win32::Form1::kFirstMenuCommand, 0);
  EXPECT_TRUE(read);
  EXPECT_EQ(findAbout(), nullptr);
  EXPECT_TRUE(window->isOpen());
}

}  // namespace
}  // namespace sv::testing

#pragma once

// The pieces both Win32 windows are made of: window classes that hand their
// messages to a C++ object, fonts and colours from the window tables,
// owner-drawn push buttons in their own colour, and tooltips.

#include "ui/design/window_tables.h"
#include "ui/win32/handles.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sv::win32 {

// A top-level window whose messages go to handle(). The object must outlive
// its window.
class WindowBase {
 public:
  virtual ~WindowBase() = default;
  HWND hwnd() const { return m_hwnd; }

 protected:
  // Registers the class once per process. The class has no background
  // brush: the windows paint their own.
  static void registerClass(const wchar_t* className, HICON icon);
  HWND createWindow(const wchar_t* className, const std::wstring& title, DWORD style, DWORD exStyle,
                    int x, int y, int width, int height, HWND owner);
  virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  HWND m_hwnd = nullptr;

 private:
  static LRESULT CALLBACK dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// One line of the 8.25 pt font, as the list rows and the one-line labels
// count it: 13 pixels at 96 dpi. A font that the system substitutes for a
// missing one may be a pixel shorter; rows and labels keep the table's
// height all the same, so that both paired lists show the same rows.
inline constexpr int kLineTwips = 195;

// The display's dots per inch, or dpi when that is not 0.
int displayDpi(int dpi = 0);

RECT pixelRect(const design::Rect& twips, int dpi);

// A font of the window tables: by name, size in points at dpi, weight, italic and
// character set.
unique_hfont createFont(const design::Font& font, int dpi);

// A colour of the window tables; Colour::none() gives fallback.
COLORREF toColorRef(const design::Colour& colour, COLORREF fallback);
COLORREF toColorRef(design::Rgb rgb);

// A text of the program, UTF-8, in the wide characters of the system's calls.
// The windows' texts are all valid UTF-8 (the tables, the engine's messages,
// paths the dialog gave); one that is not shows as nothing.
std::wstring wideText(std::string_view utf8);

// A caption broken into lines at spaces to fit width, as measure gives a
// line's width. The spaces where it breaks belong to neither line, so that a
// centred line is centred on its words; a word wider than width stands on a
// line of its own.
std::vector<std::wstring> captionLines(std::wstring_view caption, int width,
                                       const std::function<int(std::wstring_view)>& measure);

// Paints an owner-drawn push button: its own background colour, the raised
// (or pressed) edge, an optional picture centred above the caption, the
// caption broken into lines at spaces and centred, and the focus rectangle.
void drawPushButton(const DRAWITEMSTRUCT& item, const std::wstring& caption, HFONT font,
                    COLORREF back, COLORREF text, HBITMAP picture);

// A tooltip window of owner, and one tool for each control given to it.
HWND createToolTips(HWND owner);
void addToolTip(HWND tips, HWND owner, HWND control, const std::wstring& text);

}  // namespace sv::win32

namespace sv::win32 {

// A control made from the window tables, as both windows keep it: one for
// each row of the table, in the table's order.
struct ControlItem {
  const design::Control* design = nullptr;
  HWND hwnd = nullptr;   // null for a control without a window (the dialogs)
  unique_hfont ownFont;  // null: the control shows the window's font
  HFONT font = nullptr;
  COLORREF fore = 0;
};

// The window class and styles a control is created with.
struct ControlClass {
  const wchar_t* name = L"Static";
  DWORD style = 0;
  DWORD exStyle = 0;
};

// The alignment and wrapping styles of a label.
DWORD labelStyle(const design::Control& design);

// Creates the child window of design, a control of window, at place in font.
HWND createControl(HWND parent, const design::Window& window, const design::Control& design,
                   const ControlClass& kind, const std::wstring& text, const RECT& place,
                   HFONT font);

// The item of items whose window is hwnd; null for none.
template <class Item>
Item* itemOf(std::vector<Item>& items, HWND hwnd) {
  for (Item& item : items) {
    if (item.hwnd == hwnd) return &item;
  }
  return nullptr;
}

// Lays each control's window over those the table lists before it, and
// returns the windows in the table's keyboard order.
template <class Item>
std::vector<HWND> stackInTableOrder(const design::Window& window, const std::vector<Item>& items) {
  for (const Item& item : items) {
    if (item.hwnd) {
      SetWindowPos(item.hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  std::vector<HWND> order;
  for (const design::Control* design : window.tabOrder()) {
    for (const Item& item : items) {
      if (item.design == design && item.hwnd) order.push_back(item.hwnd);
    }
  }
  return order;
}

// Paints a window's whole client area with brush, for WM_ERASEBKGND.
LRESULT paintBackground(HWND window, WPARAM dc, HBRUSH brush);

// The row of a control in its window's table.
inline std::size_t tableRow(const design::Window& window, const design::Control& control) {
  return static_cast<std::size_t>(&control - window.controls.data());
}

// The child-window identifier of a control of window: its row in the
// window table, so that both the window and whoever drives it by messages
// find it with GetDlgItem.
int controlId(const design::Window& window, const design::Control& control);

// Moves the keyboard focus through order (Tab, Shift+Tab) and lets Enter
// press a focused push button, as dialogs do; Esc does nothing. True when
// message was one of those keys and is handled.
bool handleDialogKeys(const MSG& message, HWND window, const std::vector<HWND>& order);

}  // namespace sv::win32

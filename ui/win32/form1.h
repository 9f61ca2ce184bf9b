#pragma once

// The main window, native Win32: the two file pickers, the compare-and-delete
// run with its three result lists and count, the paired coincidence lists,
// the remembered window position, the logo's pop-up menu and Exit. Every
// control, rectangle, text and colour comes from the window tables
// (ui/design); the run itself is sv::compareAndDelete().

#include "engine/compare_and_delete.h"
#include "ui/design/window_tables.h"
#include "ui/win32/controls.h"

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sv {
class FileSystem;
}

namespace sv::win32 {

class FileDialog;
class SettingsStore;
class ShellOpener;

// What the window works with, all owned by the caller and outliving the window.
struct Form1Services {
  sv::FileSystem& files;
  FileDialog& fileDialog;
  SettingsStore& settings;
  ShellOpener& shell;
  // Shows a failed run's message; empty means a message box.
  std::function<void(HWND owner, const std::wstring& message)> showFailure;
  // Dots per inch to lay the window out at; 0 means the display's.
  int dpi = 0;
};

class Form1 : public WindowBase {
 public:
  static constexpr wchar_t kClassName[] = L"SievraForm1";
  // The command identifiers of the pop-up menu's entries, in the menu's order.
  static constexpr UINT kFirstMenuCommand = 40001;

  // Builds the window, still hidden, and runs Form_Load (the saved position),
  // so the window stands where it was left before it first shows.
  explicit Form1(const Form1Services& services);
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Shows the window with List3 holding the focus.
  void show(int showCommand = SW_SHOWNORMAL);
  bool isOpen() const { return m_hwnd != nullptr; }
  // The keys the window handles before a message is dispatched: Tab moves
  // through the keyboard order, Enter presses a focused button.
  bool preTranslate(const MSG& message);

  // The child window of a control of the window tables; null for one without a
  // window (the dialog controls).
  HWND control(std::string_view name) const;

 protected:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  using Handler = void (Form1::*)();
  // The notification of a control that raises a handler. Looked up by name
  // once, when the window is built; from then on each table row's item
  // holds its own handler.
  struct Wiring {
    std::string_view control;
    UINT notification;
    Handler handler;
  };
  static const Wiring kWiring[];
  // Likewise for the entries of the pop-up menu.
  struct MenuWiring {
    std::string_view entry;
    Handler handler;
  };
  static const MenuWiring kMenuWiring[];

  struct Item : ControlItem {
    COLORREF back = 0;
    unique_hbrush backBrush;  // null: the window's green shows through
    unique_hbitmap picture;
    std::wstring caption;
    UINT notification = 0;
    Handler handler = nullptr;
  };

  void buildControls();
  int rowHeight() const;
  Item makeItem(const design::Control& design);
  void wireControls();
  void buildMenu();
  Item* itemFor(HWND hwnd) { return itemOf(m_items, hwnd); }
  const ResultList* listFor(HWND hwnd) const;
  // An item of a list as the list draws it (and assistive technology reads it).
  std::wstring itemText(HWND list, int index) const;
  void drawListItem(const DRAWITEMSTRUCT& draw);
  // The brush a static or edit control paints its background with.
  HBRUSH onCtlColor(HDC dc, HWND control);
  // True when draw was one of the window's own controls.
  bool onDrawItem(const DRAWITEMSTRUCT& draw);
  // True when the window chose the pointer over the control over.
  bool onSetCursor(HWND over, UINT hitTest);
  void onActivate(WPARAM wParam);
  void onCommand(WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK listSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  static LRESULT CALLBACK imageSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);
  void onListScrolled(HWND list);

  void Form_Load();
  void Form_Unload();
  void Command1_Click();
  void Command3_Click();
  void of1_Click();
  void of2_Click();
  void List3_Click();
  void List4_Click();
  void List3_Scroll();
  void List4_Scroll();
  void Image1_MouseDown();
  void mnuHelp_Click();
  void mnuweb_Click();

  // The earlier choice is offered again; Cancel keeps it.
  void choosePath(std::string_view dialogName, std::string& path, std::string_view boxName);
  // ListIndex and TopIndex writes: the value a list already holds is no
  // change and raises no notification, which ends the echo between the
  // paired lists. A change of ListIndex raises the list's Click.
  void setListIndex(HWND list, int index);
  void setTopIndex(HWND list, int index);
  void showLists();
  void clearLists();
  void closeWindow();

  sv::FileSystem& m_files;
  FileDialog& m_fileDialog;
  SettingsStore& m_settings;
  ShellOpener& m_shell;
  std::function<void(HWND, const std::wstring&)> m_showFailure;
  int m_dpi;
  const design::Window& m_design;

  // The run's two inputs (UTF-8), exactly as the pickers returned them;
  // empty means "not chosen".
  std::string m_mainBasePath;
  std::string m_comparedPath;
  ResultLists m_results;

  std::vector<Item> m_items;  // one for each row of the window table
  HWND m_list2 = nullptr;
  HWND m_list3 = nullptr;
  HWND m_list4 = nullptr;
  HWND m_image1 = nullptr;
  HWND m_label1 = nullptr;
  HWND m_toolTips = nullptr;
  HWND m_lastFocus = nullptr;
  std::vector<HWND> m_tabOrder;
  unique_hmenu m_menu;
  std::vector<Handler> m_menuHandlers;  // one for each entry, null for none
  unique_hbrush m_formBrush;
  unique_hfont m_windowFont;
  unique_hicon m_icon;
  unique_hicon m_helpPointer;
  int m_rowHeight = 13;
  bool m_busy = false;
};

}  // namespace sv::win32

#pragma once

// The About window, native Win32: title, description, usage help, the
// author's links and copyright, and OK. Built afresh from the window table
// at every showing; it keeps no state.

#include "ui/design/window_tables.h"
#include "ui/win32/controls.h"

#include <windows.h>

#include <string>
#include <vector>

namespace sv::win32 {

class ShellOpener;

class FrmAbout : public WindowBase {
 public:
  static constexpr wchar_t kClassName[] = L"SievraAbout";

  // Shows the window modally and returns once it is closed. owner takes no
  // input meanwhile; owning the window keeps it off the taskbar.
  static void showModal(HWND owner, ShellOpener& shell, int dpi);

 protected:
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  using Item = ControlItem;

  FrmAbout(ShellOpener& shell, int dpi);
  ~FrmAbout() override;
  bool create(HWND owner);
  void buildControls();
  Item makeItem(const design::Control& design);
  // The place of a label that takes the size of its one line of text.
  RECT fitText(RECT place, const std::wstring& text, HFONT font) const;
  Item* itemFor(HWND hwnd) { return itemOf(m_items, hwnd); }

  void onClick(const design::Control& control);
  void cmdOK_Click();
  void lblInf_Click(short index);
  void lblInf2_Click(short index);

  ShellOpener& m_shell;
  int m_dpi;
  const design::Window& m_design;
  std::vector<Item> m_items;
  std::vector<HWND> m_tabOrder;
  unique_hfont m_windowFont;
  HBRUSH m_faceBrush = nullptr;  // the system's own, never freed
  unique_hicon m_helpIcon;
  HWND m_ok = nullptr;
  bool m_done = false;
};

}  // namespace sv::win32

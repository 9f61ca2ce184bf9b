#include "ui/win32/frm_about.h"

#include "ui/design/links.h"
#include "ui/win32/accessibility.h"
#include "ui/win32/pictures.h"
#include "ui/win32/win32_shell_open.h"

#include <algorithm>

namespace sv::win32 {

namespace {

// A fixed dialog frame: close box only, no icon, not resizable. Overlapped
// rather than pop-up, so that the window system gives it its default place.
constexpr DWORD kAboutStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kAboutExStyle = WS_EX_DLGMODALFRAME;

}  // namespace

FrmAbout::FrmAbout(ShellOpener& shell, int dpi)
    : m_shell(shell), m_dpi(dpi), m_design(design::aboutWindow()) {
  m_windowFont = createFont(m_design.font, m_dpi);
  m_faceBrush = GetSysColorBrush(COLOR_BTNFACE);
}

FrmAbout::~FrmAbout() {
  if (m_hwnd) DestroyWindow(m_hwnd);
  for (Item& item : m_items) {
    if (item.font && item.font != m_windowFont) DeleteObject(item.font);
  }
  DeleteObject(m_windowFont);
  if (m_helpIcon) DestroyIcon(m_helpIcon);
}

void FrmAbout::showModal(HWND owner, ShellOpener& shell, int dpi) {
  FrmAbout about(shell, dpi);
  if (!about.create(owner)) return;
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(about.m_hwnd, SW_SHOWNORMAL);
  UpdateWindow(about.m_hwnd);
  SetFocus(about.m_ok);

  MSG message;
  bool quit = false;
  while (!about.m_done && about.m_hwnd) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      quit = true;  // handed on to the loop that owns the program
      break;
    }
    if (got < 0) break;
    if (handleDialogKeys(message, about.m_hwnd, about.m_tabOrder)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // The owner is enabled before the window goes, so that it is activated again.
  if (owner) EnableWindow(owner, TRUE);
  if (about.m_hwnd) DestroyWindow(about.m_hwnd);
  if (quit) PostQuitMessage(static_cast<int>(message.wParam));
}

bool FrmAbout::create(HWND owner) {
  registerClass(kClassName, nullptr);
  RECT outer{0, 0, design::twipsToPixels(m_design.clientWidth, m_dpi),
             design::twipsToPixels(m_design.clientHeight, m_dpi)};
  AdjustWindowRectEx(&outer, kAboutStyle, FALSE, kAboutExStyle);
  createWindow(kClassName, wideText(m_design.title), kAboutStyle, kAboutExStyle, CW_USEDEFAULT,
               CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, owner);
  if (!m_hwnd) return false;
  buildControls();
  return true;
}

void FrmAbout::buildControls() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const design::Control& design : m_design.controls) {
    Item item;
    item.design = &design;
    item.font = design.font.name.empty() ? m_windowFont : createFont(design.font, m_dpi);
    item.fore = toColorRef(design.fore, toColorRef(m_design.fore, GetSysColor(COLOR_BTNTEXT)));
    const wchar_t* className = L"Static";
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    std::wstring text = wideText(design.text);
    switch (design.kind) {
      case design::ControlKind::PushButton:
        className = L"Button";
        // Not the default button: Enter presses it only while it has the focus.
        style |= BS_PUSHBUTTON | WS_TABSTOP;
        break;
      case design::ControlKind::Picture:
        style |= SS_ICON;
        text.clear();
        break;
      default:
        style |= design.align == design::Align::Centre ? SS_CENTER
                 : design.wordWrap                     ? SS_LEFT
                                                       : SS_LEFTNOWORDWRAP;
        if (design.onClick != design::Link::None) style |= SS_NOTIFY;
        break;
    }
    RECT place = pixelRect(design.rect, m_dpi);
    if (design.sizing == design::Sizing::FitText) {
      // One line: exactly as wide and as high as the text in its font.
      HDC dc = GetDC(m_hwnd);
      HGDIOBJ old = SelectObject(dc, item.font);
      RECT measure{0, 0, 0, 0};
      DrawTextW(dc, text.c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE);
      SelectObject(dc, old);
      ReleaseDC(m_hwnd, dc);
      place.right = place.left + measure.right;
      place.bottom =
          place.top +
          (std::max)(measure.bottom, static_cast<LONG>(design::twipsToPixels(kLineTwips, m_dpi)));
    }
    item.hwnd =
        CreateWindowExW(0, className, text.c_str(), style, place.left, place.top,
                        place.right - place.left, place.bottom - place.top, m_hwnd,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(m_design, design))),
                        instance, nullptr);
    SendMessageW(item.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(item.font), FALSE);
    if (design.kind == design::ControlKind::Picture) {
      m_helpIcon = loadIconPicture(design.picture, 32);
      SendMessageW(item.hwnd, STM_SETICON, reinterpret_cast<WPARAM>(m_helpIcon), 0);
      // At its natural size, whatever the dpi.
      SetWindowPos(item.hwnd, nullptr, place.left, place.top, 32, 32,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (design.kind == design::ControlKind::PushButton) m_ok = item.hwnd;
    makeAccessible(item.hwnd, m_design, design);
    m_items.push_back(item);
  }
  m_tabOrder = stackInTableOrder(m_design, m_items);
}

LRESULT FrmAbout::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return paintBackground(m_hwnd, wParam, m_faceBrush);
    case WM_CTLCOLORSTATIC:
      if (const Item* item = itemFor(reinterpret_cast<HWND>(lParam))) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, item->fore);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(m_faceBrush);
      }
      break;
    case WM_COMMAND: {
      const Item* item = itemFor(reinterpret_cast<HWND>(lParam));
      if (!item) return 0;  // IDCANCEL from Esc and the like: nothing
      const UINT code = HIWORD(wParam);
      const short index = static_cast<short>(item->design->index);
      if (item->design->name == "cmdOK" && code == BN_CLICKED) cmdOK_Click();
      if (item->design->name == "lblInf" && code == STN_CLICKED) lblInf_Click(index);
      if (item->design->name == "lblInf2" && code == STN_CLICKED) lblInf2_Click(index);
      return 0;
    }
    case WM_CLOSE:
      // The close box unloads the window exactly as OK does.
      cmdOK_Click();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void FrmAbout::cmdOK_Click() { m_done = true; }

void FrmAbout::lblInf_Click(short) {
  const design::ShellOpenRequest request = design::shellOpenRequest(design::Link::HomePage);
  m_shell.shellExecute(m_hwnd, request.operation, request.file, request.parameters,
                       request.directory, request.showCommand);
}

void FrmAbout::lblInf2_Click(short) {
  const design::ShellOpenRequest request = design::shellOpenRequest(design::Link::MailLink);
  m_shell.shellExecute(m_hwnd, request.operation, request.file, request.parameters,
                       request.directory, request.showCommand);
}

}  // namespace sv::win32

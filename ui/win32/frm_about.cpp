#include "ui/win32/frm_about.h"

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
  for (const design::Control& design : m_design.controls) {
    m_items.push_back(makeItem(design));
    makeAccessible(m_items.back().hwnd, m_design, design);
  }
  m_tabOrder = stackInTableOrder(m_design, m_items);
}

namespace {

ControlClass aboutClass(const design::Control& design) {
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  switch (design.kind) {
    case design::ControlKind::PushButton:
      // Not the default button: Enter presses it only while it has the focus.
      return {L"Button", style | BS_PUSHBUTTON | WS_TABSTOP};
    case design::ControlKind::Picture:
      return {L"Static", style | SS_ICON};
    default:
      return {L"Static",
              style | labelStyle(design) | (design.onClick != design::Link::None ? SS_NOTIFY : 0)};
  }
}

}  // namespace

FrmAbout::Item FrmAbout::makeItem(const design::Control& design) {
  Item item;
  item.design = &design;
  if (!design.font.name.empty()) item.ownFont = createFont(design.font, m_dpi);
  item.font = item.ownFont ? item.ownFont.get() : m_windowFont.get();
  item.fore = toColorRef(design.fore, toColorRef(m_design.fore, GetSysColor(COLOR_BTNTEXT)));
  const bool picture = design.kind == design::ControlKind::Picture;
  const std::wstring text = picture ? std::wstring() : wideText(design.text);
  RECT place = pixelRect(design.rect, m_dpi);
  if (design.sizing == design::Sizing::FitText) place = fitText(place, text, item.font);
  item.hwnd = createControl(m_hwnd, m_design, design, aboutClass(design), text, place, item.font);
  if (picture) {
    m_helpIcon = loadIconPicture(design.picture, 32);
    SendMessageW(item.hwnd, STM_SETICON, reinterpret_cast<WPARAM>(m_helpIcon.get()), 0);
    // At its natural size, whatever the dpi.
    SetWindowPos(item.hwnd, nullptr, place.left, place.top, 32, 32, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (design.kind == design::ControlKind::PushButton) m_ok = item.hwnd;
  return item;
}

RECT FrmAbout::fitText(RECT place, const std::wstring& text, HFONT font) const {
  const WindowDc dc(m_hwnd);
  const SelectedObject selected(dc.get(), font);
  RECT measure{0, 0, 0, 0};
  DrawTextW(dc.get(), text.c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE);
  place.right = place.left + measure.right;
  place.bottom =
      place.top +
      (std::max)(measure.bottom, static_cast<LONG>(design::twipsToPixels(kLineTwips, m_dpi)));
  return place;
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
      // BN_CLICKED from OK and STN_CLICKED from a label are the same code.
      if (HIWORD(wParam) == BN_CLICKED) onClick(*item->design);
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

// Each group of labels has one handler, and each group opens one link.
void FrmAbout::onClick(const design::Control& control) {
  const short index = static_cast<short>(control.index);
  if (control.kind == design::ControlKind::PushButton) cmdOK_Click();
  if (control.onClick == design::Link::HomePage) lblInf_Click(index);
  if (control.onClick == design::Link::MailLink) lblInf2_Click(index);
}

void FrmAbout::cmdOK_Click() { m_done = true; }

void FrmAbout::lblInf_Click(short) { openLink(m_shell, m_hwnd, design::Link::HomePage); }

void FrmAbout::lblInf2_Click(short) { openLink(m_shell, m_hwnd, design::Link::MailLink); }

}  // namespace sv::win32

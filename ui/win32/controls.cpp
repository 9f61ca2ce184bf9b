#include "ui/win32/controls.h"

#include "files/win32/win32_file_system.h"

#include <algorithm>
#include <commctrl.h>

namespace sv::win32 {

void WindowBase::registerClass(const wchar_t* className, HICON icon) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, className, &existing)) return;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &WindowBase::dispatch;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hIconSm = icon;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = className;
  RegisterClassExW(&windowClass);
}

HWND WindowBase::createWindow(const wchar_t* className, const std::wstring& title, DWORD style,
                              DWORD exStyle, int x, int y, int width, int height, HWND owner) {
  return CreateWindowExW(exStyle, className, title.c_str(), style, x, y, width, height, owner,
                         nullptr, GetModuleHandleW(nullptr), this);
}

LRESULT CALLBACK WindowBase::dispatch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<WindowBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<WindowBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  const LRESULT result = self->handle(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->m_hwnd = nullptr;
  }
  return result;
}

int displayDpi(int dpi) {
  if (dpi > 0) return dpi;
  const int measured = GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSX);
  return measured > 0 ? measured : design::kBaseDpi;
}

RECT pixelRect(const design::Rect& twips, int dpi) {
  const design::Rect pixels = design::twipsToPixels(twips, dpi);
  return RECT{pixels.left, pixels.top, pixels.right(), pixels.bottom()};
}

unique_hfont createFont(const design::Font& font, int dpi) {
  LOGFONTW description{};
  description.lfHeight = -font.pixelHeight(dpi);
  description.lfWeight = font.weight;
  description.lfItalic = font.italic;
  description.lfUnderline = font.underline;
  description.lfStrikeOut = font.strikeOut;
  description.lfCharSet = static_cast<BYTE>(font.charset);
  description.lfOutPrecision = OUT_DEFAULT_PRECIS;
  description.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  description.lfQuality = DEFAULT_QUALITY;
  description.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
  const std::wstring name = wideText(font.name);
  name.copy(description.lfFaceName, (std::min<std::size_t>)(name.size(), LF_FACESIZE - 1));
  return unique_hfont(CreateFontIndirectW(&description));
}

COLORREF toColorRef(design::Rgb rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

COLORREF toColorRef(const design::Colour& colour, COLORREF fallback) {
  if (colour.isFixed()) return toColorRef(colour.rgb);
  if (!colour.isSystem()) return fallback;
  switch (colour.system) {
    case design::SystemColour::ButtonText:
      return GetSysColor(COLOR_BTNTEXT);
    case design::SystemColour::ButtonFace:
      return GetSysColor(COLOR_BTNFACE);
    case design::SystemColour::WindowText:
      return GetSysColor(COLOR_WINDOWTEXT);
    case design::SystemColour::Window:
      return GetSysColor(COLOR_WINDOW);
  }
  return fallback;
}

std::wstring wideText(std::string_view utf8) {
  std::wstring wide;
  toWide(std::string(utf8), wide);
  return wide;
}

std::vector<std::wstring> captionLines(std::wstring_view caption, int width,
                                       const std::function<int(std::wstring_view)>& measure) {
  constexpr std::wstring_view::size_type kNone = std::wstring_view::npos;
  const auto wordEnd = [&](std::size_t from) {
    const std::size_t end = caption.find(L' ', from);
    return end == kNone ? caption.size() : end;
  };
  std::vector<std::wstring> lines;
  // The caption's own leading spaces stay: they are not where a line breaks.
  std::size_t start = caption.find_first_not_of(L' ') == kNone ? kNone : 0;
  while (start != kNone) {
    std::size_t end = wordEnd(caption.find_first_not_of(L' ', start));
    for (;;) {
      const std::size_t next = caption.find_first_not_of(L' ', end);
      if (next == kNone || measure(caption.substr(start, wordEnd(next) - start)) > width) break;
      end = wordEnd(next);
    }
    lines.emplace_back(caption.substr(start, end - start));
    start = caption.find_first_not_of(L' ', end);
  }
  return lines;
}

namespace {

// The caption's lines, as dc draws them in its font. Broken into lines here
// rather than by DrawText, which under wine counts the spaces where a line
// breaks and so pushes a centred line to the left. With prefix processing
// on, a caption's "&&" shows (and measures) as one "&".
std::vector<std::wstring> drawnLines(HDC dc, const std::wstring& caption, int width) {
  return captionLines(caption, width, [dc](std::wstring_view text) {
    RECT extent{};
    DrawTextW(dc, text.data(), static_cast<int>(text.size()), &extent, DT_SINGLELINE | DT_CALCRECT);
    return static_cast<int>(extent.right - extent.left);
  });
}

void drawPicture(HDC dc, HBITMAP picture, const BITMAP& size, int left, int top) {
  const unique_hdc source(CreateCompatibleDC(dc));
  const SelectedObject selected(source.get(), picture);
  BitBlt(dc, left, top, size.bmWidth, size.bmHeight, source.get(), 0, 0, SRCCOPY);
}

}  // namespace

void drawPushButton(const DRAWITEMSTRUCT& item, const std::wstring& caption, HFONT font,
                    COLORREF back, COLORREF text, HBITMAP picture) {
  HDC dc = item.hDC;
  RECT frame = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;

  FillRect(dc, &frame, unique_hbrush(CreateSolidBrush(back)).get());
  DrawEdge(dc, &frame, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

  RECT content = frame;
  InflateRect(&content, -3, -3);
  if (pressed) OffsetRect(&content, 1, 1);

  {
    const SelectedObject selectedFont(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : text);
    const std::vector<std::wstring> lines = drawnLines(dc, caption, content.right - content.left);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // The caption's height, so that the picture and the caption stand together
    // in the middle of the button.
    const int textHeight = static_cast<int>(lines.size()) * metrics.tmHeight;
    BITMAP bitmap{};
    if (picture) GetObjectW(picture, sizeof(bitmap), &bitmap);
    const int blockHeight = textHeight + bitmap.bmHeight;
    LONG top = content.top + (std::max)(0L, (content.bottom - content.top - blockHeight) / 2);
    if (picture) {
      drawPicture(dc, picture, bitmap,
                  content.left + (content.right - content.left - bitmap.bmWidth) / 2, top);
      top += bitmap.bmHeight;
    }
    for (const std::wstring& line : lines) {
      RECT lineRect{content.left, top, content.right,
                    (std::min)(top + metrics.tmHeight, content.bottom)};
      DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &lineRect,
                DT_CENTER | DT_SINGLELINE);
      top += metrics.tmHeight;
    }
  }

  if (item.itemState & ODS_FOCUS) {
    RECT focus = frame;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }
}

HWND createToolTips(HWND owner) {
  // No prefix processing: "  Compare & Delete dupes records  " keeps its "&".
  HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                              WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  return tips;
}

void addToolTip(HWND tips, HWND owner, HWND control, const std::wstring& text) {
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace sv::win32

namespace sv::win32 {

LRESULT paintBackground(HWND window, WPARAM dc, HBRUSH brush) {
  RECT client;
  GetClientRect(window, &client);
  FillRect(reinterpret_cast<HDC>(dc), &client, brush);
  return 1;
}

int controlId(const design::Window& window, const design::Control& control) {
  return 1000 + static_cast<int>(tableRow(window, control));
}

DWORD labelStyle(const design::Control& design) {
  if (design.align == design::Align::Centre) return SS_CENTER;
  return design.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP;
}

HWND createControl(HWND parent, const design::Window& window, const design::Control& design,
                   const ControlClass& kind, const std::wstring& text, const RECT& place,
                   HFONT font) {
  const HWND control =
      CreateWindowExW(kind.exStyle, kind.name, text.c_str(), kind.style, place.left, place.top,
                      place.right - place.left, place.bottom - place.top, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId(window, design))),
                      GetModuleHandleW(nullptr), nullptr);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

bool handleDialogKeys(const MSG& message, HWND window, const std::vector<HWND>& order) {
  if (message.message != WM_KEYDOWN) return false;
  if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
  if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
  const HWND focus = GetFocus();
  if (message.wParam == VK_TAB) {
    std::vector<HWND> reachable;
    for (HWND control : order) {
      if (IsWindowVisible(control) && IsWindowEnabled(control)) reachable.push_back(control);
    }
    if (reachable.empty()) return true;
    const auto at = std::find(reachable.begin(), reachable.end(), focus);
    const bool back = GetKeyState(VK_SHIFT) < 0;
    std::size_t next = 0;
    if (at == reachable.end()) {
      next = back ? reachable.size() - 1 : 0;
    } else {
      const std::size_t here = static_cast<std::size_t>(at - reachable.begin());
      next =
          back ? (here + reachable.size() - 1) % reachable.size() : (here + 1) % reachable.size();
    }
    SetFocus(reachable[next]);
    return true;
  }
  if (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE) {
    if (message.wParam == VK_RETURN && focus &&
        std::find(order.begin(), order.end(), focus) != order.end()) {
      wchar_t className[16] = {};
      GetClassNameW(focus, className, 16);
      if (lstrcmpiW(className, L"Button") == 0) SendMessageW(focus, BM_CLICK, 0, 0);
    }
    return true;  // no default or cancel button: nothing else happens
  }
  return false;
}

}  // namespace sv::win32

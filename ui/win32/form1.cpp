#include "ui/win32/form1.h"

#include "files/file_system.h"
#include "ui/design/app_identity.h"
#include "ui/design/list_rows.h"
#include "ui/design/position.h"
#include "ui/design/text_decoding.h"
#include "ui/win32/accessibility.h"
#include "ui/win32/frm_about.h"
#include "ui/win32/pictures.h"
#include "ui/win32/win32_file_dialog.h"
#include "ui/win32/win32_settings_store.h"
#include "ui/win32/win32_shell_open.h"

#include <algorithm>
#include <climits>
#include <commctrl.h>
#include <optional>

namespace sv::win32 {

namespace {

constexpr DWORD kFormStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr UINT_PTR kSubclassId = 1;

bool liesInClientArea(const design::Window& window, const design::Control& control) {
  const design::Rect& place = control.rect;
  return place.right() > 0 && place.bottom() > 0 && place.left < window.clientWidth &&
         place.top < window.clientHeight;
}

std::wstring displayText(std::string_view bytes) {
  const std::u16string text = design::decodeForDisplayUtf16(bytes);
  return std::wstring(text.begin(), text.end());
}

int listCount(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0)); }
int listIndex(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }
int topIndex(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0)); }

}  // namespace

Form1::Form1(const Form1Services& services)
    : m_files(services.files),
      m_fileDialog(services.fileDialog),
      m_settings(services.settings),
      m_shell(services.shell),
      m_showFailure(services.showFailure),
      m_dpi(displayDpi(services.dpi)),
      m_design(design::form1Window()) {
  m_icon = loadIconPicture(m_design.icon, 16);
  m_helpPointer = loadIconPicture(design::Picture::HelpPointer, 32);
  m_formBrush.reset(CreateSolidBrush(toColorRef(m_design.back, GetSysColor(COLOR_BTNFACE))));
  m_windowFont = createFont(m_design.font, m_dpi);
  // The class outlives this window and its icon: the icon is given to the
  // window itself.
  registerClass(kClassName, nullptr);

  RECT outer{0, 0, design::twipsToPixels(m_design.clientWidth, m_dpi),
             design::twipsToPixels(m_design.clientHeight, m_dpi)};
  AdjustWindowRectEx(&outer, kFormStyle, FALSE, 0);
  // Where the window system puts a new window; Form_Load may move it.
  createWindow(kClassName, wideText(m_design.title), kFormStyle, 0, CW_USEDEFAULT, CW_USEDEFAULT,
               outer.right - outer.left, outer.bottom - outer.top, nullptr);
  if (!m_hwnd) return;
  SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.get()));
  SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon.get()));
  buildControls();
  buildMenu();
  Form_Load();
}

Form1::~Form1() {
  if (m_hwnd) DestroyWindow(m_hwnd);
}

const Form1::Wiring Form1::kWiring[] = {
    {"Command1", BN_CLICKED, &Form1::Command1_Click},
    {"Command3", BN_CLICKED, &Form1::Command3_Click},
    {"of1", BN_CLICKED, &Form1::of1_Click},
    {"of2", BN_CLICKED, &Form1::of2_Click},
    {"List3", LBN_SELCHANGE, &Form1::List3_Click},
    {"List4", LBN_SELCHANGE, &Form1::List4_Click},
};

const Form1::MenuWiring Form1::kMenuWiring[] = {
    {"mnuHelp", &Form1::mnuHelp_Click},
    {"mnuweb", &Form1::mnuweb_Click},
};

void Form1::buildControls() {
  m_rowHeight = rowHeight();
  m_items.reserve(m_design.controls.size());
  for (const design::Control& design : m_design.controls) m_items.push_back(makeItem(design));
  m_list2 = control("List2");
  m_list3 = control("List3");
  m_list4 = control("List4");
  m_label1 = control("Label1");
  m_image1 = control("Image1");
  m_tabOrder = stackInTableOrder(m_design, m_items);
  wireControls();
  m_lastFocus = m_list3;
}

// One list row is one line of the list font: 13 pixels at 96 dpi.
int Form1::rowHeight() const {
  const WindowDc dc(m_hwnd);
  const SelectedObject selected(dc.get(), m_windowFont.get());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.get(), &metrics);
  return (std::max)(static_cast<int>(metrics.tmHeight), design::twipsToPixels(kLineTwips, m_dpi));
}

namespace {

ControlClass form1Class(const design::Window& window, const design::Control& design) {
  ControlClass kind{L"Static", WS_CHILD | WS_CLIPSIBLINGS, 0};
  // A control placed wholly off the client area (List1) is never seen;
  // hidden as well, assistive technology does not offer it either.
  if (design.visible && liesInClientArea(window, design)) kind.style |= WS_VISIBLE;
  if (!design.enabled) kind.style |= WS_DISABLED;
  if (design.tabStop) kind.style |= WS_TABSTOP;
  if (design.border) kind.exStyle |= WS_EX_CLIENTEDGE;
  switch (design.kind) {
    case design::ControlKind::Label:
      kind.style |= labelStyle(design);
      break;
    case design::ControlKind::Picture:
      // SS_NOTIFY: a static without it is transparent to the mouse.
      kind.style |= SS_BITMAP | SS_NOTIFY;
      break;
    case design::ControlKind::ListBox:
      kind.name = L"ListBox";
      // No per-item storage: the items are drawn from the run's own lists.
      kind.style |=
          WS_VSCROLL | LBS_NOTIFY | LBS_NODATA | LBS_OWNERDRAWFIXED | LBS_NOINTEGRALHEIGHT;
      break;
    case design::ControlKind::PushButton:
      kind.name = L"Button";
      kind.style |= BS_OWNERDRAW;
      break;
    case design::ControlKind::TextBox:
      kind.name = L"Edit";
      kind.style |= ES_AUTOHSCROLL | ES_LEFT;
      break;
    case design::ControlKind::OpenFileDialog:
      break;
  }
  return kind;
}

}  // namespace

Form1::Item Form1::makeItem(const design::Control& design) {
  Item item;
  item.design = &design;
  item.caption = wideText(design.text);
  if (design.kind == design::ControlKind::OpenFileDialog || !design.placed) return item;
  if (!design.font.name.empty()) item.ownFont = createFont(design.font, m_dpi);
  item.font = item.ownFont ? item.ownFont.get() : m_windowFont.get();
  const bool textless =
      design.kind == design::ControlKind::ListBox || design.kind == design::ControlKind::Picture;
  item.hwnd = createControl(m_hwnd, m_design, design, form1Class(m_design, design),
                            textless ? std::wstring() : item.caption, pixelRect(design.rect, m_dpi),
                            item.font);
  item.fore = toColorRef(design.fore, GetSysColor(COLOR_WINDOWTEXT));
  item.back = toColorRef(design.back, toColorRef(m_design.back, GetSysColor(COLOR_BTNFACE)));
  if (!design.back.isNone()) item.backBrush.reset(CreateSolidBrush(item.back));
  if (design.kind == design::ControlKind::Picture) {
    item.picture = loadBitmapPicture(design.picture);
    // At its natural size: the static takes the bitmap's own size.
    SendMessageW(item.hwnd, STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(item.picture.get()));
  } else if (design.picture != design::Picture::None) {
    item.picture = loadGifFirstFrame(design.picture, item.back);
  }
  return item;
}

// The handlers, the subclasses, what assistive technology reads and the
// tooltips of the controls.
void Form1::wireControls() {
  for (const Wiring& wiring : kWiring) {
    Item& item = m_items[tableRow(m_design, m_design.control(wiring.control))];
    item.notification = wiring.notification;
    item.handler = wiring.handler;
  }
  for (HWND list : {m_list3, m_list4}) {
    SetWindowSubclass(list, &Form1::listSubclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  }
  SetWindowSubclass(m_image1, &Form1::imageSubclass, kSubclassId,
                    reinterpret_cast<DWORD_PTR>(this));
  // Over the list subclass: that one passes a message on more than once,
  // which wine's comctl32 gets right only for the subclass next to the list.
  for (const Item& item : m_items) {
    ListItemText items;
    if (listFor(item.hwnd)) {
      items = [this, list = item.hwnd](int index) { return itemText(list, index); };
    }
    makeAccessible(item.hwnd, m_design, *item.design, std::move(items));
  }
  m_toolTips = createToolTips(m_hwnd);
  for (const Item& item : m_items) {
    if (item.hwnd && !item.design->tooltip.empty()) {
      addToolTip(m_toolTips, m_hwnd, item.hwnd, wideText(item.design->tooltip));
    }
  }
}

void Form1::buildMenu() {
  m_menu.reset(CreatePopupMenu());
  UINT command = kFirstMenuCommand;
  for (const design::MenuItem& entry : design::form1PopupMenu().items) {
    Handler handler = nullptr;
    for (const MenuWiring& wiring : kMenuWiring) {
      if (wiring.entry == entry.name) handler = wiring.handler;
    }
    m_menuHandlers.push_back(handler);
    if (entry.separator) {
      AppendMenuW(m_menu.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(m_menu.get(), MF_STRING | MF_ENABLED | MF_UNCHECKED, command,
                  wideText(entry.caption).c_str());
    }
    ++command;
  }
}

void Form1::show(int showCommand) {
  if (!m_hwnd) return;
  ShowWindow(m_hwnd, showCommand);
  UpdateWindow(m_hwnd);
  if (m_list3) SetFocus(m_list3);
}

bool Form1::preTranslate(const MSG& message) {
  if (!m_hwnd) return false;
  return handleDialogKeys(message, m_hwnd, m_tabOrder);
}

HWND Form1::control(std::string_view name) const {
  const design::Control* design = m_design.find(name);
  if (!design || tableRow(m_design, *design) >= m_items.size()) return nullptr;
  return m_items[tableRow(m_design, *design)].hwnd;
}

const ResultList* Form1::listFor(HWND hwnd) const {
  if (hwnd == m_list2) return &m_results.List2;
  if (hwnd == m_list3) return &m_results.List3;
  if (hwnd == m_list4) return &m_results.List4;
  return nullptr;
}

LRESULT Form1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return paintBackground(m_hwnd, wParam, m_formBrush.get());
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
      if (HBRUSH brush =
              onCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (measure->CtlType == ODT_LISTBOX) {
        measure->itemHeight = static_cast<UINT>(m_rowHeight);
        return TRUE;
      }
      break;
    }
    case WM_DRAWITEM:
      if (onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
      break;
    case WM_SETCURSOR:
      if (onSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam))) return TRUE;
      break;
    case WM_COMMAND:
      onCommand(wParam, lParam);
      return 0;
    case WM_ACTIVATE:
      onActivate(wParam);
      return 0;
    case WM_SETFOCUS:
      if (m_lastFocus) SetFocus(m_lastFocus);
      return 0;
    case WM_CLOSE:
      // While the About window is open the main window takes no input, not
      // even a close request from the taskbar: the About window's own loop
      // still runs inside this window's handler.
      if (!IsWindowEnabled(m_hwnd)) return 0;
      closeWindow();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

HBRUSH Form1::onCtlColor(HDC dc, HWND control) {
  const Item* item = itemFor(control);
  if (!item) return nullptr;
  SetTextColor(dc, item->fore);
  if (item->backBrush) {
    SetBkColor(dc, item->back);
    return item->backBrush.get();
  }
  SetBkMode(dc, TRANSPARENT);
  return m_formBrush.get();
}

bool Form1::onDrawItem(const DRAWITEMSTRUCT& draw) {
  if (draw.CtlType == ODT_LISTBOX) {
    drawListItem(draw);
    return true;
  }
  if (draw.CtlType != ODT_BUTTON) return false;
  if (const Item* item = itemFor(draw.hwndItem)) {
    drawPushButton(draw, item->caption, item->font, item->back,
                   toColorRef(item->design->fore, GetSysColor(COLOR_BTNTEXT)), item->picture.get());
  }
  return true;
}

bool Form1::onSetCursor(HWND over, UINT hitTest) {
  if (m_busy) {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
  }
  const Item* item = itemFor(over);
  if (!item || item->design->pointer != design::Pointer::Help || !m_helpPointer ||
      hitTest != HTCLIENT) {
    return false;
  }
  SetCursor(m_helpPointer.get());
  return true;
}

void Form1::onActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus && IsChild(m_hwnd, focus)) m_lastFocus = focus;
  } else if (m_lastFocus && !HIWORD(wParam)) {
    SetFocus(m_lastFocus);
  }
}

// A list box counts its rows in an int: a longer list is cut, as the rows
// rule says, and both lists of the pair alike.
constexpr int kMaxListRows = INT_MAX;

std::wstring Form1::itemText(HWND list, int index) const {
  const ResultList* items = listFor(list);
  if (!items || index < 0 || static_cast<std::uint64_t>(index) >= items->size()) return {};
  const design::ListRows rows = design::listRows(items->size(), kMaxListRows);
  return rows.isNote(static_cast<std::uint64_t>(index))
             ? wideText(design::cutNote(items->size() - rows.shownItems))
             : displayText(items->item(static_cast<std::uint64_t>(index)));
}

void Form1::drawListItem(const DRAWITEMSTRUCT& draw) {
  HDC dc = draw.hDC;
  const ResultList* list = listFor(draw.hwndItem);
  const bool selected = (draw.itemState & ODS_SELECTED) != 0;
  if (draw.itemID != static_cast<UINT>(-1) && list && draw.itemID < list->size()) {
    const std::wstring text = itemText(draw.hwndItem, static_cast<int>(draw.itemID));
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const SelectedObject font(dc, itemFor(draw.hwndItem)->font);
    ExtTextOutW(dc, draw.rcItem.left + 2, draw.rcItem.top, ETO_OPAQUE | ETO_CLIPPED, &draw.rcItem,
                text.c_str(), static_cast<UINT>(text.size()), nullptr);
  }
  if (draw.itemState & ODS_FOCUS) DrawFocusRect(dc, &draw.rcItem);
}

void Form1::onCommand(WPARAM wParam, LPARAM lParam) {
  if (lParam == 0) {
    // The pop-up menu.
    const UINT entry = LOWORD(wParam) - kFirstMenuCommand;
    if (entry < m_menuHandlers.size() && m_menuHandlers[entry]) (this->*m_menuHandlers[entry])();
    return;
  }
  const Item* item = itemFor(reinterpret_cast<HWND>(lParam));
  if (item && item->handler && HIWORD(wParam) == item->notification) (this->*item->handler)();
}

LRESULT CALLBACK Form1::listSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR self) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &Form1::listSubclass, kSubclassId);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  // A list box raises no notification of its own when its top row moves, by
  // scroll bar, wheel, keys or code: compare around every message instead.
  const LRESULT before = DefSubclassProc(hwnd, LB_GETTOPINDEX, 0, 0);
  const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
  if (IsWindow(hwnd) && DefSubclassProc(hwnd, LB_GETTOPINDEX, 0, 0) != before) {
    reinterpret_cast<Form1*>(self)->onListScrolled(hwnd);
  }
  return result;
}

LRESULT CALLBACK Form1::imageSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR self) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONDBLCLK:
      reinterpret_cast<Form1*>(self)->Image1_MouseDown();
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &Form1::imageSubclass, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

void Form1::onListScrolled(HWND list) {
  if (list == m_list3) List3_Scroll();
  if (list == m_list4) List4_Scroll();
}

void Form1::setListIndex(HWND list, int index) {
  if (!list || listIndex(list) == index) return;
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  if (listIndex(list) != index) return;  // out of range: nothing changed
  if (list == m_list3) List3_Click();
  if (list == m_list4) List4_Click();
}

void Form1::setTopIndex(HWND list, int index) {
  if (!list || topIndex(list) == index) return;
  SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}

void Form1::List3_Click() { setListIndex(m_list4, listIndex(m_list3)); }
void Form1::List4_Click() { setListIndex(m_list3, listIndex(m_list4)); }
void Form1::List3_Scroll() { setTopIndex(m_list4, topIndex(m_list3)); }
void Form1::List4_Scroll() { setTopIndex(m_list3, topIndex(m_list4)); }

void Form1::showLists() {
  for (HWND list : {m_list3, m_list4, m_list2}) {
    const ResultList* items = listFor(list);
    const design::ListRows rows = design::listRows(items ? items->size() : 0, kMaxListRows);
    SendMessageW(list, LB_SETCOUNT, static_cast<WPARAM>(rows.rows), 0);
  }
}

void Form1::clearLists() {
  for (HWND list : {m_list3, m_list4, m_list2}) SendMessageW(list, LB_RESETCONTENT, 0, 0);
  m_results = ResultLists{};
}

void Form1::Command1_Click() {
  if (m_mainBasePath.empty() || m_comparedPath.empty()) return;

  clearLists();
  m_busy = true;
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  RunOutcome outcome = compareAndDelete(m_files, m_mainBasePath, m_comparedPath);
  m_results = std::move(outcome.lists);
  showLists();

  if (!outcome.status.isOk()) {
    // The pointer goes back first: a busy pointer over the message would say
    // that the program is still at work while it waits for the user.
    m_busy = false;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    const std::wstring message = wideText(outcome.status.message());
    if (m_showFailure) {
      m_showFailure(m_hwnd, message);
    } else {
      MessageBoxW(m_hwnd, message.c_str(), wideText(kAppTitle).c_str(), MB_OK | MB_ICONERROR);
    }
    return;
  }

  // Where writing the lists out leaves the selection: on the last item of
  // List2 and List4, and through List4_Click of List3.
  setListIndex(m_list2, listCount(m_list2) - 1);
  setListIndex(m_list4, listCount(m_list4) - 1);
  m_busy = false;
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  SetWindowTextW(m_label1, wideText(countText(m_results.List4.recordCount())).c_str());
}

void Form1::closeWindow() {
  if (!m_hwnd) return;
  Form_Unload();
  DestroyWindow(m_hwnd);
}

void Form1::Command3_Click() {
  closeWindow();
  PostQuitMessage(0);
}

void Form1::of1_Click() { choosePath("CD1", m_mainBasePath, "Text1"); }
void Form1::of2_Click() { choosePath("CD", m_comparedPath, "Text2"); }

void Form1::choosePath(std::string_view dialogName, std::string& path, std::string_view boxName) {
  const design::Control* dialog = m_design.find(dialogName);
  const std::string filter = dialog ? std::string(dialog->filter) : std::string();
  const std::optional<std::string> chosen = m_fileDialog.chooseFileToOpen(m_hwnd, filter, path);
  if (!chosen) return;
  path = *chosen;
  SetWindowTextW(control(boxName), wideText(" " + path).c_str());
}

void Form1::Form_Load() {
  const auto stored = [this](const char* key) {
    return design::readStoredTwips(
        m_settings.read(design::kSettingsApplication, design::kSettingsSection, key));
  };
  const std::optional<double> left = stored(design::kLeftKey);
  const std::optional<double> top = stored(design::kTopKey);
  if (!left && !top) return;
  RECT place;
  GetWindowRect(m_hwnd, &place);
  const int x = left ? design::twipsToPixels(*left, m_dpi) : place.left;
  const int y = top ? design::twipsToPixels(*top, m_dpi) : place.top;
  SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::Form_Unload() {
  RECT place;
  GetWindowRect(m_hwnd, &place);
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (IsIconic(m_hwnd) && GetWindowPlacement(m_hwnd, &placement)) {
    // A minimised window stands far off the screen; keep where it will be
    // restored to (the placement counts from the work area's corner).
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(m_hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    place.left = placement.rcNormalPosition.left + monitor.rcWork.left - monitor.rcMonitor.left;
    place.top = placement.rcNormalPosition.top + monitor.rcWork.top - monitor.rcMonitor.top;
  }
  const auto store = [this](const char* key, int pixels) {
    m_settings.write(design::kSettingsApplication, design::kSettingsSection, key,
                     design::storedTwipsText(design::pixelsToTwips(pixels, m_dpi)));
  };
  store(design::kLeftKey, place.left);
  store(design::kTopKey, place.top);
}

void Form1::Image1_MouseDown() {
  POINT at;
  GetCursorPos(&at);
  // Left edge at the pointer, entries chosen with the left button only.
  TrackPopupMenu(m_menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x, at.y, 0, m_hwnd,
                 nullptr);
}

void Form1::mnuHelp_Click() { FrmAbout::showModal(m_hwnd, m_shell, m_dpi); }

void Form1::mnuweb_Click() { openLink(m_shell, m_hwnd, design::Link::HomePage); }

}  // namespace sv::win32

#include "ui/win32/accessibility.h"

#include "files/win32/win32_file_system.h"
#include "ui/win32/controls.h"
#include "ui/win32/handles.h"

#include <commctrl.h>
#include <memory>
#include <oleacc.h>
#include <utility>

namespace sv::win32 {

namespace {

// A subclass is known by its procedure and its number together: this one
// never meets the windows' own.
constexpr UINT_PTR kAccessibilitySubclassId = 1;

LONG roleOf(const design::Control& design) {
  switch (design.kind) {
    case design::ControlKind::Label:
      return design.readAsLink ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_STATICTEXT;
    case design::ControlKind::Picture:
      return ROLE_SYSTEM_GRAPHIC;
    case design::ControlKind::ListBox:
      return ROLE_SYSTEM_LIST;
    case design::ControlKind::PushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case design::ControlKind::TextBox:
      return ROLE_SYSTEM_TEXT;
    case design::ControlKind::OpenFileDialog:
      break;
  }
  return ROLE_SYSTEM_CLIENT;
}

bool isSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

VARIANT childVariant(LONG id) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = id;
  return value;
}

std::wstring windowText(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

// An empty text is no text: S_FALSE and no string, as clients expect.
HRESULT answerText(const std::wstring& text, BSTR* answer) {
  if (!answer) return E_POINTER;
  *answer = text.empty() ? nullptr : SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (text.empty()) return S_FALSE;
  return *answer ? S_OK : E_OUTOFMEMORY;
}

// A control's own object: its name and role from the window tables, the rest
// from the system's object of the control. Lives as long as a client or the
// control holds it; once the control is gone it answers that it is gone.
class ControlAccessible : public IAccessible {
 public:
  ControlAccessible(HWND hwnd, const design::Window& window, const design::Control& design)
      : m_hwnd(hwnd), m_window(window), m_design(design) {
    void* standard = nullptr;
    if (SUCCEEDED(
            CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible), &standard))) {
      m_standard.reset(static_cast<IAccessible*>(standard));
    }
  }
  virtual ~ControlAccessible() = default;

  // Every message of the control passes here on its way to the control.
  virtual LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefSubclassProc(m_hwnd, message, wParam, lParam);
  }
  virtual void disconnect() {
    m_hwnd = nullptr;
    m_standard.reset();
  }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (!object) return E_POINTER;
    if (id == __uuidof(IUnknown) || id == __uuidof(IDispatch) || id == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch: clients call the interface itself.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!m_hwnd) return RPC_E_DISCONNECTED;
    if (!isSelf(child)) return standard(&IAccessible::get_accName, child, name);
    return answerText(ownName(), name);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!m_hwnd) return RPC_E_DISCONNECTED;
    if (!isSelf(child)) return standard(&IAccessible::get_accRole, child, role);
    if (!role) return E_POINTER;
    *role = childVariant(roleOf(m_design));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (!m_hwnd) return RPC_E_DISCONNECTED;
    // A text box's value is the path it shows; the system's object does not
    // read it everywhere.
    if (isSelf(child) && m_design.kind == design::ControlKind::TextBox) {
      return answerText(windowText(m_hwnd), value);
    }
    return standard(&IAccessible::get_accValue, child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!m_hwnd) return RPC_E_DISCONNECTED;
    const HRESULT result = standard(&IAccessible::get_accState, child, state);
    if (SUCCEEDED(result) && isSelf(child) && state->vt == VT_I4 &&
        roleOf(m_design) == ROLE_SYSTEM_LINK) {
      state->lVal |= STATE_SYSTEM_LINKED;
    }
    return result;
  }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return standard(&IAccessible::get_accParent, parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    return standard(&IAccessible::get_accChildCount, count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return standard(&IAccessible::get_accChild, child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return standard(&IAccessible::get_accDescription, child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    return standard(&IAccessible::get_accHelp, child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
    return standard(&IAccessible::get_accHelpTopic, file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    return standard(&IAccessible::get_accKeyboardShortcut, child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    return standard(&IAccessible::get_accFocus, child);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    return standard(&IAccessible::get_accSelection, children);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
    return standard(&IAccessible::get_accDefaultAction, child, text);
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    return standard(&IAccessible::accSelect, flags, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    return standard(&IAccessible::accLocation, left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    return standard(&IAccessible::accNavigate, direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    return standard(&IAccessible::accHitTest, x, y, child);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    return standard(&IAccessible::accDoDefaultAction, child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return standard(&IAccessible::put_accValue, child, value);
  }

 protected:
  std::wstring ownName() const {
    if (m_design.kind != design::ControlKind::Label) {
      return wideText(design::accessibleName(m_window, m_design));
    }
    // A label is read with what it shows now: Label1 is given its count by a run.
    const std::string shown = toUtf8(windowText(m_hwnd));
    design::Control now = m_design;
    now.text = shown;
    return wideText(design::accessibleName(m_window, now));
  }

  // The system object's answer; once the control is gone, none.
  template <class Method, class... Arguments>
  HRESULT standard(Method method, Arguments... arguments) {
    if (!m_standard) return RPC_E_DISCONNECTED;
    return (m_standard.get()->*method)(arguments...);
  }

  HWND m_hwnd;
  const design::Window& m_window;
  const design::Control& m_design;
  unique_com<IAccessible> m_standard;

 private:
  ULONG m_references = 1;
};

// An owner-drawn list without strings: its items are children 1 to count,
// each read with the text the list draws for it. The list box itself keeps
// the count, the selection, the caret and the rows shown.
class ListAccessible : public ControlAccessible {
 public:
  ListAccessible(HWND hwnd, const design::Window& window, const design::Control& design,
                 ListItemText itemText)
      : ControlAccessible(hwnd, window, design), m_itemText(std::move(itemText)) {}

  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam) override {
    const LRESULT result = DefSubclassProc(m_hwnd, message, wParam, lParam);
    // The announcement asks the list by messages, which come back here.
    if (m_hwnd && !m_announcing) {
      m_announcing = true;
      announceMoves(message == WM_SETFOCUS);
      m_announcing = false;
    }
    return result;
  }
  void disconnect() override {
    ControlAccessible::disconnect();
    m_itemText = nullptr;
  }

  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    if (!m_hwnd) return RPC_E_DISCONNECTED;
    if (!count) return E_POINTER;
    *count = itemCount();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    if (!m_hwnd) return RPC_E_DISCONNECTED;
    if (!object) return E_POINTER;
    *object = nullptr;
    // Items are simple elements: their parent answers for them.
    return isItem(child) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!isItem(child)) return ControlAccessible::get_accName(child, name);
    return answerText(m_itemText(child.lVal - 1), name);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!isItem(child)) return ControlAccessible::get_accRole(child, role);
    if (!role) return E_POINTER;
    *role = childVariant(ROLE_SYSTEM_LISTITEM);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!isItem(child)) return ControlAccessible::get_accState(child, state);
    if (!state) return E_POINTER;
    const int index = child.lVal - 1;
    LONG bits = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (index == selectedIndex()) bits |= STATE_SYSTEM_SELECTED;
    if (GetFocus() == m_hwnd && index == caretIndex()) bits |= STATE_SYSTEM_FOCUSED;
    if (!isShown(index)) bits |= STATE_SYSTEM_OFFSCREEN;
    *state = childVariant(bits);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    if (isItem(child)) return DISP_E_MEMBERNOTFOUND;
    return ControlAccessible::get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    if (isItem(child)) return answerText({}, text);
    return ControlAccessible::get_accDescription(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
    if (isItem(child)) return answerText({}, text);
    return ControlAccessible::get_accHelp(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
    if (isItem(child)) return answerText({}, text);
    return ControlAccessible::get_accKeyboardShortcut(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
    if (isItem(child)) return DISP_E_MEMBERNOTFOUND;
    return ControlAccessible::get_accDefaultAction(child, text);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (isItem(child)) return DISP_E_MEMBERNOTFOUND;
    return ControlAccessible::accDoDefaultAction(child);
  }

  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
    if (!m_hwnd) return RPC_E_DISCONNECTED;
    if (!child) return E_POINTER;
    VariantInit(child);
    if (GetFocus() != m_hwnd) return S_FALSE;
    const int caret = caretIndex();
    *child = childVariant(caret >= 0 && caret < itemCount() ? caret + 1 : CHILDID_SELF);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
    if (!m_hwnd) return RPC_E_DISCONNECTED;
    if (!children) return E_POINTER;
    VariantInit(children);
    const int selected = selectedIndex();
    if (selected < 0) return S_FALSE;
    *children = childVariant(selected + 1);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
    if (!isItem(child)) return ControlAccessible::accSelect(flags, child);
    if (flags & ~(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) return E_INVALIDARG;
    if (flags & SELFLAG_TAKEFOCUS) SetFocus(m_hwnd);
    const int index = child.lVal - 1;
    if ((flags & SELFLAG_TAKESELECTION) && index != selectedIndex()) {
      // As a click does: the window hears of the change, so that the paired
      // list follows.
      SendMessageW(m_hwnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
      SendMessageW(GetParent(m_hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(m_hwnd), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(m_hwnd));
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    if (!isItem(child)) return ControlAccessible::accLocation(left, top, width, height, child);
    if (!left || !top || !width || !height) return E_POINTER;
    RECT row{};
    SendMessageW(m_hwnd, LB_GETITEMRECT, static_cast<WPARAM>(child.lVal - 1),
                 reinterpret_cast<LPARAM>(&row));
    MapWindowPoints(m_hwnd, nullptr, reinterpret_cast<POINT*>(&row), 2);
    *left = row.left;
    *top = row.top;
    *width = row.right - row.left;
    *height = row.bottom - row.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
    if (!m_hwnd) return RPC_E_DISCONNECTED;
    if (!end) return E_POINTER;
    const LONG count = itemCount();
    LONG to = 0;
    if (isSelf(start) && direction == NAVDIR_FIRSTCHILD) {
      to = count > 0 ? 1 : 0;
    } else if (isSelf(start) && direction == NAVDIR_LASTCHILD) {
      to = count;
    } else if (isSelf(start)) {
      return ControlAccessible::accNavigate(direction, start, end);
    } else if (!isItem(start)) {
      return E_INVALIDARG;
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
      to = start.lVal < count ? start.lVal + 1 : 0;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
      to = start.lVal - 1;
    }
    VariantInit(end);
    if (to <= 0) return S_FALSE;
    *end = childVariant(to);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
    if (!m_hwnd) return RPC_E_DISCONNECTED;
    if (!child) return E_POINTER;
    VariantInit(child);
    POINT at{x, y};
    RECT place;
    GetWindowRect(m_hwnd, &place);
    if (!PtInRect(&place, at)) return S_FALSE;
    ScreenToClient(m_hwnd, &at);
    RECT client;
    GetClientRect(m_hwnd, &client);
    // The border and the scroll bar are the list's own.
    if (!PtInRect(&client, at)) {
      *child = childVariant(CHILDID_SELF);
      return S_OK;
    }
    // Every row is one height: counted rather than asked with
    // LB_ITEMFROMPOINT, whose answer holds 16 bits of an index.
    const LRESULT rowHeight = SendMessageW(m_hwnd, LB_GETITEMHEIGHT, 0, 0);
    const int index = topIndex() + (rowHeight > 0 ? at.y / static_cast<int>(rowHeight) : 0);
    *child = childVariant(index < itemCount() ? index + 1 : CHILDID_SELF);
    return S_OK;
  }

 private:
  int itemCount() const { return static_cast<int>(SendMessageW(m_hwnd, LB_GETCOUNT, 0, 0)); }
  int selectedIndex() const { return static_cast<int>(SendMessageW(m_hwnd, LB_GETCURSEL, 0, 0)); }
  int caretIndex() const { return static_cast<int>(SendMessageW(m_hwnd, LB_GETCARETINDEX, 0, 0)); }
  int topIndex() const { return static_cast<int>(SendMessageW(m_hwnd, LB_GETTOPINDEX, 0, 0)); }
  bool isItem(const VARIANT& child) const {
    return m_hwnd && m_itemText && child.vt == VT_I4 && child.lVal >= 1 &&
           child.lVal <= itemCount();
  }
  bool isShown(int index) const {
    RECT client;
    GetClientRect(m_hwnd, &client);
    const LRESULT rowHeight = SendMessageW(m_hwnd, LB_GETITEMHEIGHT, 0, 0);
    const int rows =
        rowHeight > 0 ? static_cast<int>((client.bottom + rowHeight - 1) / rowHeight) : 0;
    return index >= topIndex() && index < topIndex() + rows;
  }

  // The list box raises no event of its own for a list without strings, and
  // none for a selection set by the window (the paired list's echo): the
  // selection and the caret are compared after every message instead, and
  // each move is announced once, the focus only while the list has it.
  void announceMoves(bool focusArrived) {
    const int selected = selectedIndex();
    const int caret = caretIndex();
    const bool moved = selected != m_announcedSelection || caret != m_announcedCaret;
    m_announcedSelection = selected;
    m_announcedCaret = caret;
    if (moved && selected >= 0) {
      NotifyWinEvent(EVENT_OBJECT_SELECTION, m_hwnd, OBJID_CLIENT, selected + 1);
    }
    if ((moved || focusArrived) && GetFocus() == m_hwnd && caret >= 0 && caret < itemCount()) {
      NotifyWinEvent(EVENT_OBJECT_FOCUS, m_hwnd, OBJID_CLIENT, caret + 1);
    }
  }

  ListItemText m_itemText;
  bool m_announcing = false;
  int m_announcedSelection = -1;
  int m_announcedCaret = 0;
};

// Passes each message on once, so that it may lie over any other subclass:
// wine's comctl32 sends a second DefSubclassProc of the same message past the
// subclasses in between.
LRESULT CALLBACK accessibilitySubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
  auto* object = reinterpret_cast<ControlAccessible*>(data);
  // The object's identifier travels in the low 32 bits, sign-extended or not.
  if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
    return LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &accessibilitySubclass, kAccessibilitySubclassId);
    // A client may hold the object longer than the control lives.
    object->disconnect();
    object->Release();
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  return object->handle(message, wParam, lParam);
}

}  // namespace

void makeAccessible(HWND control, const design::Window& window, const design::Control& design,
                    ListItemText itemText) {
  if (!control) return;
  ControlAccessible* object = itemText
                                  ? new ListAccessible(control, window, design, std::move(itemText))
                                  : new ControlAccessible(control, window, design);
  SetWindowSubclass(control, &accessibilitySubclass, kAccessibilitySubclassId,
                    reinterpret_cast<DWORD_PTR>(object));
}

}  // namespace sv::win32

#pragma once

// Owners of the handles the windows create, one type per kind of handle:
// each frees its handle exactly once, when the owner goes or is given
// another, and a handle is passed on only by moving its owner. get() lends
// the handle to a call without giving it away.

#include <windows.h>

#include <memory>
#include <type_traits>
#include <unknwn.h>

namespace sv::win32 {

// The system's function that frees a kind of handle.
struct GdiObjectFree {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct IconFree {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct MenuFree {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct KeyFree {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
struct MemoryDcFree {
  void operator()(HDC dc) const { DeleteDC(dc); }
};

template <class Handle, class Free>
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<Handle>, Free>;

using unique_hfont = UniqueHandle<HFONT, GdiObjectFree>;
using unique_hbrush = UniqueHandle<HBRUSH, GdiObjectFree>;
using unique_hbitmap = UniqueHandle<HBITMAP, GdiObjectFree>;
using unique_hicon = UniqueHandle<HICON, IconFree>;
using unique_hmenu = UniqueHandle<HMENU, MenuFree>;
using unique_hkey = UniqueHandle<HKEY, KeyFree>;
// A memory device context of CreateCompatibleDC.
using unique_hdc = UniqueHandle<HDC, MemoryDcFree>;

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class Interface>
using unique_com = std::unique_ptr<Interface, ComRelease>;

// The device context of a window (or of the screen, for none) for as long as
// it lives, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
  ~WindowDc() { ReleaseDC(m_window, m_dc); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return m_dc; }

 private:
  HWND m_window;
  HDC m_dc;
};

// An object selected into a device context, the one it replaced put back
// when this goes.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(m_dc, m_old); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

}  // namespace sv::win32

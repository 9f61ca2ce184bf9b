#pragma once

// What assistive technology (screen readers, magnifiers) reads of the
// windows, through Active Accessibility. Every control answers WM_GETOBJECT
// with an object of its own, named by the words a sighted user reads for it
// (design::accessibleName). The owner-drawn lists keep no strings for the
// system's own object to read: theirs exposes every item with its text, place
// and selected state, asking the window for an item's text only when it is
// read, and announces the selection and the focus as the system's list box
// does. Whatever else the system's object of a control answers is kept.

#include "ui/design/window_tables.h"

#include <windows.h>

#include <functional>
#include <string>

namespace sv::win32 {

// The text of item index of a list, as the list draws it.
using ListItemText = std::function<std::wstring(int index)>;

// Gives control, the window of design (a control of window), its accessible
// object for as long as the control lives. A list's itemText is asked until
// the control is destroyed and never after.
void makeAccessible(HWND control, const design::Window& window, const design::Control& design,
                    ListItemText itemText = {});

}  // namespace sv::win32

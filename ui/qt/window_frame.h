#pragma once

// What a window asks of the window manager beyond Qt's window flags.

class QWidget;

namespace sv {

// Asks the desktop to show no taskbar or pager entry for window. Works on
// X11 only (elsewhere, and offscreen, it does nothing); creates the native
// window, so call it before the window first shows.
void keepOffTaskbar(QWidget& window);

}  // namespace sv

#pragma once

// Both windows draw their controls the classic way: push buttons filled flat
// in their own background colour with a raised 3-D edge, lists and text
// boxes in a sunken 3-D border. Qt's "Windows" style draws exactly that on
// every platform, whatever style the desktop would choose.

class QStyle;
class QWidget;

namespace sv {

// One style shared by every window, owned by the application.
QStyle* classicStyle();

// Gives window and every widget in it the classic style; call once all its
// controls are built.
void useClassicStyle(QWidget* window);

}  // namespace sv

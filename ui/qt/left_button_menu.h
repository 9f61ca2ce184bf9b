#pragma once

// A pop-up menu whose entries are chosen with the left mouse button only.
// QMenu on X11 lets any button choose; since the logo opens the menu on any
// button with the menu's corner under the pointer, releasing a right click
// there would choose the first entry at once.

#include <QMenu>

namespace sv {

class LeftButtonMenu : public QMenu {
  Q_OBJECT

 public:
  using QMenu::QMenu;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace sv

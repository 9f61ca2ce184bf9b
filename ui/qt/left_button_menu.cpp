#include "ui/qt/left_button_menu.h"

#include <QMouseEvent>

namespace sv {

namespace {

// A press outside the menu must still reach QMenu, which closes it then.
bool insideMenu(const QMenu& menu, const QMouseEvent& event) {
  return menu.rect().contains(event.position().toPoint());
}

}  // namespace

void LeftButtonMenu::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton && insideMenu(*this, *event)) {
    event->accept();
    return;
  }
  QMenu::mousePressEvent(event);
}

void LeftButtonMenu::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    event->accept();
    return;
  }
  QMenu::mouseReleaseEvent(event);
}

}  // namespace sv

#include "ui/qt/classic_style.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

namespace sv {

QStyle* classicStyle() {
  static QPointer<QStyle> style;
  if (!style) {
    style = QStyleFactory::create(QStringLiteral("Windows"));
    // Qt builds it in, so it cannot be missing; fall back rather than crash.
    if (!style) return QApplication::style();
    style->setParent(qApp);
  }
  return style;
}

void useClassicStyle(QWidget* window) {
  QStyle* style = classicStyle();
  window->setStyle(style);
  // A widget's style does not pass on to its children by itself.
  for (QWidget* child : window->findChildren<QWidget*>()) child->setStyle(style);
}

}  // namespace sv

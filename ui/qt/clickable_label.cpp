#include "ui/qt/clickable_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>

namespace {

// What a click on the label opens is a link, so a screen reader says "link"
// and can follow it, though the label looks like plain text.
class LinkAccessible : public QAccessibleWidget {
 public:
  explicit LinkAccessible(ClickableLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
      return static_cast<const ClickableLabel*>(widget())->text();
    }
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.linked = true;
    return state;
  }

  QStringList actionNames() const override {
    return QStringList(pressAction()) + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& actionName) override {
    if (actionName != pressAction()) {
      QAccessibleWidget::doAction(actionName);
      return;
    }
    emit static_cast<ClickableLabel*>(widget())->clicked();
  }
};

// Other clickable labels fall through to Qt's own interface of a label.
QAccessibleInterface* linkAccessible(const QString& className, QObject* object) {
  if (className != QLatin1String("ClickableLabel")) return nullptr;
  auto* label = static_cast<ClickableLabel*>(object);
  return label->readAsLink() ? new LinkAccessible(label) : nullptr;
}

}  // namespace

ClickableLabel::ClickableLabel(bool readAsLink, QWidget* parent)
    : QLabel(parent), m_readAsLink(readAsLink) {
  // Qt keeps the first interface it makes for a widget; none exists yet.
  [[maybe_unused]] static const bool installed = [] {
    QAccessible::installFactory(linkAccessible);
    return true;
  }();
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
  m_pressed = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = m_pressed && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  m_pressed = false;
  QLabel::mouseReleaseEvent(event);
  if (click) emit clicked();
}

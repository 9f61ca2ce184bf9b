#pragma once

// A label that reports a click: the left button pressed and released over it,
// the way a push button counts a click. A release outside the label, or a
// press with another button, is no click. Assistive technology reads it as a
// link, and its press action clicks it.

#include <QLabel>

class ClickableLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickableLabel(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool m_pressed = false;
};

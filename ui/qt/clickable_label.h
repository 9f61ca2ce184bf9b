#pragma once

// A label that reports a click: the left button pressed and released over it,
// the way a push button counts a click. A release outside the label, or a
// press with another button, is no click. Assistive technology reads one
// made as a link as a link, and its press action clicks it.

#include <QLabel>

class ClickableLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ClickableLabel(bool readAsLink, QWidget* parent = nullptr);
  bool readAsLink() const { return m_readAsLink; }

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool m_readAsLink;
  bool m_pressed = false;
};

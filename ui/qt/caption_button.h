#pragma once

// A push button drawn the classic way: a caption too wide for the button is
// broken into centred lines at spaces (QPushButton never wraps), and a picture,
// when there is one, sits centred above the caption.

#include <QPixmap>
#include <QPushButton>

namespace sv {

class CaptionButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CaptionButton(const QString& caption, QWidget* parent = nullptr);

  void setPicture(const QPixmap& picture);
  const QPixmap& picture() const { return m_picture; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap m_picture;
};

}  // namespace sv

#include "ui/qt/caption_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace sv {

namespace {

// Room between the frame and the caption, as the platform's buttons leave it.
constexpr int kMargin = 4;
constexpr int kPictureGap = 1;

// TextShowMnemonic turns "&&" into one "&"; the caption gives no access key.
constexpr int kCaptionFlags =
    Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic;

}  // namespace

CaptionButton::CaptionButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {}

void CaptionButton::setPicture(const QPixmap& picture) {
  m_picture = picture;
  update();
}

void CaptionButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  painter.drawControl(QStyle::CE_PushButtonBevel, option);

  const QRect inner = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
  const QRect textBounds = fontMetrics().boundingRect(inner, kCaptionFlags, text());
  const int pictureHeight = m_picture.isNull() ? 0 : m_picture.height() + kPictureGap;
  int top = inner.top() + (inner.height() - pictureHeight - textBounds.height()) / 2;
  if (isDown()) ++top;  // the pressed look moves the contents like the platform's buttons

  if (!m_picture.isNull()) {
    const int left = inner.left() + (inner.width() - m_picture.width()) / 2;
    painter.drawPixmap(left, top, m_picture);
    top += pictureHeight;
  }
  const QRect textRect(inner.left(), top, inner.width(), textBounds.height());
  painter.drawItemText(textRect, kCaptionFlags, option.palette, isEnabled(), text(),
                       QPalette::ButtonText);

  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(kMargin - 1, kMargin - 1, -(kMargin - 1), -(kMargin - 1));
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

}  // namespace sv

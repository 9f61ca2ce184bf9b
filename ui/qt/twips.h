#pragma once

// The Qt side of the shared window tables: their rectangles in twips become
// Qt's pixels, their texts QStrings. Qt scales pixels by the display's
// device pixel ratio itself, so its pixels are those of 96 dpi.

#include "ui/design/geometry.h"

#include <QRect>
#include <QString>

#include <string_view>

namespace sv {

inline constexpr int kTwipsPerPixel = design::kTwipsPerInch / design::kBaseDpi;

inline int twipsToPixels(double twips) { return design::twipsToPixels(twips); }

inline QRect twipsRect(const design::Rect& twips) {
  const design::Rect pixels = design::twipsToPixels(twips);
  return QRect(pixels.left, pixels.top, pixels.width, pixels.height);
}

// The tables' texts are UTF-8.
inline QString qtText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace sv

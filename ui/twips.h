#pragma once

// The windows are laid out in twips, 1/1440 inch: 15 to a pixel at 96 dpi.

#include <QRect>

#include <cmath>

namespace sv {

inline constexpr int kTwipsPerPixel = 15;

// Rounded, since not every position lies on a whole pixel.
inline int twipsToPixels(double twips) {
  return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

inline QRect twipsRect(int left, int top, int width, int height) {
  return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
               twipsToPixels(height));
}

}  // namespace sv

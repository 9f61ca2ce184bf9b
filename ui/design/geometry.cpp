#include "ui/design/geometry.h"

#include <cmath>

namespace sv::design {

int twipsToPixels(double twips, int dpi) {
  return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

Rect twipsToPixels(const Rect& twips, int dpi) {
  const int left = twipsToPixels(twips.left, dpi);
  const int top = twipsToPixels(twips.top, dpi);
  return {left, top, twipsToPixels(twips.right(), dpi) - left,
          twipsToPixels(twips.bottom(), dpi) - top};
}

double pixelsToTwips(int pixels, int dpi) {
  return static_cast<double>(pixels) * kTwipsPerInch / dpi;
}

int pointsToPixels(double points, int dpi) {
  return static_cast<int>(std::lround(points * dpi / kPointsPerInch));
}

}  // namespace sv::design

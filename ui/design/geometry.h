#pragma once

// Both windows are laid out in twips, 1/1440 inch; a window toolkit turns
// them into pixels at the display's real dots per inch (15 twips a pixel at
// 96 dpi). Fonts are given in points.

namespace sv::design {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kPointsPerInch = 72;
// The dots per inch at which 15 twips make a pixel.
inline constexpr int kBaseDpi = 96;

// Left, top, width and height, from the top-left corner of the client area.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  constexpr int right() const { return left + width; }
  constexpr int bottom() const { return top + height; }
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

// Rounded to the nearest pixel, halves away from zero.
int twipsToPixels(double twips, int dpi = kBaseDpi);

// Each edge is rounded on its own, so that two rectangles sharing an edge in
// twips still share it in pixels at every dpi.
Rect twipsToPixels(const Rect& twips, int dpi = kBaseDpi);

// Exact: a window edge in pixels at a dpi that does not divide 1440 is a
// fraction of a twip.
double pixelsToTwips(int pixels, int dpi = kBaseDpi);

// A font's em height in pixels, rounded: 8.25 pt is 11 pixels at 96 dpi.
int pointsToPixels(double points, int dpi = kBaseDpi);

}  // namespace sv::design

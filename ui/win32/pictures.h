#pragma once

// The pictures compiled into the executable (resources/*, by the numbers of
// ui/layout/picture_ids.h), loaded as GDI objects the caller owns.

#include "ui/design/window_tables.h"

#include <windows.h>

namespace sv::win32 {

// A bitmap resource at its natural size.
HBITMAP loadBitmapPicture(design::Picture picture);

// The first frame of a GIF resource, still, on background where the picture
// is transparent. Null when it cannot be decoded.
HBITMAP loadGifFirstFrame(design::Picture picture, COLORREF background);

// An icon resource at size x size pixels (0: its natural size).
HICON loadIconPicture(design::Picture picture, int size = 0);

}  // namespace sv::win32

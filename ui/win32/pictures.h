#pragma once

// The pictures compiled into the executable (resources/*, by the numbers of
// ui/design/picture_ids.h), loaded as GDI objects the caller owns.

#include "ui/design/window_tables.h"
#include "ui/win32/handles.h"

#include <windows.h>

namespace sv::win32 {

// A bitmap resource at its natural size.
unique_hbitmap loadBitmapPicture(design::Picture picture);

// The first frame of a GIF resource, still, on background where the picture
// is transparent. Null when it cannot be decoded.
unique_hbitmap loadGifFirstFrame(design::Picture picture, COLORREF background);

// An icon resource at size x size pixels (0: its natural size).
unique_hicon loadIconPicture(design::Picture picture, int size = 0);

}  // namespace sv::win32

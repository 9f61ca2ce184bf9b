#include "ui/win32/pictures.h"

#include <algorithm>

// GDI+'s headers want the min and max macros that the build turns off.
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

// clang-format off
#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>
// clang-format on

namespace sv::win32 {

namespace {

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

// GDI+ decodes the GIF; it stays started for the life of the process, since
// pictures are loaded whenever a window is built.
bool startGdiPlus() {
  static const bool started = [] {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

}  // namespace

unique_hbitmap loadBitmapPicture(design::Picture picture) {
  return unique_hbitmap(
      static_cast<HBITMAP>(LoadImageW(instance(), MAKEINTRESOURCEW(design::resourceId(picture)),
                                      IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
}

unique_hbitmap loadGifFirstFrame(design::Picture picture, COLORREF background) {
  if (!startGdiPlus()) return nullptr;
  HRSRC found = FindResourceW(instance(), MAKEINTRESOURCEW(design::resourceId(picture)),
                              MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(instance(), found);
  const auto* bytes = static_cast<const BYTE*>(LockResource(loaded));
  const DWORD size = SizeofResource(instance(), found);
  if (!bytes || size == 0) return nullptr;
  const unique_com<IStream> stream(SHCreateMemStream(bytes, size));
  if (!stream) return nullptr;
  // A freshly decoded GIF stands at its first frame.
  Gdiplus::Bitmap decoded(stream.get());
  if (decoded.GetLastStatus() != Gdiplus::Ok) return nullptr;
  HBITMAP result = nullptr;
  Gdiplus::Color back(255, GetRValue(background), GetGValue(background), GetBValue(background));
  decoded.GetHBITMAP(back, &result);
  return unique_hbitmap(result);
}

unique_hicon loadIconPicture(design::Picture picture, int size) {
  return unique_hicon(
      static_cast<HICON>(LoadImageW(instance(), MAKEINTRESOURCEW(design::resourceId(picture)),
                                    IMAGE_ICON, size, size, size ? 0 : LR_DEFAULTSIZE)));
}

}  // namespace sv::win32

// Loading a bitmap resource with its size and corner colour.
#include "win/base/bitmap_resource.h"

namespace vantor {

BitmapResource LoadBitmapResource(HINSTANCE module, int resource, HDC screen) {
  BitmapResource loaded;
  loaded.bitmap.reset(
      static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (!loaded.bitmap) return loaded;
  BITMAP info{};
  if (GetObjectW(loaded.bitmap.get(), sizeof info, &info) == sizeof info) {
    loaded.width = info.bmWidth;
    loaded.height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
  }
  gdi::MemoryDc probe(screen);
  gdi::Select select(probe.get(), loaded.bitmap.get());
  if (select.ok()) loaded.corner = GetPixel(probe.get(), 0, 0);
  return loaded;
}

}  // namespace vantor

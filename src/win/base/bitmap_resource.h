// A bitmap resource loaded with what drawing it needs: its size and the colour of its holes.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "win/base/gdi.h"

namespace vantor {

struct BitmapResource {
  gdi::Bitmap bitmap;  // empty when the module has no such bitmap
  int width = 0;       // 0 when the bitmap could not be measured
  int height = 0;
  COLORREF corner = CLR_INVALID;  // the top-left pixel: the pictures' holes are painted in it
};

// Loads bitmap `resource` of `module`; `screen` is a DC to read the corner pixel with.
BitmapResource LoadBitmapResource(HINSTANCE module, int resource, HDC screen);

}  // namespace vantor

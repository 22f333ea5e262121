// The screen font made and measured with GDI: the font measurer of the cell metrics and the LOGFONT
// every painter builds its font from.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include "win/base/gdi.h"
#include "look/cell_metrics.h"

namespace vantor {

class Settings;

// LOGFONT of a screen font description.
LOGFONTW ToLogFont(const ScreenFontRequest& wanted);

// The screen font (as the settings' run-time metrics give it), bold for the bold video attribute.
gdi::Font CreateScreenFont(const Settings& settings, bool bold);

// Measures the screen font (face, quality and precision from the settings) on a device context; the
// context's own font is put back after each measurement.
class GdiFontMeasurer final : public FontMeasurer {
 public:
  GdiFontMeasurer(HDC dc, const Settings& settings) : dc_(dc), settings_(settings) {}
  bool Measure(int height, int width, FontMetrics& out) override;
  int LogPixelsY() override;

 private:
  HDC dc_;
  const Settings& settings_;
};

// Computes the cell metrics for a page window's client area with a DC of that window and stores them
// in the settings. False (metrics unchanged) when the window has no DC.
bool ComputePageMetrics(HWND page, Settings& settings);

}  // namespace vantor

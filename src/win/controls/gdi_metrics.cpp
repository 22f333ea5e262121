// The screen font made and measured with GDI.
#include "win/controls/gdi_metrics.h"

#include <algorithm>

#include "settings/settings.h"

namespace vantor {

LOGFONTW ToLogFont(const ScreenFontRequest& wanted) {
  LOGFONTW font{};
  font.lfHeight = wanted.height;
  font.lfWidth = wanted.width;
  font.lfWeight = wanted.weight;
  font.lfCharSet = static_cast<BYTE>(wanted.charset);
  font.lfOutPrecision = static_cast<BYTE>(wanted.outPrecision);
  font.lfQuality = static_cast<BYTE>(wanted.quality);
  font.lfPitchAndFamily = wanted.pitchAndFamily;
  const std::size_t length = std::min<std::size_t>(wanted.faceName.size(), LF_FACESIZE - 1);
  std::copy_n(wanted.faceName.data(), length, font.lfFaceName);
  font.lfFaceName[length] = L'\0';
  return font;
}

gdi::Font CreateScreenFont(const Settings& settings, bool bold) {
  const LOGFONTW font = ToLogFont(ScreenFontFor(settings, bold));
  return gdi::Font(CreateFontIndirectW(&font));
}

bool GdiFontMeasurer::Measure(int height, int width, FontMetrics& out) {
  ScreenFontRequest wanted = ScreenFontFor(settings_, false);
  wanted.height = -height;
  wanted.width = width;
  const LOGFONTW logFont = ToLogFont(wanted);
  gdi::Font font(CreateFontIndirectW(&logFont));
  if (!font) return false;
  TEXTMETRICW tm{};
  BOOL ok = FALSE;
  {
    gdi::Select select(dc_, font.get());
    if (!select.ok()) return false;
    ok = GetTextMetricsW(dc_, &tm);
  }
  if (!ok) return false;
  out.height = tm.tmHeight;
  out.internalLeading = tm.tmInternalLeading;
  out.externalLeading = tm.tmExternalLeading;
  out.aveCharWidth = tm.tmAveCharWidth;
  out.maxCharWidth = tm.tmMaxCharWidth;
  out.pitchAndFamily = tm.tmPitchAndFamily;
  return true;
}

int GdiFontMeasurer::LogPixelsY() { return GetDeviceCaps(dc_, LOGPIXELSY); }

bool ComputePageMetrics(HWND page, Settings& settings) {
  gdi::WindowDc dc(page);
  if (!dc) return false;
  RECT client{};
  GetClientRect(page, &client);
  GdiFontMeasurer measurer(dc.get(), settings);
  UpdateCellMetrics(settings, measurer, client.right - client.left, client.bottom - client.top);
  return true;
}

}  // namespace vantor

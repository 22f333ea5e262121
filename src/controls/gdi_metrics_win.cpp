// The screen font made and measured with GDI.
#include "controls/gdi_metrics_win.h"

#include <algorithm>

#include "config/settings.h"

namespace vantor {

LOGFONTW ToLogFont(const ScreenFontSpec& spec) {
  LOGFONTW font{};
  font.lfHeight = spec.height;
  font.lfWidth = spec.width;
  font.lfWeight = spec.weight;
  font.lfCharSet = static_cast<BYTE>(spec.charset);
  font.lfOutPrecision = static_cast<BYTE>(spec.outPrecision);
  font.lfQuality = static_cast<BYTE>(spec.quality);
  font.lfPitchAndFamily = spec.pitchAndFamily;
  const std::size_t length = std::min<std::size_t>(spec.faceName.size(), LF_FACESIZE - 1);
  std::copy_n(spec.faceName.data(), length, font.lfFaceName);
  font.lfFaceName[length] = L'\0';
  return font;
}

gdi::Font CreateScreenFont(const CSettings& settings, bool bold) {
  const LOGFONTW font = ToLogFont(ScreenFontFor(settings, bold));
  return gdi::Font(CreateFontIndirectW(&font));
}

bool GdiFontMeasurer::Measure(int height, int width, FontMetrics& out) {
  ScreenFontSpec spec = ScreenFontFor(settings_, false);
  spec.height = -height;
  spec.width = width;
  const LOGFONTW logFont = ToLogFont(spec);
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

bool ComputePageMetrics(HWND page, CSettings& settings) {
  gdi::WindowDc dc(page);
  if (!dc) return false;
  RECT client{};
  GetClientRect(page, &client);
  GdiFontMeasurer measurer(dc.get(), settings);
  UpdateCellMetrics(settings, measurer, client.right - client.left, client.bottom - client.top);
  return true;
}

}  // namespace vantor

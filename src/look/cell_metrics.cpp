// Screen font fitting and cell arithmetic: fitted to the page, or following the point size.
#include "look/cell_metrics.h"

#include "settings/settings.h"

namespace vantor {

namespace {

constexpr long long kLargest = 1000000;

int AtLeastOne(long long value) {
  if (value < 1) return 1;
  if (value > kLargest) return static_cast<int>(kLargest);
  return static_cast<int>(value);
}

int WithinLargest(long long value) {
  if (value < -kLargest) return static_cast<int>(-kLargest);
  if (value > kLargest) return static_cast<int>(kLargest);
  return static_cast<int>(value);
}

// The font fitted into the target cell: height first, then width, each stepped down by one.
CellMetrics FitToPage(const Settings& settings, FontMeasurer& measurer, int clientWidth, int clientHeight) {
  const int cols = settings.ScreenColumns() > 0 ? settings.ScreenColumns() : 1;
  const int rows = settings.ScreenRows() > 0 ? settings.ScreenRows() : 1;
  const int targetWidth = clientWidth / cols - 1;
  const int targetHeight = clientHeight / rows - 2;
  CellMetrics m;
  m.cellHeight = AtLeastOne(static_cast<long long>(targetHeight) + 2);
  m.cellWidth = AtLeastOne(static_cast<long long>(targetWidth) + 1);
  int height = AtLeastOne(targetHeight);
  int width = AtLeastOne(targetWidth);
  FontMetrics tm;
  bool measured = measurer.Measure(height, width, tm);
  while (measured && height > 1 &&
         static_cast<long long>(tm.height) + tm.internalLeading + tm.externalLeading > targetHeight) {
    --height;
    measured = measurer.Measure(height, width, tm);
  }
  while (measured && width >= 2 &&
         targetWidth < (static_cast<long long>(tm.maxCharWidth) - tm.aveCharWidth) / 2 + tm.aveCharWidth) {
    --width;
    measured = measurer.Measure(height, width, tm);
  }
  m.fontHeight = height;
  m.fontWidth = width;
  return m;
}

// The font of the point size (with the host's step), its cell from the measured metrics.
CellMetrics FollowPointSize(const Settings& settings, FontMeasurer& measurer) {
  const int extra = settings.ExtraCellWidth();
  // A height of 0 or less is passed on as it is: GDI takes 0 as its default height and a negative one
  // (a positive lfHeight) as a cell height; the measured font then gives the sizes.
  const int height = WithinLargest(static_cast<long long>(measurer.LogPixelsY()) * settings.EffectivePointSize() / 72);
  CellMetrics m;
  FontMetrics tm;
  if (!measurer.Measure(height, 0, tm)) {
    m.fontHeight = height;
    m.cellHeight = AtLeastOne(static_cast<long long>(height) + 2);
    m.cellWidth = AtLeastOne(static_cast<long long>(height) / 2 + extra);
    return m;
  }
  m.fontHeight = WithinLargest(tm.height);
  m.fontWidth = 0;
  m.cellHeight = AtLeastOne(static_cast<long long>(tm.height) + tm.internalLeading + tm.externalLeading + 2);
  if (tm.pitchAndFamily & kTmpfFixedPitch) {
    // The bit marks a variable-pitch font: widen the cell to hold its wider letters.
    m.cellWidth = AtLeastOne(static_cast<long long>(extra + (tm.aveCharWidth + 2) * 1.7));
  } else {
    m.cellWidth = AtLeastOne(static_cast<long long>(tm.maxCharWidth) + extra);
  }
  return m;
}

}  // namespace

CellMetrics ComputeCellMetrics(const Settings& settings, FontMeasurer& measurer, int clientWidth, int clientHeight) {
  if (settings.FontAutoSize()) return FitToPage(settings, measurer, clientWidth, clientHeight);
  return FollowPointSize(settings, measurer);
}

CellMetrics UpdateCellMetrics(Settings& settings, FontMeasurer& measurer, int clientWidth, int clientHeight) {
  const CellMetrics m = ComputeCellMetrics(settings, measurer, clientWidth, clientHeight);
  settings.SetFontSize(m.fontHeight, m.fontWidth);
  settings.SetCellSize(m.cellWidth, m.cellHeight);
  return m;
}

ScreenFontRequest ScreenFontFor(const Settings& settings, bool bold) {
  ScreenFontRequest wanted;
  wanted.height = -settings.FontHeight();
  wanted.width = settings.FontWidth();
  wanted.weight = bold ? 700 : 0;
  wanted.outPrecision = settings.FontOutPrecision();
  wanted.quality = settings.FontQuality();
  wanted.faceName = settings.FontName();
  if (wanted.faceName.empty()) wanted.pitchAndFamily = kFfModern;
  return wanted;
}

namespace {

int Saturate(long long value) {
  if (value > 0x7FFFFFFFLL) return 0x7FFFFFFF;
  if (value < -0x7FFFFFFFLL - 1) return -0x7FFFFFFF - 1;
  return static_cast<int>(value);
}

}  // namespace

ControlBox ControlBoxFor(int column, int row, int width, int cellWidth, int cellHeight) {
  ControlBox box;
  box.x = Saturate(static_cast<long long>(column) * cellWidth);
  box.y = Saturate(static_cast<long long>(row) * cellHeight);
  box.width = Saturate(static_cast<long long>(width) * cellWidth);
  box.height = cellHeight;
  if (box.width < 0) box.width = 0;
  if (box.height < 0) box.height = 0;
  return box;
}

}  // namespace vantor

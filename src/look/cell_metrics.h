// The screen font and the pixel size of one character cell, computed behind a font measurer.
#pragma once

#include <cstdint>
#include <string>

namespace vantor {

class Settings;

// The TEXTMETRIC numbers the computation reads.
struct FontMetrics {
  int height = 0;  // tmHeight
  int internalLeading = 0;
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  std::uint8_t pitchAndFamily = 0;  // bit 0 (TMPF_FIXED_PITCH) set means variable pitch
};

inline constexpr std::uint8_t kTmpfFixedPitch = 0x01;
inline constexpr std::uint8_t kFfModern = 0x30;
inline constexpr int kDefaultCharset = 1;

// Makes the screen font of the given pixel height and width (0 natural width) on the page's device
// and reads its metrics. The GDI one uses the face, quality and precision of ScreenFontFor.
class FontMeasurer {
 public:
  virtual ~FontMeasurer() = default;
  // False when the font could not be made or measured.
  virtual bool Measure(int height, int width, FontMetrics& out) = 0;
  // GetDeviceCaps(LOGPIXELSY).
  virtual int LogPixelsY() = 0;
};

struct CellMetrics {
  int fontHeight = 0;
  int fontWidth = 0;  // 0: the font's natural width
  int cellWidth = 0;
  int cellHeight = 0;
  bool operator==(const CellMetrics&) const = default;
};

// The LOGFONT of the screen font, platform-neutral.
struct ScreenFontRequest {
  int height = 0;  // lfHeight: minus the font height (character height)
  int width = 0;
  int weight = 0;  // 700 for bold
  int charset = kDefaultCharset;
  int outPrecision = 0;
  int quality = 0;
  std::u16string faceName;          // empty: no face name
  std::uint8_t pitchAndFamily = 0;  // FF_MODERN when there is no face name
};

// Computes the metrics for a page client area of clientWidth x clientHeight pixels from the
// settings (fontautosize, screencols, screenrows, the point size with its adjustment,
// CharacterCellAdditionalWidth). Every loop is bounded; the cell sizes are at least 1, and so are the
// fitted font sizes (a point size may ask for a font height of 0 or less: GDI's default height).
CellMetrics ComputeCellMetrics(const Settings& settings, FontMeasurer& measurer, int clientWidth, int clientHeight);

// ComputeCellMetrics, stored into the settings' run-time values.
CellMetrics UpdateCellMetrics(Settings& settings, FontMeasurer& measurer, int clientWidth, int clientHeight);

// The screen font from the stored run-time values and the settings.
ScreenFontRequest ScreenFontFor(const Settings& settings, bool bold);

// A control window's place on its page in pixels.
struct ControlBox {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const ControlBox&) const = default;
};

// x = column * cell width, y = row * cell height, width = field width * cell width, height = cell
// height; held to the int range (a hostile width never wraps round), negative sizes become 0.
ControlBox ControlBoxFor(int column, int row, int width, int cellWidth, int cellHeight);

}  // namespace vantor

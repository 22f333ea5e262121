// The terminal's colours: the one colour type and every named colour the screen is painted with.
#pragma once

#include <cstdint>

namespace vantor {

// Red in the low byte, then green, then blue (0x00BBGGRR, as a Win32 COLORREF).
using Colour = std::uint32_t;

constexpr Colour Rgb(int r, int g, int b) {
  return static_cast<Colour>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr Colour Grey(int level) { return Rgb(level, level, level); }
constexpr int RedOf(Colour c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Colour c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Colour c) { return static_cast<int>((c >> 16) & 0xFF); }

inline constexpr Colour kBlack = Rgb(0, 0, 0);
inline constexpr Colour kWhite = Rgb(255, 255, 255);

// The page background outside custom colour mode, the default `BackGroundColor`, the system line's
// fill and the entry fields' frame.
inline constexpr Colour kScreenBlue = Rgb(149, 178, 195);
// The watermark's letters outside custom colour mode.
inline constexpr Colour kWatermarkBlue = Rgb(159, 181, 195);
// A focused entry field, and the default `FocusBackGroundColor`.
inline constexpr Colour kFocusYellow = Rgb(255, 240, 158);
// A selected field's frame and fill, and the default `SelectedBackGroundColor`.
inline constexpr Colour kSelectedAmber = Rgb(255, 204, 51);
// Reverse-video text of the system line.
inline constexpr Colour kReverseBlue = Rgb(92, 106, 166);
// The system line's blinking text.
inline constexpr Colour kClockRed = Rgb(255, 0, 0);
// The button family's face and frame slots.
inline constexpr Colour kButtonGrey = Rgb(212, 208, 200);
inline constexpr Colour kButtonFrameGrey = Grey(64);

// Drawn controls: outlines, engraved (display-only) text, the check box's sunken frame, and the
// gradients of buttons and of selected buttons.
inline constexpr Colour kOutlineColour = Rgb(115, 113, 107);
inline constexpr Colour kEngravedColour = Grey(127);
inline constexpr Colour kFrameDark = Grey(96);
inline constexpr Colour kFrameLight = Grey(196);
inline constexpr Colour kFaceLight = Rgb(255, 255, 239);
inline constexpr Colour kFaceDark = Rgb(165, 158, 148);
inline constexpr Colour kSelectedLight = Rgb(255, 247, 158);
inline constexpr Colour kSelectedDark = Rgb(255, 204, 0);

// The toolbar's face.
inline constexpr Colour kToolbarFace = Grey(191);
// The colour of a picture's pixels that are not drawn, when its corner does not say otherwise.
inline constexpr Colour kTransparentMagenta = Rgb(255, 0, 255);

}  // namespace vantor

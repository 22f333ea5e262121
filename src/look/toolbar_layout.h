// Toolbar rules without windows: sizes, button table and placement, bevel and bar lines, greyed pictures, key labels.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/palette.h"

namespace vantor::toolbar {

inline constexpr int kButtonCount = 5;

// One fixed key of the bar, in table order (index = position = control id).
struct FixedKey {
  std::u16string_view label;
  unsigned defaultKey;
  std::array<int, 3> bitmap;  // resource numbers of the 16, 32 and 48 pixel pictures
};

inline constexpr std::array<FixedKey, kButtonCount> kButtons{{
    {u"SAVE", 1, {169, 170, 171}},
    {u"BACK", 3, {133, 134, 135}},
    {u"EXIT", 8, {145, 146, 147}},
    {u"NEXT", 4, {156, 157, 158}},
    {u"CLEAR", 2, {139, 140, 141}},
}};

// What the `toolbarsize` setting asks for.
struct BarSize {
  bool built = false;  // false: no toolbar at all
  int setIndex = 0;    // 0, 1, 2: the 16, 32 or 48 pixel picture set
  int barHeight = 0;   // also the horizontal pitch between buttons
  int picture = 0;     // picture width and height
  int button = 0;      // button width and height (picture + 4)
};

// Negative: none; 1: 2x; 2: 3x; 0 and every other value: 1x.
BarSize BarSizeFor(int toolbarSize);

struct Rect {
  int x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// Where button `index` sits in the bar, for a picture of the given size.
Rect ButtonRect(int index, int barHeight, int pictureWidth, int pictureHeight);

// One-pixel horizontal lines across the bar, drawn over the face colour.
struct BarLine {
  int y;
  Colour colour;
};
// Lines that fall outside a bar of the given height are left out.
int BarLines(int barHeight, std::array<BarLine, 6>& lines);

// A pen line from (x0, y0) up to but not including (x1, y1).
struct Segment {
  int x0, y0, x1, y1;
  Colour colour;
};
// The two-ring bevel of an enabled button of client size w x h, released or pressed.
std::array<Segment, 8> ButtonBevel(int width, int height, bool pressed);

// The disabled look of one colour channel: a blend of grey 191 and the channel at weight 128.
constexpr std::uint8_t GreyedChannel(std::uint8_t c) {
  return static_cast<std::uint8_t>(191 * 128 / 255 + c * 127 / 255);
}

// Greys a picture in place; pixels are 0x00RRGGBB words. Pixels equal to the transparent colour keep
// it, and no other pixel is turned into it, so the greyed picture is drawn with the same holes.
void GreyPixels(std::span<std::uint32_t> pixels, std::uint32_t transparent);

// Per-button state the key-label rule works on.
struct KeyBinding {
  std::u16string_view label;
  unsigned key = 0;
  bool enabled = false;
};

enum class LabelEffect { None, Enabled, Disabled };
struct LabelResult {
  int index = -1;  // the button acted on, -1 for none
  LabelEffect effect = LabelEffect::None;
};

// One host key definition: the first button, in table order, whose label equals `label` exactly
// takes `code` and is enabled; if an earlier button carries `code` under another label it is
// disabled instead and the walk stops there.
LabelResult ApplyKeyLabel(std::span<KeyBinding> buttons, unsigned code, std::u16string_view label);

}  // namespace vantor::toolbar

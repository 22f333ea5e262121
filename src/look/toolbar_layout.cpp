// Toolbar rules without windows: sizes, placement, bevel and bar lines, greyed pictures, key labels.
#include "look/toolbar_layout.h"

namespace vantor::toolbar {

BarSize BarSizeFor(int toolbarSize) {
  if (toolbarSize < 0) return {};
  BarSize size;
  size.built = true;
  size.setIndex = (toolbarSize == 1 || toolbarSize == 2) ? toolbarSize : 0;
  size.picture = 16 * (size.setIndex + 1);
  size.button = size.picture + 4;
  size.barHeight = size.picture + 11;
  return size;
}

Rect ButtonRect(int index, int barHeight, int pictureWidth, int pictureHeight) {
  return {4 + index * barHeight, 4, pictureWidth + 4, pictureHeight + 4};
}

int BarLines(int barHeight, std::array<BarLine, 6>& lines) {
  const BarLine all[6] = {
      {0, Grey(140)},
      {1, Grey(153)},
      {2, Grey(166)},
      {3, Grey(178)},
      {barHeight - 2, Grey(166)},
      {barHeight - 1, Grey(64)},
  };
  int count = 0;
  for (const BarLine& line : all) {
    if (line.y >= 0 && line.y < barHeight) lines[static_cast<std::size_t>(count++)] = line;
  }
  return count;
}

std::array<Segment, 8> ButtonBevel(int width, int height, bool pressed) {
  const int r = width - 1;
  const int b = height - 1;
  const Colour light = Grey(230), softLight = Grey(217), dark = Grey(153), softDark = Grey(166);
  const Colour a = pressed ? dark : light;
  const Colour bb = pressed ? softDark : softLight;
  const Colour c = pressed ? light : dark;
  const Colour d = pressed ? softLight : softDark;
  return {{
      {1, 0, r, 0, a},
      {0, b - 1, 0, 0, a},
      {1, 1, r - 1, 1, bb},
      {1, b - 1, 1, 1, bb},
      {r, 1, r, b, c},
      {r - 1, b, 0, b, c},
      {r - 1, 1, r - 1, b - 1, d},
      {r - 1, b - 1, 1, b - 1, d},
  }};
}

void GreyPixels(std::span<std::uint32_t> pixels, std::uint32_t transparent) {
  transparent &= 0x00FFFFFFu;
  for (std::uint32_t& pixel : pixels) {
    const std::uint32_t colour = pixel & 0x00FFFFFFu;
    if (colour == transparent) continue;
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      out |= std::uint32_t{GreyedChannel(static_cast<std::uint8_t>(colour >> shift))} << shift;
    }
    // A painted pixel must not turn into a hole: step its blue by one away from the key colour.
    const std::uint32_t blue = out & 0xFFu;
    if (out == transparent) out = (out & 0xFFFF00u) | (blue > 95 ? blue - 1u : blue + 1u);
    pixel = (pixel & 0xFF000000u) | out;
  }
}

LabelResult ApplyKeyLabel(std::span<KeyBinding> buttons, unsigned code, std::u16string_view label) {
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    KeyBinding& button = buttons[i];
    if (button.label == label) {
      button.key = code;
      button.enabled = true;
      return {static_cast<int>(i), LabelEffect::Enabled};
    }
    if (button.key == code) {
      button.enabled = false;
      return {static_cast<int>(i), LabelEffect::Disabled};
    }
  }
  return {};
}

}  // namespace vantor::toolbar

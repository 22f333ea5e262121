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
      {0, {140, 140, 140}},
      {1, {153, 153, 153}},
      {2, {166, 166, 166}},
      {3, {178, 178, 178}},
      {barHeight - 2, {166, 166, 166}},
      {barHeight - 1, {64, 64, 64}},
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
  const Rgb light{230, 230, 230}, softLight{217, 217, 217}, dark{153, 153, 153}, softDark{166, 166, 166};
  const Rgb a = pressed ? dark : light;
  const Rgb bb = pressed ? softDark : softLight;
  const Rgb c = pressed ? light : dark;
  const Rgb d = pressed ? softLight : softDark;
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
    const Rgb grey = GreyedColour({static_cast<std::uint8_t>(colour >> 16), static_cast<std::uint8_t>(colour >> 8),
                                   static_cast<std::uint8_t>(colour)});
    std::uint32_t out = (std::uint32_t{grey.r} << 16) | (std::uint32_t{grey.g} << 8) | grey.b;
    // A painted pixel must not turn into a hole: step its blue by one away from the key colour.
    if (out == transparent) out = (out & 0xFFFF00u) | (grey.b > 95 ? grey.b - 1u : grey.b + 1u);
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

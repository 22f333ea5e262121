// Toolbar rules: greyed pictures, host key labels on the buttons.
#include "look/toolbar_layout.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <utility>
#include <vector>

namespace vantor::toolbar {
namespace {

TEST(ToolbarTest, GreyingKeepsTransparentPixelsAndMakesNoNewHoles) {
  const std::uint32_t key = 0x00FF00FFu;
  std::vector<std::uint32_t> pixels{key, 0x00000000u, 0x00FFFFFFu, 0xAA102030u, key | 0xFF000000u};
  GreyPixels(pixels, key | 0x11000000u);  // the key is compared without its top byte
  // 0x10 -> 95 + 7, 0x20 -> 95 + 15, 0x30 -> 95 + 23; the top byte is kept.
  EXPECT_EQ(pixels, (std::vector<std::uint32_t>{key, 0x005F5F5Fu, 0x00DEDEDEu, 0xAA666E76u, key | 0xFF000000u}));
  // With a grey key colour a blended pixel could land on it: its blue steps away instead.
  pixels = {0x00000000u, 0x005F5F5Fu, 0x00010101u};
  GreyPixels(pixels, 0x005F5F5Fu);
  EXPECT_EQ(pixels, (std::vector<std::uint32_t>{0x005F5F60u, 0x005F5F5Fu, 0x005F5F60u}));
}

// The buttons' codes in table order (SAVE, BACK, EXIT, NEXT, CLEAR), "+" marking an enabled one.
std::string State(const std::array<KeyBinding, kButtonCount>& buttons) {
  std::string state;
  for (const KeyBinding& b : buttons)
    state += (state.empty() ? "" : " ") + std::to_string(b.key) + (b.enabled ? "+" : "");
  return state;
}

TEST(ToolbarTest, KeyLabelEnablesTheMatchingButtonOrDisablesAnEarlierCodeHolder) {
  using E = LabelEffect;
  struct Case {
    std::array<unsigned, kButtonCount> keys;
    std::array<bool, kButtonCount> enabled;
    unsigned code;
    std::u16string_view label;
    LabelResult result;
    std::string after;
  };
  const Case cases[] = {
      {{1, 3, 8, 4, 2}, {}, 7, u"NEXT", {3, E::Enabled}, "1 3 8 7+ 2"},
      {{1, 3, 8, 7, 2}, {0, 0, 0, 1, 0}, 7, u"next", {3, E::Disabled}, "1 3 8 7 2"},   // case-sensitive
      {{1, 3, 8, 4, 2}, {1, 0, 0, 0, 0}, 1, u"NEXT", {0, E::Disabled}, "1 3 8 4 2"},   // the walk stops there
      {{1, 9, 8, 4, 9}, {0, 1, 0, 0, 1}, 9, u"HELP", {1, E::Disabled}, "1 9 8 4 9+"},  // only the first holder
      {{1, 3, 5, 4, 2}, {0, 0, 1, 0, 0}, 12, u"EXIT", {2, E::Enabled}, "1 3 12+ 4 2"},
      {{1, 3, 8, 4, 2}, {}, 30, u"SAVE ", {-1, E::None}, "1 3 8 4 2"},
      {{1, 3, 8, 4, 2}, {}, 31, u"", {-1, E::None}, "1 3 8 4 2"},  // an empty label matches no button
      {{1, 3, 8, 4, 2}, {0, 0, 1, 0, 0}, 8, u"", {2, E::Disabled}, "1 3 8 4 2"},
  };
  for (const Case& c : cases) {
    std::array<KeyBinding, kButtonCount> buttons{};
    for (std::size_t i = 0; i < buttons.size(); ++i) buttons[i] = {kButtons[i].label, c.keys[i], c.enabled[i]};
    const LabelResult result = ApplyKeyLabel(buttons, c.code, c.label);
    EXPECT_EQ(std::make_pair(result.index, result.effect), std::make_pair(c.result.index, c.result.effect)) << c.code;
    EXPECT_EQ(State(buttons), c.after) << c.code;
  }
  // Only the buttons given are walked: a matching label just past them is not taken.
  std::array<KeyBinding, kButtonCount + 1> more{};
  more[kButtonCount] = {u"HELP", 9, false};
  EXPECT_EQ(ApplyKeyLabel(std::span(more).first(kButtonCount), 9, u"HELP").index, -1);
}

}  // namespace
}  // namespace vantor::toolbar

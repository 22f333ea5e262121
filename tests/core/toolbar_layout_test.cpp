// Toolbar rules: greyed pictures, host key labels on the buttons.
#include "look/toolbar_layout.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <utility>
#include <vector>

#include "row_tables.h"

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

// Built, picture set, picture, button and bar height for each setting.
TEST(ToolbarTest, TheSizeSettingPicksThePictureSetAndTheButtonsAndBarFollowIt) {
  const std::pair<int, std::vector<int>> cases[] = {
      {-1, {0, 0, 0, 0, 0}}, {0, {1, 0, 16, 20, 27}}, {2, {1, 2, 48, 52, 59}}, {7, {1, 0, 16, 20, 27}}};
  for (const auto& [setting, expected] : cases) {
    const BarSize s = BarSizeFor(setting);
    EXPECT_EQ((std::vector<int>{s.built, s.setIndex, s.picture, s.button, s.barHeight}), expected) << setting;
  }
}

// The buttons' codes in table order (SAVE, BACK, EXIT, NEXT, CLEAR), "+" marking an enabled one.
std::string State(const std::array<KeyBinding, kButtonCount>& buttons) {
  std::string state;
  for (const KeyBinding& b : buttons)
    state += (state.empty() ? "" : " ") + std::to_string(b.key) + (b.enabled ? "+" : "");
  return state;
}

TEST(ToolbarTest, KeyLabelEnablesTheMatchingButtonOrDisablesAnEarlierCodeHolder) {
  testing_support::ForEachRow("toolbar labels", [&](const std::vector<std::string>& w) {
    const std::vector<std::vector<std::string>> groups = testing_support::TextGroups(w, 0);
    const std::vector<std::string>& keys = groups.at(0);
    ASSERT_EQ(keys.size(), kButtonCount);
    std::array<KeyBinding, kButtonCount> buttons{};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      const bool enabled = keys[i].ends_with('+');
      buttons[i] = {kButtons[i].label, static_cast<unsigned>(std::stoul(keys[i])), enabled};
    }
    const std::vector<std::string>& label = groups.at(1);
    const std::u16string text(label.at(1).begin(), label.at(1).end());
    const LabelResult result = ApplyKeyLabel(buttons, static_cast<unsigned>(std::stoul(label.at(0))), text);
    const char* effects[] = {"none", "enabled", "disabled"};
    EXPECT_EQ(std::to_string(result.index) + " " + effects[static_cast<int>(result.effect)], label.at(2));
    EXPECT_EQ(State(buttons), label.at(3));
  });
  // Only the buttons given are walked: a matching label just past them is not taken.
  std::array<KeyBinding, kButtonCount + 1> more{};
  more[kButtonCount] = {u"HELP", 9, false};
  EXPECT_EQ(ApplyKeyLabel(std::span(more).first(kButtonCount), 9, u"HELP").index, -1);
}

}  // namespace
}  // namespace vantor::toolbar

// Toolbar rules: sizes by setting, button placement, bar lines, bevel pixels, greyed pictures, key labels.
#include "look/toolbar_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <utility>
#include <vector>

namespace vantor::toolbar {
namespace {

TEST(ToolbarButton, BevelLinesStayInsideTheButton) {
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{20, 20}, {52, 52}, {3, 3}})
    for (const bool pressed : {false, true})
      for (const Segment& s : ButtonBevel(width, height, pressed)) {
        EXPECT_TRUE(s.x0 == s.x1 || s.y0 == s.y1) << "straight lines";
        for (const int x : {s.x0, s.x1}) EXPECT_TRUE(x >= 0 && x < width) << width << " " << pressed << " x " << x;
        for (const int y : {s.y0, s.y1}) EXPECT_TRUE(y >= 0 && y < height) << height << " " << pressed << " y " << y;
      }
}

TEST(ToolbarBar, LinesOutsideAFlatBarAreLeftOut) {
  std::array<BarLine, 6> lines{};
  const int count = BarLines(3, lines);
  ASSERT_EQ(count, 5);  // y 0, 1, 2, then height-2 = 1 and height-1 = 2; y 3 is outside
  for (int i = 0; i < count; ++i) {
    EXPECT_GE(lines[static_cast<std::size_t>(i)].y, 0);
    EXPECT_LT(lines[static_cast<std::size_t>(i)].y, 3);
  }
  EXPECT_EQ(BarLines(0, lines), 0);
  EXPECT_EQ(BarLines(-5, lines), 0);
}

TEST(ToolbarGreyed, TransparentPixelsStayAndOthersAreBlended) {
  const std::uint32_t key = 0x00FF00FFu;
  std::vector<std::uint32_t> pixels{key, 0x00000000u, 0x00FFFFFFu, 0xAA102030u, key | 0xFF000000u};
  GreyPixels(pixels, key | 0x11000000u);  // the key is compared without its top byte
  EXPECT_EQ(pixels[0], key);
  EXPECT_EQ(pixels[1], 0x005F5F5Fu);
  EXPECT_EQ(pixels[2], 0x00DEDEDEu);
  // 0x10 -> 95 + 7, 0x20 -> 95 + 15, 0x30 -> 95 + 23; the top byte is kept.
  EXPECT_EQ(pixels[3], 0xAA666E76u);
  EXPECT_EQ(pixels[4], key | 0xFF000000u);
}

TEST(ToolbarGreyed, APaintedPixelNeverTurnsIntoAHole) {
  // With a grey key colour a blended pixel could land on it; it must stay visible.
  const std::uint32_t key = 0x005F5F5Fu;  // what pure black blends to
  std::vector<std::uint32_t> pixels{0x00000000u, key, 0x00010101u};
  GreyPixels(pixels, key);
  EXPECT_NE(pixels[0], key);
  EXPECT_EQ(pixels[0] & 0xFFFF00u, 0x5F5F00u);  // only blue stepped
  EXPECT_EQ(pixels[1], key);
  EXPECT_NE(pixels[2], key);
}

class KeyLabels : public ::testing::Test {
 protected:
  std::array<KeyBinding, kButtonCount> buttons{};
  void SetUp() override {
    for (std::size_t i = 0; i < buttons.size(); ++i) buttons[i] = {kButtons[i].label, kButtons[i].defaultKey, false};
  }
  const KeyBinding& Named(std::u16string_view label) {
    for (const KeyBinding& b : buttons)
      if (b.label == label) return b;
    ADD_FAILURE() << "no such button";
    return buttons[0];
  }
};

TEST_F(KeyLabels, MatchingLabelTakesTheCodeAndIsEnabled) {
  const LabelResult result = ApplyKeyLabel(buttons, 7, u"NEXT");
  EXPECT_EQ(result.index, 3);
  EXPECT_EQ(result.effect, LabelEffect::Enabled);
  EXPECT_EQ(Named(u"NEXT").key, 7u);
  EXPECT_TRUE(Named(u"NEXT").enabled);
  for (const auto* other : {u"SAVE", u"BACK", u"EXIT", u"CLEAR"}) EXPECT_FALSE(Named(other).enabled);
}

TEST_F(KeyLabels, ComparisonIsCaseSensitiveSoTheCodeHolderIsDisabled) {
  ApplyKeyLabel(buttons, 7, u"NEXT");
  const LabelResult result = ApplyKeyLabel(buttons, 7, u"next");
  EXPECT_EQ(result.index, 3);
  EXPECT_EQ(result.effect, LabelEffect::Disabled);
  EXPECT_FALSE(Named(u"NEXT").enabled);
  EXPECT_EQ(Named(u"NEXT").key, 7u);
}

TEST_F(KeyLabels, AnEarlierButtonCarryingTheCodeStopsTheWalk) {
  buttons[0].enabled = true;  // SAVE, default code 1
  const LabelResult result = ApplyKeyLabel(buttons, 1, u"NEXT");
  EXPECT_EQ(result.index, 0);
  EXPECT_EQ(result.effect, LabelEffect::Disabled);
  EXPECT_FALSE(Named(u"SAVE").enabled);
  EXPECT_EQ(Named(u"NEXT").key, 4u);
  EXPECT_FALSE(Named(u"NEXT").enabled);
}

TEST_F(KeyLabels, OnlyTheFirstCodeHolderIsDisabled) {
  ApplyKeyLabel(buttons, 9, u"BACK");
  buttons[4].key = 9;  // CLEAR carries the same code and is enabled
  buttons[4].enabled = true;
  const LabelResult result = ApplyKeyLabel(buttons, 9, u"HELP");
  EXPECT_EQ(result.index, 1);
  EXPECT_FALSE(Named(u"BACK").enabled);
  EXPECT_TRUE(buttons[4].enabled);
  EXPECT_EQ(buttons[4].key, 9u);
}

TEST_F(KeyLabels, MatchingLabelIsEnabledAgainWithAnotherCode) {
  ApplyKeyLabel(buttons, 5, u"EXIT");
  ApplyKeyLabel(buttons, 12, u"EXIT");
  EXPECT_TRUE(Named(u"EXIT").enabled);
  EXPECT_EQ(Named(u"EXIT").key, 12u);
}

TEST_F(KeyLabels, NoMatchNoHolderChangesNothing) {
  const auto before = buttons;
  const LabelResult result = ApplyKeyLabel(buttons, 30, u"SAVE ");
  EXPECT_EQ(result.index, -1);
  EXPECT_EQ(result.effect, LabelEffect::None);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    EXPECT_EQ(buttons[i].key, before[i].key);
    EXPECT_EQ(buttons[i].enabled, before[i].enabled);
  }
  // An empty label (a key with no text) matches no button either.
  EXPECT_EQ(ApplyKeyLabel(buttons, 31, u"").index, -1);
  EXPECT_EQ(ApplyKeyLabel(buttons, 8, u"").effect, LabelEffect::Disabled);
}

}  // namespace
}  // namespace vantor::toolbar

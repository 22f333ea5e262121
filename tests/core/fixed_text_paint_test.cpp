// Paint arithmetic of the text controls: shading, frame joining, colours, strip scrolling, clock cells.
#include <gtest/gtest.h>

#include "field_helpers.h"

#include <algorithm>
#include <map>
#include <utility>

#include "settings/settings.h"
#include "model/field.h"
#include "model/field_list.h"
#include "look/text_paint_rules.h"

namespace vantor {
namespace {

TEST(TextPaintShade, FrameThicknessFollowsHeight) {
  EXPECT_EQ(FrameThickness(20), 3);
  EXPECT_EQ(FrameThickness(40), 5);
  EXPECT_EQ(FrameThickness(400), 5);
  EXPECT_EQ(FrameThickness(6), 0);
  EXPECT_EQ(FrameThickness(-10), 0);
}

// Pixels painted by a set of lines, drawn as LineTo does (end point excluded).
std::map<std::pair<int, int>, int> Rasterise(const std::vector<FrameLine>& lines) {
  std::map<std::pair<int, int>, int> pixels;
  for (const FrameLine& l : lines) {
    const int dx = l.x2 > l.x1 ? 1 : (l.x2 < l.x1 ? -1 : 0);
    const int dy = l.y2 > l.y1 ? 1 : (l.y2 < l.y1 ? -1 : 0);
    for (int x = l.x1, y = l.y1; x != l.x2 || y != l.y2; x += dx, y += dy) pixels[{x, y}] = l.k;
  }
  return pixels;
}

class ReverseFrameTest : public ::testing::Test {
 protected:
  ReverseFrameTest() : list_(nullptr) {}
  Field& Reverse(int id, int row, int column, int width) {
    Field& f = testing_support::AddField(list_, id, row, column, width);
    f.flags = kModeDisplay;
    f.attributes = kVideoReverse;
    return f;
  }
  std::vector<FrameLine> Lines(const Field& f, int cellWidth = 10, int height = 20) {
    FrameInput in{f.column, f.row, f.width, f.width * cellWidth, height, false};
    return ReverseFrameLines(in, [this](int c, int r) { return list_.KindAt(c, r); });
  }
  FieldList list_;
};

TEST_F(ReverseFrameTest, LoneFieldGetsNestedRectangles) {
  const Field& f = Reverse(1, 3, 2, 4);
  const auto px = Rasterise(Lines(f));
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(px.at({20, k}), k);       // top
    EXPECT_EQ(px.at({20, 19 - k}), k);  // bottom
    EXPECT_EQ(px.at({k, 10}), k);       // left
    EXPECT_EQ(px.at({39 - k, 10}), k);  // right
  }
  EXPECT_EQ(px.count({3, 10}), 0u);  // the fill inside
  EXPECT_EQ(px.count({20, 3}), 0u);
}

TEST_F(ReverseFrameTest, SideBySideFieldsShowNoEdgeBetweenThem) {
  const Field& a = Reverse(1, 3, 0, 4);
  const Field& b = Reverse(2, 3, 4, 3);
  const auto pa = Rasterise(Lines(a));
  const auto pb = Rasterise(Lines(b));
  for (int y = 3; y < 17; ++y) {
    EXPECT_EQ(pa.count({39, y}), 0u) << y;  // a's right end
    EXPECT_EQ(pb.count({0, y}), 0u) << y;   // b's left end
  }
  EXPECT_EQ(pa.count({0, 10}), 1u);
  EXPECT_EQ(pb.count({29, 10}), 1u);
}

TEST_F(ReverseFrameTest, FieldBelowJoinsTheBlockAbove) {
  const Field& top = Reverse(1, 3, 0, 4);
  const Field& below = Reverse(2, 4, 0, 2);
  const auto pt = Rasterise(Lines(top));
  const auto pb = Rasterise(Lines(below));
  // No bottom edge over the first two cells of the upper field, an edge over the other two.
  EXPECT_EQ(pt.count({5, 19}), 0u);
  EXPECT_EQ(pt.count({15, 19}), 0u);
  EXPECT_EQ(pt.at({25, 19}), 0);
  // The lower field has no top edge under the upper one, and its left edge runs to the very top.
  EXPECT_EQ(pb.count({5, 0}), 0u);
  EXPECT_EQ(pb.at({0, 0}), 0);
  EXPECT_EQ(pb.at({1, 0}), 1);
  // Where the cells below turn from reverse to plain, the upper field's lines bend down.
  EXPECT_EQ(pt.at({20, 19}), 0);
  EXPECT_EQ(pt.at({19 - 1, 18}), 1);
  EXPECT_EQ(pt.at({18, 19}), 1);
}

TEST_F(ReverseFrameTest, TopRowAndFullBottomSpanTheWholeWidth) {
  Reverse(1, 0, 0, 2);
  Reverse(2, 1, 0, 2);
  FrameInput in{0, 0, 2, 20, 20, true};
  const auto px = Rasterise(ReverseFrameLines(in, [this](int c, int r) { return list_.KindAt(c, r); }));
  EXPECT_EQ(px.at({10, 0}), 0);
  EXPECT_EQ(px.at({10, 19}), 0);  // forced although a reverse field lies below
}

TEST_F(ReverseFrameTest, ZeroWidthOrLowFieldDrawsNoFrame) {
  FrameInput in{0, 2, 0, 0, 20, false};
  EXPECT_TRUE(ReverseFrameLines(in, [](int, int) { return 0; }).empty());
  FrameInput low{0, 2, 3, 30, 5, false};
  EXPECT_TRUE(ReverseFrameLines(low, [](int, int) { return 0; }).empty());
}

TEST(TextPaintEntry, StripWidthAndItsCap) {
  EXPECT_EQ(EntryStripWidth(3, 5, 8, 1), static_cast<int>(8 * 9 * 1.7));
  EXPECT_EQ(EntryStripWidth(0, 0, 8, 1), 0);
  EXPECT_EQ(EntryStripWidth(43263, 207, 40, 1), kMaxStripWidth);
}

TEST(TextPaintEntry, LayoutScrollsAndJustifies) {
  auto ten = [](int n) { return n * 10; };
  // Short text, left: caret at its pixel position.
  EntryLayout l = LayoutEntry(100, 3, 2, false, false, ten);
  EXPECT_EQ(l.scroll, 0);
  EXPECT_EQ(l.offset, 1);
  EXPECT_EQ(l.caretX, 20);
  // Short text, right-justified.
  l = LayoutEntry(100, 3, 3, true, false, ten);
  EXPECT_EQ(l.offset, 70);
  EXPECT_EQ(l.caretX, 99);  // 70 + 30 - 1
  l = LayoutEntry(100, 3, 1, true, false, ten);
  EXPECT_EQ(l.caretX, 79);
  // Long text scrolled to the caret.
  l = LayoutEntry(100, 15, 12, false, false, ten);
  EXPECT_EQ(l.scroll, 20);
  EXPECT_EQ(l.caretX, 98);  // 100 would be at W: W - 2
  l = LayoutEntry(100, 15, 12, true, false, ten);
  EXPECT_EQ(l.scroll, 20);
  EXPECT_EQ(l.caretX, 98);
  l = LayoutEntry(100, 15, 4, true, false, ten);
  EXPECT_EQ(l.offset, 2);
  EXPECT_EQ(l.caretX, 40);
  // Caret at 0 stands at 2, not on the frame.
  EXPECT_EQ(LayoutEntry(100, 0, 0, false, false, ten).caretX, 2);
  // Password: stars measured, never scrolled.
  l = LayoutEntry(100, 15, 12, false, true, [](int n) { return n * 6; });
  EXPECT_EQ(l.scroll, 0);
  EXPECT_EQ(l.caretX, 72);
  // A caret past the text is measured at the text's end.
  EXPECT_EQ(LayoutEntry(100, 2, 9, false, false, ten).caretX, 20);
}

TEST(TextPaintEntry, ColoursByStateAttributeAndMode) {
  Settings settings;
  FieldList list(nullptr);
  Field& f = testing_support::AddField(list, 1, 0, 0, 4);
  f.colours.background = MakeColour(255, 255, 255);
  f.colours.focusBackground = MakeColour(255, 240, 158);
  f.colours.text = 0;
  f.colours.frame = MakeColour(149, 178, 195);
  f.colours.selectedBackground = MakeColour(255, 204, 51);
  f.colours.selectedFrame = MakeColour(255, 204, 51);
  EXPECT_EQ(EntryColours(f, settings, false).background, MakeColour(255, 255, 255));
  EXPECT_EQ(EntryColours(f, settings, true).background, MakeColour(255, 240, 158));
  f.selected = 1;
  EXPECT_EQ(EntryState(f, false), 2);
  EXPECT_EQ(EntryColours(f, settings, false).frame, MakeColour(255, 204, 51));
  f.attributes = kVideoReverse;
  EXPECT_EQ(EntryColours(f, settings, false).background, 0u);  // swapped when not focused
  EXPECT_EQ(EntryColours(f, settings, true).background, MakeColour(255, 240, 158));
  f.selected = 0;
  f.attributes = kVideoBlink;
  f.blinkPhase = 0;
  EXPECT_EQ(EntryColours(f, settings, false).text, MakeColour(255, 255, 255));
  f.blinkPhase = 1;
  EXPECT_EQ(EntryColours(f, settings, false).text, 0u);
  settings.SetCustomColours(true);
  f.attributes = 0;
  const TextColours c = EntryColours(f, settings, true);
  EXPECT_EQ(c.background, settings.FocusBackgroundColour());
  EXPECT_EQ(c.text, settings.FocusTextColour());
  EXPECT_EQ(c.frame, settings.InputTextColour());
}

TEST(TextPaintFixed, UnderlineAlwaysInNormalModeOnlyBySettingInCustomMode) {
  Settings settings;
  settings.ApplySettingsText("UnderlineFixedTextMode=false\r\n");
  FieldList list(nullptr);
  Field& f = testing_support::AddField(list, 1, 0, 0, 4);
  f.colours.background = MakeColour(149, 178, 195);
  FixedLook look = FixedTextLook(f, settings);
  EXPECT_TRUE(look.underline);
  EXPECT_TRUE(look.pageEdges);
  EXPECT_FALSE(look.reverseFrame);
  settings.ApplySettingsText("CustomColorMode=true\r\nUnderlineFixedTextMode=false\r\n");
  EXPECT_FALSE(FixedTextLook(f, settings).underline);
  settings.ApplySettingsText("CustomColorMode=true\r\nUnderlineFixedTextMode=true\r\n");
  EXPECT_TRUE(FixedTextLook(f, settings).underline);
}

TEST(TextPaintFixed, ReverseAndBlinkLooks) {
  Settings settings;
  FieldList list(nullptr);
  Field& f = testing_support::AddField(list, 1, 0, 0, 4);
  f.colours.reverseBackground = MakeColour(255, 255, 255);
  f.attributes = kVideoReverse;
  FixedLook look = FixedTextLook(f, settings);
  EXPECT_TRUE(look.reverseFrame);
  EXPECT_FALSE(look.underline);
  EXPECT_EQ(look.text, 0u);
  EXPECT_EQ(look.background, MakeColour(255, 255, 255));
  f.attributes = kVideoBlink;
  f.blinkPhase = 0;
  EXPECT_FALSE(FixedTextLook(f, settings).textVisible);
  f.blinkPhase = 1;
  EXPECT_TRUE(FixedTextLook(f, settings).textVisible);
  settings.SetCustomColours(true);
  EXPECT_FALSE(FixedTextLook(f, settings).textVisible);
}

TEST(TextPaintFixed, TextBoxAndZeroWidth) {
  const TextBox box = FixedTextBox(80, 20, 10);
  EXPECT_EQ(box.left, 1);
  EXPECT_EQ(box.right, 80);
  EXPECT_EQ(box.bottom, 18);
  EXPECT_EQ(CellWidthOf(80, 0), 0);
  EXPECT_EQ(CellWidthOf(80, -3), 0);
}

TEST(TextPaintSystem, ClockBlinksAndCutsToWidth) {
  EXPECT_EQ(ClockPicture(7), u"HH mm");
  EXPECT_EQ(ClockPicture(8), u"HH:mm");
  EXPECT_EQ(SystemLineText(u"09:05", 4), u"09:0");
  EXPECT_EQ(SystemLineText(u"09:05", 0), u"");
  EXPECT_EQ(SystemLineText(u"06-Dec-26", 20), u"06-Dec-26");
}

TEST(TextPaintSystem, CellsRightJustifiedAndPulledInAtTheEdge) {
  auto cells = SystemLineCells(5, 8, 80, true);
  ASSERT_EQ(cells.size(), 5u);
  EXPECT_EQ(cells[0].left, 31);  // first character in cell 3
  EXPECT_FALSE(cells[0].alignRight);
  // The last cell would end at 81, past the edge at 78: it is moved in and right-aligned.
  EXPECT_EQ(cells[4].right, 78);
  EXPECT_TRUE(cells[4].alignRight);
  cells = SystemLineCells(5, 5, 50, false);
  EXPECT_TRUE(cells[4].alignRight);
  EXPECT_FALSE(cells[3].alignRight);
  cells = SystemLineCells(1, 1, 10, false);
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_TRUE(cells[0].centre);
  EXPECT_TRUE(SystemLineCells(3, 0, 80, false).empty());
}

TEST(TextPaintWatermark, ColourAndBoundedFitting) {
  Settings settings;
  EXPECT_EQ(WatermarkColour(settings), MakeColour(159, 181, 195));
  settings.ApplySettingsText("CustomColorMode=true\r\nBackGroundColor=FD0AFC\r\n");
  const Colour back = settings.BackgroundColour();
  ASSERT_NE(back, MakeColour(149, 178, 195));
  auto lift = [](Colour v) { return v + 5 > 255 ? 250u : v + 5; };
  EXPECT_EQ(WatermarkColour(settings),
            MakeColour(lift(back & 0xFF), lift((back >> 8) & 0xFF), lift((back >> 16) & 0xFF)));

  int calls = 0;
  // Each letter is as wide as asked: fits once 9 * w <= 234.
  WatermarkFont font = FitWatermark(234, 9, [&](int, int w) {
    ++calls;
    return 9 * w;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(font.width, 24);
  EXPECT_EQ(font.height, 234 / 8);
  calls = 0;
  font = FitWatermark(234, 9, [&](int, int) {
    ++calls;
    return 10000;  // never fits
  });
  EXPECT_LE(calls, 14);
  EXPECT_EQ(font.width, 1);
  EXPECT_EQ(FitWatermark(0, 9, [](int, int) { return 0; }).height, 0);
}

}  // namespace
}  // namespace vantor

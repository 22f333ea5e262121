// Look rules: cell and font fitting, text painting geometry and colours, drawn controls, window frame rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "field_helpers.h"
#include "look/cell_metrics.h"
#include "look/drawn_controls.h"
#include "look/menu_ids.h"
#include "look/text_paint_rules.h"
#include "look/window_rules.h"
#include "model/field.h"
#include "model/field_list.h"
#include "model/function_keys.h"
#include "model/page.h"
#include "settings/settings.h"

namespace vantor {
namespace {

// A font whose metrics follow the asked size by simple rules; counts and logs every measurement.
class FakeMeasurer : public FontMeasurer {
 public:
  int logPixelsY = 96;
  int leading = 2;         // internal leading added to the height
  int maxExtra = 2;        // tmMaxCharWidth - tmAveCharWidth
  int naturalWidth = 7;    // average width when width 0 is asked
  std::uint8_t pitch = 0;  // TMPF_FIXED_PITCH clear: fixed pitch
  bool fail = false;
  bool huge = false;  // reports enormous sizes whatever is asked
  std::vector<std::pair<int, int>> asked;

  bool Measure(int height, int width, FontMetrics& out) override {
    asked.emplace_back(height, width);
    if (fail) return false;
    if (huge) {
      out = {1 << 20, 1 << 20, 1 << 20, 1 << 20, 1 << 21, pitch};
      return true;
    }
    out.height = height;
    out.internalLeading = leading;
    out.externalLeading = 0;
    out.aveCharWidth = width > 0 ? width : naturalWidth;
    out.maxCharWidth = out.aveCharWidth + maxExtra;
    out.pitchAndFamily = pitch;
    return true;
  }
  int LogPixelsY() override { return logPixelsY; }
};

class CellMetricsTest : public ::testing::Test {
 protected:
  Settings settings;
  FakeMeasurer measurer;
};

TEST_F(CellMetricsTest, FittedFontTargetsTheCellOfThePage) {
  settings.SetFontAutoSize(true);
  settings.SetScreenSize(80, 24);
  const CellMetrics m = ComputeCellMetrics(settings, measurer, 240, 296);
  // Targets w = 240 / 80 - 1 = 2 and h = 296 / 24 - 2 = 10.
  EXPECT_EQ(m.cellWidth, 3);
  EXPECT_EQ(m.cellHeight, 12);
  // Height 10 + leading 2 exceeds 10 until the height is 8.
  EXPECT_EQ(m.fontHeight, 8);
  // Width: 2 < (max - ave) / 2 + ave = 1 + width until the width is 1.
  EXPECT_EQ(m.fontWidth, 1);
  ASSERT_FALSE(measurer.asked.empty());
  EXPECT_EQ(measurer.asked.front(), std::make_pair(10, 2));
  EXPECT_EQ(measurer.asked.back(), std::make_pair(8, 1));
}

TEST_F(CellMetricsTest, FittingStopsAtOneWhateverTheFontReports) {
  settings.SetFontAutoSize(true);
  settings.SetScreenSize(26, 10);
  measurer.huge = true;
  const CellMetrics m = ComputeCellMetrics(settings, measurer, 240, 320);
  EXPECT_EQ(m.fontHeight, 1);
  EXPECT_EQ(m.fontWidth, 1);
  // 320 / 10 - 2 = 30 heights and 240 / 26 - 1 = 8 widths at most, plus the first measurement.
  EXPECT_LE(measurer.asked.size(), 1u + 29u + 7u);
}

TEST_F(CellMetricsTest, FittingIntoATinyPageKeepsEverySizePositive) {
  settings.SetFontAutoSize(true);
  settings.SetScreenSize(207, 207);
  const CellMetrics m = ComputeCellMetrics(settings, measurer, 10, 0);
  EXPECT_GE(m.fontHeight, 1);
  EXPECT_GE(m.fontWidth, 1);
  EXPECT_GE(m.cellWidth, 1);
  EXPECT_GE(m.cellHeight, 1);
  for (const auto& [h, w] : measurer.asked) {
    EXPECT_GE(h, 1);
    EXPECT_GE(w, 1);
  }
}

TEST_F(CellMetricsTest, AFailedMeasurementEndsTheFitting) {
  settings.SetFontAutoSize(true);
  settings.SetScreenSize(80, 24);
  measurer.fail = true;
  const CellMetrics m = ComputeCellMetrics(settings, measurer, 240, 296);
  EXPECT_EQ(measurer.asked.size(), 1u);
  EXPECT_EQ(m.fontHeight, 10);
  EXPECT_EQ(m.fontWidth, 2);
  EXPECT_EQ(m.cellWidth, 3);
}

TEST_F(CellMetricsTest, PointSizeFontWithFixedPitchTakesTheWidestLetter) {
  settings.SetFontAutoSize(false);
  settings.SetFontPointSize(9);
  settings.SetExtraCellWidth(1);
  measurer.naturalWidth = 7;
  measurer.maxExtra = 1;  // tmMaxCharWidth 8
  const CellMetrics m = ComputeCellMetrics(settings, measurer, 240, 320);
  ASSERT_EQ(measurer.asked.size(), 1u);
  EXPECT_EQ(measurer.asked.front(), std::make_pair(96 * 9 / 72, 0));
  EXPECT_EQ(m.fontHeight, 12);
  EXPECT_EQ(m.fontWidth, 0);
  EXPECT_EQ(m.cellHeight, 12 + 2 + 0 + 2);
  EXPECT_EQ(m.cellWidth, 9);
}

TEST_F(CellMetricsTest, PointSizeFontWithVariablePitchWidensTheCell) {
  settings.SetFontAutoSize(false);
  settings.SetExtraCellWidth(1);
  measurer.naturalWidth = 6;
  measurer.pitch = kTmpfFixedPitch;  // set: variable pitch
  const CellMetrics m = ComputeCellMetrics(settings, measurer, 240, 320);
  EXPECT_EQ(m.cellWidth, 14);  // integer part of 1 + 8 * 1.7
}

TEST_F(CellMetricsTest, HostFontStepAddsToThePointSize) {
  settings.SetFontAutoSize(false);
  settings.SetFontPointSize(9);
  settings.SetFontStep(3);
  measurer.logPixelsY = 72;
  const CellMetrics m = ComputeCellMetrics(settings, measurer, 240, 320);
  EXPECT_EQ(m.fontHeight, 12);
}

// A height of 0 or less goes to the font as it is (GDI's default height, or a cell height); the font
// measured gives the sizes, and the cells stay at least one pixel whatever it reports.
TEST_F(CellMetricsTest, PointSizeOfZeroOrLessAsksForTheFontAsComputed) {
  settings.SetFontAutoSize(false);
  settings.SetFontPointSize(0);
  measurer.logPixelsY = 72;
  for (const auto& [step, asked] : {std::pair{0, 0}, std::pair{-5, -5}}) {
    settings.SetFontStep(step);
    measurer.asked.clear();
    const CellMetrics m = ComputeCellMetrics(settings, measurer, 240, 320);
    ASSERT_EQ(measurer.asked.size(), 1u);
    EXPECT_EQ(measurer.asked.front().first, asked);
    EXPECT_EQ(m.fontHeight, asked);  // the fake reports the height it was asked
    EXPECT_GE(m.cellHeight, 1);
    EXPECT_GE(m.cellWidth, 1);
  }
}

TEST_F(CellMetricsTest, UpdateStoresTheRunTimeValues) {
  settings.SetFontAutoSize(true);
  settings.SetScreenSize(80, 24);
  const CellMetrics m = UpdateCellMetrics(settings, measurer, 240, 296);
  EXPECT_EQ(settings.FontHeight(), m.fontHeight);
  EXPECT_EQ(settings.FontWidth(), m.fontWidth);
  EXPECT_EQ(settings.CellWidth(), 3);
  EXPECT_EQ(settings.CellHeight(), 12);
}

TEST_F(CellMetricsTest, ScreenFontFollowsTheStoredSizeAndTheFaceName) {
  settings.SetFontSize(14, 6);
  settings.SetFontName(u"Courier New");
  ScreenFontRequest font = ScreenFontFor(settings, false);
  EXPECT_EQ(font.height, -14);
  EXPECT_EQ(font.width, 6);
  EXPECT_EQ(font.weight, 0);
  EXPECT_EQ(font.charset, 1);
  EXPECT_EQ(font.faceName, u"Courier New");
  EXPECT_EQ(font.pitchAndFamily, 0);
  EXPECT_EQ(font.quality, settings.FontQuality());
  EXPECT_EQ(font.outPrecision, settings.FontOutPrecision());
  settings.SetFontName(u"");
  font = ScreenFontFor(settings, true);
  EXPECT_EQ(font.weight, 700);
  EXPECT_TRUE(font.faceName.empty());
  EXPECT_EQ(font.pitchAndFamily, kFfModern);
}

TEST(ControlBoxTest, BoxIsInCellsAndHostileSizesSaturate) {
  EXPECT_EQ(ControlBoxFor(4, 3, 7, 9, 16), (ControlBox{36, 48, 63, 16}));
  EXPECT_EQ(ControlBoxFor(0, 0, 0, 9, 16), (ControlBox{0, 0, 0, 16}));
  EXPECT_EQ(ControlBoxFor(207, 207, 43263, 1000000, 1000000), (ControlBox{207000000, 207000000, 2147483647, 1000000}));
  EXPECT_EQ(ControlBoxFor(-5, -1, -3, 10, 12), (ControlBox{-50, -12, 0, 12}));
}

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

TEST(DrawnButton, OutlineLeavesCornersOpen) {
  const auto lines = OutlineSegments(0, 0, 10, 6);
  EXPECT_EQ(lines[0], (Segment{{1, 0}, {9, 0}, kOutlineColour}));
  EXPECT_EQ(lines[1], (Segment{{9, 1}, {9, 5}, kOutlineColour}));
  EXPECT_EQ(lines[2], (Segment{{1, 5}, {9, 5}, kOutlineColour}));
  EXPECT_EQ(lines[3], (Segment{{0, 1}, {0, 5}, kOutlineColour}));
  // Lines stop before their last point: no corner pixel (0,0), (9,0), (0,5), (9,5) is ever reached.
  for (const Segment& s : lines) {
    for (Point corner : {Point{0, 0}, Point{9, 0}, Point{0, 5}, Point{9, 5}}) EXPECT_NE(s.from, corner);
  }
}

TEST(DrawnButton, NarrowButtonRowsAreAtLeastOnePixelWide) {
  const auto table = ButtonTable(0, 5);
  const Face face = ButtonFace(0, 0, 2, 5, table, table, false);
  ASSERT_FALSE(face.rows.empty());
  EXPECT_EQ(face.rows[0].box.right - face.rows[0].box.left, 1);
}

TEST(DrawnButton, UnderThreePixelsHighDrawsNoFace) {
  for (int height : {-1, 0, 1, 2}) {
    const auto table = ButtonTable(0, height);
    const Face face = ButtonFace(0, 0, 30, height, table, table, false);
    EXPECT_TRUE(face.rows.empty()) << height;
    EXPECT_TRUE(face.edges.empty()) << height;
  }
  // A short table never indexes past its end.
  const auto shortTable = ButtonTable(0, 2);
  EXPECT_TRUE(ButtonFace(0, 0, 30, 10, shortTable, shortTable, true).rows.empty());
}

TEST(DrawnFocus, DashesAreTwoPixelsEveryFour) {
  const auto dashes = DashedRun({1, 1}, {11, 1}, kBlack);
  ASSERT_EQ(dashes.size(), 3u);
  EXPECT_EQ(dashes[0], (Segment{{1, 1}, {3, 1}, kBlack}));
  EXPECT_EQ(dashes[1], (Segment{{5, 1}, {7, 1}, kBlack}));
  EXPECT_EQ(dashes[2], (Segment{{9, 1}, {11, 1}, kBlack}));
  const auto up = DashedRun({4, 9}, {4, 6}, kWhite);
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0], (Segment{{4, 9}, {4, 7}, kWhite}));
  EXPECT_TRUE(DashedRun({0, 0}, {5, 5}, kBlack).empty());
  EXPECT_TRUE(DashedRun({3, 3}, {3, 3}, kBlack).empty());
}

// The last pixel a segment paints (its end point is excluded).
Point LastPixel(const Segment& s) {
  auto step = [](int from, int to) { return to > from ? -1 : (to < from ? 1 : 0); };
  return Point{s.to.x + step(s.from.x, s.to.x), s.to.y + step(s.from.y, s.to.y)};
}

TEST(DrawnFocus, RectanglesStayInsideTheirArea) {
  for (const Segment& s : ButtonFocusDashes(0, 0, 40, 16)) {
    for (Point p : {s.from, LastPixel(s)}) {
      EXPECT_GE(p.x, 1);
      EXPECT_LE(p.x, 38);
      EXPECT_GE(p.y, 1);
      EXPECT_LE(p.y, 14);
    }
  }
  const Box client{0, 0, 30, 12};
  const auto box = BoxFocusDashes(client, kWhite);
  ASSERT_FALSE(box.empty());
  EXPECT_EQ(box.front(), (Segment{{0, 0}, {2, 0}, kWhite}));
  for (const Segment& s : box) {
    for (Point p : {s.from, LastPixel(s)}) {
      EXPECT_GE(p.x, 0);
      EXPECT_LE(p.x, 29);
      EXPECT_GE(p.y, 0);
      EXPECT_LE(p.y, 11);
    }
  }
}

TEST(DrawnMarks, RightAlignedRadioButtonPlacesCircleAndLabel) {
  const Box client{0, 0, 80, 12};
  const int cell = CellWidthFor(client, 10);
  const int s = MarkSizeFor(cell, 1, client);
  const Box mark = MarkBoxFor(client, s, true, false);
  EXPECT_EQ(mark, (Box{70, 2, 78, 10}));
  const Box label = LabelBoxFor(client, cell, true);
  EXPECT_EQ(label, (Box{0, 0, 64, 12}));
  EXPECT_EQ(MarkBoxFor(client, s, false, false), (Box{1, 2, 8, 10}));
  EXPECT_EQ(LabelBoxFor(client, cell, false), (Box{16, 0, 80, 12}));
}

TEST(DrawnMarks, CheckFrameInteriorAndTick) {
  const Box mark{1, 3, 9, 11};  // s = 8
  const auto frame = CheckFrameSegments(mark, 8);
  ASSERT_EQ(frame.size(), 8u);
  EXPECT_EQ(frame[0], (Segment{{1, 2}, {8, 2}, kFrameDark}));
  EXPECT_EQ(frame[3], (Segment{{2, 3}, {2, 9}, kBlack}));
  EXPECT_EQ(frame[4], (Segment{{8, 2}, {8, 11}, kWhite}));
  EXPECT_EQ(frame[7], (Segment{{7, 9}, {1, 9}, kFrameLight}));
  const auto interior = CheckInteriorSegments(mark, 8, false);
  ASSERT_EQ(interior.size(), 5u);
  EXPECT_EQ(interior[0], (Segment{{3, 4}, {6, 4}, kWhite}));
  EXPECT_EQ(CheckInteriorSegments(mark, 8, true)[0].colour, kFrameLight);
  EXPECT_TRUE(CheckInteriorSegments(mark, 2, false).empty());
  const auto tick = TickPolygon(mark, 8);
  EXPECT_EQ(tick[0], (Point{9, 3}));
  EXPECT_EQ(tick[1], (Point{5, 10}));
  EXPECT_EQ(tick[2], (Point{1, 6}));
  EXPECT_EQ(tick[3], (Point{3, 4}));
  EXPECT_EQ(tick[4], (Point{5, 6}));
  EXPECT_EQ(tick[5], tick[0]);
}

TEST(DrawnMarks, RadioDisksShrinkUntilTheTableOrMarkEnds) {
  const Box mark{1, 0, 13, 12};
  const auto checked = RadioDisks(mark, 12, 12, 12, true);
  ASSERT_FALSE(checked.empty());
  EXPECT_EQ(checked[0], (Disk{Box{3, 2, 11, 10}, 2}));  // (12 - 1) / 4
  EXPECT_EQ(checked[1], (Disk{Box{4, 3, 10, 9}, 3}));
  for (const Disk& d : checked) EXPECT_FALSE(d.box.Empty());
  EXPECT_EQ(checked.size(), 4u);  // the fifth would have no width
  const auto unchecked = RadioDisks(mark, 12, 12, 12, false);
  EXPECT_EQ(unchecked[0].entry, 3);  // (12 - 1) / 3
  EXPECT_TRUE(RadioDisks(mark, 12, 2, 12, true).empty());
  EXPECT_TRUE(RadioDisks(mark, 0, 12, 0, true).empty());
  EXPECT_EQ(RadioDot(mark), (Box{4, 3, 10, 9}));
}

std::unique_ptr<Field> NewField(int type, int mode, std::u16string_view text, int maxLength = 20) {
  auto field = std::make_unique<Field>(7, 1, 0, 10, nullptr);
  field->type = static_cast<std::uint8_t>(type);
  field->flags = static_cast<std::uint8_t>(mode);
  field->SetMaxLength(maxLength);
  field->SetText(text);
  return field;
}

TEST(DrawnLabels, EachKindShowsItsPart) {
  EXPECT_EQ(LabelOf(ButtonKind::Button, u"XSave", 10), u"XSave");
  EXPECT_EQ(LabelOf(ButtonKind::CheckBox, u"XYes", 10), u"Yes");
  EXPECT_EQ(LabelOf(ButtonKind::SelectButton, u" Fast", 10), u"Fast");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, u"X\x7F\x7FRed", 10), u"Red");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, u" Blue and more", 4), u"Blue");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, std::u16string(u" ab\0cd", 6), 10), u"ab");
  EXPECT_EQ(LabelOf(ButtonKind::CheckBox, u"", 10), u"");
  EXPECT_EQ(LabelOf(ButtonKind::RadioButton, u"X\x7F", -3), u"");
}

TEST(DrawnRules, CheckBoxToggleFlipsTheFirstCharacter) {
  auto boxPtr = NewField(kTypeCheckBox, kModeInput, u" Yes");
  Field& box = *boxPtr;
  ASSERT_TRUE(ToggleValue(box));
  EXPECT_EQ(box.Text(), u"XYes");
  EXPECT_EQ(box.checked, 1);
  EXPECT_EQ(box.modified, 1);
  box.modified = 0;
  ASSERT_TRUE(ToggleValue(box));
  EXPECT_EQ(box.Text(), u" Yes");
  EXPECT_EQ(box.checked, 0);
  EXPECT_EQ(box.modified, 1);
  // Any character other than "X" reads as unchecked.
  auto oddPtr = NewField(kTypeCheckBox, kModeInput, u"xNo");
  Field& odd = *oddPtr;
  ToggleValue(odd);
  EXPECT_EQ(odd.Text(), u"XNo");
}

TEST(DrawnRules, ToggleOfAnEmptyOrRoomlessRecord) {
  auto emptyPtr = NewField(kTypeSelectButton, kModeInput, u"");
  Field& empty = *emptyPtr;
  ASSERT_TRUE(ToggleValue(empty));
  EXPECT_EQ(empty.Text(), u"X");
  auto roomlessPtr = NewField(kTypeCheckBox, kModeInput, u"", 0);
  Field& roomless = *roomlessPtr;
  EXPECT_FALSE(ToggleValue(roomless));
  EXPECT_EQ(roomless.modified, 0);
  EXPECT_EQ(roomless.Text(), u"");
  auto oneCellPtr = NewField(kTypeCheckBox, kModeInput, u"", 1);  // room for the mark alone
  ASSERT_TRUE(ToggleValue(*oneCellPtr));
  EXPECT_EQ(oneCellPtr->Text(), u"X");
  auto oneCellRadio = NewField(kTypeRadioButton, kModeInput, u"", 1);
  SelectRadio(*oneCellRadio);
  EXPECT_EQ(oneCellRadio->Text(), u"X");
}

TEST(DrawnRules, RadioGroupIsEveryRadioButtonOfThePage) {
  Page page(0, kDefaultPageBackground);
  auto add = [&](int id, int type, std::u16string_view text) -> Field& {
    Field& f = testing_support::AddField(page.Fields(), id, id, 0, 10);
    f.type = static_cast<std::uint8_t>(type);
    f.flags = kModeInput;
    f.SetMaxLength(10);
    f.SetText(text);
    return f;
  };
  Field& first = add(1, kTypeRadioButton, u" One");
  Field& second = add(2, kTypeRadioButton, u"XTwo");
  Field& third = add(3, kTypeRadioButton, u" Three");
  Field& box = add(4, kTypeCheckBox, u"XBox");
  const auto changed = SelectRadio(third);
  ASSERT_EQ(changed.size(), 2u);
  EXPECT_EQ(changed[0], &third);
  EXPECT_EQ(changed[1], &second);
  EXPECT_EQ(first.Text(), u" One");
  EXPECT_EQ(second.Text(), u" Two");
  EXPECT_EQ(third.Text(), u"XThree");
  EXPECT_EQ(first.modified, 0);
  EXPECT_EQ(second.modified, 1);
  EXPECT_EQ(third.modified, 1);
  EXPECT_EQ(box.Text(), u"XBox");  // check boxes are not in the group
  EXPECT_EQ(box.modified, 0);
  third.modified = 0;
  second.modified = 0;
  EXPECT_TRUE(SelectRadio(third).empty());
  EXPECT_EQ(third.modified, 0);
  EXPECT_EQ(second.modified, 0);
}

TEST(DrawnRules, AutoSendReportsTheFieldThenEnterAsCodeZero) {
  auto boxPtr = NewField(kTypeCheckBox, kModeInput, u" Yes");
  Field& box = *boxPtr;
  EXPECT_TRUE(ChangeNotices(box).empty());
  box.flags |= kFlagAutoSend;
  const auto notices = ChangeNotices(box);
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0], (Notice{Notice::FieldChanged, 7}));
  EXPECT_EQ(notices[1], (Notice{Notice::Key, 0}));
}

using R = ButtonKeyResult;

TEST(DrawnKeys, DisplayModeBoxesAcceptOnlyEnter) {
  for (ButtonKind kind : {ButtonKind::CheckBox, ButtonKind::RadioButton}) {
    EXPECT_EQ(ButtonKey(kind, false, kVkReturn, {false, false, false}, true), (R{R::Key, 0}));
    EXPECT_EQ(ButtonKey(kind, false, kVkReturn, {false, false, false}, false), (R{R::Navigate, 1}));
    EXPECT_EQ(ButtonKey(kind, false, kVkSpace, {false, false, false}, true), R{});
    EXPECT_EQ(ButtonKey(kind, false, kVkTab, {false, false, false}, true), R{});
    EXPECT_EQ(ButtonKey(kind, false, 112, {false, false, false}, true), R{});
  }
  // Push and select buttons in display mode still take Tab and the function keys.
  EXPECT_EQ(ButtonKey(ButtonKind::Button, false, kVkTab, {false, false, false}, true), (R{R::Navigate, 1}));
  EXPECT_EQ(ButtonKey(ButtonKind::SelectButton, false, 113, {false, false, false}, true), (R{R::Key, 2}));
  EXPECT_EQ(ButtonKey(ButtonKind::SelectButton, false, kVkSpace, {false, false, false}, true), R{});
}

TEST(DrawnKeys, SpaceActsByClass) {
  EXPECT_EQ(ButtonKey(ButtonKind::CheckBox, true, kVkSpace, {false, false, false}, true), (R{R::Toggle, 0}));
  EXPECT_EQ(ButtonKey(ButtonKind::SelectButton, true, kVkSpace, {false, false, false}, true), (R{R::Toggle, 0}));
  EXPECT_EQ(ButtonKey(ButtonKind::RadioButton, true, kVkSpace, {false, false, false}, true), (R{R::Select, 0}));
  EXPECT_EQ(ButtonKey(ButtonKind::Button, true, kVkSpace, {false, false, false}, true), R{});
}

TEST(DrawnKeys, TabArrowsAndEnter) {
  const ButtonKind k = ButtonKind::CheckBox;
  EXPECT_EQ(ButtonKey(k, true, kVkTab, {false, false, false}, false), (R{R::Navigate, 1}));
  EXPECT_EQ(ButtonKey(k, true, kVkTab, {false, true, false}, false), (R{R::Navigate, -1}));
  EXPECT_EQ(ButtonKey(k, true, kVkTab, {true, true, false}, false), R{});
  EXPECT_EQ(ButtonKey(k, true, kVkTab, {false, false, true}, false), R{});
  EXPECT_EQ(ButtonKey(k, true, kVkLeft, {false, false, false}, false), (R{R::Navigate, -1}));
  EXPECT_EQ(ButtonKey(k, true, kVkUp, {false, false, false}, false), (R{R::Navigate, -1}));
  EXPECT_EQ(ButtonKey(k, true, kVkRight, {false, false, false}, false), (R{R::Navigate, 1}));
  EXPECT_EQ(ButtonKey(k, true, kVkDown, {false, false, false}, false), (R{R::Navigate, 1}));
  EXPECT_EQ(ButtonKey(ButtonKind::Button, true, kVkReturn, {false, false, false}, true), (R{R::Key, 0}));
  EXPECT_EQ(ButtonKey(ButtonKind::Button, true, kVkReturn, {false, false, false}, false), (R{R::Navigate, 1}));
  EXPECT_EQ(ButtonKey(k, true, 'A', {false, false, false}, true), R{});
}

// The codes themselves are the shared function key rules; here which buttons take them.
TEST(DrawnKeys, FunctionKeysAndDeviceKeys) {
  EXPECT_EQ(ButtonKey(ButtonKind::RadioButton, true, 112, {false, true, false}, true), (R{R::Key, 11}));
  EXPECT_EQ(ButtonKey(ButtonKind::Button, true, '3', {true, false, false}, true), (R{R::Key, 23}));
  EXPECT_EQ(ButtonKey(ButtonKind::CheckBox, true, 242, {false, false, false}, true), (R{R::Key, 27}));
  EXPECT_EQ(ButtonKey(ButtonKind::Button, true, 242, {false, false, false}, true), R{});
}

TEST(WindowRulesTest, ShowCommandOpensMinimizedStateAsNormal) {
  EXPECT_EQ(ShowCommandForWindowState(1), 3);
  EXPECT_EQ(ShowCommandForWindowState(7), 3);
  EXPECT_EQ(ShowCommandForWindowState(0), 1);
  EXPECT_EQ(ShowCommandForWindowState(-1), 1);
  EXPECT_EQ(ShowCommandForWindowState(-2147483647 - 1), 1);
}

TEST(WindowRulesTest, WindowStateFromStylePrefersMaximized) {
  EXPECT_EQ(WindowStateFromStyle(MainWindowStyle(false)), 0);
  EXPECT_EQ(WindowStateFromStyle(MainWindowStyle(false) | kStyleMaximize), 1);
  EXPECT_EQ(WindowStateFromStyle(MainWindowStyle(false) | kStyleMinimize), -1);
  EXPECT_EQ(WindowStateFromStyle(kStyleMaximize | kStyleMinimize), 1);
}

TEST(WindowRulesTest, ModuleDirectoryCutsAtLastBackslash) {
  EXPECT_EQ(DirectoryOfModulePath(u"C:\\Program Files\\Vantor\\Vantor.exe"), u"C:\\Program Files\\Vantor");
  EXPECT_EQ(DirectoryOfModulePath(u"C:\\Vantor.exe"), u"C:");
  EXPECT_EQ(DirectoryOfModulePath(u"Vantor.exe"), u"\\");
  EXPECT_EQ(DirectoryOfModulePath(u""), u"\\");
  EXPECT_EQ(DirectoryOfModulePath(u"\\\\server\\share\\a.exe"), u"\\\\server\\share");
}

TEST(WindowRulesTest, SettingsPathIsBesideTheProgram) {
  EXPECT_EQ(SettingsPathInDirectory(u"C:\\Vantor"), u"C:\\Vantor\\Vantor.ini");
  // A module without a directory part: the root, not a doubled separator.
  EXPECT_EQ(SettingsPathInDirectory(DirectoryOfModulePath(u"Vantor.exe")), u"\\Vantor.ini");
}

TEST(WindowRulesTest, CentringKeepsTheDialogOnTheScreen) {
  int left = -1;
  int top = -1;
  const PixelRect screen{0, 0, 640, 480};
  CentreOver(PixelRect{0, 0, 240, 320}, 100, 60, screen, &left, &top);
  EXPECT_EQ(left, 70);
  EXPECT_EQ(top, 130);
  CentreOver(PixelRect{100, 50, 340, 370}, 100, 60, screen, &left, &top);
  EXPECT_EQ(left, 170);
  EXPECT_EQ(top, 180);
  // An owner at the bottom-right corner: the dialog moves up and left until it fits.
  CentreOver(PixelRect{500, 300, 740, 620}, 200, 150, screen, &left, &top);
  EXPECT_EQ(left, 440);
  EXPECT_EQ(top, 330);
  // A dialog larger than the screen keeps its title bar and top-left corner on it.
  CentreOver(PixelRect{0, 0, 240, 320}, 700, 500, screen, &left, &top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, 0);
  CentreOver(PixelRect{-2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647}, 10, 10, screen, &left, &top);
  EXPECT_EQ(left, 0);
  EXPECT_EQ(top, 0);
}

TEST(WindowRulesTest, EveryHandledCommandPutsTheFocusBackExceptUserModeAndAClosingExit) {
  for (int command : {IDM_ABOUT, IDM_OPTIONS, IDM_HOST, IDM_SCANNER, IDM_SCREEN, IDM_FIELDS, IDM_FONT,
                      IDM_SERIAL_SETTINGS, IDM_SERIAL_FEATURE, IDM_FULLSCREEN, IDM_SOUND_NORMAL, IDM_SOUND_USER4}) {
    EXPECT_TRUE(FollowUpForCommand(command, false, false).navigate) << command;
  }
  EXPECT_FALSE(FollowUpForCommand(IDM_USER_MODE, true, false).navigate);
  EXPECT_FALSE(FollowUpForCommand(IDM_EXIT, false, true).navigate);
  EXPECT_TRUE(FollowUpForCommand(IDM_EXIT, false, false).navigate);  // full screen: Exit did nothing
  EXPECT_FALSE(FollowUpForCommand(IDM_ALT_F4, false, false).navigate);
  EXPECT_FALSE(FollowUpForCommand(12345, true, false).navigate);
}

TEST(WindowRulesTest, RelayoutOnlyAfterSettingsDialogsEndedWithOk) {
  for (int command : {IDM_SCANNER, IDM_SCREEN, IDM_FIELDS, IDM_FONT, IDM_SERIAL_SETTINGS, IDM_SERIAL_FEATURE,
                      IDM_SOUND_NORMAL, IDM_SOUND_ERROR, IDM_SOUND_SCAN_ACCEPT, IDM_SOUND_SCAN_REJECT,
                      IDM_SOUND_USER1, IDM_SOUND_USER2, IDM_SOUND_USER3, IDM_SOUND_USER4}) {
    EXPECT_TRUE(FollowUpForCommand(command, true, false).relayout) << command;
    EXPECT_FALSE(FollowUpForCommand(command, false, false).relayout) << command;
  }
  for (int command : {IDM_ABOUT, IDM_OPTIONS, IDM_HOST, IDM_FULLSCREEN}) {
    EXPECT_FALSE(FollowUpForCommand(command, true, false).relayout) << command;
  }
}

}  // namespace
}  // namespace vantor

// Look rules: cell and font fitting, text painting geometry and colours, drawn controls, window frame rules.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "field_helpers.h"
#include "look/cell_metrics.h"
#include "look/drawn_controls.h"
#include "look/text_paint_rules.h"
#include "look/window_rules.h"
#include "model/field_list.h"
#include "row_tables.h"
#include "settings/settings.h"

namespace vantor {
namespace {

// A font whose metrics follow the asked size by simple rules; logs every measurement.
class FakeMeasurer : public FontMeasurer {
 public:
  int logPixelsY = 96;
  int maxExtra = 2;        // tmMaxCharWidth - tmAveCharWidth
  int naturalWidth = 7;    // average width when width 0 is asked
  std::uint8_t pitch = 0;  // TMPF_FIXED_PITCH clear: fixed pitch
  bool fail = false;
  bool huge = false;  // reports enormous sizes whatever is asked
  std::vector<std::pair<int, int>> asked;

  bool Measure(int height, int width, FontMetrics& out) override {
    asked.emplace_back(height, width);
    if (huge) out = {1 << 20, 1 << 20, 1 << 20, 1 << 20, 1 << 21, pitch};
    if (fail || huge) return !fail;
    const int ave = width > 0 ? width : naturalWidth;
    out = {height, 2, 0, ave, ave + maxExtra, pitch};  // internal leading 2
    return true;
  }
  int LogPixelsY() override { return logPixelsY; }
};

TEST(CellMetricsTest, FittedFontTargetsTheCellOfThePageAndIsStored) {
  Settings settings;
  settings.SetFontAutoSize(true);
  settings.SetScreenSize(80, 24);
  FakeMeasurer measurer;
  // Targets w = 240 / 80 - 1 = 2 and h = 296 / 24 - 2 = 10; height 10 + leading 2 exceeds 10 until 8; width
  // 2 < (max - ave) / 2 + ave until the width is 1.
  EXPECT_EQ(UpdateCellMetrics(settings, measurer, 240, 296), (CellMetrics{8, 1, 3, 12}));
  EXPECT_EQ(measurer.asked.front(), std::make_pair(10, 2));
  EXPECT_EQ(std::make_pair(settings.FontHeight(), settings.CellHeight()), std::make_pair(8, 12));
  measurer = FakeMeasurer{};
  measurer.fail = true;  // a failed measurement ends the fitting
  EXPECT_EQ(ComputeCellMetrics(settings, measurer, 240, 296), (CellMetrics{10, 2, 3, 12}));
  EXPECT_EQ(measurer.asked.size(), 1u);
  measurer = FakeMeasurer{};
  measurer.huge = true;  // stops at one whatever the font reports: 30 heights and 8 widths at most
  settings.SetScreenSize(26, 10);
  EXPECT_EQ(ComputeCellMetrics(settings, measurer, 240, 320), (CellMetrics{1, 1, 9, 32}));
  EXPECT_LE(measurer.asked.size(), 1u + 29u + 7u);
  measurer = FakeMeasurer{};
  settings.SetScreenSize(207, 207);  // a tiny page keeps every size positive
  EXPECT_EQ(ComputeCellMetrics(settings, measurer, 10, 0), (CellMetrics{1, 1, 1, 1}));
  EXPECT_EQ(measurer.asked, (std::vector<std::pair<int, int>>{{1, 1}}));
  settings.ApplySettingsText("fontautosize=true\r\nscreencols=0\r\nscreenrows=0\r\n");  // read as one
  const CellMetrics zero = ComputeCellMetrics(settings, measurer, 240, 296);
  settings.SetScreenSize(1, 1);
  EXPECT_EQ(ComputeCellMetrics(settings, measurer, 240, 296), zero);
}

TEST(CellMetricsTest, PointSizeFontIsMeasuredForItsCell) {
  testing_support::ForEachRow("point sizes", [&](const std::vector<std::string>& w) {
    std::vector<int> n;
    for (const std::string& word : w) n.push_back(std::stoi(word));
    ASSERT_EQ(n.size(), 12u);
    Settings settings;
    settings.SetFontAutoSize(false);
    settings.SetFontPointSize(n[0]);
    settings.SetFontStep(n[1]);
    settings.SetExtraCellWidth(n[3]);
    FakeMeasurer measurer;
    measurer.logPixelsY = n[2];
    measurer.naturalWidth = n[4];
    measurer.pitch = n[5] != 0 ? kTmpfFixedPitch : 0;
    measurer.fail = n[6] != 0;
    EXPECT_EQ(ComputeCellMetrics(settings, measurer, 240, 320), (CellMetrics{n[8], n[9], n[10], n[11]}));
    EXPECT_EQ(measurer.asked, (std::vector<std::pair<int, int>>{{n[7], 0}}));
  });
}

TEST(CellMetricsTest, ScreenFontAndControlBoxes) {
  Settings settings;
  settings.SetFontSize(14, 6);
  settings.SetFontName(u"");  // no face name: any modern font
  const ScreenFontRequest bold = ScreenFontFor(settings, true);
  EXPECT_EQ(std::vector<int>(
                {bold.height, bold.width, bold.weight, bold.pitchAndFamily, ScreenFontFor(settings, false).weight}),
            std::vector<int>({-14, 6, 700, kFfModern, 0}));
  settings.SetFontName(u"Courier New");
  EXPECT_EQ(ScreenFontFor(settings, false).pitchAndFamily, 0);
  // Control boxes are in cells; hostile sizes saturate.
  EXPECT_EQ(ControlBoxFor(4, 3, 7, 9, 16), (ControlBox{36, 48, 63, 16}));
  EXPECT_EQ(ControlBoxFor(207, 207, 43263, 1000000, 1000000), (ControlBox{207000000, 207000000, 2147483647, 1000000}));
  EXPECT_EQ(ControlBoxFor(-5, -1, -3, 10, 12), (ControlBox{-50, -12, 0, 12}));
}

TEST(TextPaintTest, SizesAndStrip) {
  for (const auto& [height, thickness] : {std::pair{20, 3}, {40, 5}, {400, 5}, {6, 0}, {-10, 0}}) {
    EXPECT_EQ(FrameThickness(height), thickness) << height;
  }
  const TextBox box = FixedTextBox(80, 20, 10);
  EXPECT_EQ(std::vector<int>({box.left, box.top, box.right, box.bottom, CellWidthOf(80, 0), CellWidthOf(80, -3)}),
            std::vector<int>({1, 1, 80, 18, 0, 0}));
  EXPECT_EQ(SystemLineText(u"09:05", 4), u"09:0");
  EXPECT_EQ(SystemLineText(u"09:05", 0), u"");
  EXPECT_EQ(
      std::vector<int>({EntryStripWidth(3, 5, 8, 1), EntryStripWidth(0, 0, 8, 1), EntryStripWidth(43263, 207, 40, 1)}),
      std::vector<int>({122, 0, kMaxStripWidth}));  // 8 cells * 9 pixels * 1.7, then capped
}

TEST(TextPaintTest, EntryLayoutScrollsAndJustifies) {
  testing_support::ForEachRow("entry layout", [&](const std::vector<std::string>& w) {
    std::vector<int> n;
    for (const std::string& word : w) n.push_back(std::stoi(word));
    ASSERT_EQ(n.size(), 8u);
    const EntryLayout l = LayoutEntry(100, n[0], n[1], n[2] != 0, n[3] != 0, [&](int count) { return count * n[4]; });
    EXPECT_EQ(std::vector<int>({l.scroll, l.offset, l.caretX}), std::vector<int>(n.begin() + 5, n.end()));
  });
}

TEST(TextPaintTest, ColoursOfEntriesAndFixedTexts) {
  constexpr Colour kWhite = Rgb(255, 255, 255), kYellow = Rgb(255, 240, 158);
  Settings settings;
  settings.ApplySettingsText("UnderlineFixedTextMode=false\r\n");  // only custom colours heed it
  FieldList list(nullptr);
  Field& f = testing_support::AddField(list, 1, 0, 0, 4);
  ControlLook look;
  look.colours.background = look.colours.reverseBackground = kWhite;
  look.colours.focusBackground = kYellow;
  look.colours.selectedFrame = Rgb(255, 204, 51);
  auto background = [&](bool focused) { return EntryColours(f, look, settings, focused).background; };
  EXPECT_EQ(std::make_pair(background(false), background(true)), std::make_pair(kWhite, kYellow));
  EXPECT_TRUE(FixedTextLook(f, look, settings).underline && FixedTextLook(f, look, settings).pageEdges);
  f.format.selected = true;
  EXPECT_EQ(EntryColours(f, look, settings, false).frame, Rgb(255, 204, 51));
  EXPECT_TRUE(FixedTextLook(f, look, settings).underline);
  f.format.attributes = kVideoReverse;
  EXPECT_EQ(std::make_pair(background(false), background(true)), std::make_pair(0u, kYellow));  // swapped unfocused
  f.format.selected = false;
  const FixedLook reverse = FixedTextLook(f, look, settings);
  EXPECT_TRUE(reverse.reverseFrame && !reverse.underline && reverse.background == kWhite && reverse.text == 0u);
  f.format.attributes = kVideoBlink;
  for (bool phase : {false, true}) {
    look.blinkPhase = phase;
    EXPECT_EQ(EntryColours(f, look, settings, false).text, phase ? 0u : kWhite) << phase;
    EXPECT_EQ(FixedTextLook(f, look, settings).textVisible, phase) << phase;
  }
  // Custom colours: the settings' colours, the blink phases swapped, the underline as set.
  settings.ApplySettingsText(
      "CustomColorMode=true\r\nUnderlineFixedTextMode=false\r\nFocusBackGroundColor=010203\r\n"
      "InputForeGroundColor=040506\r\n");
  EXPECT_FALSE(FixedTextLook(f, look, settings).textVisible || FixedTextLook(f, look, settings).underline);
  f.format.attributes = 0;
  const TextColours c = EntryColours(f, look, settings, true);
  EXPECT_EQ(std::make_pair(c.background, c.frame), std::make_pair(Rgb(1, 2, 3), Rgb(4, 5, 6)));
  settings.ApplySettingsText("CustomColorMode=true\r\nUnderlineFixedTextMode=true\r\n");
  EXPECT_TRUE(FixedTextLook(f, look, settings).underline);
}

TEST(TextPaintTest, SystemLineCellsRightJustifiedAndPulledInAtTheEdge) {
  auto cells = SystemLineCells(5, 8, 80, true);
  ASSERT_EQ(cells.size(), 5u);
  EXPECT_EQ(cells[0].left, 31);  // first character in cell 3
  EXPECT_FALSE(cells[0].alignRight || cells[0].centre);
  // The last cell would end at 81, past the edge at 78: it is moved in and right-aligned.
  EXPECT_TRUE(cells[4].right == 78 && cells[4].alignRight);
  cells = SystemLineCells(5, 5, 50, false);
  EXPECT_TRUE(cells[4].alignRight && !cells[3].alignRight);
  cells = SystemLineCells(1, 1, 10, false);
  EXPECT_TRUE(cells.size() == 1u && cells[0].centre);
  EXPECT_TRUE(SystemLineCells(3, 0, 80, false).empty());
  EXPECT_TRUE(SystemLineCells(0, 5, 50, false).empty());
}

TEST(TextPaintTest, WatermarkColourAndBoundedFitting) {
  Settings settings;
  EXPECT_EQ(WatermarkColour(settings), Rgb(159, 181, 195));
  settings.ApplySettingsText("CustomColorMode=true\r\nBackGroundColor=FA0AFB\r\n");
  EXPECT_EQ(WatermarkColour(settings), Rgb(255, 15, 250));  // each channel lifted by 5, else 250
  std::vector<int> widths;
  auto letters = [&](int perLetter) {
    widths.clear();
    return [&widths, perLetter](int, int w) {
      widths.push_back(w);
      return perLetter * w;
    };
  };
  const WatermarkFont fitted = FitWatermark(234, 9, letters(9));  // fits once 9 * w <= 234
  EXPECT_EQ(std::make_pair(fitted.height, fitted.width), std::make_pair(29, 24));
  EXPECT_EQ(widths, std::vector<int>{26});
  EXPECT_EQ(FitWatermark(234, 9, letters(1000)).width, 1);  // never fits: stops narrowing at 1
  EXPECT_EQ(widths.size(), 13u);
  EXPECT_EQ(FitWatermark(9, 9, letters(1)).width, 1);
  EXPECT_EQ(widths, std::vector<int>{1});
  EXPECT_EQ(FitWatermark(0, 9, letters(1)).height, 0);
}

class ReverseFrameTest : public ::testing::Test {
 protected:
  // Adds a reverse field in cells 10 wide and 20 high; the shades of its frame at the probes, given as x, y
  // pairs (-1: not painted; lines are drawn as LineTo does, without their end point).
  std::vector<int> Frame(int id, int row, int column, int width, const std::vector<int>& probes,
                         bool fullBottom = false) {
    Field& f = testing_support::AddField(list_, id, row, column, width);
    f.format.flags = kModeDisplay;
    f.format.attributes = kVideoReverse;
    const FrameInput in{column, row, width, width * 10, 20, fullBottom};
    std::map<std::pair<int, int>, int> pixels;
    for (const FrameLine& l : ReverseFrameLines(in, [this](int c, int r) { return list_.KindAt(c, r); })) {
      const int dx = l.x2 > l.x1 ? 1 : (l.x2 < l.x1 ? -1 : 0);
      const int dy = l.y2 > l.y1 ? 1 : (l.y2 < l.y1 ? -1 : 0);
      for (int x = l.x1, y = l.y1; x != l.x2 || y != l.y2; x += dx, y += dy) pixels[{x, y}] = l.k;
    }
    std::vector<int> shades;
    for (std::size_t i = 0; i + 1 < probes.size(); i += 2) {
      const auto it = pixels.find({probes[i], probes[i + 1]});
      shades.push_back(it == pixels.end() ? -1 : it->second);
    }
    return shades;
  }
  FieldList list_{nullptr};
};

TEST_F(ReverseFrameTest, LoneFieldGetsNestedRectanglesAroundItsFill) {
  // Top, bottom, left and right edges three deep, then two pixels of the fill.
  EXPECT_EQ(Frame(1, 3, 2, 4, {20, 0,  20, 1,  20, 2,  20, 19, 20, 18, 20, 17, 0,  10,
                               1,  10, 2,  10, 39, 10, 38, 10, 37, 10, 3,  10, 20, 3}),
            (std::vector<int>{0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, -1, -1}));
}

TEST_F(ReverseFrameTest, NeighbouringReverseFieldsJoin) {
  Frame(1, 3, 0, 4, {});
  // Beside it: no edge between the two, the outer ends closed.
  EXPECT_EQ(Frame(2, 3, 4, 3, {0, 5, 0, 10, 0, 16, 29, 10}), (std::vector<int>{-1, -1, -1, 0}));
  // Below its first two cells: no top edge, and the left edge runs to the very top.
  EXPECT_EQ(Frame(3, 4, 0, 2, {5, 0, 0, 0, 1, 0}), (std::vector<int>{-1, 0, 1}));
  // The upper field again: no right edge, no bottom over the field below, where that ends its lines bend down.
  EXPECT_EQ(Frame(1, 3, 0, 4, {39, 5, 39, 16, 0, 10, 5, 19, 15, 19, 25, 19, 20, 19, 18, 18, 18, 19}),
            (std::vector<int>{-1, -1, 0, -1, -1, 0, 0, 1, 1}));
  // A field on the top row, and with a full bottom, spans the whole width although a reverse field lies below.
  Frame(5, 1, 10, 2, {});
  EXPECT_EQ(Frame(4, 0, 10, 2, {10, 0, 10, 19}, true), (std::vector<int>{0, 0}));
  EXPECT_TRUE(ReverseFrameLines(FrameInput{0, 2, 0, 0, 20, false}, [](int, int) { return 0; }).empty());
  EXPECT_TRUE(ReverseFrameLines(FrameInput{0, 2, 3, 30, 5, false}, [](int, int) { return 0; }).empty());  // too low
}

TEST(DrawnControlsTest, DrawStyleByKindModeAndVideo) {
  FieldList list(nullptr);
  Field& f = testing_support::AddField(list, 1, 0, 0, 4);
  testing_support::ForEachRow("draw styles", [&](const std::vector<std::string>& w) {
    f.format.flags = static_cast<std::uint8_t>(std::stoi(w.at(0)));
    f.format.attributes = static_cast<std::uint8_t>(std::stoi(w.at(1), nullptr, 0));
    f.format.selected = static_cast<std::uint8_t>(std::stoi(w.at(2)));
    std::string got;
    for (ButtonKind kind :
         {ButtonKind::Button, ButtonKind::SelectButton, ButtonKind::CheckBox, ButtonKind::RadioButton})
      got += std::to_string(DrawStyleFor(kind, f));
    EXPECT_EQ(got, testing_support::Text(w.at(3)));
  });
  f.format.attributes = kVideoBlink;  // a blinking label shows in one phase only
  EXPECT_EQ(std::pair(LabelBlinkedOut(f, false), LabelBlinkedOut(f, true)), std::pair(true, false));
  // The steep gradient climbs at twice the pace: the end colour halfway.
  EXPECT_EQ(SteepGradientTable(0, Rgb(100, 100, 100), 4),
            (std::vector<Colour>{0, Rgb(50, 50, 50), Rgb(100, 100, 100), Rgb(150, 150, 150)}));
}

TEST(WindowRulesTest, SettingsFileLiesBesideTheProgram) {
  EXPECT_EQ(SettingsPathInDirectory(DirectoryOfModulePath(u"C:\\Program Files\\Vantor.exe")),
            u"C:\\Program Files\\Vantor.ini");
  // A module without a directory part: the root, not a doubled separator.
  EXPECT_EQ(SettingsPathInDirectory(DirectoryOfModulePath(u"Vantor.exe")), u"\\Vantor.ini");
}

TEST(WindowRulesTest, EveryMenuCommandsFollowUp) {
  testing_support::ForEachRow("menu follow-ups", [&](const std::vector<std::string>& w) {
    std::string got;
    for (bool ok : {false, true}) {
      const CommandFollowUp followUp = FollowUpForCommand(std::stoi(w.at(0)), ok, w.at(1) == "gone");
      got += std::string(followUp.navigate ? "N" : "-") + (followUp.relayout ? "R" : "-");
    }
    EXPECT_EQ(got, w.at(2));
  });
}

TEST(WindowRulesTest, CentringKeepsTheDialogOnTheScreen) {
  testing_support::ForEachRow("centring", [&](const std::vector<std::string>& w) {
    std::vector<int> n;
    for (const std::string& word : w) n.push_back(std::stoi(word));
    ASSERT_EQ(n.size(), 8u);
    int x = -1, y = -1;
    CentreOver(PixelRect{n[0], n[1], n[2], n[3]}, n[4], n[5], PixelRect{0, 0, 640, 480}, &x, &y);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(n[6], n[7]));
  });
}

}  // namespace
}  // namespace vantor

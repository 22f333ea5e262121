// Tests of the screen font fitting and the cell arithmetic, with a measurer standing in for GDI.
#include "look/cell_metrics.h"

#include <gtest/gtest.h>

#include <vector>

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

}  // namespace
}  // namespace vantor

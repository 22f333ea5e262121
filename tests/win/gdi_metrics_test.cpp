// The screen font measured with GDI: "Courier New" (Liberation Mono in the test prefix) at the point
// size, fitted to a page, the LOGFONT it is made from, and no font left selected or leaked.
#include "win/controls/gdi_metrics.h"

#include <gtest/gtest.h>

#include <string>

#include "win/base/gdi.h"
#include "settings/settings.h"

namespace vantor {
namespace {

class GdiMetricsTest : public ::testing::Test {
 protected:
  void SetUp() override { dc_ = GetDC(nullptr); }
  void TearDown() override { ReleaseDC(nullptr, dc_); }
  HDC dc_ = nullptr;
  Settings settings_;
};

TEST_F(GdiMetricsTest, CourierNewIsAFixedPitchFontOfTheAskedCharacterHeight) {
  GdiFontMeasurer measurer(dc_, settings_);
  FontMetrics tm;
  ASSERT_TRUE(measurer.Measure(14, 0, tm));
  // A negative LOGFONT height asks for the character height: the cell adds the internal leading.
  EXPECT_EQ(tm.height - tm.internalLeading, 14);
  EXPECT_GT(tm.internalLeading, 0);
  // The bit clear means fixed pitch; Liberation Mono measures 8 average, 9 at most at 14 pixels.
  EXPECT_EQ(tm.pitchAndFamily & kTmpfFixedPitch, 0);
  EXPECT_EQ(tm.aveCharWidth, 8);
  EXPECT_EQ(tm.maxCharWidth, 9);
}

TEST_F(GdiMetricsTest, PointSizeGivesTheFixedPitchCellFromTheWidestCharacter) {
  GdiFontMeasurer measurer(dc_, settings_);
  const int dpi = measurer.LogPixelsY();
  ASSERT_GT(dpi, 0);
  settings_.SetFontAutoSize(false);
  settings_.SetFontPointSize(10);
  settings_.SetExtraCellWidth(1);
  const CellMetrics m = UpdateCellMetrics(settings_, measurer, 240, 296);
  FontMetrics tm;
  ASSERT_TRUE(measurer.Measure(dpi * 10 / 72, 0, tm));
  EXPECT_EQ(m.fontHeight, tm.height);
  EXPECT_EQ(m.fontWidth, 0);
  EXPECT_EQ(m.cellHeight, tm.height + tm.internalLeading + tm.externalLeading + 2);
  EXPECT_EQ(m.cellWidth, tm.maxCharWidth + 1);
  EXPECT_EQ(settings_.CellWidth(), m.cellWidth);
  EXPECT_EQ(settings_.CellHeight(), m.cellHeight);
}

TEST_F(GdiMetricsTest, AutoSizeFitsEightyByTwentyFourIntoTheSmallPage) {
  settings_.SetFontAutoSize(true);
  settings_.SetScreenSize(80, 24);
  GdiFontMeasurer measurer(dc_, settings_);
  const CellMetrics m = UpdateCellMetrics(settings_, measurer, 240, 296);
  EXPECT_EQ(m.cellWidth, 3);
  EXPECT_EQ(m.cellHeight, 12);
  EXPECT_GE(m.fontHeight, 1);
  EXPECT_LE(m.fontHeight, 10);
  EXPECT_GE(m.fontWidth, 1);
  EXPECT_LE(m.fontWidth, 2);
}

TEST_F(GdiMetricsTest, MeasuringPutsTheContextsFontBackAndLeaksNothing) {
  HGDIOBJ before = GetCurrentObject(dc_, OBJ_FONT);
  const long live = gdi::LiveObjects();
  GdiFontMeasurer measurer(dc_, settings_);
  settings_.SetFontAutoSize(true);
  UpdateCellMetrics(settings_, measurer, 240, 296);
  settings_.SetFontAutoSize(false);
  UpdateCellMetrics(settings_, measurer, 240, 296);
  EXPECT_EQ(GetCurrentObject(dc_, OBJ_FONT), before);
  EXPECT_EQ(gdi::LiveObjects(), live);
}

TEST_F(GdiMetricsTest, LogFontCarriesTheScreenFontSettings) {
  settings_.SetFontSize(13, 6);
  settings_.SetFontQuality(3);
  settings_.SetFontOutPrecision(4);
  LOGFONTW bold = ToLogFont(ScreenFontFor(settings_, true));
  EXPECT_EQ(bold.lfHeight, -13);
  EXPECT_EQ(bold.lfWidth, 6);
  EXPECT_EQ(bold.lfWeight, 700);
  EXPECT_EQ(bold.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(bold.lfQuality, 3);
  EXPECT_EQ(bold.lfOutPrecision, 4);
  EXPECT_STREQ(bold.lfFaceName, L"Courier New");
  EXPECT_EQ(ToLogFont(ScreenFontFor(settings_, false)).lfWeight, 0);
  settings_.SetFontName(u"");
  LOGFONTW modern = ToLogFont(ScreenFontFor(settings_, false));
  EXPECT_EQ(modern.lfFaceName[0], L'\0');
  EXPECT_EQ(modern.lfPitchAndFamily, FF_MODERN);
}

TEST_F(GdiMetricsTest, OverlongFaceNameIsCutToTheLogFontBuffer) {
  ScreenFontRequest wanted;
  wanted.faceName = std::u16string(40, u'F');
  const LOGFONTW font = ToLogFont(wanted);
  EXPECT_EQ(std::wstring(font.lfFaceName), std::wstring(LF_FACESIZE - 1, L'F'));
}

TEST_F(GdiMetricsTest, PageMetricsNeedAWindow) {
  EXPECT_FALSE(ComputePageMetrics(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFFFFF0)), settings_));
  EXPECT_EQ(settings_.CellWidth(), 0);
}

}  // namespace
}  // namespace vantor

// The screen font measured with GDI: "Courier New" (Liberation Mono in the test prefix), fitted to a
// page, and no font left selected or leaked.
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

}  // namespace
}  // namespace vantor

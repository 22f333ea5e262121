// The toolbar's button windows: a click reaching the main window as a key, cancelled presses, GDI balance.
#include "win/toolbar/toolbar.h"

#include <gtest/gtest.h>

#include <memory>

#include "app_fixture_win.h"

namespace vantor {
namespace {

using namespace wintest;

class ToolbarWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    ShowWindow(main_, SW_SHOWNOACTIVATE);  // a popup: destroying a shown captioned window waits 2 s here
    baseline_ = gdi::LiveObjects();
    toolbar_ = std::make_unique<Toolbar>(main_, GetModuleHandleW(nullptr), 2);
    ASSERT_NE(toolbar_->BarWindow(), nullptr);
  }
  void TearDown() override {
    toolbar_.reset();
    EXPECT_EQ(gdi::LiveObjects(), baseline_) << "every picture and DC goes with the toolbar";
  }
  HWND Button(int index) const { return toolbar_->Button(index).buttonWindow; }
  std::size_t Keys() const { return host_.Of(WM_VDX_TOOLBARKEY).size(); }
  static void Down(HWND button) { SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); }
  static void Up(HWND button) { SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5)); }

  RecordingWindow host_{WS_POPUP | WS_CLIPCHILDREN};
  HWND main_ = host_.get();
  long baseline_ = 0;
  std::unique_ptr<Toolbar> toolbar_;
};

TEST_F(ToolbarWindows, OnlyAPressAndReleaseOnAnEnabledButtonSendsItsKeyAndPaintingLeaksNothing) {
  const HWND next = Button(3);
  toolbar_->SetKeyLabel(7, u"NEXT");
  Up(next);
  EXPECT_EQ(Keys(), 0u) << "a release without a press";
  Down(next);
  Up(next);
  ASSERT_EQ(Keys(), 1u);
  EXPECT_EQ(host_.Of(WM_VDX_TOOLBARKEY)[0].wParam, 7u);
  // Disabled while pressed: the press is cancelled and a later release sends nothing.
  Down(next);
  toolbar_->SetKeyLabel(7, u"next");
  EXPECT_FALSE(IsWindowEnabled(next));
  EXPECT_NE(GetCapture(), next);
  toolbar_->SetKeyLabel(7, u"NEXT");
  Up(next);
  // Another window taking the mouse cancels the press too.
  Down(next);
  SetCapture(main_);
  EXPECT_FALSE(toolbar_->Button(3).pressed);
  ReleaseCapture();
  Up(next);
  EXPECT_EQ(Keys(), 1u);
  // Pictures are held while the bar lives; painting and clicking hold nothing more.
  const long built = gdi::LiveObjects();
  EXPECT_GT(built, baseline_);
  for (int round = 0; round < 30; ++round) {
    RedrawWindow(toolbar_->BarWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Down(next);
    Up(next);
  }
  EXPECT_EQ(gdi::LiveObjects(), built);
  EXPECT_EQ(Keys(), 31u);
}

}  // namespace
}  // namespace vantor

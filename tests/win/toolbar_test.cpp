// The toolbar's button windows: clicks reaching the main window as keys, cancelled presses, GDI balance.
#include "win/toolbar/toolbar.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "win/base/messages.h"
#include "app_fixture_win.h"
#include "win/base/gdi.h"

namespace vantor {
namespace {

using namespace wintest;

class ToolBarWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    // A popup: under Wine without a window manager, destroying a shown captioned window waits 2 s.
    ASSERT_NE(main_, nullptr) << "error " << GetLastError();
    ShowWindow(main_, SW_SHOWNOACTIVATE);
    UpdateWindow(main_);
    baseline_ = gdi::LiveObjects();
  }
  void TearDown() override {
    toolbar_.reset();
    EXPECT_EQ(gdi::LiveObjects(), baseline_) << "every picture and DC is released with the toolbar";
    if (main_ != nullptr) DestroyWindow(main_);
    Pump();
  }
  // The keys the buttons sent to the main window, as (code, 0).
  std::vector<RecordedMessage> Keys() const { return host_.Of(WM_VDX_TOOLBARKEY); }
  void Build(int size) {
    toolbar_ = std::make_unique<Toolbar>(main_, GetModuleHandleW(nullptr), size);
    ASSERT_NE(toolbar_->BarWindow(), nullptr);
    UpdateWindow(main_);
    Pump();
  }
  HWND ButtonWindow(int index) const { return toolbar_->Button(index).buttonWindow; }
  void Click(HWND button, LPARAM downAt = MAKELPARAM(5, 5), LPARAM upAt = MAKELPARAM(5, 5)) {
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, downAt);
    SendMessageW(button, WM_LBUTTONUP, 0, upAt);
  }

  RecordingWindow host_{WM_USER, 0x7FFF, WS_POPUP | WS_CLIPCHILDREN};
  HWND main_ = host_.get();
  long baseline_ = 0;
  std::unique_ptr<Toolbar> toolbar_;
};

TEST_F(ToolBarWindows, ReleasingADefinedButtonSendsItsKeyToTheMainWindow) {
  Build(0);
  const HWND next = ButtonWindow(3);
  toolbar_->SetKeyLabel(7, u"NEXT");
  EXPECT_TRUE(IsWindowEnabled(next));
  Click(next);
  ASSERT_EQ(Keys().size(), 1u);
  EXPECT_EQ(Keys()[0].wparam, 7u);
  EXPECT_EQ(Keys()[0].lparam, 0);

  toolbar_->SetKeyLabel(7, u"next");
  EXPECT_FALSE(IsWindowEnabled(next));
  Click(next);
  EXPECT_EQ(Keys().size(), 1u) << "a disabled button sends nothing";
}

TEST_F(ToolBarWindows, AReleaseWithoutAPressOnTheButtonSendsNothing) {
  Build(0);
  const HWND clear = ButtonWindow(4);
  toolbar_->SetKeyLabel(2, u"CLEAR");
  SendMessageW(clear, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(Keys().empty());
  Click(clear);
  EXPECT_EQ(Keys().size(), 1u);
}

TEST_F(ToolBarWindows, DisablingAPressedButtonCancelsThePress) {
  Build(0);
  const HWND back = ButtonWindow(1);
  toolbar_->SetKeyLabel(3, u"BACK");
  SendMessageW(back, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ASSERT_EQ(GetCapture(), back);
  toolbar_->SetKeyLabel(3, u"OTHER");
  EXPECT_FALSE(IsWindowEnabled(back));
  EXPECT_NE(GetCapture(), back);
  EXPECT_FALSE(toolbar_->Button(1).pressed);
  toolbar_->SetKeyLabel(3, u"BACK");
  SendMessageW(back, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(Keys().empty()) << "the cancelled press must not fire on a later release";
}

TEST_F(ToolBarWindows, LosingTheCaptureCancelsThePress) {
  Build(0);
  const HWND exit = ButtonWindow(2);
  toolbar_->SetKeyLabel(8, u"EXIT");
  SendMessageW(exit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SetCapture(main_);  // a dialog or another window takes the mouse
  EXPECT_FALSE(toolbar_->Button(2).pressed);
  ReleaseCapture();
  SendMessageW(exit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(Keys().empty());
}

TEST_F(ToolBarWindows, PaintingLeavesTheGdiCountFlat) {
  Build(2);
  toolbar_->SetKeyLabel(5, u"EXIT");
  const long built = gdi::LiveObjects();
  EXPECT_GT(built, baseline_) << "the pictures are held while the bar lives";
  for (int round = 0; round < 30; ++round) {
    RedrawWindow(toolbar_->BarWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Click(ButtonWindow(2));
  }
  EXPECT_EQ(gdi::LiveObjects(), built);
  EXPECT_EQ(Keys().size(), 30u);
}

}  // namespace
}  // namespace vantor

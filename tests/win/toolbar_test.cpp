// Toolbar under Wine: bar and button windows, key labels, clicks reaching the main window, painting, GDI balance.
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

COLORREF Greyed(COLORREF c) {
  const toolbar::Rgb g = toolbar::GreyedColour({GetRValue(c), GetGValue(c), GetBValue(c)});
  return RGB(g.r, g.g, g.b);
}

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

TEST_F(ToolBarWindows, ReleaseOutsideTheButtonStillSendsTheKey) {
  Build(1);
  const HWND save = ButtonWindow(0);
  toolbar_->SetKeyLabel(21, u"SAVE");
  SendMessageW(save, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(GetCapture(), save);
  EXPECT_TRUE(toolbar_->Button(0).pressed);
  SendMessageW(save, WM_LBUTTONUP, 0, MAKELPARAM(-150, 400));
  EXPECT_NE(GetCapture(), save);
  EXPECT_FALSE(toolbar_->Button(0).pressed);
  ASSERT_EQ(Keys().size(), 1u);
  EXPECT_EQ(Keys()[0].wparam, 21u);
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

TEST_F(ToolBarWindows, ARebuiltBarStartsDisabledWithDefaultCodes) {
  Build(0);
  toolbar_->SetKeyLabel(7, u"NEXT");
  toolbar_->SetKeyLabel(9, u"SAVE");
  toolbar_.reset();
  WNDCLASSEXW info{};
  info.cbSize = sizeof info;
  EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"VdxCToolBar", &info)) << "class unregistered";
  EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"VdxCToolBarButton", &info));
  Build(2);
  const unsigned defaults[] = {1, 3, 8, 4, 2};
  for (int i = 0; i < toolbar::kButtonCount; ++i) {
    EXPECT_FALSE(IsWindowEnabled(ButtonWindow(i))) << i;
    EXPECT_EQ(toolbar_->Button(i).keyCode, defaults[i]) << i;
  }
}

TEST_F(ToolBarWindows, ButtonsAreDrawnGreyedUntilDefinedThenWithBevelAndPicture) {
  Build(1);  // 32-pixel pictures
  const HWND save = ButtonWindow(0);
  const int r = 35, b = 35;
  // Find a picture pixel that is not transparent.
  const COLORREF key = ResourcePixel(170, 0, 0);
  int px = -1, py = -1;
  for (int y = 8; y < 24 && px < 0; ++y)
    for (int x = 8; x < 24 && px < 0; ++x)
      if (ResourcePixel(170, x, y) != key) px = x, py = y;
  ASSERT_GE(px, 0);
  const COLORREF picture = ResourcePixel(170, px, py);

  RedrawWindow(save, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(PixelOf(save, 1, 0), RGB(191, 191, 191)) << "no bevel while disabled";
  EXPECT_EQ(PixelOf(save, r, 1), RGB(191, 191, 191));
  EXPECT_EQ(PixelOf(save, 0, 0), RGB(191, 191, 191)) << "transparent corner shows the face";
  EXPECT_EQ(PixelOf(save, 2 + px, 2 + py), Greyed(picture));

  toolbar_->SetKeyLabel(1, u"SAVE");
  EXPECT_EQ(PixelOf(save, 1, 0), RGB(230, 230, 230));
  EXPECT_EQ(PixelOf(save, r, 1), RGB(153, 153, 153));
  EXPECT_EQ(PixelOf(save, 5, b - 1), RGB(166, 166, 166));
  EXPECT_EQ(PixelOf(save, 2 + px, 2 + py), picture);

  SendMessageW(save, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(PixelOf(save, 1, 0), RGB(153, 153, 153)) << "pressed: the bevel inverts";
  EXPECT_EQ(PixelOf(save, r, 1), RGB(230, 230, 230));
  EXPECT_EQ(PixelOf(save, 2 + px, 2 + py), picture) << "the picture does not move";
  SendMessageW(save, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(PixelOf(save, 1, 0), RGB(230, 230, 230));
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

TEST_F(ToolBarWindows, MainWindowDestroyedFirstLeavesNoStaleBar) {
  Build(0);
  DestroyWindow(main_);
  main_ = nullptr;
  EXPECT_EQ(toolbar_->BarWindow(), nullptr);
  EXPECT_EQ(ButtonWindow(0), nullptr);
  toolbar_->SetKeyLabel(1, u"SAVE");  // harmless without windows
  toolbar_.reset();
}

TEST_F(ToolBarWindows, WithoutAMainWindowNoBarIsCreated) {
  toolbar_ = std::make_unique<Toolbar>(nullptr, GetModuleHandleW(nullptr), 0);
  EXPECT_EQ(toolbar_->BarWindow(), nullptr);
  EXPECT_EQ(toolbar_->BarHeight(), 27);
  toolbar_->SetKeyLabel(7, u"NEXT");
  EXPECT_EQ(toolbar_->Button(3).keyCode, 7u);
}

}  // namespace
}  // namespace vantor

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

// Every picture of the program as the resource loader sees it: size, colour depth and the key
// colour in its top-left pixel (the pixels would be shifted if the colour table were misdescribed).
TEST(ToolBarArtwork, PicturesLoadWithTheirSizeDepthAndKeyedCorner) {
  struct Art {
    int resource, width, height, bits;
    bool keyed;
  };
  std::vector<Art> art;
  for (const toolbar::FixedKey& fixed : toolbar::kButtons) {
    for (int set = 0; set < 3; ++set) {
      const bool fourBit = set == 2 && fixed.label == u"CLEAR";
      art.push_back({fixed.bitmap[static_cast<std::size_t>(set)], 16 * (set + 1), 16 * (set + 1), fourBit ? 4 : 8, true});
    }
  }
  art.push_back({155, 200, 70, 8, false});
  art.push_back({131, 33, 64, 8, true});
  art.push_back({132, 48, 54, 8, true});
  art.push_back({153, 50, 35, 8, true});
  art.push_back({154, 52, 33, 8, true});
  art.push_back({152, 93, 36, 8, true});
  for (int i = 0; i < 4; ++i) art.push_back({148 + i, 64, 48, 8, true});
  for (int i = 0; i < 10; ++i) art.push_back({159 + i, 29, 39, 8, true});

  for (const Art& a : art) {
    SCOPED_TRACE(a.resource);
    gdi::Bitmap dib(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(a.resource),
                                                    IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    ASSERT_TRUE(dib);
    DIBSECTION section{};
    ASSERT_EQ(GetObjectW(dib.get(), sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, a.width);
    EXPECT_EQ(section.dsBm.bmHeight, a.height);
    EXPECT_EQ(section.dsBmih.biBitCount, a.bits);
    if (!a.keyed) continue;
    gdi::Bitmap ddb(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(a.resource), IMAGE_BITMAP, 0, 0, 0)));
    gdi::WindowDc screen(nullptr);
    gdi::MemoryDc dc(screen.get());
    gdi::Select select(dc.get(), ddb.get());
    ASSERT_TRUE(select.ok());
    EXPECT_EQ(GetPixel(dc.get(), 0, 0), RGB(255, 0, 255));
    // The key colour is the picture's surround, and the picture itself is a good part of it.
    int painted = 0;
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x) painted += GetPixel(dc.get(), x, y) != RGB(255, 0, 255);
    EXPECT_GE(painted, a.width * a.height / 12);
    EXPECT_LT(painted, a.width * a.height);
  }
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

TEST_F(ToolBarWindows, BarAndButtonsArePlacedBySize) {
  RECT client{};
  GetClientRect(main_, &client);
  struct Case {
    int setting, barHeight, button;
  };
  for (const Case& c : {Case{0, 27, 20}, Case{1, 43, 36}, Case{2, 59, 52}, Case{5, 27, 20}}) {
    SCOPED_TRACE(c.setting);
    Build(c.setting);
    const HWND bar = toolbar_->BarWindow();
    EXPECT_EQ(toolbar_->BarHeight(), c.barHeight);
    EXPECT_EQ(ClassOf(bar), L"VdxCToolBar");
    EXPECT_EQ(TitleOf(bar), L"TOOLBAR");
    EXPECT_EQ(GetParent(bar), main_);
    const RECT barRect = RectInParent(bar);
    EXPECT_EQ(barRect.left, 0);
    EXPECT_EQ(barRect.top, 0);
    EXPECT_EQ(barRect.right, client.right);
    EXPECT_EQ(barRect.bottom, c.barHeight);
    const wchar_t* labels[] = {L"SAVE", L"BACK", L"EXIT", L"NEXT", L"CLEAR"};
    for (int i = 0; i < toolbar::kButtonCount; ++i) {
      const HWND button = ButtonWindow(i);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(ClassOf(button), L"VdxCToolBarButton");
      EXPECT_EQ(TitleOf(button), labels[i]);
      EXPECT_EQ(GetDlgCtrlID(button), i);
      EXPECT_EQ(GetParent(button), bar);
      EXPECT_TRUE(IsWindowVisible(button));
      EXPECT_FALSE(IsWindowEnabled(button)) << "usable only once the host defines the key";
      const RECT r = RectInParent(button);
      EXPECT_EQ(r.left, 4 + i * c.barHeight);
      EXPECT_EQ(r.top, 4);
      EXPECT_EQ(r.right - r.left, c.button) << "the picture was loaded at its set's size";
      EXPECT_EQ(r.bottom - r.top, c.button);
    }
    toolbar_.reset();
    EXPECT_FALSE(IsWindow(bar));
  }
}

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

TEST_F(ToolBarWindows, BarIsDrawnWithItsEdgeLines) {
  Build(0);
  const HWND bar = toolbar_->BarWindow();
  RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(PixelOf(bar, 200, 0), RGB(140, 140, 140));
  EXPECT_EQ(PixelOf(bar, 200, 3), RGB(178, 178, 178));
  EXPECT_EQ(PixelOf(bar, 200, 10), RGB(191, 191, 191));
  EXPECT_EQ(PixelOf(bar, 200, 25), RGB(166, 166, 166));
  EXPECT_EQ(PixelOf(bar, 200, 26), RGB(64, 64, 64));
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

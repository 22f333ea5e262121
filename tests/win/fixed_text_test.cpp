// Fixed text and system line windows: joined reverse frames, underline, clock text, blink and GDI use.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "win/base/messages.h"
#include "app_fixture_win.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "win/controls/control_classes.h"
#include "model/field.h"
#include "win/controls/fixed_text.h"
#include "model/page.h"
#include "win/controls/page_window.h"
#include "win/controls/system_line.h"

namespace vantor {
namespace {

using namespace wintest;

class FixedTextTest : public PageFixture {
 protected:
  Field& Add(int id, int row, int column, int width, int mode, std::u16string_view text, std::uint8_t attributes = 0) {
    Field& field = AddField(id, row, column, width, mode, kTypeText, text);
    field.attributes = attributes;
    return field;
  }

  // Paints a control into an off-screen image and reads pixels from it.
  struct Image {
    gdi::WindowDc screen{nullptr};
    std::unique_ptr<gdi::Canvas> canvas;
    int width = 0, height = 0;
    COLORREF At(int x, int y) const { return GetPixel(canvas->dc(), x, y); }
  };
  std::unique_ptr<Image> Paint(Field& field) {
    auto image = std::make_unique<Image>();
    RECT client{};
    GetClientRect(Hwnd(field), &client);
    image->width = client.right;
    image->height = client.bottom;
    image->canvas = std::make_unique<gdi::Canvas>(image->screen.get(), client.right, client.bottom);
    if (field.Mode() == kModeSystem) PaintSystemLine(Hwnd(field), image->canvas->dc(), field, settings_);
    else PaintFixedText(Hwnd(field), image->canvas->dc(), field, settings_);
    return image;
  }
};

constexpr COLORREF kPage = RGB(149, 178, 195);
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST_F(FixedTextTest, ReverseNeighboursOnARowShowOneFrame) {
  Field& left = Add(1, 2, 0, 4, kModeDisplay, u"", kVideoReverse);
  Field& right = Add(2, 2, 4, 4, kModeDisplay, u"", kVideoReverse);
  Field& lone = Add(3, 5, 0, 4, kModeDisplay, u"", kVideoReverse);
  Refresh();
  auto a = Paint(left);
  auto b = Paint(right);
  auto c = Paint(lone);
  const int mid = a->height / 2;
  ASSERT_GT(a->width, 8);
  EXPECT_EQ(a->At(0, mid), kPage);  // outer edges carry the frame
  EXPECT_EQ(b->At(b->width - 1, mid), kPage);
  EXPECT_EQ(a->At(a->width - 1, mid), kWhite);  // the shared edge is fill
  EXPECT_EQ(b->At(0, mid), kWhite);
  EXPECT_EQ(c->At(c->width - 1, mid), kPage);
  EXPECT_EQ(a->At(a->width / 2, 0), kPage);
}

TEST_F(FixedTextTest, PlainFixedTextIsUnderlinedInNormalColourMode) {
  settings_.ApplySettingsText("UnderlineFixedTextMode=false\r\nShowWaterMark=false\r\n");
  SendMessageW(pageWindow_, WM_VDX_RELAYOUT, 0, 0);  // the metrics ride in the settings
  Field& field = Add(1, 1, 0, 6, kModeDisplay, u"");
  Refresh();
  auto image = Paint(field);
  EXPECT_EQ(image->At(image->width / 2, image->height - 2), kWhite);
  EXPECT_EQ(image->At(image->width / 2, image->height / 2), kPage);
}

TEST_F(FixedTextTest, FixedTextDrawsItsCharacters) {
  Field& blank = Add(1, 1, 0, 6, kModeDisplay, u"");
  Field& text = Add(2, 2, 0, 6, kModeDisplay, u"WWWWWW");
  Refresh();
  auto a = Paint(blank);
  auto b = Paint(text);
  int differing = 0;
  for (int y = 1; y < a->height - 2; ++y) {
    for (int x = 1; x < a->width - 1; ++x) differing += a->At(x, y) != b->At(x, y);
  }
  EXPECT_GT(differing, 10);
}

TEST_F(FixedTextTest, ZeroWidthFieldsPaintOnlyTheirBackground) {
  Field& fixed = Add(1, 1, 0, 0, kModeDisplay, u"x");
  Field& system = Add(2, 2, 0, 0, kModeSystem, u"");
  Refresh();
  ASSERT_NE(Hwnd(fixed), nullptr);
  InvalidateRect(Hwnd(fixed), nullptr, FALSE);
  InvalidateRect(Hwnd(system), nullptr, FALSE);
  UpdateWindow(Hwnd(fixed));
  UpdateWindow(Hwnd(system));
  EXPECT_EQ(system.Text(), u"");
}

TEST_F(FixedTextTest, ClockTextBlinksItsColonAndDateHasItsPicture) {
  SYSTEMTIME time{};
  time.wYear = 2026;
  time.wMonth = 12;
  time.wDay = 6;
  time.wHour = 9;
  time.wMinute = 5;
  time.wSecond = 7;
  EXPECT_EQ(FormatSystemLine(time, false), u"09 05");
  time.wSecond = 8;
  EXPECT_EQ(FormatSystemLine(time, false), u"09:05");
  EXPECT_EQ(FormatSystemLine(time, true).size(), 9u);
  EXPECT_EQ(FormatSystemLine(time, true).substr(0, 3), u"06-");
}

TEST_F(FixedTextTest, SystemLineShowsTheCurrentTimeCutToItsWidth) {
  Field& full = Add(1, 0, 0, 8, kModeSystem, u"");
  Field& cut = Add(2, 1, 0, 4, kModeSystem, u"");
  Refresh();
  SYSTEMTIME before{};
  GetLocalTime(&before);
  Paint(full);
  Paint(cut);
  SYSTEMTIME after{};
  GetLocalTime(&after);
  const std::u16string a = FormatSystemLine(before, false), b = FormatSystemLine(after, false);
  EXPECT_TRUE(full.Text() == a || full.Text() == b) << std::string(full.Text().begin(), full.Text().end());
  EXPECT_TRUE(cut.Text() == a.substr(0, 4) || cut.Text() == b.substr(0, 4));
}

TEST_F(FixedTextTest, BlinkTicksRepaintWithoutHoldingGdiObjects) {
  Add(1, 0, 0, 8, kModeSystem, u"");
  Add(2, 1, 0, 6, kModeDisplay, u"blink", kVideoBlink);
  Add(3, 2, 0, 6, kModeDisplay, u"rev", kVideoReverse);
  Field& still = Add(4, 3, 0, 6, kModeDisplay, u"still");
  Refresh();
  ShowWindow(main_.get(), SW_SHOWNORMAL);
  wintest::Pump();
  const long before = gdi::LiveObjects();
  for (int i = 0; i < 100; ++i) {
    SendMessageW(pageWindow_, WM_TIMER, kBlinkTimer, 0);
    for (HWND child = GetWindow(pageWindow_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      UpdateWindow(child);
    }
  }
  EXPECT_EQ(gdi::LiveObjects(), before);
  EXPECT_EQ(page_.Fields().Find(2)->blinkPhase, page_.blinkPhase);
  EXPECT_EQ(still.blinkPhase, 0);  // only blinking texts follow the phase
}

}  // namespace
}  // namespace vantor

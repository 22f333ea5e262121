// The button family's windows: taps, keys, focus reports, radio groups, auto-send order and painting.
#include "win/controls/button_controls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "win/base/messages.h"
#include "app_fixture_win.h"
#include "field_helpers.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "win/controls/control_classes.h"
#include "look/drawn_controls.h"
#include "model/field.h"
#include "model/page.h"
#include "platform/file.h"
#include "win/controls/page_window.h"

namespace vantor {
namespace {

using namespace wintest;

class ButtonControlsTest : public PageFixture {
 protected:
  void SetUp() override {
    PageFixture::SetUp();
    ShowWindow(main_.get(), SW_SHOWNOACTIVATE);
  }

  Field& Add(int id, int row, int width, int mode, int type, std::u16string_view text, std::uint8_t extra = 0) {
    Field& field = testing_support::AddField(page_.Fields(), id, row, 0, width);
    field.flags = static_cast<std::uint8_t>(mode | extra);
    field.type = static_cast<std::uint8_t>(type);
    field.SetMaxLength(30);
    field.SetText(text);
    return field;
  }
  HWND Make(Field& field) {
    Refresh();
    main_.clear();
    return Hwnd(field);
  }
  void Tap(HWND window) {
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  }
  // The session enables the page in front before the operator may use it.
  void Activate() {
    EnableWindow(pageWindow_, TRUE);
    SetForegroundWindow(main_.get());
    SetActiveWindow(main_.get());
  }
  void Key(HWND window, UINT key) { SendMessageW(window, WM_KEYDOWN, key, 1); }
  // The custom messages the main window got, as (message, wParam, lParam) in order.
  std::vector<wintest::RecordedMessage> Reports() const { return main_.messages(); }
};

void ExpectReport(const wintest::RecordedMessage& m, UINT message, WPARAM wparam, LPARAM lparam) {
  EXPECT_EQ(m.message, message);
  EXPECT_EQ(m.wparam, wparam);
  EXPECT_EQ(m.lparam, lparam);
}

TEST_F(ButtonControlsTest, DisplayModeButtonsIgnoreTapsAndSpaceButReportEnter) {
  settings_.SetEnterSendsKey(true);
  Field& box = Add(5, 1, 6, kModeDisplay, kTypeCheckBox, u" Yes", kFlagAutoSend);
  Field& button = Add(7, 2, 6, kModeDisplay, kTypeButton, u"Go");
  HWND window = Make(box);
  Tap(Hwnd(button));
  EXPECT_EQ(button.modified, 0);
  Tap(window);
  Key(window, VK_SPACE);
  Key(window, VK_TAB);
  EXPECT_EQ(box.Text(), u" Yes");
  EXPECT_EQ(box.modified, 0);
  EXPECT_TRUE(Reports().empty());
  Key(window, VK_RETURN);
  auto reports = Reports();
  ASSERT_EQ(reports.size(), 1u);
  ExpectReport(reports[0], WM_VDX_KEY, 5, 0);
}

TEST_F(ButtonControlsTest, FocusReportsEveryClassButTheSelectButton) {
  Field& button = Add(1, 1, 6, kModeInput, kTypeButton, u"OK");
  Field& select = Add(2, 2, 6, kModeInput, kTypeSelectButton, u" Pick");
  Field& box = Add(3, 3, 6, kModeInput, kTypeCheckBox, u" Box");
  Field& radio = Add(4, 4, 6, kModeInput, kTypeRadioButton, u" Radio");
  Make(button);
  Activate();
  for (Field* field : {&select, &button, &box, &radio}) {
    main_.clear();
    SendMessageW(Hwnd(*field), WM_SETCURSOR, reinterpret_cast<WPARAM>(Hwnd(*field)), kFocusRequest);
    EXPECT_EQ(GetFocus(), Hwnd(*field)) << field->id;
    const auto focused = main_.Of(WM_VDX_FIELD_FOCUSED);
    if (field == &select) {
      EXPECT_TRUE(focused.empty());
    } else {
      ASSERT_EQ(focused.size(), 1u) << field->id;
      EXPECT_EQ(focused[0].wparam, static_cast<WPARAM>(field->id));
    }
  }
}

TEST_F(ButtonControlsTest, LosingTheFocusReleasesAPressedButton) {
  Field& button = Add(7, 1, 6, kModeInput, kTypeButton, u"Go");
  Field& other = Add(8, 2, 6, kModeInput, kTypeCheckBox, u" x");
  HWND window = Make(button);
  Activate();
  SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), kFocusRequest);
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  ASSERT_EQ(GetFocus(), window);
  ASSERT_EQ(button.checked, 1);
  SetFocus(Hwnd(other));
  EXPECT_EQ(button.checked, 0);
}

// ---- painting ------------------------------------------------------------------------------------

TEST_F(ButtonControlsTest, PushButtonDrawsOutlineGradientAndOpenCorners) {
  Field& button = Add(1, 1, 8, kModeInput, kTypeButton, u"");
  HWND window = Make(button);
  RECT client{};
  GetClientRect(window, &client);
  ASSERT_GE(client.bottom, 6);
  const auto table = ButtonTable(0, client.bottom - 1);
  EXPECT_EQ(PixelOf(window, 0, 0), kDefaultPageBackground);
  EXPECT_EQ(PixelOf(window, 2, 0), kOutlineColour);
  EXPECT_EQ(PixelOf(window, 0, 2), kOutlineColour);
  EXPECT_EQ(PixelOf(window, 4, 1), table[0]);
  EXPECT_EQ(PixelOf(window, 4, 3), table[2]);
  // Pressed: the gradient upside down.
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(PixelOf(window, 4, 1), table[table.size() - 1]);
  SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(PixelOf(window, 4, 1), table[0]);
}

TEST_F(ButtonControlsTest, CheckBoxDrawsTickAndInteriorAndEngravedLooksGrey) {
  Field& box = Add(1, 1, 8, kModeInput, kTypeCheckBox, u"X");
  box.checkSize = 1;
  Field& grey = Add(2, 2, 8, kModeDisplay, kTypeCheckBox, u" ");
  HWND window = Make(box);
  RECT client{};
  GetClientRect(window, &client);
  const Box area{0, 0, client.right, client.bottom};
  const int s = MarkSizeFor(CellWidthFor(area, 8), 1, area);
  ASSERT_GE(s, 6);
  const Box mark = MarkBoxFor(area, s, false, true);
  // The tick passes through the middle of the box; the frame's dark top line sits above it.
  const auto tick = TickPolygon(mark, s);
  EXPECT_EQ(PixelOf(window, tick[4].x, tick[4].y), kBlack);
  EXPECT_EQ(PixelOf(window, mark.left + 1, mark.top - 1), kFrameDark);
  // Unchecked: the interior is white (grey in display mode).
  box.SetText(u" ");
  EXPECT_EQ(PixelOf(window, tick[4].x, tick[4].y), kWhite);
  EXPECT_EQ(PixelOf(Hwnd(grey), tick[4].x, tick[4].y), kFrameLight);
}

TEST_F(ButtonControlsTest, RadioButtonDrawsItsDotOnlyWhenChecked) {
  Field& radio = Add(1, 1, 8, kModeInput, kTypeRadioButton, u"X");
  HWND window = Make(radio);
  RECT client{};
  GetClientRect(window, &client);
  const Box area{0, 0, client.right, client.bottom};
  const Box mark = MarkBoxFor(area, MarkSizeFor(CellWidthFor(area, 8), 1, area), false, false);
  const int cx = (mark.left + mark.right) / 2;
  const int cy = (mark.top + mark.bottom) / 2;
  EXPECT_EQ(PixelOf(window, cx, cy), kBlack);
  radio.SetText(u" ");
  EXPECT_NE(PixelOf(window, cx, cy), kBlack);
}

// Custom colours letter the labels of check boxes and radio buttons in ForeGroundColor; push and select
// button labels stay black.
TEST_F(ButtonControlsTest, CustomColoursLetterOnlyTheBoxLabels) {
  TempDir dir;
  const std::filesystem::path file = dir.File(L"Vantor.ini");
  ASSERT_TRUE(files::WriteWhole(file.u16string(), "CustomColorMode=true\r\nForeGroundColor=FF0000\r\n"));
  Settings custom(file);
  ASSERT_TRUE(custom.ReadSettings());
  ASSERT_TRUE(custom.CustomColours());
  ASSERT_EQ(custom.TextColour(), RGB(255, 0, 0));
  custom.SetFontSize(settings_.FontHeight(), settings_.FontWidth());
  custom.SetCellSize(settings_.CellWidth(), settings_.CellHeight());
  state_.settings = &custom;
  const std::u16string label = u"XWWWWWW";
  const struct {
    int type;
    bool red;
  } cases[] = {{kTypeButton, false}, {kTypeSelectButton, false}, {kTypeCheckBox, true}, {kTypeRadioButton, true}};
  int row = 1;
  for (const auto& c : cases) {
    Field& field = Add(row, row, 10, kModeInput, c.type, label);
    ++row;
    HWND window = Make(field);
    RECT client{};
    GetClientRect(window, &client);
    ASSERT_GT(client.right, 20);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    gdi::WindowDc dc(window);
    bool red = false;
    for (int y = 0; y < client.bottom && !red; ++y) {
      for (int x = 0; x < client.right && !red; ++x) {
        const COLORREF pixel = GetPixel(dc.get(), x, y);  // smoothed letters: reddish is enough
        red = GetRValue(pixel) > 160 && GetGValue(pixel) < 96 && GetBValue(pixel) < 96;
      }
    }
    EXPECT_EQ(red, c.red) << "field type " << c.type;
  }
  state_.settings = &settings_;
}

TEST_F(ButtonControlsTest, PaintingLeavesNoGdiObjectBehind) {
  Field& a = Add(1, 1, 8, kModeInput, kTypeButton, u"A");
  Field& b = Add(2, 2, 8, kModeInput, kTypeSelectButton, u"XB");
  Field& c = Add(3, 3, 8, kModeInput, kTypeCheckBox, u"XC");
  Field& d = Add(4, 4, 8, kModeInput, kTypeRadioButton, u"XD");
  Make(a);
  const long before = gdi::LiveObjects();
  for (Field* field : {&a, &b, &c, &d}) {
    RedrawWindow(Hwnd(*field), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  EXPECT_EQ(gdi::LiveObjects(), before);
}

}  // namespace
}  // namespace vantor

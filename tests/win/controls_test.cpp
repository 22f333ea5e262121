// The page window and the controls it makes from the field records: the windows, focus requests and
// reports, typing and paste, blinking, placement, and painting against literal colours without leaks.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app_fixture_win.h"
#include "model/field.h"
#include "model/page.h"
#include "settings/settings.h"
#include "win/base/gdi.h"
#include "win/base/messages.h"
#include "win/controls/control_classes.h"
#include "win/controls/entry_field.h"
#include "win/controls/fixed_text.h"
#include "win/controls/page_window.h"
#include "win/controls/system_line.h"

namespace vantor {
namespace {

using namespace wintest;

constexpr COLORREF kPage = RGB(149, 178, 195);
constexpr COLORREF kWhite = RGB(255, 255, 255);

bool PutClipboardText(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  bool ok = false;
  if (void* data = memory ? GlobalLock(memory) : nullptr) {
    memcpy(data, text.c_str(), bytes);
    GlobalUnlock(memory);
    ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  }
  if (!ok && memory) GlobalFree(memory);
  CloseClipboard();
  return ok;
}

class ControlsTest : public PageFixture {
 protected:
  void SetUp() override {
    PageFixture::SetUp();
    ShowWindow(main_.get(), SW_SHOWNORMAL);  // pixels can be read back from a shown window only
    EnableWindow(pageWindow_, TRUE);
    SetForegroundWindow(main_.get());
    SetActiveWindow(main_.get());
  }
  void RequestFocus(const Field& field, LPARAM form = kFocusRequest) {
    SendMessageW(Hwnd(field), WM_SETCURSOR, reinterpret_cast<WPARAM>(Hwnd(field)), form);
  }
  void Type(const Field& field, std::wstring_view text) {
    for (wchar_t c : text) SendMessageW(Hwnd(field), WM_CHAR, c, 1);
  }
  // A control painted into an off-screen image.
  struct Image {
    gdi::WindowDc screen{nullptr};
    std::unique_ptr<gdi::Canvas> canvas;
    int width = 0, height = 0;
    COLORREF At(int x, int y) const { return GetPixel(canvas->dc(), x, y); }
    int CountOf(COLORREF colour) const {
      int count = 0;
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) count += At(x, y) == colour;
      }
      return count;
    }
  };
  std::unique_ptr<Image> Paint(Field& field) {
    auto image = std::make_unique<Image>();
    RECT client{};
    GetClientRect(Hwnd(field), &client);
    image->width = client.right;
    image->height = client.bottom;
    image->canvas = std::make_unique<gdi::Canvas>(image->screen.get(), client.right, client.bottom);
    if (field.Mode() == kModeSystem) PaintSystemLine(Hwnd(field), image->canvas->dc(), field, settings_);
    else if (field.Mode() == kModeInput) PaintEntryField(Hwnd(field), image->canvas->dc(), field, settings_, false);
    else PaintFixedText(Hwnd(field), image->canvas->dc(), field, settings_);
    return image;
  }
  // Pixels of the window as shown now that differ from its background at the left edge.
  static int Inked(HWND window) {
    PixelOf(window, 0, 0);  // every pending paint done
    gdi::WindowDc dc(window);
    RECT client{};
    GetClientRect(window, &client);
    const COLORREF background = GetPixel(dc.get(), 1, client.bottom / 2);
    int count = 0;
    for (int x = 2; x < client.right - 2; ++x) {
      for (int y = 2; y < client.bottom - 2; ++y) count += GetPixel(dc.get(), x, y) != background;
    }
    return count;
  }
};

TEST_F(ControlsTest, RefreshMakesOneChildPerShownRecordAndRecreatesOnlyWhenAsked) {
  Field& entry = AddField(2, 1, 3, 10, kModeInput, kTypeText, u"abc");
  Field& fixed = AddField(5, 0, 0, 8, kModeDisplay, kTypeText, u"Hello");
  Field& none = AddField(8, 6, 0, 6, kModeNone, kTypeText, u"none");
  Field& hidden = AddField(10, 8, 0, 5, kModeInput, kTypeText);
  hidden.attributes = kAttrHidden;
  Refresh();
  EXPECT_EQ(none.window, 0u);
  for (Field* field : {&entry, &fixed, &hidden}) {
    ASSERT_NE(Hwnd(*field), nullptr) << field->id;
    EXPECT_EQ(GetParent(Hwnd(*field)), pageWindow_);
    EXPECT_EQ(GetDlgCtrlID(Hwnd(*field)), field->id);
    EXPECT_EQ(FieldOfControl(Hwnd(*field)), field);
    EXPECT_EQ((GetWindowLongW(Hwnd(*field), GWL_STYLE) & WS_VISIBLE) != 0, field != &hidden) << field->id;
  }
  EXPECT_EQ(TitleOf(Hwnd(fixed)), L"Hello");
  HWND first = Hwnd(fixed);
  Refresh();
  EXPECT_EQ(Hwnd(fixed), first);
  fixed.type = kTypeButton;
  fixed.recreate = 1;
  Refresh();
  EXPECT_FALSE(IsWindow(first));
  EXPECT_NE(ClassOf(Hwnd(fixed)), L"VdxFixed");
  EXPECT_EQ(fixed.recreate, 0);
  DiscardControlWindow(Hwnd(fixed));
  EXPECT_FALSE(IsWindow(Hwnd(fixed)));
}

TEST_F(ControlsTest, FocusRequestIsAnsweredOnlyInItsExactFormAndReportedByAllButTheSelectButton) {
  Field& entry = AddField(1, 0, 0, 5, kModeInput, kTypeText);
  Field& serialEntry = AddField(2, 1, 0, 5, kModeInput, kTypeText);
  serialEntry.serial = 1;
  Field& fixed = AddField(3, 2, 0, 5, kModeDisplay, kTypeText, u"t");
  Field& button = AddField(4, 3, 0, 5, kModeInput, kTypeButton, u"b");
  Field& select = AddField(5, 4, 0, 6, kModeInput, kTypeSelectButton, u" Pick");
  Field& box = AddField(6, 5, 0, 6, kModeInput, kTypeCheckBox, u" Box");
  Field& radio = AddField(7, 6, 0, 6, kModeInput, kTypeRadioButton, u" Radio");
  Refresh();
  SetFocus(main_.get());
  RequestFocus(entry, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  RequestFocus(serialEntry);
  RequestFocus(fixed);
  EXPECT_EQ(GetFocus(), main_.get());
  for (Field* field : {&entry, &select, &button, &box, &radio}) {
    RequestFocus(*field);
    EXPECT_EQ(GetFocus(), Hwnd(*field)) << field->id;
  }
  EXPECT_EQ(entry.hasFocus, 0);
  const auto focused = main_.Of(WM_VDX_FIELD_FOCUSED);
  std::vector<WPARAM> ids;
  for (const RecordedMessage& m : focused) ids.push_back(m.wparam);
  EXPECT_EQ(ids, (std::vector<WPARAM>{1, 4, 6, 7}));
}

TEST_F(ControlsTest, LosingTheFocusReleasesAPressedButton) {
  Field& button = AddField(7, 1, 0, 6, kModeInput, kTypeButton, u"Go");
  Field& other = AddField(8, 2, 0, 6, kModeInput, kTypeCheckBox, u" x");
  Refresh();
  RequestFocus(button);
  SendMessageW(Hwnd(button), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  ASSERT_EQ(button.checked, 1);
  SetFocus(Hwnd(other));
  EXPECT_EQ(button.checked, 0);
}

TEST_F(ControlsTest, TypingAndEnterReportToTheMainWindowAndStrayKeysGoToTheFocusedEntry) {
  Field& field = AddField(4, 1, 0, 8, kModeInput, kTypeText, u"old");
  Field& other = AddField(5, 2, 0, 2, kModeInput, kTypeText);
  Refresh();
  RequestFocus(field);
  ASSERT_EQ(GetFocus(), Hwnd(field));
  EXPECT_EQ(field.hasFocus, 1);
  Type(field, L"a");
  Type(other, L"b");  // a key for an unfocused field belongs to the focused one
  EXPECT_EQ(field.Text(), u"ab");  // the first key replaced the old value
  EXPECT_EQ(other.Text(), u"");
  EXPECT_EQ(field.modified, 1);
  EXPECT_GT(field.caretX, 2);
  Type(field, L"\r");
  const auto keys = main_.Of(WM_VDX_KEY);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].wparam, 4u);
  EXPECT_EQ(keys[0].lparam, 0);
}

TEST_F(ControlsTest, PasteGoesThroughTheTypingRulesAndNeverRecurses) {
  Field& field = AddField(1, 1, 0, 4, kModeInput, kTypeText);
  field.flags |= kFlagNumeric;
  Refresh();
  RequestFocus(field);
  ASSERT_TRUE(PutClipboardText(main_.get(), L"1x2\x16" L"345"));  // a Ctrl+V inside must not paste again
  Type(field, L"\x16");
  EXPECT_EQ(field.Text(), u"1234");
}

TEST_F(ControlsTest, TextSetByTheTerminalIsPaintedAtOnce) {
  Field& entry = AddField(1, 1, 0, 4, kModeInput, kTypeText);
  Field& fixed = AddField(2, 2, 0, 4, kModeDisplay, kTypeText);
  Refresh();
  for (Field* field : {&entry, &fixed}) {
    EXPECT_EQ(Inked(Hwnd(*field)), 0) << field->id;
    field->SetText(u"WWWW");
    SendMessageW(Hwnd(*field), WM_VDX_FIELD_EDITED, 0, 0);
    InvalidateRect(Hwnd(*field), nullptr, FALSE);  // a fixed text is repainted by its page's refresh
    EXPECT_GT(Inked(Hwnd(*field)), 0) << field->id;
  }
}

TEST_F(ControlsTest, PaintedColours) {
  Field& entry = AddField(1, 1, 0, 6, kModeInput, kTypeText);
  Field& left = AddField(2, 2, 0, 4, kModeDisplay, kTypeText);
  Field& right = AddField(3, 2, 4, 4, kModeDisplay, kTypeText);
  Field& lone = AddField(4, 5, 0, 4, kModeDisplay, kTypeText);
  for (Field* field : {&left, &right, &lone}) field->attributes = kVideoReverse;
  Field& radio = AddField(5, 6, 0, 8, kModeInput, kTypeRadioButton, u"X");
  Refresh();
  RequestFocus(entry);
  auto focused = Paint(entry);
  EXPECT_EQ(focused->At(0, 0), kPage);  // frame
  EXPECT_EQ(focused->At(focused->width - 4, focused->height / 2), RGB(255, 240, 158));
  // Reverse neighbours on a row show one frame: outer edges framed, the shared edge filled.
  auto a = Paint(left), b = Paint(right), c = Paint(lone);
  const int mid = a->height / 2;
  EXPECT_EQ(a->At(0, mid), kPage);
  EXPECT_EQ(a->At(a->width / 2, 0), kPage);
  EXPECT_EQ(b->At(b->width - 1, mid), kPage);
  EXPECT_EQ(a->At(a->width - 1, mid), kWhite);
  EXPECT_EQ(b->At(0, mid), kWhite);
  EXPECT_EQ(c->At(c->width - 1, mid), kPage);
  // A radio button's dot shows only when checked.
  const int checked = Inked(Hwnd(radio));
  radio.SetText(u" ");
  EXPECT_LT(Inked(Hwnd(radio)), checked);
  EXPECT_EQ(PixelOf(pageWindow_, 2, 2), kPage);
}

TEST_F(ControlsTest, PlainFixedTextIsUnderlinedInNormalColourMode) {
  settings_.ApplySettingsText("UnderlineFixedTextMode=false\r\nShowWaterMark=false\r\n");
  SendMessageW(pageWindow_, WM_VDX_RELAYOUT, 0, 0);  // the metrics ride in the settings
  Field& field = AddField(1, 1, 0, 6, kModeDisplay, kTypeText);
  Refresh();
  auto image = Paint(field);
  EXPECT_EQ(image->At(image->width / 2, image->height - 2), kWhite);
  EXPECT_EQ(image->At(image->width / 2, image->height / 2), kPage);
}

TEST_F(ControlsTest, ControlsArePlacedInCellsAndMovedByARelayout) {
  Field& field = AddField(1, 2, 3, 4, kModeInput, kTypeText);
  Refresh();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "created" : "relaid out");
    const int cw = settings_.CellWidth();
    const int ch = settings_.CellHeight();
    ASSERT_GT(cw, 0);
    const RECT rect = RectInParent(Hwnd(field));
    EXPECT_EQ(rect.left, 3 * cw);
    EXPECT_EQ(rect.top, 2 * ch);
    EXPECT_EQ(rect.right - rect.left, 4 * cw);
    EXPECT_EQ(rect.bottom - rect.top, ch);
    settings_.SetFontPointSize(settings_.FontPointSize() * 3);
    SendMessageW(pageWindow_, WM_VDX_RELAYOUT, 0, 0);
    if (round == 0) {
      EXPECT_GT(settings_.CellWidth(), cw);
    }
  }
}

TEST_F(ControlsTest, BlinkTicksToggleOnlyBlinkingControlsAndPaintingHoldsNoGdiObjects) {
  Field& blinking = AddField(1, 0, 0, 5, kModeDisplay, kTypeText, u"b");
  blinking.attributes = kVideoBlink;
  Field& plain = AddField(2, 1, 0, 5, kModeDisplay, kTypeText, u"p");
  Field& clock = AddField(3, 2, 0, 5, kModeSystem, kTypeText);
  Field& entry = AddField(4, 3, 0, 10, kModeInput, kTypeText, u"painted");
  AddField(5, 4, 0, 5, kModeInput, kTypeText, u"rev").attributes = kVideoReverse;
  int id = 6;
  for (int type : {kTypeButton, kTypeSelectButton, kTypeCheckBox, kTypeRadioButton}) {
    AddField(id, id, 0, 8, kModeInput, type, u"XLabel");
    ++id;
  }
  Refresh();
  Pump();
  SendMessageW(pageWindow_, WM_TIMER, 99, 0);  // another timer id is not a tick
  EXPECT_EQ(page_.blinkPhase, 0);
  RequestFocus(entry);
  const long before = gdi::LiveObjects();
  for (int i = 0; i < 101; ++i) {
    SendMessageW(pageWindow_, WM_TIMER, kBlinkTimer, 0);
    Type(entry, i % 2 ? L"\b" : L"x");
    RedrawWindow(pageWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  EXPECT_EQ(gdi::LiveObjects(), before);
  EXPECT_EQ(page_.blinkPhase, 1);
  EXPECT_EQ(blinking.blinkPhase, 1);
  EXPECT_EQ(clock.blinkPhase, 1);
  EXPECT_EQ(plain.blinkPhase, 0);
}

TEST_F(ControlsTest, WatermarkThatNeverFitsStillEnds) {
  settings_.SetShowWatermark(true);
  settings_.SetWatermarkText(std::u16string(31, u'W'));
  MoveWindow(pageWindow_, 0, 0, 20, 40, TRUE);
  const long before = gdi::LiveObjects();
  RedrawWindow(pageWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(gdi::LiveObjects(), before);
}

}  // namespace
}  // namespace vantor

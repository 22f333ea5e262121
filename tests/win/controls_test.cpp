// The page window's controls: windows and cells, focus requests, typing, blinking, literal colours, GDI balance.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app_fixture_win.h"
#include "model/page.h"
#include "settings/settings.h"
#include "win/controls/control_classes.h"
#include "win/controls/page_refresh.h"
#include "win/controls/page_window.h"

namespace vantor {
namespace {

using namespace wintest;

constexpr COLORREF kPage = RGB(149, 178, 195);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A shown page window of a recording main window, with the control classes registered; the test adds
// the fields and Refresh() makes them.
class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    atoms_ = RegisterControlClasses(instance_);
    settings_.SetShowWatermark(false);
    page_.shown = true;
    pageWindow_ = CreatePageWindow(main_.get(), instance_, &state_);
    ASSERT_NE(pageWindow_, nullptr);
    ShowWindow(main_.get(), SW_SHOWNORMAL);  // pixels can be read back from a shown window only
    EnableWindow(pageWindow_, TRUE);
    SetForegroundWindow(main_.get());
  }
  void TearDown() override {
    ReleaseCapture();
    DetachPageWindow(pageWindow_);
    DestroyWindow(pageWindow_);
    UnregisterControlClasses(instance_, atoms_);
  }
  Field& AddField(int id, int row, int column, int width, int mode, int type, std::u16string_view text = u"") {
    RemovedFields removed;
    Field& field = page_.Fields().Add(id, row, column, width, removed);
    field.format.flags = static_cast<std::uint8_t>(mode);
    field.format.type = static_cast<std::uint8_t>(type);
    field.SetText(text);
    return field;
  }
  void Refresh() { ApplyRefreshPlan(pageWindow_, PlanRefresh(page_)); }
  static void RequestFocus(const Field& field, LPARAM form = kFocusRequest) {
    SendMessageW(Hwnd(field), WM_SETCURSOR, reinterpret_cast<WPARAM>(Hwnd(field)), form);
  }
  static void Type(const Field& field, std::wstring_view text) {
    for (wchar_t c : text) SendMessageW(Hwnd(field), WM_CHAR, c, 1);
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

  HINSTANCE instance_ = GetModuleHandleW(nullptr);
  ControlClassAtoms atoms_{};
  RecordingWindow main_;
  Settings settings_;
  Page page_{1, kDefaultPageBackground};
  PageWindowState state_{&page_, &settings_, main_.get()};
  HWND pageWindow_ = nullptr;
};

TEST_F(ControlsTest, RefreshMakesOneChildPerShownRecordInItsCellsAndRecreatesOnlyWhenAsked) {
  Field& entry = AddField(2, 2, 3, 4, kModeInput, kTypeText, u"abc");
  Field& fixed = AddField(5, 0, 0, 8, kModeDisplay, kTypeText, u"Hello");
  Field& none = AddField(8, 6, 0, 6, kModeNone, kTypeText, u"none");
  Field& hidden = AddField(10, 8, 0, 5, kModeInput, kTypeText);
  hidden.format.attributes = kAttrHidden;
  Refresh();
  EXPECT_EQ(none.link.window, 0u);
  for (Field* field : {&entry, &fixed, &hidden}) {
    ASSERT_EQ(GetParent(Hwnd(*field)), pageWindow_) << field->id;
    EXPECT_EQ(GetDlgCtrlID(Hwnd(*field)), field->id);
    EXPECT_EQ(FieldOfControl(Hwnd(*field)), field);
    EXPECT_EQ((GetWindowLongW(Hwnd(*field), GWL_STYLE) & WS_VISIBLE) != 0, field != &hidden) << field->id;
  }
  EXPECT_EQ(WindowText(Hwnd(fixed)), L"Hello");
  settings_.SetFontPointSize(settings_.FontPointSize() * 3);
  SendMessageW(pageWindow_, WM_VDX_RELAYOUT, 0, 0);
  const RECT rect = RectInParent(Hwnd(entry)), cells{3 * settings_.CellWidth(), 2 * settings_.CellHeight(),
                                                     7 * settings_.CellWidth(), 3 * settings_.CellHeight()};
  EXPECT_TRUE(EqualRect(&rect, &cells)) << rect.left << "," << rect.top << " " << rect.right << "," << rect.bottom;
  const HWND first = Hwnd(fixed);
  Refresh();
  EXPECT_EQ(Hwnd(fixed), first);
  fixed.format.type = kTypeButton;
  fixed.link.recreate = true;
  Refresh();
  EXPECT_NE(Hwnd(fixed), first);
  EXPECT_FALSE(IsWindowVisible(first)) << "a window no record holds is hidden";
  EXPECT_EQ(FieldOfControl(first), nullptr);
  EXPECT_EQ(fixed.link.recreate, 0);
}

TEST_F(ControlsTest, ThePageKeepsAtMostSixtyFourHiddenWindowsOfAKindForItsRecordsUntilItsCellsChange) {
  std::set<HWND> made;
  for (int id = 1; id <= 70; ++id) AddField(id, id % 20, id / 20 * 9, 8, kModeDisplay, kTypeText, u"t");
  Refresh();
  for (Field* field = page_.Fields().Head(); field != nullptr; field = field->NextById()) made.insert(Hwnd(*field));
  RemovedFields removed;
  page_.Fields().Clear(removed);
  for (const auto& field : removed) DiscardControlWindow(Hwnd(*field));
  const auto children = [&] {
    std::vector<HWND> found;
    for (HWND c = GetWindow(pageWindow_, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) found.push_back(c);
    return found;
  };
  ASSERT_TRUE(PumpUntil([&] { return children().size() == ControlPool::kKeptPerKind; }, 3000))
      << "settled by its timer";
  for (HWND kept : children()) {
    EXPECT_FALSE(IsWindowVisible(kept));
    EXPECT_EQ(FieldOfControl(kept), nullptr);
  }
  EXPECT_EQ(GetDlgItem(pageWindow_, 5), nullptr) << "no kept window answers to a field's id";
  Field& again = AddField(5, 3, 3, 6, kModeDisplay, kTypeText, u"again");
  Refresh();
  EXPECT_EQ(made.count(Hwnd(again)), 1u) << "taken from the pool";
  EXPECT_EQ(GetDlgItem(pageWindow_, 5), Hwnd(again));
  EXPECT_TRUE(IsWindowVisible(Hwnd(again)));
  EXPECT_EQ(WindowText(Hwnd(again)), L"again");
  SendMessageW(pageWindow_, WM_VDX_RELAYOUT, 0, 0);
  EXPECT_EQ(children(), std::vector<HWND>{Hwnd(again)}) << "the pool is emptied when the cells change";
}

TEST_F(ControlsTest, FocusRequestIsAnsweredOnlyInItsExactFormAndReportedByAllButTheSelectButton) {
  Field& entry = AddField(1, 0, 0, 5, kModeInput, kTypeText);
  Field& serialEntry = AddField(2, 1, 0, 5, kModeInput, kTypeText);
  serialEntry.format.serialFlags = 1;  // filled by the scanner only
  Field& fixed = AddField(3, 2, 0, 5, kModeDisplay, kTypeText, u"t");
  Field& button = AddField(4, 3, 0, 5, kModeInput, kTypeButton, u"b");
  Field& select = AddField(5, 4, 0, 6, kModeInput, kTypeSelectButton, u" Pick");
  Field& box = AddField(6, 5, 0, 6, kModeInput, kTypeCheckBox, u" Box");
  Refresh();
  SetFocus(main_.get());
  RequestFocus(entry, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  for (const Field* field : {&serialEntry, &fixed}) RequestFocus(*field);
  EXPECT_EQ(GetFocus(), main_.get());
  for (Field* field : {&entry, &select, &box, &button}) {
    RequestFocus(*field);
    EXPECT_EQ(GetFocus(), Hwnd(*field)) << field->id;
  }
  std::vector<WPARAM> ids;
  for (const MSG& m : main_.Of(WM_VDX_FIELD_FOCUSED)) ids.push_back(m.wParam);
  EXPECT_EQ(ids, (std::vector<WPARAM>{1, 6, 4}));
  SendMessageW(Hwnd(button), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  ASSERT_TRUE(ControlStateOf(Hwnd(button))->pressed);
  SetFocus(Hwnd(box));
  EXPECT_FALSE(ControlStateOf(Hwnd(button))->pressed) << "losing the focus releases a pressed button";
}

TEST_F(ControlsTest, TypingPasteAndEnterReachTheFocusedEntryAndTheMainWindow) {
  Field& field = AddField(4, 1, 0, 4, kModeInput, kTypeText, u"old");
  field.format.flags |= kFlagNumeric;
  Field& other = AddField(5, 2, 0, 2, kModeInput, kTypeText);
  Refresh();
  RequestFocus(field);
  ASSERT_EQ(field.edit.hasFocus, 1);
  Type(other, L"1");  // a key for an unfocused field belongs to the focused one; it replaces the old value
  EXPECT_EQ(other.Text(), u"");
  ASSERT_TRUE(OpenClipboard(main_.get()));
  EmptyClipboard();
  const wchar_t clip[] =
      L"x2\x16"
      L"345";  // the typing rules apply, and a Ctrl+V inside must not paste again
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof clip);
  std::memcpy(GlobalLock(memory), clip, sizeof clip);
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
  Type(field, L"\x16");
  EXPECT_EQ(field.Text(), u"1234");
  EXPECT_EQ(field.edit.modified, 1);
  Type(field, L"\r");
  const auto enters = main_.Of(WM_VDX_ENTER);
  ASSERT_EQ(enters.size(), 1u);
  EXPECT_EQ(enters[0].wParam, 4u);
}

TEST_F(ControlsTest, TextSetByTheTerminalIsShownAtOnceAndPaintedInLiteralColours) {
  Field& entry = AddField(1, 1, 0, 6, kModeInput, kTypeText);
  Field& left = AddField(2, 2, 0, 4, kModeDisplay, kTypeText);
  Field& right = AddField(3, 2, 4, 4, kModeDisplay, kTypeText);
  Field& lone = AddField(4, 5, 0, 4, kModeDisplay, kTypeText);
  for (Field* field : {&left, &right, &lone}) field->format.attributes = kVideoReverse;
  Field& radio = AddField(5, 6, 0, 8, kModeInput, kTypeRadioButton, u"X");
  Field& plain = AddField(6, 7, 0, 6, kModeDisplay, kTypeText);
  Refresh();
  EXPECT_EQ(Inked(Hwnd(entry)), 0);
  entry.SetText(u"WWWW");
  SendMessageW(Hwnd(entry), WM_VDX_FIELD_EDITED, 0, 0);
  EXPECT_GT(Inked(Hwnd(entry)), 0) << "text set by the terminal is shown at once";
  RequestFocus(entry);
  EXPECT_EQ(PixelOf(Hwnd(entry), 0, 0), kPage) << "frame";
  EXPECT_EQ(PixelOf(Hwnd(entry), -4, 5), RGB(255, 240, 158)) << "focused";
  // Reverse neighbours on a row show one frame: outer edges framed, the shared edge filled.
  EXPECT_EQ(PixelOf(Hwnd(left), 0, 5), kPage);
  EXPECT_EQ(PixelOf(Hwnd(left), 8, 0), kPage);
  EXPECT_EQ(PixelOf(Hwnd(left), -1, 5), kWhite);
  EXPECT_EQ(PixelOf(Hwnd(right), 0, 5), kWhite);
  EXPECT_EQ(PixelOf(Hwnd(right), -1, 5), kPage);
  EXPECT_EQ(PixelOf(Hwnd(lone), -1, 5), kPage);
  EXPECT_EQ(PixelOf(pageWindow_, 2, 2), kPage);
  const int checked = Inked(Hwnd(radio));
  radio.SetText(u" ");
  EXPECT_LT(Inked(Hwnd(radio)), checked) << "a radio button's dot shows only when checked";
  // Plain fixed text is underlined in normal colour mode; the metrics ride in the settings.
  settings_.ApplySettingsText("UnderlineFixedTextMode=false\r\nShowWaterMark=false\r\n");
  SendMessageW(pageWindow_, WM_VDX_RELAYOUT, 0, 0);
  EXPECT_EQ(PixelOf(Hwnd(plain), 10, -2), kWhite);
  EXPECT_EQ(PixelOf(Hwnd(plain), 10, 5), kPage);
}

TEST_F(ControlsTest, BlinkTicksToggleOnlyBlinkingControlsAndPaintingOrMeasuringHoldsNoGdiObjects) {
  Field& blinking = AddField(1, 0, 0, 5, kModeDisplay, kTypeText, u"b");
  blinking.format.attributes = kVideoBlink;
  Field& plain = AddField(2, 1, 0, 5, kModeDisplay, kTypeText, u"p");
  Field& clock = AddField(3, 2, 0, 5, kModeSystem, kTypeText);
  Field& entry = AddField(4, 3, 0, 10, kModeInput, kTypeText, u"painted");
  AddField(5, 4, 0, 5, kModeInput, kTypeText, u"rev").format.attributes = kVideoReverse;
  for (int type : {kTypeButton, kTypeSelectButton, kTypeCheckBox, kTypeRadioButton}) {
    AddField(10 + type, 5 + type, 0, 8, kModeInput, type, u"XLabel");
  }
  Refresh();
  Pump();
  RequestFocus(entry);
  const long before = gdi::LiveObjects();
  for (int i = 0; i < 101; ++i) {
    SendMessageW(pageWindow_, WM_TIMER, kBlinkTimer, 0);
    Type(entry, i % 2 ? L"\b" : L"x");
    RedrawWindow(pageWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  SendMessageW(pageWindow_, WM_VDX_RELAYOUT, 0, 0);  // the screen font measured again
  EXPECT_EQ(gdi::LiveObjects(), before);
  EXPECT_TRUE(state_.blinkPhase);
  EXPECT_TRUE(ControlStateOf(Hwnd(blinking))->look.blinkPhase);
  EXPECT_TRUE(ControlStateOf(Hwnd(clock))->look.blinkPhase);
  EXPECT_FALSE(ControlStateOf(Hwnd(plain))->look.blinkPhase);
  // A watermark that never fits still ends.
  settings_.SetShowWatermark(true);
  settings_.SetWatermarkText(std::u16string(31, u'W'));
  MoveWindow(pageWindow_, 0, 0, 20, 40, TRUE);
  RedrawWindow(pageWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(gdi::LiveObjects(), before);
}

}  // namespace
}  // namespace vantor

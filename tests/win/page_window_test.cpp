// The page window and the control windows it makes from the field records: classes, geometry,
// re-creation, keys, focus requests, blinking, relayout, detaching, Z order and painting.
#include "win/controls/page_window.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "win/base/messages.h"
#include "app_fixture_win.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "win/controls/control_classes.h"
#include "model/field.h"
#include "model/page.h"

namespace vantor {
namespace {

using namespace wintest;

using PageWindowTest = PageFixture;

TEST_F(PageWindowTest, PageIsADisabledVisibleChildCoveringTheParentClientArea) {
  EXPECT_EQ(ClassOf(pageWindow_), L"VdxCPage");
  EXPECT_EQ(TitleOf(pageWindow_), L"PAGE");
  const LONG style = GetWindowLongW(pageWindow_, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_TRUE(style & WS_VISIBLE);
  EXPECT_TRUE(style & WS_DISABLED);
  EXPECT_TRUE(style & WS_CLIPSIBLINGS);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  RECT client{};
  GetClientRect(main_.get(), &client);
  const RECT rect = RectInParent(pageWindow_);
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, client.right);
  EXPECT_EQ(rect.bottom, client.bottom);
  EXPECT_EQ(page_.window, reinterpret_cast<std::uintptr_t>(pageWindow_));
  // The metrics are measured when the page is created.
  EXPECT_GT(settings_.CellWidth(), 0);
  EXPECT_GT(settings_.CellHeight(), 0);
}

TEST_F(PageWindowTest, RefreshMakesOneWindowPerRecordOfTheClassItsModeAndTypeSelect) {
  Field& entry = AddField(2, 1, 3, 10, kModeInput, kTypeText, u"abc");
  Field& button = AddField(3, 2, 0, 6, kModeInput, kTypeButton, u"OK");
  Field& select = AddField(4, 3, 0, 6, kModeDisplay, kTypeSelectButton, u"Xpick");
  Field& fixed = AddField(5, 0, 0, 8, kModeDisplay, kTypeText, u"Hello");
  Field& check = AddField(6, 4, 0, 6, kModeInput, kTypeCheckBox, u" box");
  Field& radio = AddField(7, 5, 0, 6, kModeDisplay, kTypeRadioButton, u" one");
  Field& none = AddField(8, 6, 0, 6, kModeNone, kTypeText, u"none");
  Field& system = AddField(9, 7, 2, 5, kModeSystem, kTypeButton);
  Field& hidden = AddField(10, 8, 0, 5, kModeInput, kTypeText);
  hidden.attributes = kAttrHidden;
  Refresh();
  EXPECT_EQ(ClassOf(Hwnd(entry)), L"VdxEntry");
  EXPECT_EQ(ClassOf(Hwnd(button)), L"VdxButton");
  EXPECT_EQ(ClassOf(Hwnd(select)), L"VdxSelectButton");
  EXPECT_EQ(ClassOf(Hwnd(fixed)), L"VdxFixed");
  EXPECT_EQ(ClassOf(Hwnd(check)), L"VdxCheckBox");
  EXPECT_EQ(ClassOf(Hwnd(radio)), L"VdxRadioButton");
  EXPECT_EQ(ClassOf(Hwnd(system)), L"VdxSystem");
  EXPECT_EQ(none.window, 0u);
  for (Field* field : {&entry, &button, &select, &fixed, &check, &radio, &system}) {
    HWND window = Hwnd(*field);
    ASSERT_NE(window, nullptr) << field->id;
    EXPECT_EQ(field->create, 0) << field->id;
    EXPECT_EQ(GetParent(window), pageWindow_);
    EXPECT_EQ(GetDlgCtrlID(window), field->id);
    EXPECT_EQ(FieldOfControl(window), field);
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE);
  }
  EXPECT_EQ(TitleOf(Hwnd(fixed)), L"Hello");
  ASSERT_NE(Hwnd(hidden), nullptr);
  EXPECT_FALSE(GetWindowLongW(Hwnd(hidden), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(PageWindowTest, RecreateReplacesTheWindowAndAPlainRefreshKeepsIt) {
  Field& field = AddField(1, 0, 0, 5, kModeDisplay, kTypeText, u"one");
  Refresh();
  HWND first = Hwnd(field);
  Refresh();
  EXPECT_EQ(Hwnd(field), first);
  field.type = kTypeButton;
  field.recreate = 1;
  Refresh();
  HWND second = Hwnd(field);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(field.recreate, 0);
  EXPECT_EQ(ClassOf(second), L"VdxButton");
}

TEST_F(PageWindowTest, ANewRecordGetsOneWindowEvenWhenAlsoMarkedForRecreation) {
  Field& field = AddField(1, 0, 0, 5, kModeDisplay, kTypeText, u"one");
  field.recreate = 1;  // the defining commands mark a new record both ways
  Refresh();
  HWND first = Hwnd(field);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(field.recreate, 0);
  Refresh();
  EXPECT_EQ(Hwnd(field), first);
  EXPECT_TRUE(IsWindow(first));
}

TEST_F(PageWindowTest, DiscardDetachesAndDestroysTheControl) {
  Field& field = AddField(1, 0, 0, 5, kModeDisplay, kTypeText, u"one");
  Refresh();
  HWND window = Hwnd(field);
  DiscardControlWindow(window);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(PageWindowTest, ControlsWithoutRecordPassMessagesOnAndCloseOnWmClose) {
  for (const wchar_t* name : {L"VdxEntry", L"VdxButton", L"VdxSelectButton", L"VdxCheckBox", L"VdxRadioButton"}) {
    SCOPED_TRACE(std::string(name, name + wcslen(name)));
    HWND bare = CreateWindowExW(0, name, L"", WS_CHILD, 0, 0, 20, 10, pageWindow_, nullptr, instance_, nullptr);
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(bare, GWLP_USERDATA), 0);
    SendMessageW(bare, WM_KEYDOWN, VK_F1, 0);
    SendMessageW(bare, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(bare, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(bare, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(main_.messages().empty());
    SendMessageW(bare, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(bare));
  }
}

TEST_F(PageWindowTest, FocusRequestIsAnsweredOnlyInItsExactFormAndNotByTextOrSerialFields) {
  EnableWindow(pageWindow_, TRUE);
  SetForegroundWindow(main_.get());
  Field& entry = AddField(1, 0, 0, 5, kModeInput, kTypeText);
  Field& serialEntry = AddField(2, 1, 0, 5, kModeInput, kTypeText);
  serialEntry.serial = 1;
  Field& fixed = AddField(3, 2, 0, 5, kModeDisplay, kTypeText, u"t");
  Field& button = AddField(4, 3, 0, 5, kModeDisplay, kTypeButton, u"b");
  Refresh();
  SetFocus(main_.get());
  auto request = [](HWND window, LPARAM form) { SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), form); };
  request(Hwnd(entry), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(GetFocus(), Hwnd(entry));
  request(Hwnd(serialEntry), kFocusRequest);
  EXPECT_NE(GetFocus(), Hwnd(serialEntry));
  request(Hwnd(fixed), kFocusRequest);
  EXPECT_NE(GetFocus(), Hwnd(fixed));
  request(Hwnd(entry), kFocusRequest);
  EXPECT_EQ(GetFocus(), Hwnd(entry));
  EXPECT_EQ(entry.hasFocus, 1);
  request(Hwnd(button), kFocusRequest);
  EXPECT_EQ(GetFocus(), Hwnd(button));
  EXPECT_EQ(entry.hasFocus, 0);
  const auto focused = main_.Of(WM_VDX_FIELD_FOCUSED);
  ASSERT_EQ(focused.size(), 2u);
  EXPECT_EQ(focused[0].wparam, 1u);
  EXPECT_EQ(focused[1].wparam, 4u);
}

TEST_F(PageWindowTest, BlinkTickTogglesThePhaseOfThePageAndOfBlinkingControlsOnly) {
  Field& blinking = AddField(1, 0, 0, 5, kModeDisplay, kTypeText, u"b");
  blinking.attributes = kVideoBlink;
  Field& plain = AddField(2, 1, 0, 5, kModeDisplay, kTypeText, u"p");
  Field& clock = AddField(3, 2, 0, 5, kModeSystem, kTypeText);
  Refresh();
  SendMessageW(pageWindow_, WM_TIMER, kBlinkTimer, 0);
  EXPECT_EQ(page_.blinkPhase, 1);
  EXPECT_EQ(blinking.blinkPhase, 1);
  EXPECT_EQ(plain.blinkPhase, 0);
  EXPECT_EQ(clock.blinkPhase, 1);
  SendMessageW(pageWindow_, WM_TIMER, 99, 0);  // another timer id is not a tick
  EXPECT_EQ(page_.blinkPhase, 1);
  SendMessageW(pageWindow_, WM_TIMER, kBlinkTimer, 0);
  EXPECT_EQ(page_.blinkPhase, 0);
  EXPECT_EQ(blinking.blinkPhase, 0);
  EXPECT_EQ(clock.blinkPhase, 0);
}

TEST_F(PageWindowTest, ControlsArePlacedInCellsAndMovedByARelayout) {
  Field& field = AddField(1, 2, 3, 4, kModeInput, kTypeText);
  Refresh();
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "created" : "relaid out");
    const int cw = settings_.CellWidth();
    const int ch = settings_.CellHeight();
    const RECT rect = RectInParent(Hwnd(field));
    EXPECT_EQ(rect.left, 3 * cw);
    EXPECT_EQ(rect.top, 2 * ch);
    EXPECT_EQ(rect.right - rect.left, 4 * cw);
    EXPECT_EQ(rect.bottom - rect.top, ch);
    if (round == 1) break;
    const int before = cw;
    settings_.SetFontPointSize(settings_.FontPointSize() * 3);
    SendMessageW(pageWindow_, WM_VDX_RELAYOUT, 0, 0);
    EXPECT_GT(settings_.CellWidth(), before);
  }
}

TEST_F(PageWindowTest, DetachedPageAndControlsNoLongerReachTheirObjects) {
  Field& field = AddField(1, 0, 0, 5, kModeInput, kTypeText);
  Refresh();
  HWND control = Hwnd(field);
  DetachPageWindow(pageWindow_);
  EXPECT_EQ(GetWindowLongPtrW(pageWindow_, GWLP_USERDATA), 0);
  EXPECT_EQ(GetWindowLongPtrW(control, GWLP_USERDATA), 0);
  EXPECT_EQ(page_.window, 0u);
  EXPECT_EQ(PageStateOf(pageWindow_), nullptr);
  // Messages after detaching touch nothing.
  AddField(2, 1, 0, 5, kModeInput, kTypeText);
  Refresh();
  SendMessageW(pageWindow_, WM_TIMER, kBlinkTimer, 0);
  SendMessageW(control, WM_KEYDOWN, VK_F1, 0);
  EXPECT_EQ(page_.Fields().Find(2)->window, 0u);
  EXPECT_EQ(page_.blinkPhase, 0);
  EXPECT_TRUE(main_.Of(WM_VDX_KEY).empty());
  SendMessageW(pageWindow_, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(pageWindow_));
}

TEST_F(PageWindowTest, PageInFrontStaysUnderTheLockIndicator) {
  // A stand-in of the lock indicator's class, removed again so that the real one can register.
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VdxCAnimate";
  ASSERT_NE(RegisterClassW(&wc), 0);
  Page other{2, kDefaultPageBackground};
  PageWindowState otherState{&other, &settings_, main_.get()};
  HWND otherWindow = CreatePageWindow(main_.get(), instance_, &otherState);
  HWND indicator = CreateWindowExW(0, L"VdxCAnimate", L"Lock-B", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, main_.get(),
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowPos(indicator, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  PlacePageWindow(main_.get(), otherWindow, false);
  PlacePageWindow(main_.get(), pageWindow_, true);
  EXPECT_EQ(GetWindow(main_.get(), GW_CHILD), indicator);
  EXPECT_EQ(GetWindow(indicator, GW_HWNDNEXT), pageWindow_);
  EXPECT_TRUE(GetWindowLongW(pageWindow_, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(GetWindowLongW(otherWindow, GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(GetWindow(GetWindow(main_.get(), GW_CHILD), GW_HWNDLAST), otherWindow);
  DestroyWindow(indicator);
  PlacePageWindow(main_.get(), otherWindow, true);
  EXPECT_EQ(GetWindow(main_.get(), GW_CHILD), otherWindow);
  DetachPageWindow(otherWindow);
  DestroyWindow(otherWindow);
  UnregisterClassW(L"VdxCAnimate", GetModuleHandleW(nullptr));
}

TEST_F(PageWindowTest, ShownPagePaintsItsBackgroundWithoutLeakingGdiObjects) {
  AddField(1, 2, 0, 6, kModeDisplay, kTypeText, u"Hello");
  AddField(2, 3, 0, 6, kModeInput, kTypeText, u"abc");
  Refresh();
  ShowWindow(main_.get(), SW_SHOW);  // pixels can be read back from a shown window only
  const long before = gdi::LiveObjects();
  for (int i = 0; i < 3; ++i) {
    RedrawWindow(main_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  }
  EXPECT_EQ(gdi::LiveObjects(), before);
  HDC dc = GetDC(pageWindow_);
  const COLORREF pixel = GetPixel(dc, 2, 2);
  ReleaseDC(pageWindow_, dc);
  EXPECT_EQ(pixel, RGB(149, 178, 195));
}

TEST_F(PageWindowTest, WatermarkThatNeverFitsStillEnds) {
  settings_.SetShowWatermark(true);
  settings_.SetWatermarkText(std::u16string(31, u'W'));
  MoveWindow(pageWindow_, 0, 0, 20, 40, TRUE);
  const long before = gdi::LiveObjects();
  RedrawWindow(pageWindow_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(gdi::LiveObjects(), before);
}

}  // namespace
}  // namespace vantor

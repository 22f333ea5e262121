// The entry field window on a real page: typing, keys, paste, notifications and painting without leaks.
#include <gtest/gtest.h>

#include <string>

#include "win/base/messages.h"
#include "app_fixture_win.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "win/controls/control_classes.h"
#include "win/controls/entry_field.h"
#include "model/field.h"
#include "model/page.h"
#include "win/controls/page_window.h"

namespace vantor {
namespace {

using namespace wintest;

bool PutClipboardText(HWND owner, const std::wstring& text) {
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  bool ok = false;
  if (memory != nullptr) {
    if (void* data = GlobalLock(memory)) {
      memcpy(data, text.c_str(), bytes);
      GlobalUnlock(memory);
      ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!ok) GlobalFree(memory);
  }
  CloseClipboard();
  return ok;
}

class EntryFieldTest : public PageFixture {
 protected:
  void SetUp() override {
    PageFixture::SetUp();
    ShowWindow(main_.get(), SW_SHOWNORMAL);
    EnableWindow(pageWindow_, TRUE);
  }

  Field& AddEntry(int id, int row, int width, std::u16string_view text = u"") {
    return AddField(id, row, 0, width, kModeInput, kTypeText, text);
  }
  void Focus(const Field& field) {
    SendMessageW(Hwnd(field), WM_SETCURSOR, reinterpret_cast<WPARAM>(Hwnd(field)), kFocusRequest);
    ASSERT_EQ(GetFocus(), Hwnd(field));
  }
  void Type(const Field& field, std::wstring_view text) {
    for (wchar_t c : text) SendMessageW(Hwnd(field), WM_CHAR, c, 1);
  }
  std::vector<wintest::RecordedMessage> Sent(UINT message) const { return main_.Of(message); }
};

TEST_F(EntryFieldTest, FocusTypingAndEnterReportToTheMainWindow) {
  Field& field = AddEntry(4, 1, 8, u"old");
  Refresh();
  Focus(field);
  ASSERT_EQ(Sent(WM_VDX_FIELD_FOCUSED).size(), 1u);
  EXPECT_EQ(Sent(WM_VDX_FIELD_FOCUSED)[0].wparam, 4u);
  EXPECT_EQ(field.hasFocus, 1);
  Type(field, L"ab");
  EXPECT_EQ(field.Text(), u"ab");  // the first key replaced the old value
  EXPECT_EQ(field.modified, 1);
  EXPECT_GT(field.caretX, 2);
  Type(field, L"\r");
  const auto keys = Sent(WM_VDX_KEY);
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_EQ(keys[0].wparam, 4u);
  EXPECT_EQ(keys[0].lparam, 0);
  // Every query for the current field went to the main window first.
  EXPECT_EQ(Sent(WM_VDX_GET_CURRENT_FIELD).size(), 1u);
}

TEST_F(EntryFieldTest, KeysMoveTheCaretAndReportFunctionKeys) {
  Field& field = AddEntry(2, 1, 8, u"abcd");
  Refresh();
  Focus(field);
  SendMessageW(Hwnd(field), WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(field.caret, 4);
  SendMessageW(Hwnd(field), WM_KEYDOWN, VK_LEFT, 0);
  SendMessageW(Hwnd(field), WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ(field.Text(), u"abc");
  SendMessageW(Hwnd(field), WM_KEYDOWN, VK_F5, 0);
  SendMessageW(Hwnd(field), WM_KEYDOWN, VK_DOWN, 0);
  ASSERT_EQ(Sent(WM_VDX_KEY).size(), 1u);
  EXPECT_EQ(Sent(WM_VDX_KEY)[0].lparam, 5);
  ASSERT_EQ(Sent(WM_VDX_NAVIGATE).size(), 1u);
  EXPECT_EQ(static_cast<int>(Sent(WM_VDX_NAVIGATE)[0].wparam), 1);
}

TEST_F(EntryFieldTest, FullFieldAutoAdvancesOrAutoSends) {
  Field& advance = AddEntry(1, 1, 3);
  advance.attributes = kAttrAutoAdvance;
  Field& send = AddEntry(2, 2, 2);
  send.flags |= kFlagAutoSend;
  Refresh();
  Focus(advance);
  Type(advance, L"1234");
  EXPECT_EQ(advance.Text(), u"123");
  ASSERT_EQ(Sent(WM_VDX_NAVIGATE).size(), 1u);
  Focus(send);
  Type(send, L"9");
  EXPECT_TRUE(Sent(WM_VDX_FIELD_CHANGED).empty());
  Type(send, L"8");
  ASSERT_EQ(Sent(WM_VDX_FIELD_CHANGED).size(), 1u);
  EXPECT_EQ(Sent(WM_VDX_FIELD_CHANGED)[0].wparam, 2u);
  EXPECT_EQ(send.sendGuard, 0);
}

TEST_F(EntryFieldTest, PasteGoesThroughTheTypingRulesAndNeverRecurses) {
  Field& field = AddEntry(1, 1, 4);
  field.flags |= kFlagNumeric;
  Refresh();
  Focus(field);
  // A Ctrl+V inside the pasted text must not paste again.
  ASSERT_TRUE(PutClipboardText(main_.get(), L"1x2\x16" L"345"));
  Type(field, L"\x16");
  EXPECT_EQ(field.Text(), u"1234");
}

TEST_F(EntryFieldTest, TypedCharactersForAnUnfocusedFieldGoToTheFocusedOne) {
  Field& other = AddEntry(1, 1, 4);
  Field& fed = AddEntry(2, 2, 2);
  Refresh();
  Focus(other);
  main_.clear();
  SendMessageW(Hwnd(fed), WM_CHAR, L'q', 1);
  EXPECT_EQ(other.Text(), u"q");
  EXPECT_EQ(fed.Text(), u"");
}

TEST_F(EntryFieldTest, AnEditByTheTerminalIsPaintedAtOnce) {
  Field& fed = AddEntry(2, 2, 4);
  Refresh();
  wintest::PixelOf(Hwnd(fed), 0, 0);  // every paint done
  // Pixels of the text strip that are not the field's background, as the window shows them now.
  auto inked = [&] {
    gdi::WindowDc dc(Hwnd(fed));
    RECT client{};
    GetClientRect(Hwnd(fed), &client);
    const COLORREF background = GetPixel(dc.get(), 1, client.bottom / 2);
    int count = 0;
    for (int x = 2; x < client.right - 2; ++x) {
      for (int y = 2; y < client.bottom - 2; ++y) count += GetPixel(dc.get(), x, y) != background ? 1 : 0;
    }
    return count;
  };
  EXPECT_EQ(inked(), 0);
  fed.SetText(u"WWWW");
  SendMessageW(Hwnd(fed), WM_VDX_FIELD_EDITED, 0, 0);
  EXPECT_GT(inked(), 0);
}

TEST_F(EntryFieldTest, SerialFieldRefusesTheFocusRequest) {
  Field& field = AddEntry(1, 1, 4);
  field.serial = 1;
  Refresh();
  SendMessageW(Hwnd(field), WM_SETCURSOR, reinterpret_cast<WPARAM>(Hwnd(field)), kFocusRequest);
  EXPECT_NE(GetFocus(), Hwnd(field));
}

TEST_F(EntryFieldTest, PasswordCaretFollowsTheStars) {
  Field& plain = AddEntry(1, 1, 10, u"");
  Field& secret = AddEntry(2, 2, 10, u"");
  secret.flags |= kFlagPassword;
  Refresh();
  Focus(plain);
  Type(plain, L"****");
  Focus(secret);
  Type(secret, L"abcd");
  EXPECT_EQ(secret.Text(), u"abcd");
  EXPECT_EQ(secret.caretX, plain.caretX);
}

TEST_F(EntryFieldTest, RepeatedPaintingHoldsNoGdiObjects) {
  Field& field = AddEntry(1, 1, 10, u"painted");
  Field& reverse = AddEntry(2, 2, 5, u"rev");
  reverse.attributes = kVideoReverse;
  Refresh();
  Focus(field);
  const long before = gdi::LiveObjects();
  for (int i = 0; i < 200; ++i) {
    InvalidateRect(Hwnd(field), nullptr, FALSE);
    InvalidateRect(Hwnd(reverse), nullptr, FALSE);
    UpdateWindow(Hwnd(field));
    UpdateWindow(Hwnd(reverse));
    Type(field, i % 2 ? L"\b" : L"x");
  }
  EXPECT_EQ(gdi::LiveObjects(), before);
}

TEST_F(EntryFieldTest, PaintShowsTheFocusColourInsideTheFrame) {
  Field& field = AddEntry(1, 1, 6, u"");
  Refresh();
  Focus(field);
  RECT client{};
  GetClientRect(Hwnd(field), &client);
  gdi::WindowDc screen(nullptr);
  gdi::Canvas canvas(screen.get(), client.right, client.bottom);
  ASSERT_TRUE(canvas.ok());
  PaintEntryField(Hwnd(field), canvas.dc(), field, settings_, false);
  EXPECT_EQ(GetPixel(canvas.dc(), 0, 0), RGB(149, 178, 195));  // frame
  EXPECT_EQ(GetPixel(canvas.dc(), client.right - 4, client.bottom / 2), RGB(255, 240, 158));
}

}  // namespace
}  // namespace vantor

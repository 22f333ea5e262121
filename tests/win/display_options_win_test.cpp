// The Scanner, Screen, Field and Font options dialogs on their real templates: what each shows after
// opening from a given settings file, what OK stores and writes, that Cancel stores nothing; and where
// every options dialog opens.
#include "win/dialogs/display_options_dialogs.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win/base/app_support.h"

#include "app_fixture_win.h"
#include "win/base/gdi.h"
#include "settings/settings.h"
#include "win/dialogs/device_options_dialogs.h"
#include "win/dialogs/display_options_ids.h"
#include "win/dialogs/host_options_dialog.h"

namespace vantor {
namespace {

using CreateFn = HWND (*)(HINSTANCE, HWND, DisplayOptionsDialogState*);

using wintest::Checked;
using wintest::ItemText;
using wintest::TextLimit;

std::wstring ComboText(HWND combo, int index) {
  const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return L"<none>";
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::vector<std::wstring> ComboEntries(HWND combo) {
  std::vector<std::wstring> entries;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) entries.push_back(ComboText(combo, i));
  return entries;
}

class DisplayOptionsDialogTest : public wintest::DialogFixture {
 protected:
  Settings Reread() const {
    Settings reread(SettingsPath());
    EXPECT_TRUE(reread.ReadSettings());
    return reread;
  }
  void Open(CreateFn create, HWND owner = nullptr) {
    state_ = DisplayOptionsDialogState{settings_.get(), -1};
    dialog_ = create(wintest::ProgramResources(), owner, &state_);
    ASSERT_NE(dialog_, nullptr);
  }
  void Click(int id) { SendDlgItemMessageW(dialog_, id, BM_CLICK, 0, 0); }
  std::wstring Caption() const { return WindowText(dialog_); }

  DisplayOptionsDialogState state_;
};

// ---- Scanner Options ----------------------------------------------------------------------------

// ---- Screen Options -----------------------------------------------------------------------------

TEST_F(DisplayOptionsDialogTest, ScreenOkClampsStoresAndWritesTheFile) {
  StoreFile([](Settings&) {});
  Open(CreateScreenOptionsDialog);
  SetDlgItemTextW(dialog_, IDC_SCREEN_COLS, L"300");
  SetDlgItemTextW(dialog_, IDC_SCREEN_ROWS, L"0");
  SetDlgItemTextW(dialog_, IDC_SCREEN_WATERMARK_TEXT, L"");
  Click(IDC_SCREEN_TOOLBAR_DISABLED);
  Click(IDC_SCREEN_FULLSCREEN);
  Click(IDC_SCREEN_CUSTOM_COLORS);
  Click(IDC_SCREEN_WATERMARK);
  Press(IDOK);
  EXPECT_EQ(state_.result, 1);
  const Settings reread = Reread();
  EXPECT_EQ(reread.ScreenSize(), (GridSize{207, 1}));
  EXPECT_EQ(reread.ToolbarSize(), -1);
  EXPECT_TRUE(reread.FullScreen());
  EXPECT_TRUE(reread.CustomColours());
  EXPECT_FALSE(reread.ShowWatermark());
  EXPECT_EQ(reread.WatermarkText(), u"");
  EXPECT_EQ(settings_->ToolbarSize(), -1);
}

// ---- Field Options ------------------------------------------------------------------------------

// ---- Font Options -------------------------------------------------------------------------------

TEST_F(DisplayOptionsDialogTest, FontListsEachInstalledFamilyOnceSortedWithTheStoredOneSelected) {
  StoreFile([](Settings& s) {
    s.SetFontName(u"Courier New");
    s.SetFontPointSize(11);
    s.SetFontAutoSize(true);
    s.SetExtraCellWidth(3);
    s.SetUpperCaseInput(true);
  });
  Open(CreateFontOptionsDialog);
  EXPECT_EQ(Caption(), L"Font Options");
  EXPECT_EQ(ItemText(dialog_, IDC_FONT_SIZE), L"11");
  EXPECT_EQ(TextLimit(dialog_, IDC_FONT_SIZE), 2);
  EXPECT_EQ(ItemText(dialog_, IDC_FONT_CELL_WIDTH), L"3");
  // The additional width takes digits only.
  HWND width = GetDlgItem(dialog_, IDC_FONT_CELL_WIDTH);
  SetFocus(width);
  SendMessageW(width, WM_CHAR, L'x', 1);
  EXPECT_EQ(WindowText(width), L"3");
  EXPECT_TRUE(Checked(dialog_, IDC_FONT_AUTOSIZE));
  EXPECT_TRUE(Checked(dialog_, IDC_FONT_UPPER_CASE));
  HWND combo = GetDlgItem(dialog_, IDC_FONT_NAME);
  EXPECT_NE(GetWindowLongW(combo, GWL_STYLE) & CBS_SORT, 0);
  std::vector<std::wstring> entries = ComboEntries(combo);
  gdi::WindowDc dc(dialog_);
  const std::vector<std::u16string> installed = InstalledFontFamilies(dc.get(), 4, 0);
  ASSERT_FALSE(installed.empty());
  EXPECT_EQ(entries.size(), installed.size());
  std::vector<std::wstring> unique = entries;
  std::sort(unique.begin(), unique.end());
  EXPECT_EQ(std::unique(unique.begin(), unique.end()), unique.end()) << "a family is listed twice";
  const LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  ASSERT_GE(selected, 0);
  EXPECT_EQ(ComboText(combo, static_cast<int>(selected)), L"Courier New");
}

TEST_F(DisplayOptionsDialogTest, FontOkStoresTheTypedNumbersAndTheChosenFamily) {
  StoreFile([](Settings&) {});
  Open(CreateFontOptionsDialog);
  HWND combo = GetDlgItem(dialog_, IDC_FONT_NAME);
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  ASSERT_GE(count, 2);
  const int other = SendMessageW(combo, CB_GETCURSEL, 0, 0) == 0 ? 1 : 0;
  SendMessageW(combo, CB_SETCURSEL, other, 0);
  const std::wstring chosen = ComboText(combo, other);
  SetDlgItemTextW(dialog_, IDC_FONT_SIZE, L"72");
  SetDlgItemTextW(dialog_, IDC_FONT_CELL_WIDTH, L"12");
  Click(IDC_FONT_AUTOSIZE);
  Click(IDC_FONT_UPPER_CASE);
  Press(IDOK);
  const Settings reread = Reread();
  EXPECT_EQ(reread.FontName(), FromWide(chosen).substr(0, 31));
  EXPECT_EQ(reread.FontPointSize(), 72);
  EXPECT_EQ(reread.ExtraCellWidth(), 9);
  EXPECT_TRUE(reread.FontAutoSize());
  EXPECT_TRUE(reread.UpperCaseInput());
  EXPECT_NE(FileBytes().find("CharacterCellAdditionalWidth=09\r\n"), std::string::npos);
}

// ---- all four -----------------------------------------------------------------------------------

// Every options dialog, the device and host ones too: each places itself.
TEST_F(DisplayOptionsDialogTest, EveryOptionsDialogFitsTheScreenAndOpensCentredOverItsOwner) {
  StoreFile([](Settings&) {});
  DeviceOptionsDialogState device{settings_.get()};
  HostOptionsDialogState host{settings_.get(), -1, nullptr};
  auto display = [this](CreateFn create) {
    return [this, create](HWND owner) {
      state_ = DisplayOptionsDialogState{settings_.get(), -1};
      return create(wintest::ProgramResources(), owner, &state_);
    };
  };
  const std::function<HWND(HWND)> opens[] = {
      display(CreateScannerOptionsDialog), display(CreateScreenOptionsDialog), display(CreateFieldOptionsDialog),
      display(CreateFontOptionsDialog),
      [&](HWND owner) { return CreateSerialPortOptionsDialog(wintest::ProgramResources(), owner, &device); },
      [&](HWND owner) { return CreateSerialFeatureOptionsDialog(wintest::ProgramResources(), owner, &device); },
      [&](HWND owner) { return CreateSoundOptionsDialog(wintest::ProgramResources(), owner, &device); },
      [&](HWND owner) { return CreateHostOptionsDialog(wintest::ProgramResources(), owner, &host); }};
  wintest::RecordingWindow owner(WM_USER, 0x7FFF, WS_POPUP);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  for (const auto& open : opens) {
    SetWindowPos(owner.get(), nullptr, 100, 80, 400, 400, SWP_NOZORDER);
    RECT client{};
    GetClientRect(owner.get(), &client);
    MapWindowPoints(owner.get(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    dialog_ = open(owner.get());
    ASSERT_NE(dialog_, nullptr);
    SCOPED_TRACE(wintest::TitleOf(dialog_).c_str());
    RECT box{};
    GetWindowRect(dialog_, &box);
    EXPECT_LE(box.right - box.left, 240);
    EXPECT_LE(box.bottom - box.top, 320);
    EXPECT_NEAR((box.left + box.right) / 2, (client.left + client.right) / 2, 1);
    EXPECT_NEAR((box.top + box.bottom) / 2, (client.top + client.bottom) / 2, 1);
    // Every visible control lies inside the dialog's client area.
    RECT inside{};
    GetClientRect(dialog_, &inside);
    for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(child)) continue;
      RECT r{};
      GetWindowRect(child, &r);
      MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
      if (wintest::ClassOf(child) == L"ComboBox") r.bottom = r.top + 20;  // the list drops below
      EXPECT_GE(r.left, inside.left) << WindowText(child).c_str();
      EXPECT_GE(r.top, inside.top) << WindowText(child).c_str();
      EXPECT_LE(r.right, inside.right) << WindowText(child).c_str();
      EXPECT_LE(r.bottom, inside.bottom) << WindowText(child).c_str();
    }
    DestroyWindow(dialog_);
    // Owners at either corner, smaller than the dialog or hanging off the screen: it stays on the screen.
    for (const RECT& at : {RECT{0, 0, 20, 20}, RECT{screenWidth - 60, screenHeight - 40, 240, 320}}) {
      SetWindowPos(owner.get(), nullptr, at.left, at.top, at.right, at.bottom, SWP_NOZORDER);
      dialog_ = open(owner.get());
      ASSERT_NE(dialog_, nullptr);
      GetWindowRect(dialog_, &box);
      EXPECT_GE(box.left, 0);
      EXPECT_GE(box.top, 0);
      EXPECT_LE(box.right, screenWidth);
      EXPECT_LE(box.bottom, screenHeight);
      DestroyWindow(dialog_);
    }
  }
}

TEST_F(DisplayOptionsDialogTest, CancelStoresNothingInAnyOfThem) {
  StoreFile([](Settings& s) { s.SetFontName(u"Courier New"); });
  struct Change {
    CreateFn create;
    void (*change)(HWND dialog);
  };
  const Change changes[] = {
      {CreateScannerOptionsDialog,
       [](HWND d) {
         SendDlgItemMessageW(d, IDC_SCANNER_WEDGE, BM_CLICK, 0, 0);
         SendDlgItemMessageW(d, IDC_SCANNER_OVERWRITE, BM_CLICK, 0, 0);
       }},
      {CreateScreenOptionsDialog, [](HWND d) { SetDlgItemTextW(d, IDC_SCREEN_COLS, L"20"); }},
      {CreateFieldOptionsDialog,
       [](HWND d) {
         SendDlgItemMessageW(d, IDC_FIELD_ENTER_F0, BM_CLICK, 0, 0);
         SetDlgItemTextW(d, IDC_FIELD_NUMERICS, L"9");
       }},
      {CreateFontOptionsDialog,
       [](HWND d) {
         SendDlgItemMessageW(d, IDC_FONT_NAME, CB_SETCURSEL, 0, 0);
         SetDlgItemTextW(d, IDC_FONT_SIZE, L"30");
       }},
  };
  const std::string before = settings_->SettingsText();
  for (const Change& c : changes) {
    Open(c.create);
    ASSERT_EQ(settings_->SettingsText(), before);
    c.change(dialog_);
    Press(IDCANCEL);
    EXPECT_EQ(state_.result, 0) << WindowText(dialog_).c_str();
    EXPECT_EQ(settings_->SettingsText(), before) << WindowText(dialog_).c_str();
    EXPECT_EQ(FileBytes(), fileBefore_) << WindowText(dialog_).c_str();
    DestroyWindow(dialog_);
  }
}

TEST_F(DisplayOptionsDialogTest, ModalRunsEndWithOneOnOkAndZeroOnCancel) {
  StoreFile([](Settings& s) { s.SetEnterSendsKey(false); });
  using RunFn = INT_PTR (*)(HINSTANCE, HWND, Settings&);
  const std::pair<RunFn, const wchar_t*> runs[] = {{RunScannerOptionsDialog, L"Scanner Options"},
                                                    {RunScreenOptionsDialog, L"Screen Options"},
                                                    {RunFieldOptionsDialog, L"Field Options"},
                                                    {RunFontOptionsDialog, L"Font Options"}};
  for (const auto& [run, caption] : runs) {
    wintest::ModalOperator cancel({wintest::ModalOperator::Press(caption, IDCANCEL)});
    EXPECT_EQ(run(wintest::ProgramResources(), nullptr, *settings_), 0) << caption;
    EXPECT_TRUE(cancel.Done()) << caption;
    EXPECT_EQ(FileBytes(), fileBefore_) << caption;
  }
  wintest::ModalOperator ok({wintest::ModalOperator::Press(L"Field Options", IDOK)});
  EXPECT_EQ(RunFieldOptionsDialog(wintest::ProgramResources(), nullptr, *settings_), 1);
  EXPECT_TRUE(ok.Done());
  EXPECT_FALSE(settings_->EnterSendsKey()) << "opening read the file";
  // OK writes the whole file, normalised from what was read.
  EXPECT_EQ(FileBytes(), settings_->SettingsText());
}

}  // namespace
}  // namespace vantor

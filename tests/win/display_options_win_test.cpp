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

bool Visible(HWND dialog, int id) {
  return (GetWindowLongW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

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

TEST_F(DisplayOptionsDialogTest, ScannerOpensWithTheFilesModeAndOptions) {
  StoreFile([](Settings& s) {
    s.SetScannerCallbackMode(false);
    s.SetScannerAppendsEnter(true);
    s.SetScannerAppendsF0(false);
    s.SetScannerOverwritesField(true);
  });
  Open(CreateScannerOptionsDialog);
  EXPECT_EQ(Caption(), L"Scanner Options");
  EXPECT_TRUE(Checked(dialog_, IDC_SCANNER_WEDGE));
  EXPECT_FALSE(Checked(dialog_, IDC_SCANNER_CALLBACK));
  EXPECT_TRUE(Checked(dialog_, IDC_SCANNER_APPEND_ENTER));
  EXPECT_FALSE(Checked(dialog_, IDC_SCANNER_APPEND_F0));
  EXPECT_TRUE(Checked(dialog_, IDC_SCANNER_OVERWRITE));
  EXPECT_EQ(state_.result, -1);
}

TEST_F(DisplayOptionsDialogTest, ScannerOkStoresTheOptionsInEitherModeAndWritesTheFile) {
  StoreFile([](Settings& s) { s.SetScannerCallbackMode(true); });
  Open(CreateScannerOptionsDialog);
  EXPECT_TRUE(Checked(dialog_, IDC_SCANNER_CALLBACK));
  EXPECT_FALSE(Checked(dialog_, IDC_SCANNER_WEDGE));
  Click(IDC_SCANNER_WEDGE);
  EXPECT_FALSE(Checked(dialog_, IDC_SCANNER_CALLBACK)) << "the two modes are one radio group";
  // The callback options stay usable in wedge mode.
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, IDC_SCANNER_APPEND_ENTER)));
  Click(IDC_SCANNER_APPEND_ENTER);
  Click(IDC_SCANNER_APPEND_F0);
  Press(IDOK);
  EXPECT_EQ(state_.result, 1);
  const Settings reread = Reread();
  EXPECT_FALSE(reread.ScannerCallbackMode());
  EXPECT_TRUE(reread.ScannerAppendsEnter());
  EXPECT_FALSE(reread.ScannerAppendsF0());
  EXPECT_TRUE(reread.ScannerOverwritesField());
  EXPECT_FALSE(settings_->ScannerCallbackMode());
}

// ---- Screen Options -----------------------------------------------------------------------------

TEST_F(DisplayOptionsDialogTest, ScreenOpensWithTheFilesValuesAndLimits) {
  StoreFile([](Settings& s) {
    s.SetScreenSize(132, 40);
    s.SetFullScreen(true);
    s.SetCustomColours(false);
    s.SetShowWatermark(true);
    s.SetWatermarkText(u"Dock 4");
  });
  Open(CreateScreenOptionsDialog);
  EXPECT_EQ(Caption(), L"Screen Options");
  EXPECT_EQ(ItemText(dialog_, IDC_SCREEN_COLS), L"132");
  EXPECT_EQ(ItemText(dialog_, IDC_SCREEN_ROWS), L"40");
  EXPECT_TRUE(Checked(dialog_, IDC_SCREEN_FULLSCREEN));
  EXPECT_FALSE(Checked(dialog_, IDC_SCREEN_CUSTOM_COLORS));
  EXPECT_TRUE(Checked(dialog_, IDC_SCREEN_WATERMARK));
  EXPECT_EQ(ItemText(dialog_, IDC_SCREEN_WATERMARK_TEXT), L"Dock 4");
  EXPECT_EQ(TextLimit(dialog_, IDC_SCREEN_COLS), 3);
  EXPECT_EQ(TextLimit(dialog_, IDC_SCREEN_ROWS), 3);
  EXPECT_EQ(TextLimit(dialog_, IDC_SCREEN_WATERMARK_TEXT), 32);
  for (const auto& [spin, edit] : {std::pair{IDC_SCREEN_COLS_SPIN, IDC_SCREEN_COLS},
                                   std::pair{IDC_SCREEN_ROWS_SPIN, IDC_SCREEN_ROWS}}) {
    int low = 0, high = 0;
    SendDlgItemMessageW(dialog_, spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
                        reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 207);
    EXPECT_EQ(reinterpret_cast<HWND>(SendDlgItemMessageW(dialog_, spin, UDM_GETBUDDY, 0, 0)),
              GetDlgItem(dialog_, edit));
  }
}

TEST_F(DisplayOptionsDialogTest, ScreenShowsEachToolbarSize) {
  const std::pair<int, int> cases[] = {{-1, IDC_SCREEN_TOOLBAR_DISABLED},
                                       {0, IDC_SCREEN_TOOLBAR_1X},
                                       {1, IDC_SCREEN_TOOLBAR_2X},
                                       {2, IDC_SCREEN_TOOLBAR_3X},
                                       {-4, IDC_SCREEN_TOOLBAR_DISABLED}};
  for (const auto& [size, id] : cases) {
    StoreFile([size = size](Settings& s) { s.SetToolbarSize(size); });
    Open(CreateScreenOptionsDialog);
    for (int radio = IDC_SCREEN_TOOLBAR_DISABLED; radio <= IDC_SCREEN_TOOLBAR_3X; ++radio) {
      EXPECT_EQ(Checked(dialog_, radio), radio == id) << "toolbarsize " << size << ", button " << radio;
    }
    DestroyWindow(dialog_);
  }
}

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

TEST_F(DisplayOptionsDialogTest, ScreenStoresSize1xWhenNoToolbarButtonIsChecked) {
  StoreFile([](Settings& s) { s.SetToolbarSize(2); });
  Open(CreateScreenOptionsDialog);
  for (int radio = IDC_SCREEN_TOOLBAR_DISABLED; radio <= IDC_SCREEN_TOOLBAR_3X; ++radio) {
    CheckDlgButton(dialog_, radio, BST_UNCHECKED);
  }
  Press(IDOK);
  EXPECT_EQ(Reread().ToolbarSize(), 0);
}

TEST_F(DisplayOptionsDialogTest, ScreenWatermarkIsTypedUpTo32AndStoredUpTo31) {
  StoreFile([](Settings&) {});
  Open(CreateScreenOptionsDialog);
  HWND edit = GetDlgItem(dialog_, IDC_SCREEN_WATERMARK_TEXT);
  SetWindowTextW(edit, L"");
  SetFocus(edit);
  for (int i = 0; i < 40; ++i) SendMessageW(edit, WM_CHAR, L'a' + i % 26, 1);
  EXPECT_EQ(WindowText(edit).size(), 32u);
  Press(IDOK);
  EXPECT_EQ(Reread().WatermarkText(), u"abcdefghijklmnopqrstuvwxyzabcde");
}

TEST_F(DisplayOptionsDialogTest, ScreenOpeningReplacesUnsavedChanges) {
  StoreFile([](Settings& s) { s.SetFullScreen(false); });
  ASSERT_TRUE(settings_->ReadSettings());
  settings_->SetFullScreen(true);  // the full-screen toggle, not yet written
  Open(CreateScreenOptionsDialog);
  EXPECT_FALSE(Checked(dialog_, IDC_SCREEN_FULLSCREEN));
  EXPECT_FALSE(settings_->FullScreen());
}

// ---- Field Options ------------------------------------------------------------------------------

TEST_F(DisplayOptionsDialogTest, FieldOpensWithTheFilesValuesAndHidesTheUnderlineOption) {
  StoreFile([](Settings& s) {
    s.SetEnterSendsKey(false);
    s.SetFirstKeyReplaces(true);
    s.SetNumericChars(u"0123456789,");
  });
  Open(CreateFieldOptionsDialog);
  EXPECT_EQ(Caption(), L"Field Options");
  EXPECT_FALSE(Checked(dialog_, IDC_FIELD_ENTER_F0));
  EXPECT_TRUE(Checked(dialog_, IDC_FIELD_OVERWRITE));
  EXPECT_EQ(ItemText(dialog_, IDC_FIELD_NUMERICS), L"0123456789,");
  EXPECT_EQ(TextLimit(dialog_, IDC_FIELD_NUMERICS), 255);
  ASSERT_NE(GetDlgItem(dialog_, IDC_FIELD_UNDERLINE), nullptr);
  EXPECT_FALSE(Visible(dialog_, IDC_FIELD_UNDERLINE));
  // The static "In Custom Color Mode" is there and hidden too.
  bool foundStatic = false;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowText(child) == L"In Custom Color Mode") {
      foundStatic = true;
      EXPECT_FALSE(IsWindowVisible(child));
    }
  }
  EXPECT_TRUE(foundStatic);
}

TEST_F(DisplayOptionsDialogTest, FieldOkFiltersTheNumericsAndWritesTheFile) {
  StoreFile([](Settings&) {});
  Open(CreateFieldOptionsDialog);
  Click(IDC_FIELD_ENTER_F0);
  Click(IDC_FIELD_OVERWRITE);
  SetDlgItemTextW(dialog_, IDC_FIELD_NUMERICS, L"1\"12--");
  // The hidden check box is never read.
  CheckDlgButton(dialog_, IDC_FIELD_UNDERLINE, BST_UNCHECKED);
  Press(IDOK);
  EXPECT_EQ(state_.result, 1);
  const Settings reread = Reread();
  EXPECT_FALSE(reread.EnterSendsKey());
  EXPECT_FALSE(reread.FirstKeyReplaces());
  EXPECT_EQ(reread.NumericChars(), u"12-");
  EXPECT_TRUE(reread.UnderlineFixedText());
}

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

TEST_F(DisplayOptionsDialogTest, FontNotInstalledOpensOnTheFirstFamilyAndOkStoresIt) {
  StoreFile([](Settings& s) { s.SetFontName(u"No Such Face"); });
  Open(CreateFontOptionsDialog);
  HWND combo = GetDlgItem(dialog_, IDC_FONT_NAME);
  ASSERT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  const std::wstring first = ComboText(combo, 0);
  Press(IDOK);
  EXPECT_EQ(state_.result, 1);
  EXPECT_EQ(Reread().FontName(), FromWide(first));
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

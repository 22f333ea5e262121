// The Scanner, Screen, Field and Font options dialogs of Vantor.exe opened from the administrator's
// "&File" menu: controls set, OK writes "Vantor.ini", Cancel leaves it as it was.
#include <thread>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

inline constexpr unsigned kCbGetCount = 0x0146;
inline constexpr unsigned kCbGetCurSel = 0x0147;
inline constexpr unsigned kCbSetCurSel = 0x014E;

// One options dialog: its caption and the File menu key that opens it.
struct OptionsDialog {
  const char* caption;
  const char* menuKey;
};
constexpr OptionsDialog kScanner{"Scanner Options", "n"};
constexpr OptionsDialog kScreen{"Screen Options", "s"};
constexpr OptionsDialog kFields{"Field Options", "i"};
constexpr OptionsDialog kFont{"Font Options", "f"};

class DisplayOptionsE2eTest : public TerminalTest {
 protected:
  void StartAdministrator(const IniEntries& extra = {}) {
    IniEntries settings = {{"KorvathAdminMode", "true"}};
    settings.insert(settings.end(), extra.begin(), extra.end());
    StartConnected(settings);
  }

  // A tap on the left part of a check box or radio button: its box.
  bool Tap(const WindowInfo& dialog, long long id) {
    const auto item = Item(dialog, id);
    return item && probe_.Tap(item->x + 6, item->y + item->height / 2);
  }

  // Presses OK (1) or Cancel (2) with a tap and waits until the dialog has gone.
  void Finish(const WindowInfo& dialog, const std::string& caption, long long button) {
    ASSERT_TRUE(TapItem(dialog, button));
    ASSERT_TRUE(Gone(caption)) << caption << " stayed open";
  }
};

TEST_F(DisplayOptionsE2eTest, ScannerOptionsOkWritesTheModeAndOptions) {
  StartAdministrator({{"ScannerModeCallBack", "true"}, {"scannerappendenter", "false"}});
  const auto dialog = OpenFromFileMenu(kScanner.menuKey, kScanner.caption);
  ASSERT_TRUE(dialog.has_value()) << "no Scanner Options";
  EXPECT_GE(dialog->x, 0);
  EXPECT_GE(dialog->y, 0);
  EXPECT_EQ(CheckState(*dialog, 32802), 1);
  EXPECT_EQ(CheckState(*dialog, 32801), 0);
  ASSERT_TRUE(Tap(*dialog, 32801));
  ASSERT_TRUE(Tap(*dialog, 1011));
  ASSERT_TRUE(WaitFor([&] { return CheckState(*dialog, 1011) == 1 && CheckState(*dialog, 32802) == 0; },
                      Millis(3000), Millis(100)));
  Finish(*dialog, kScanner.caption, 1);
  EXPECT_EQ(Ini("ScannerModeCallBack"), "false");
  EXPECT_EQ(Ini("scannerappendenter"), "true");
  EXPECT_EQ(Ini("scannerappendf0"), "true");
  EXPECT_EQ(Ini("scanneroverwritefield"), "true");
}

TEST_F(DisplayOptionsE2eTest, ScreenOptionsOkClampsTheGridAndDisablingRemovesTheToolbar) {
  StartAdministrator({{"toolbarsize", "0"}, {"WaterMarkText", "\"Dock 4\""}});
  ASSERT_TRUE(WaitWindows([&](const WindowList& w) { return !OfClass(ChildrenOf(w, main_.handle), "VdxCToolBar").empty(); }))
      << Describe(windows_);
  const auto dialog = OpenFromFileMenu(kScreen.menuKey, kScreen.caption);
  ASSERT_TRUE(dialog.has_value()) << "no Screen Options";
  EXPECT_EQ(ItemText(*dialog, 1014), "80");
  EXPECT_EQ(ItemText(*dialog, 1016), "24");
  EXPECT_EQ(ItemText(*dialog, 1024), "Dock 4");
  EXPECT_EQ(CheckState(*dialog, 1019), 1);
  ASSERT_TRUE(SetItemText(*dialog, 1014, "300"));
  ASSERT_TRUE(SetItemText(*dialog, 1016, "0"));
  ASSERT_TRUE(SetItemText(*dialog, 1024, ""));
  ASSERT_TRUE(Tap(*dialog, 1018));
  ASSERT_TRUE(WaitFor([&] { return CheckState(*dialog, 1018) == 1; }, Millis(3000), Millis(100)));
  Finish(*dialog, kScreen.caption, 1);
  EXPECT_EQ(Ini("screencols"), "207");
  EXPECT_EQ(Ini("screenrows"), "1");
  EXPECT_EQ(Ini("toolbarsize"), "-1");
  EXPECT_EQ(Ini("WaterMarkText"), "\"\"");
  EXPECT_TRUE(WaitWindows([&](const WindowList& w) { return OfClass(w, "VdxCToolBar").empty(); }))
      << Describe(windows_);
  // The menu is back after the dialog.
  EXPECT_TRUE(WaitWindows([&](const WindowList&) { return main_.hasMenu; }));
}

TEST_F(DisplayOptionsE2eTest, FieldOptionsOkWritesTheFlagsAndFilteredNumerics) {
  StartAdministrator({{"fieldentertof0", "true"}, {"fieldedit", "true"}});
  const auto dialog = OpenFromFileMenu(kFields.menuKey, kFields.caption);
  ASSERT_TRUE(dialog.has_value()) << "no Field Options";
  EXPECT_EQ(ItemText(*dialog, 1056), "0123456789+-%*/.$");
  EXPECT_EQ(CheckState(*dialog, 1057), 1);
  const auto underline = Item(*dialog, 1058);
  ASSERT_TRUE(underline.has_value());
  EXPECT_FALSE(underline->visible);
  ASSERT_TRUE(SetItemText(*dialog, 1056, "12\"1ab"));
  ASSERT_TRUE(Tap(*dialog, 1057));
  ASSERT_TRUE(WaitFor([&] { return CheckState(*dialog, 1057) == 0; }, Millis(3000), Millis(100)));
  Finish(*dialog, kFields.caption, 1);
  EXPECT_EQ(Ini("fieldnumericvalue"), "\"12ab\"");
  EXPECT_EQ(Ini("fieldentertof0"), "false");
  EXPECT_EQ(Ini("fieldedit"), "true");
}

TEST_F(DisplayOptionsE2eTest, FontOptionsOkWritesTheFamilySizeAndHeldWidth) {
  StartAdministrator({{"fontname", "\"No Such Face\""}, {"fontpointsize", "9"}});
  const auto dialog = OpenFromFileMenu(kFont.menuKey, kFont.caption);
  ASSERT_TRUE(dialog.has_value()) << "no Font Options";
  const auto list = Item(*dialog, 1059);
  ASSERT_TRUE(list.has_value());
  // The stored family is not installed: the first one is selected.
  EXPECT_EQ(probe_.Send(list->handle, kCbGetCurSel, 0, 0), 0);
  const auto count = probe_.Send(list->handle, kCbGetCount, 0, 0);
  ASSERT_TRUE(count.has_value());
  ASSERT_GE(*count, 2);
  ASSERT_TRUE(probe_.Send(list->handle, kCbSetCurSel, 1, 0).has_value());
  const std::string family = probe_.GetText(list->handle).value_or("");
  ASSERT_FALSE(family.empty());
  EXPECT_EQ(ItemText(*dialog, 1061), "9");
  ASSERT_TRUE(SetItemText(*dialog, 1061, "12"));
  ASSERT_TRUE(SetItemText(*dialog, 1062, "12"));
  ASSERT_TRUE(Tap(*dialog, 1063));
  ASSERT_TRUE(WaitFor([&] { return CheckState(*dialog, 1063) == 1; }, Millis(3000), Millis(100)));
  Finish(*dialog, kFont.caption, 1);
  EXPECT_EQ(Ini("fontname"), "\"" + family.substr(0, 31) + "\"");
  EXPECT_EQ(Ini("fontpointsize"), "12");
  EXPECT_EQ(Ini("CharacterCellAdditionalWidth"), "09");
  EXPECT_EQ(Ini("UpperCaseInputMode"), "true");
}

TEST_F(DisplayOptionsE2eTest, CancelLeavesTheFileAsItWas) {
  StartAdministrator();
  // Normalise the file once, so that the comparison is of a file the terminal wrote.
  auto dialog = OpenFromFileMenu(kScanner.menuKey, kScanner.caption);
  ASSERT_TRUE(dialog.has_value());
  Finish(*dialog, kScanner.caption, 1);
  const std::string before = terminal_.ReadIni();
  ASSERT_NE(before.find("ScannerModeCallBack="), std::string::npos);

  struct Change {
    OptionsDialog which;
    long long id;
    const char* text;  // null: tap the control instead
  };
  const Change changes[] = {
      {kScanner, 1013, nullptr},
      {kScreen, 1014, "20"},
      {kFields, 1056, "9"},
      {kFont, 1061, "30"},
  };
  for (const Change& change : changes) {
    dialog = OpenFromFileMenu(change.which.menuKey, change.which.caption);
    ASSERT_TRUE(dialog.has_value()) << "no " << change.which.caption;
    if (change.text != nullptr) {
      ASSERT_TRUE(SetItemText(*dialog, change.id, change.text));
    } else {
      ASSERT_TRUE(Tap(*dialog, change.id));
    }
    Finish(*dialog, change.which.caption, 2);
    EXPECT_EQ(terminal_.ReadIni(), before) << change.which.caption;
  }
}

}  // namespace
}  // namespace vantor::e2e

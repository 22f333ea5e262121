// Rules of the Scanner, Screen, Field and Font options dialogs: what they show on opening, what OK stores.
#include "forms/display_options.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace vantor {
namespace {

namespace fs = std::filesystem;

// A settings object on a file of its own in a fresh folder.
class DisplayOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("vantor_da_" + std::string(info->name()) + "_" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir_);
    path_ = dir_ / "Vantor.ini";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // A settings object whose file holds what `prepare` set.
  template <typename Prepare>
  Settings Stored(Prepare prepare) {
    Settings stored(path_);
    prepare(stored);
    EXPECT_TRUE(stored.WriteSettings());
    return Settings(path_);
  }
  Settings Reread() {
    Settings reread(path_);
    EXPECT_TRUE(reread.ReadSettings());
    return reread;
  }

  fs::path dir_;
  fs::path path_;
};

// ---- Scanner Options ----------------------------------------------------------------------------

TEST_F(DisplayOptionsTest, ScannerOpensWithTheFilesModeAndOptions) {
  Settings settings = Stored([](Settings& s) {
    s.SetScannerCallbackMode(false);
    s.SetScannerAppendsEnter(true);
    s.SetScannerAppendsF0(false);
    s.SetScannerOverwritesField(true);
  });
  EXPECT_EQ(OpenScannerOptions(settings), (ScannerOptionsForm{false, true, false, true}));
  settings.SetScannerCallbackMode(true);
  EXPECT_TRUE(ScannerOptionsFrom(settings).callbackMode);
}

TEST_F(DisplayOptionsTest, ScannerOptionsAreStoredWhateverTheMode) {
  Settings settings;
  for (const ScannerOptionsForm form :
       {ScannerOptionsForm{false, true, false, false}, ScannerOptionsForm{true, false, true, true}}) {
    ApplyScannerOptions(form, settings);
    EXPECT_EQ(ScannerOptionsFrom(settings), form);
  }
}

// ---- Screen Options -----------------------------------------------------------------------------

TEST(DisplayOptionsToolbarTest, RadioChoiceForEachStoredSize) {
  EXPECT_EQ(ToolbarChoiceFor(-1), ToolbarChoice::kDisabled);
  EXPECT_EQ(ToolbarChoiceFor(0), ToolbarChoice::kSize1x);
  EXPECT_EQ(ToolbarChoiceFor(1), ToolbarChoice::kSize2x);
  EXPECT_EQ(ToolbarChoiceFor(2), ToolbarChoice::kSize3x);
  EXPECT_EQ(ToolbarChoiceFor(3), ToolbarChoice::kSize1x);
  EXPECT_EQ(ToolbarChoiceFor(INT_MAX), ToolbarChoice::kSize1x);
  // The terminal builds no toolbar for any negative size: the dialog says so too.
  EXPECT_EQ(ToolbarChoiceFor(-2), ToolbarChoice::kDisabled);
  EXPECT_EQ(ToolbarChoiceFor(INT_MIN), ToolbarChoice::kDisabled);
}

TEST(DisplayOptionsToolbarTest, StoredSizeForEachChoiceAndNoneChecked) {
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kDisabled), -1);
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kSize1x), 0);
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kSize2x), 1);
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kSize3x), 2);
  EXPECT_EQ(ToolbarSizeFor(ToolbarChoice::kNone), 0);
  for (int size : {-1, 0, 1, 2}) EXPECT_EQ(ToolbarSizeFor(ToolbarChoiceFor(size)), size);
}

TEST_F(DisplayOptionsTest, ScreenOpensWithTheFilesValues) {
  Settings settings = Stored([](Settings& s) {
    s.SetScreenSize(132, 40);
    s.SetToolbarSize(7);
    s.SetFullScreen(true);
    s.SetCustomColours(true);
    s.SetShowWatermark(false);
    s.SetWatermarkText(u"Dock 4");
  });
  EXPECT_EQ(OpenScreenOptions(settings),
            (ScreenOptionsForm{true, true, false, u"Dock 4", u"132", u"40", ToolbarChoice::kSize1x}));
}

TEST_F(DisplayOptionsTest, ScreenShowsOutOfRangeFileNumbersAsTheyAre) {
  Settings settings(path_);
  settings.ApplySettingsText("screencols=500\r\nscreenrows=-3\r\n");
  const ScreenOptionsForm form = ScreenOptionsFrom(settings);
  EXPECT_EQ(form.cols, u"500");
  EXPECT_EQ(form.rows, u"-3");
  // Unchanged and confirmed, they come back within the limits.
  ApplyScreenOptions(form, settings);
  EXPECT_EQ(settings.ScreenColumns(), 207);
  EXPECT_EQ(settings.ScreenRows(), 1);
}

TEST(DisplayOptionsScreenTest, ColumnsAndRowsAreReadUnsignedAndClamped) {
  struct Case {
    std::u16string text;
    int stored;
  };
  const std::vector<Case> cases = {
      {u"0", 1}, {u"300", 207}, {u"207", 207}, {u"1", 1}, {u"80", 80}, {u"", 1},
      {u"abc", 1}, {u"12x", 12}, {u"-5", 1}, {u" 9", 1}, {u"99999999999999", 207},
  };
  for (const Case& c : cases) {
    Settings settings;
    ScreenOptionsForm form = ScreenOptionsFrom(settings);
    form.cols = c.text;
    form.rows = c.text;
    ApplyScreenOptions(form, settings);
    EXPECT_EQ(settings.ScreenColumns(), c.stored) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(settings.ScreenRows(), c.stored) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(DisplayOptionsScreenTest, OkStoresEveryControl) {
  Settings settings;
  ScreenOptionsForm form;
  form.fullScreen = true;
  form.customColors = true;
  form.showWaterMark = false;
  form.waterMarkText = u"";
  form.cols = u"40";
  form.rows = u"16";
  form.toolbar = ToolbarChoice::kDisabled;
  ApplyScreenOptions(form, settings);
  EXPECT_EQ(ScreenOptionsFrom(settings), form);
  EXPECT_EQ(settings.ToolbarSize(), -1);
}

TEST(DisplayOptionsScreenTest, WatermarkKeepsAtMost31Characters) {
  Settings settings;
  ScreenOptionsForm form = ScreenOptionsFrom(settings);
  form.waterMarkText = std::u16string(32, u'W');
  ApplyScreenOptions(form, settings);
  EXPECT_EQ(settings.WatermarkText(), std::u16string(31, u'W'));
  form.waterMarkText = u"  spaced  ";
  ApplyScreenOptions(form, settings);
  EXPECT_EQ(settings.WatermarkText(), u"  spaced  ");
}

// ---- Field Options ------------------------------------------------------------------------------

TEST_F(DisplayOptionsTest, FieldOpensWithTheFilesValues) {
  Settings settings = Stored([](Settings& s) {
    s.SetEnterSendsKey(false);
    s.SetFirstKeyReplaces(true);
    s.SetNumericChars(u"0123456789");
  });
  EXPECT_EQ(OpenFieldOptions(settings), (FieldOptionsForm{false, true, u"0123456789"}));
}

TEST(DisplayOptionsFieldTest, NumericsGoThroughTheSettingsFilter) {
  Settings settings;
  ApplyFieldOptions(FieldOptionsForm{true, false, u"1\"12..,"}, settings);
  EXPECT_EQ(FieldOptionsFrom(settings), (FieldOptionsForm{true, false, u"12.,"}));
  ApplyFieldOptions(FieldOptionsForm{false, true, u""}, settings);
  EXPECT_EQ(FieldOptionsFrom(settings), (FieldOptionsForm{false, true, u""}));
}

// ---- Font Options -------------------------------------------------------------------------------

TEST_F(DisplayOptionsTest, FontOpensWithTheFilesValues) {
  Settings settings = Stored([](Settings& s) {
    s.SetFontName(u"Lucida Console");
    s.SetFontPointSize(11);
    s.SetFontAutoSize(true);
    s.SetExtraCellWidth(3);
    s.SetUpperCaseInput(true);
  });
  EXPECT_EQ(OpenFontOptions(settings), (FontOptionsForm{u"Lucida Console", u"11", true, u"3", true}));
}

TEST(DisplayOptionsFontTest, SizeIsStoredAsTypedAndWidthIsHeldToNine) {
  Settings settings;
  FontOptionsForm form = FontOptionsFrom(settings);
  form.pointSize = u"99";
  form.additionalWidth = u"12";
  form.autoSize = true;
  form.upperCase = true;
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontPointSize(), 99);
  EXPECT_EQ(settings.ExtraCellWidth(), 9);
  EXPECT_TRUE(settings.FontAutoSize());
  EXPECT_TRUE(settings.UpperCaseInput());
  form.pointSize = u"";
  form.additionalWidth = u"";
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontPointSize(), 0);
  EXPECT_EQ(settings.ExtraCellWidth(), 0);
  form.pointSize = u"1";
  form.additionalWidth = u"9";
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontPointSize(), 1);
  EXPECT_EQ(settings.ExtraCellWidth(), 9);
  form.additionalWidth = u"4294967296";
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.ExtraCellWidth(), 9);
}

TEST(DisplayOptionsFontTest, SelectedFamilyIsStoredAndNoSelectionKeepsTheStoredName) {
  Settings settings;
  FontOptionsForm form = FontOptionsFrom(settings);
  form.fontName = u"Arial";
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontName(), u"Arial");
  form.fontName = std::u16string(40, u'F');
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontName(), std::u16string(31, u'F'));
  form.fontName.reset();
  ApplyFontOptions(form, settings);
  EXPECT_EQ(settings.FontName(), std::u16string(31, u'F'));
}

TEST(DisplayOptionsFontTest, FamiliesAreListedOnceInFirstSeenOrder) {
  std::vector<std::u16string> families;
  EXPECT_TRUE(AddFontFamily(families, u"Tahoma"));
  EXPECT_TRUE(AddFontFamily(families, u"Courier New"));
  EXPECT_FALSE(AddFontFamily(families, u"Tahoma"));
  EXPECT_FALSE(AddFontFamily(families, u""));
  // Only an identical entry counts as present.
  EXPECT_TRUE(AddFontFamily(families, u"tahoma"));
  EXPECT_FALSE(AddFontFamily(families, u"Courier New"));
  EXPECT_EQ(families, (std::vector<std::u16string>{u"Tahoma", u"Courier New", u"tahoma"}));
}

TEST(DisplayOptionsFontTest, EntryToSelectForTheStoredName) {
  const std::vector<std::u16string> entries = {u"Arial", u"COURIER NEW", u"Courier New", u"Tahoma"};
  EXPECT_EQ(FontEntryToSelect(entries, u"Courier New"), 2);
  EXPECT_EQ(FontEntryToSelect(entries, u"Tahoma"), 3);
  // Not installed, or nothing stored: the first entry.
  EXPECT_EQ(FontEntryToSelect(entries, u"Not Installed"), 0);
  EXPECT_EQ(FontEntryToSelect(entries, u""), 0);
  EXPECT_EQ(FontEntryToSelect(entries, u"Tahom"), 0);
  // Face names match without regard to case when no entry is identical.
  EXPECT_EQ(FontEntryToSelect(entries, u"tahoma"), 3);
  EXPECT_EQ(FontEntryToSelect(entries, u"courier new"), 1);
  EXPECT_EQ(FontEntryToSelect({}, u"Arial"), -1);
  EXPECT_EQ(FontEntryToSelect({}, u""), -1);
}

TEST_F(DisplayOptionsTest, MissingStoredFontOpensWithTheFirstFamilyAndOkStoresIt) {
  Settings settings = Stored([](Settings& s) { s.SetFontName(u"No Such Face"); });
  FontOptionsForm form = OpenFontOptions(settings);
  const std::vector<std::u16string> shown = {u"Arial", u"Courier New"};
  const int selected = FontEntryToSelect(shown, *form.fontName);
  ASSERT_EQ(selected, 0);
  form.fontName = shown[static_cast<std::size_t>(selected)];
  ApplyFontOptions(form, settings);
  ASSERT_TRUE(settings.WriteSettings());
  EXPECT_EQ(Reread().FontName(), u"Arial");
}

// ---- all four: opening re-reads the file --------------------------------------------------------

TEST_F(DisplayOptionsTest, OpeningReplacesUnsavedChangesWithTheFilesValues) {
  Settings settings = Stored([](Settings& s) {
    s.SetFullScreen(false);
    s.SetScannerAppendsEnter(false);
    s.SetFirstKeyReplaces(true);
    s.SetFontPointSize(9);
  });
  ASSERT_TRUE(settings.ReadSettings());
  settings.SetFullScreen(true);  // as the full-screen toggle does, written only at shutdown
  EXPECT_FALSE(OpenScreenOptions(settings).fullScreen);
  EXPECT_FALSE(settings.FullScreen());
  settings.SetScannerAppendsEnter(true);
  EXPECT_FALSE(OpenScannerOptions(settings).appendEnter);
  EXPECT_FALSE(settings.ScannerAppendsEnter());
  settings.SetFirstKeyReplaces(false);
  EXPECT_TRUE(OpenFieldOptions(settings).overwrite);
  EXPECT_TRUE(settings.FirstKeyReplaces());
  settings.SetFontPointSize(30);
  EXPECT_EQ(OpenFontOptions(settings).pointSize, u"9");
  EXPECT_EQ(settings.FontPointSize(), 9);
}

TEST_F(DisplayOptionsTest, OpeningWithoutAFileShowsWhatIsHeld) {
  Settings settings(path_);
  settings.SetScreenSize(100, 30);
  settings.SetFontName(u"Tahoma");
  EXPECT_EQ(OpenScreenOptions(settings).cols, u"100");
  EXPECT_EQ(OpenFontOptions(settings).fontName, std::optional<std::u16string>(u"Tahoma"));
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(DisplayOptionsTest, ConfirmedValuesSurviveTheFile) {
  Settings settings(path_);
  ScreenOptionsForm screen = OpenScreenOptions(settings);
  screen.cols = u"300";
  screen.rows = u"0";
  screen.waterMarkText = u"";
  screen.toolbar = ToolbarChoice::kSize2x;
  ApplyScreenOptions(screen, settings);
  FontOptionsForm font = OpenFontOptions(settings);
  font.additionalWidth = u"7";
  ApplyFontOptions(font, settings);
  ASSERT_TRUE(settings.WriteSettings());
  const std::string text = settings.SettingsText();
  EXPECT_NE(text.find("screencols=207\r\n"), std::string::npos);
  EXPECT_NE(text.find("screenrows=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("toolbarsize=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("WaterMarkText=\"\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("CharacterCellAdditionalWidth=07\r\n"), std::string::npos);
  Settings reread = Reread();
  EXPECT_EQ(reread.ScreenSize(), (GridSize{207, 1}));
  EXPECT_EQ(reread.WatermarkText(), u"");
  EXPECT_EQ(reread.ToolbarSize(), 1);
  EXPECT_EQ(reread.ExtraCellWidth(), 7);
}

}  // namespace
}  // namespace vantor

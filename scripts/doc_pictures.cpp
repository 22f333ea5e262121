// The README's pictures: a host screen with every kind of control and the toolbar, the lock indicator, and
// the options dialogs, each opened on a plausible setup and saved once its values show. Built on the
// end-to-end tests' fixture; scripts/docs-pictures.sh runs it.
#include <cstdlib>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

class DocPictures : public TerminalTest {
 protected:
  // Saves that part of the screen into VANTOR_DOCS_DIR as `name`.png; a `steady` one once two shots in a
  // row agree (painting comes a moment after a window changes).
  void Picture(const std::string& name, int x, int y, int width, int height, bool steady = true) {
    const char* docs = std::getenv("VANTOR_DOCS_DIR");
    ASSERT_TRUE(docs != nullptr && *docs != '\0') << "VANTOR_DOCS_DIR names no folder";
    const std::string crop =
        std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" + std::to_string(y);
    std::string last;
    const auto agree = [&] {
      std::string shot = Screenshot(crop);
      const bool same = !shot.empty() && shot == last;
      last = std::move(shot);
      return same;
    };
    EXPECT_TRUE(!steady || WaitFor(agree, Millis(5000), Millis(100))) << name;
    EXPECT_TRUE(WriteFile(std::string(docs) + "/" + name + ".png", Screenshot(crop, "png"))) << name;
  }
};

TEST_F(DocPictures, ScreenToolbarAndIndicator) {
  StartConnected();
  ScreenBuilder screen;
  screen.SelectPage(0)
      .ErasePage()
      .Fixed(1, 0, 0, " PUT-AWAY          ")
      .Attributes(1, 'A', kReverseAttributes)
      .Define(2, 0, 19, kSystemFlags, kReverseAttributes, 5)
      .Fixed(3, 2, 0, "Item:")
      .Define(4, 2, 6, kInputFlags, kPlainAttributes, 12)
      .Text(4, "A100");
  const struct {
    int id, row, column, cells;
    char type;
    const char* text;
  } controls[] = {{7, 5, 0, 13, 'C', "XPrint label"}, {8, 5, 14, 9, 'C', " Urgent"},   {9, 7, 0, 8, 'R', "XPallet"},
                  {10, 7, 8, 7, 'R', " Case"},        {12, 9, 0, 11, 'S', "XFragile"}, {13, 9, 12, 11, 'S', " Cold"},
                  {14, 11, 0, 11, 'B', "Store"},      {15, 11, 12, 11, 'B', "Back"}};
  for (const auto& c : controls)
    screen.Define(c.id, c.row, c.column, kInputFlags, kPlainAttributes, c.cells)
        .Options(c.id, {option::Type(c.type)})
        .Text(c.id, c.text);
  SendScreen(screen.KeyLabel(1, "SAVE").KeyLabel(7, "NEXT").KeyLabel(8, "EXIT").ShowPage(0).FocusAndUnlock(4));
  const auto entry = WaitControl(4);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  Picture("controls", main_.x, main_.y, main_.width, main_.height);
  Picture("toolbar", main_.x, main_.y, main_.width, main_.height);
  ASSERT_EQ(Press(entry->handle, {"enter"}), KeyResponse(0, 4));
  ASSERT_TRUE(WaitIndicator("Lock-H")) << Describe(windows_);
  Picture("indicator", main_.x, main_.y, main_.width, main_.height, false);  // it animates
}

TEST_F(DocPictures, OptionsDialogs) {
  StartConnected({{"KorvathAdminMode", "true"},
                  {"NormalSoundType", "2"},
                  {"NormalSoundToneFrequency", "880"},
                  {"NormalSoundToneDuration", "150"}});
  const struct {
    const char* name;
    const char* caption;
    std::vector<std::string> menuKeys;  // none: the Normal sound's item in "Soun&ds"
    long long item;                     // an item that shows `value` once the dialog has its values
    const char* value;
  } cases[] = {
      {"options-scanner", "Scanner Options", {"n"}, 0, ""},
      {"options-screen", "Screen Options", {"s"}, 1016, "24"},
      {"options-fields", "Field Options", {"i"}, 1056, "0123456789+-%*/.$"},
      {"options-font", "Font Options", {"f"}, 1061, "9"},
      {"options-serial-port",
       "Serial Port Options",
       {"down", "down", "down", "down", "down", "down", "enter"},
       1039,
       "9600"},
      {"options-serial-feature", "Serial Feature Options", {"r"}, 1073, "500"},
      {"options-sound", "Options Normal Sound", {}, 1045, "880"},
  };
  for (const auto& c : cases) {
    const auto dialog = c.menuKeys.empty() ? OpenSoundDialog(0, c.caption) : OpenFromFileMenu(c.menuKeys, c.caption);
    ASSERT_TRUE(dialog.has_value()) << c.name;
    if (c.item != 0) {
      EXPECT_TRUE(WaitFor([&] { return probe_.GetText(Item(*dialog, c.item)) == c.value; }, Millis(5000))) << c.name;
    }
    Picture(c.name, dialog->clientX, dialog->clientY, dialog->clientWidth, dialog->clientHeight);
    ASSERT_TRUE(probe_.Keys(dialog->handle, {"esc"}));
    ASSERT_TRUE(Gone(c.caption)) << c.name;
  }
}

}  // namespace
}  // namespace vantor::e2e

// The README's pictures of the options dialogs, each opened on a plausible setup (defaults, the demo
// host, a tone for the Normal sound) and saved once its values show. Not part of the test run:
// scripts/docs-pictures.sh runs it.
#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

using DocPictures = TerminalTest;

TEST_F(DocPictures, DISABLED_OptionsDialogs) {
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
      {"options-serial-port", "Serial Port Options", {"down", "down", "down", "down", "down", "down", "enter"}, 1039, "9600"},
      {"options-serial-feature", "Serial Feature Options", {"r"}, 1073, "500"},
      {"options-sound", "Options Normal Sound", {}, 1045, "880"},
  };
  for (const auto& c : cases) {
    const auto dialog = c.menuKeys.empty() ? OpenSoundDialog(0, c.caption) : OpenFromFileMenu(c.menuKeys, c.caption);
    ASSERT_TRUE(dialog.has_value()) << c.name;
    if (c.item != 0) {
      EXPECT_TRUE(WaitFor([&] { return ItemText(*dialog, c.item) == c.value; }, Millis(5000))) << c.name;
    }
    Picture(c.name, dialog->clientX, dialog->clientY, dialog->clientWidth, dialog->clientHeight);
    ASSERT_TRUE(probe_.Keys(dialog->handle, {"esc"}));
    ASSERT_TRUE(Gone(c.caption)) << c.name;
  }
}

}  // namespace
}  // namespace vantor::e2e

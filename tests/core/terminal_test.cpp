// Tests of the terminal's screen: its own queries, and the pages' background (the operator's requests
// and the host dialogs are cases of protocol.rows).
#include "session/terminal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects_recorder.h"
#include "field_helpers.h"
#include "settings/settings.h"

namespace vantor {
namespace {

using testing_support::EffectsRecorder;
using testing_support::RecordCapture;

TEST(ScreenTest, AnswersItsQueries) {
  Screen screen(kDefaultPageBackground);
  // The message shown skips leading blanks only.
  screen.messageText = u"   Pick  item ";
  EXPECT_EQ(screen.MessageShown(), u"Pick  item ");
  screen.messageText = u"    ";
  EXPECT_EQ(screen.MessageShown(), u"");
  screen.messageText = u"\tTab";
  EXPECT_EQ(screen.MessageShown(), u"\tTab");
  // Key labels for codes 0 to 36.
  EXPECT_EQ(screen.KeyLabel(3), nullptr);
  EXPECT_TRUE(screen.SetKeyLabel(0, u"ENTER"));
  EXPECT_FALSE(screen.SetKeyLabel(37, u"X"));
  EXPECT_FALSE(screen.SetKeyLabel(-1, u"X"));
  EXPECT_EQ(screen.KeyLabel(37), nullptr);
  // The focused field is the focus field on the current page.
  Field& f = testing_support::AddField(screen.pages.At(0)->Fields(), 4, 0, 4, 2);
  EXPECT_EQ(screen.FocusedField(), nullptr);
  screen.focusField = 4;
  EXPECT_EQ(screen.FocusedField(), &f);
  screen.currentPage = 1;
  EXPECT_EQ(screen.FocusedField(), nullptr);
  EXPECT_EQ(screen.CurrentPage(), screen.pages.At(1));
  screen.currentPage = 200;
  EXPECT_EQ(screen.CurrentPage(), nullptr);
  EXPECT_EQ(screen.FocusedField(), nullptr);
}

TEST(TerminalColoursTest, PagesTakeTheCustomBackground) {
  Settings settings;
  settings.ApplySettingsText("CustomColorMode=true\r\nBackGroundColor=102030\r\n");
  ASSERT_TRUE(settings.CustomColours());
  EffectsRecorder effects;
  RecordCapture sent;
  Terminal terminal(settings, effects, sent);
  EXPECT_EQ(terminal.GetScreen().pages.At(7)->background, settings.BackgroundColour());
}

}  // namespace
}  // namespace vantor

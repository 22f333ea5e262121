// Tests of the response records, byte for byte, as the session builds and sends them.
#include "session/responses.h"

#include <gtest/gtest.h>

#include "field_helpers.h"

#include <string>
#include <vector>

#include "settings/settings.h"
#include "model/field_list.h"
#include "effects_recorder.h"
#include "session/terminal.h"

namespace vantor {
namespace {

using testing_support::EffectsRecorder;
using testing_support::FixedClock;
using testing_support::RecordCapture;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

class ResponsesTest : public ::testing::Test {
 protected:
  ResponsesTest() { screen.keyboard = Keyboard::Ready; }

  // The operator's key (or an auto-send change) on the focus field, the keyboard unlocked first.
  void SendKey(int code) {
    screen.keyboard = Keyboard::Ready;
    terminal.KeyPressed(screen.focusField, FunctionKeyFromCode(code));
  }

  Field& Input(int id, std::u16string_view text, bool modified = true, int page = 0) {
    Field& f = testing_support::AddField(screen.pages.At(page)->Fields(), id, id, 0, 40);
    f.format.flags = 0x03;
    f.SetText(text);
    f.edit.modified = modified ? 1 : 0;
    return f;
  }

  Settings settings;
  EffectsRecorder effects;
  FixedClock clock;
  RecordCapture sent;
  Terminal terminal{settings, effects, sent, clock};
  Screen& screen = terminal.GetScreen();
};

TEST_F(ResponsesTest, FieldsOfOtherPagesAreNotReported) {
  Input(1, u"here");
  Input(2, u"there", true, 1);
  screen.focusField = 1;
  terminal.FieldChanged(1);
  EXPECT_EQ(sent.Data(), (std::vector<std::string>{"R%1=14here"}));
  EXPECT_EQ(screen.pages.At(1)->Fields().Find(2)->edit.modified, 1);
}

TEST(FieldNumberTest, OutOfRangeNumbersAreSentAsSlashNeverAsAZeroByte) {
  EXPECT_EQ(FieldNumberByte(-1), '/');
  EXPECT_EQ(FieldNumberByte(-48), '/');
  EXPECT_EQ(FieldNumberByte(208), '/');
  EXPECT_EQ(FieldNumberByte(0), '0');
}

TEST_F(ResponsesTest, PrefixModesAddThePrefixOnceOrStripIt) {
  struct Case {
    int mode;
    std::u16string_view prefix, text, reported;
  };
  const Case cases[] = {
      {0, u"AB", u"ABC", u"ABC"},  // not doubled
      {0, u"AB", u"C", u"ABC"},   {1, u"AB", u"A", u"ABA"},   {1, u"AB", u"", u"AB"},
      {0, u"", u"ABC", u"ABC"},  // no prefix
      {2, u"AB", u"ABC", u"C"},   {2, u"AB", u"XYZ", u"XYZ"}, {3, u"AB", u"AB", u""},
  };
  Field& f = Input(1, u"");
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " text " << std::string(c.text.begin(), c.text.end()));
    f.SetPrefix(c.prefix, static_cast<int>(c.prefix.size()), c.mode);
    f.SetText(c.text);
    EXPECT_EQ(ReportedText(f), c.reported);
  }
}

TEST_F(ResponsesTest, TextBeyondTheLongestLengthIsCutAtACharacterBoundary) {
  settings.SetHostTextIsUtf8(true);
  Field& f = testing_support::AddField(screen.pages.At(0)->Fields(), 1, 0, 0, 20000);
  f.format.flags = 3;
  f.SetText(std::u16string(20000, u'\u20ac'));  // 3 bytes each: 60000 bytes
  f.edit.modified = true;
  screen.focusField = 1;
  SendKey(0);
  const std::string& data = sent.records.at(0).data;
  // 43263 is 207 * 208 + 207; the cut falls on a whole character: 14421 * 3 = 43263.
  const std::string header = "RF01=1!" + Bytes({0xFF, 0xFF});
  ASSERT_EQ(data.substr(0, header.size()), header);
  EXPECT_EQ(data.size(), header.size() + 43263u);
}

TEST_F(ResponsesTest, PromptRepliesInShortAndLongFormsAreReleasedAfterSending) {
  screen.promptLength = 300;
  for (const std::u16string& answer : {std::u16string(u"yes"), std::u16string(207, u'a'), std::u16string(208, u'b')}) {
    screen.SetPromptAnswer(answer);
    EXPECT_TRUE(terminal.SendPromptReply());
  }
  terminal.SendPromptReply();  // released after sending
  screen.promptLength = 5;
  screen.SetPromptAnswer(u"abcdefgh");  // cut to the input length
  terminal.SendPromptReply();
  screen.SetPromptAnswer(u"zz");
  screen.promptLength = -1;  // no prompt: empty
  terminal.SendPromptReply();
  EXPECT_EQ(sent.Data(), (std::vector<std::string>{"R?3yes", "R?" + Bytes({0xFF}) + std::string(207, 'a'),
                                                   "R?!10" + std::string(208, 'b'), "R?0", "R?5abcde", "R?0"}));
  EXPECT_EQ(screen.keyboard, Keyboard::Locked);
}

TEST_F(ResponsesTest, StatusResponseOfTheInitialSession) {
  // 26 columns and 10 rows until the session thread copies the settings.
  EXPECT_EQ(BuildStatusResponse(26, 10, 59),
            "R!" + Bytes({0x82, '2', '1', '0', 13 + 48, (0xA0 | 5) + 48, '@', 59 + 48}));
  EXPECT_EQ(BuildStatusResponse(207, 207, 0), "R!" + Bytes({0x82, '2', '1', '0', 103 + 48, (0xA0 | 7) + 48, '@', '0'}));
}

TEST_F(ResponsesTest, SerialInputIsSplitIntoWholeResponsesUpToAZeroByteWithoutLocking) {
  EXPECT_TRUE(terminal.SendSerialInput("abc"));
  EXPECT_TRUE(terminal.SendSerialInput(std::string(207, 'y') + std::string(208, 'z')));
  EXPECT_TRUE(terminal.SendSerialInput(std::string("ab\0cd", 5)));
  EXPECT_TRUE(terminal.SendSerialInput(""));
  EXPECT_EQ(sent.Data(),
            (std::vector<std::string>{"R<13abc", "R<1" + Bytes({0xFF}) + std::string(207, 'y'),
                                      "R<1" + Bytes({0xFF}) + std::string(207, 'z'), "R<11z", "R<12ab", "R<10"}));
  EXPECT_EQ(screen.keyboard, Keyboard::Ready);
  sent.Clear();
  sent.fail = true;  // a failed send stops the rest
  EXPECT_FALSE(terminal.SendSerialInput(std::string(500, 'q')));
  EXPECT_EQ(sent.records.size(), 1u);
}

TEST_F(ResponsesTest, GoodbyeCarriesTheTerminalId) {
  settings.SetTerminalId(42);
  terminal.Restart();
  terminal.SendGoodbye();
  ASSERT_EQ(sent.records.size(), 1u);
  EXPECT_EQ(sent.records[0].data, "&");
  EXPECT_EQ(sent.records[0].terminalId, 42);
}

TEST(LengthEncodingTest, ShortAndLongFormsAndUtf8CutsKeepSequencesWhole) {
  std::string out;
  for (int length : {0, 207, 208, 43263, 99999}) AppendLength(out, length);  // 99999 held to the longest form
  EXPECT_EQ(out, Bytes({'0', 0xFF, '!', '1', '0', '!', 0xFF, 0xFF, '!', 0xFF, 0xFF}));
  const std::string text = "a\xC3\xA9\xE2\x82\xAC";  // a, e-acute, euro
  EXPECT_EQ(CutEncoded(text, 2, CodePage::Utf8), "a");
  EXPECT_EQ(CutEncoded(text, 3, CodePage::Utf8), "a\xC3\xA9");
  EXPECT_EQ(CutEncoded(text, 5, CodePage::Utf8), "a\xC3\xA9");
  EXPECT_EQ(CutEncoded(text, 6, CodePage::Utf8), text);
  EXPECT_EQ(CutEncoded(text, 2, CodePage::Ansi), "a\xC3");
}

}  // namespace
}  // namespace vantor

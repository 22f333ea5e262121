// Tests of the terminal's records: byte for byte as the session builds and sends them, and read back.
#include "session/responses.h"

#include <gtest/gtest.h>

#include "field_helpers.h"

#include <string>
#include <utility>
#include <vector>

#include "settings/settings.h"
#include "model/field_list.h"
#include "effects_recorder.h"
#include "session/terminal.h"
#include "session/wire_format.h"

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
    f.flags = 0x03;
    f.SetText(text);
    f.modified = modified ? 1 : 0;
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
  EXPECT_EQ(screen.pages.At(1)->Fields().Find(2)->modified, 1);
}

TEST(FieldNumberTest, OutOfRangeNumbersAreSentAsSlashNeverAsAZeroByte) {
  EXPECT_EQ(FieldNumberByte(-48), '/');
  EXPECT_EQ(FieldNumberByte(208), '/');
}

std::u16string Wide(std::string_view text) { return std::u16string(text.begin(), text.end()); }

TEST_F(ResponsesTest, EveryRecordReadsBackAsItWasBuilt) {
  using Kind = TerminalRecordKind;
  const auto built = [&](const TerminalRecord& record) -> std::string {
    for (const ReportedField& field : record.fields) Input(field.field, Wide(field.text));
    FieldList* fields = &screen.pages.At(0)->Fields();
    switch (record.kind) {
      case Kind::Key: return BuildKeyResponse(*record.functionCode, *record.focusField, fields, CodePage::Ansi);
      case Kind::FieldChange: return BuildFieldResponse(*record.focusField, fields, CodePage::Ansi);
      case Kind::PromptReply: return BuildPromptReply(Wide(record.text), CodePage::Ansi);
      case Kind::SerialInput: {
        std::string sent;
        SendSerialInputResponses(record.text, [&](std::string_view response) {
          sent.append(response);
          return true;
        });
        return sent;
      }
      case Kind::Status: return BuildStatusResponse(record.columns, record.rows, record.stamp);
      case Kind::Identify: return std::string(kIdentifyRecord);
      case Kind::ScreenReceived: return std::string(kScreenReceivedRecord);
      case Kind::Goodbye: return std::string(kGoodbyeRecord);
      default: return {};
    }
  };
  const TerminalRecord records[] = {
      {.kind = Kind::Key, .terminalId = "42", .functionCode = 11, .focusField = 20, .fields = {{20, "JOE"}, {21, ""}}},
      {.kind = Kind::Key, .functionCode = 0, .focusField = -1},
      {.kind = Kind::FieldChange, .terminalId = "999", .focusField = 207, .fields = {{0, "a=b"}}},
      {.kind = Kind::PromptReply, .text = "yes"},
      {.kind = Kind::PromptReply, .terminalId = "3", .text = std::string(kLongestLength, 'b')},
      {.kind = Kind::SerialInput, .terminalId = "1", .text = std::string(kSerialInputChunk, 'z')},
      {.kind = Kind::Status, .columns = 80, .rows = 24, .stamp = 59},
      {.kind = Kind::Identify, .terminalId = "7"},
      {.kind = Kind::ScreenReceived, .terminalId = "100"},
      {.kind = Kind::Goodbye},
      {.kind = Kind::Empty},
  };
  for (const TerminalRecord& record : records) {
    SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(record.kind) << " id " << record.terminalId);
    const int terminalId = record.terminalId.empty() ? 0 : std::stoi(record.terminalId);
    EXPECT_EQ(ReadTerminalRecord(FrameRecord(terminalId, built(record))), record);
  }
}

TEST(ResponseReaderTest, BytesNoTerminalSendsAreReadAsFarAsTheyGo) {
  using Kind = TerminalRecordKind;
  using Problem = ReadProblem;
  const std::pair<std::string_view, TerminalRecord> cases[] = {
      {"RF", {.kind = Kind::Key, .problem = Problem::Cut}},
      {"5RF3", {.kind = Kind::Key, .terminalId = "5", .functionCode = 3, .problem = Problem::Cut}},
      {"RF0D=", {.kind = Kind::Key, .functionCode = 0, .focusField = 20, .problem = Problem::Cut}},
      {"R%D=D5JO", {.kind = Kind::FieldChange, .focusField = 20, .fields = {{20, "JO"}}, .problem = Problem::TextCut}},
      {"R%/xY", {.kind = Kind::FieldChange, .focusField = -1, .problem = Problem::NotAFieldItem, .rest = "xY"}},
      {"R%D=D1a=E!1 ",
       {.kind = Kind::FieldChange,
        .focusField = 20,
        .fields = {{20, "a"}},
        .problem = Problem::BadLength,
        .rest = "=E!1 "}},
      {"R?!1", {.kind = Kind::PromptReply, .problem = Problem::Cut}},
      {"R?1YZ", {.kind = Kind::PromptReply, .text = "Y", .problem = Problem::LeftOver, .rest = "Z"}},
      {"R<1!x", {.kind = Kind::SerialInput, .problem = Problem::BadLength, .rest = "!x"}},
      {"R<2", {.rest = "R<2"}},
      {"R!\x82"
       "210H!A0",
       {.rest = "R!\x82"
                "210H!A0"}},
      {"7Zz", {.terminalId = "7", .rest = "Zz"}},
  };
  for (const auto& [bytes, read] : cases) EXPECT_EQ(ReadTerminalRecord(bytes), read) << testing::PrintToString(bytes);
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
    f.SetPrefix(c.prefix, static_cast<int>(c.prefix.size()));
    f.prefixMode = static_cast<std::uint8_t>(c.mode);
    f.SetText(c.text);
    EXPECT_EQ(ReportedText(f), c.reported);
  }
}

TEST_F(ResponsesTest, TextBeyondTheLongestLengthIsCutAtACharacterBoundary) {
  settings.SetHostTextIsUtf8(true);
  Field& f = testing_support::AddField(screen.pages.At(0)->Fields(), 1, 0, 0, 20000);
  f.flags = 3;
  f.SetText(std::u16string(20000, u'\u20ac'));  // 3 bytes each: 60000 bytes
  f.modified = 1;
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

TEST(LengthEncodingTest, LongerLengthsAreHeldToTheLongestAndUtf8CutsKeepSequencesWhole) {
  std::string out;
  AppendLength(out, 99999);
  EXPECT_EQ(out, Bytes({'!', 0xFF, 0xFF}));
  const std::string text = "a\xC3\xA9\xE2\x82\xAC";  // a, e-acute, euro
  EXPECT_EQ(CutEncoded(text, 2, CodePage::Utf8), "a");
  EXPECT_EQ(CutEncoded(text, 3, CodePage::Utf8), "a\xC3\xA9");
  EXPECT_EQ(CutEncoded(text, 5, CodePage::Utf8), "a\xC3\xA9");
  EXPECT_EQ(CutEncoded(text, 6, CodePage::Utf8), text);
  EXPECT_EQ(CutEncoded(text, 2, CodePage::Ansi), "a\xC3");
}

}  // namespace
}  // namespace vantor

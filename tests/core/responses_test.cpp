// Tests of the terminal's records: byte for byte as the session builds them, and read back.
#include "session/responses.h"

#include <gtest/gtest.h>

#include "field_helpers.h"

#include <string>
#include <utility>
#include <vector>

#include "model/field_list.h"
#include "row_tables.h"
#include "session/wire_format.h"

namespace vantor {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

std::u16string Wide(std::string_view text) { return std::u16string(text.begin(), text.end()); }

TEST(ResponseReaderTest, EveryRecordReadsBackAsItWasBuilt) {
  using Kind = TerminalRecordKind;
  const auto built = [&](const TerminalRecord& record) -> std::string {
    FieldList list(nullptr);
    for (const ReportedField& field : record.fields) {
      Field& f = testing_support::AddField(list, field.field, field.field, 0, 40);
      f.SetText(Wide(field.text));
      f.edit.modified = true;
    }
    FieldList* fields = &list;
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

// A record as read: its kind, then each part that is not at its default.
std::string Summary(const TerminalRecord& r) {
  const char* kinds[] = {"empty",  "identify", "received", "goodbye", "key",
                         "change", "prompt",   "serial",   "status",  "?"};
  const char* problems[] = {"", " cut", " textcut", " notitem", " badlength", " leftover"};
  std::string text = kinds[static_cast<int>(r.kind)];
  if (!r.terminalId.empty()) text += " id=" + r.terminalId;
  if (r.functionCode) text += " code=" + std::to_string(*r.functionCode);
  if (r.focusField) text += " focus=" + std::to_string(*r.focusField);
  for (const ReportedField& f : r.fields) text += " " + std::to_string(f.field) + ":" + f.text;
  if (!r.text.empty()) text += " text=" + r.text;
  if (r.columns != 0 || r.rows != 0 || r.stamp != 0)
    text += " status=" + std::to_string(r.columns) + "," + std::to_string(r.rows) + "," + std::to_string(r.stamp);
  return text + problems[static_cast<int>(r.problem)] + (r.rest.empty() ? "" : " rest=" + r.rest);
}

TEST(ResponseReaderTest, BytesNoTerminalSendsAreReadAsFarAsTheyGo) {
  testing_support::ForEachRow("cut records", [&](const std::vector<std::string>& w) {
    EXPECT_EQ(Summary(ReadTerminalRecord(testing_support::Text(w.at(0)))), testing_support::Text(w.at(1)));
  });
}

// The table "prefix modes".
TEST(ResponsesTest, PrefixModesAddThePrefixOnceOrStripIt) {
  FieldList list(nullptr);
  Field& f = testing_support::AddField(list, 1, 0, 0, 40);
  testing_support::ForEachRow("prefix modes", [&](const std::vector<std::string>& w) {
    const std::u16string prefix = Wide(testing_support::Text(w.at(1)));
    f.SetPrefix(prefix, static_cast<int>(prefix.size()), std::stoi(w.at(0)));
    f.SetText(Wide(testing_support::Text(w.at(2))));
    EXPECT_EQ(ReportedText(f), Wide(testing_support::Text(w.at(3))));
  });
}

TEST(ResponsesTest, TextBeyondTheLongestLengthIsCutAtACharacterBoundary) {
  FieldList list(nullptr);
  Field& f = testing_support::AddField(list, 1, 0, 0, 20000);
  f.SetText(std::u16string(20000, u'\u20ac'));  // 3 bytes each: 60000 bytes
  f.edit.modified = true;
  const std::string data = BuildKeyResponse(0, 1, &list, CodePage::Utf8);
  // 43263 is 207 * 208 + 207; the cut falls on a whole character: 14421 * 3 = 43263.
  const std::string header = "RF01=1!" + Bytes({0xFF, 0xFF});
  ASSERT_EQ(data.substr(0, header.size()), header);
  EXPECT_EQ(data.size(), header.size() + 43263u);
  EXPECT_FALSE(f.edit.modified);
}

TEST(ResponsesTest, PromptRepliesInShortAndLongForms) {
  EXPECT_EQ(BuildPromptReply(u"yes", CodePage::Ansi), "R?3yes");
  EXPECT_EQ(BuildPromptReply(std::u16string(207, u'a'), CodePage::Ansi), "R?" + Bytes({0xFF}) + std::string(207, 'a'));
  std::string accents;  // 208 bytes: the long form
  for (int i = 0; i < 104; ++i) accents += "\xC3\xA9";
  EXPECT_EQ(BuildPromptReply(std::u16string(104, u'\u00e9'), CodePage::Utf8), "R?!10" + accents);
}

TEST(ResponsesTest, StatusResponseOfTheInitialSession) {
  // 26 columns and 10 rows until the session thread copies the settings.
  EXPECT_EQ(BuildStatusResponse(26, 10, 59),
            "R!" + Bytes({0x82, '2', '1', '0', 13 + 48, (0xA0 | 5) + 48, '@', 59 + 48}));
  EXPECT_EQ(BuildStatusResponse(207, 207, 0), "R!" + Bytes({0x82, '2', '1', '0', 103 + 48, (0xA0 | 7) + 48, '@', '0'}));
}

TEST(ResponsesTest, SerialInputIsSplitIntoWholeResponsesUpToAZeroByte) {
  std::vector<std::string> records;
  bool fail = false;
  const auto send = [&](std::string_view record) {
    records.emplace_back(record);
    return !fail;
  };
  EXPECT_EQ(SendSerialInputResponses("abc", send), 1);
  EXPECT_EQ(SendSerialInputResponses(std::string(207, 'y') + std::string(208, 'z'), send), 3);
  EXPECT_EQ(SendSerialInputResponses(std::string("ab\0cd", 5), send), 1);
  EXPECT_EQ(SendSerialInputResponses("", send), 1);
  EXPECT_EQ(records,
            (std::vector<std::string>{"R<13abc", "R<1" + Bytes({0xFF}) + std::string(207, 'y'),
                                      "R<1" + Bytes({0xFF}) + std::string(207, 'z'), "R<11z", "R<12ab", "R<10"}));
  records.clear();
  fail = true;  // a failed send stops the rest
  EXPECT_EQ(SendSerialInputResponses(std::string(500, 'q'), send), 0);
  EXPECT_EQ(records.size(), 1u);
}

TEST(LengthEncodingTest, FieldNumbersLengthsInBothFormsAndUtf8CutsKeepSequencesWhole) {
  // Field numbers out of range are sent as a slash, never as a zero byte.
  EXPECT_EQ(std::pair(FieldNumberByte(-48), FieldNumberByte(208)), std::pair('/', '/'));
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

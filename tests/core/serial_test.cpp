// Serial device rules: line settings, framing of messages in and out, queues, and routing into fields.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "devices/serial_config.h"
#include "devices/serial_cutter.h"
#include "devices/serial_queues.h"
#include "session/serial_input.h"

namespace vantor {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

TEST(SerialConfig, SettingTextsAreRead) {
  const std::pair<std::u16string_view, int> parities[] = {{u"oO", kParityOdd},   {u"eE", kParityEven},
                                                          {u"mM", kParityMark},  {u"sS", kParitySpace},
                                                          {u"nNx", kParityNone}, {{u"\0", 1}, kParityNone}};
  for (const auto& [letters, parity] : parities) {
    for (const char16_t letter : letters) EXPECT_EQ(ParityFromChar(letter), parity) << int{letter};
  }
  const std::pair<const char16_t*, int> stopBits[] = {{u"1", kStopOne},    {u"1.5", kStopOneAndHalf}, {u"2", kStopTwo},
                                                      {u"1.50", kStopOne}, {u"2 ", kStopOne},         {u"", kStopOne}};
  for (const auto& [text, bits] : stopBits) EXPECT_EQ(StopBitsFromText(text), bits);
  const std::pair<char16_t, int> dataBits[] = {{u'3', 8}, {u'4', 4}, {u'7', 7}, {u'8', 8}, {u'9', 8}, {u'\0', 8}};
  for (const auto& [letter, bits] : dataBits) EXPECT_EQ(DataBitsFromChar(letter), bits) << int{letter};
  const std::pair<const char16_t*, std::uint32_t> bauds[] = {{u"9600", 9600},
                                                             {u" \t19200", 19200},
                                                             {u"+38400", 38400},
                                                             {u"115200 baud", 115200},
                                                             {u"fast", 0},
                                                             {u"", 0},
                                                             {u"-9600", 0},
                                                             {u"4294967295", 4294967295u},
                                                             {u"99999999999999999999", 4294967295u}};
  for (const auto& [text, baud] : bauds) EXPECT_EQ(ParseBaudText(text), baud);
}

TEST(SerialConfig, DevicePathReachesComPortsAboveNine) {
  const std::pair<const char16_t*, const char16_t*> paths[] = {{u"COM1:", u"\\\\.\\COM1"},
                                                               {u"com12:", u"\\\\.\\COM12"},
                                                               {u"cOm999", u"\\\\.\\COM999"},
                                                               // Anything else is opened as it is.
                                                               {u"COM0:", u"COM0:"},
                                                               {u"COM:", u"COM:"},
                                                               {u"COMX:", u"COMX:"},
                                                               {u"COM1:x", u"COM1:x"},
                                                               {u"COM1234", u"COM1234"},
                                                               {u"COM1x", u"COM1x"},
                                                               {u"CON1", u"CON1"},
                                                               {u"LPT1:", u"LPT1:"},
                                                               {u"", u""},
                                                               {u":", u":"}};
  for (const auto& [name, path] : paths) EXPECT_EQ(SerialDevicePath(name), path);
}

TEST(SerialQueues, InboxWakesOnlyWhenEmptyAndQueuesAreBounded) {
  SerialInbox inbox;
  const std::uint8_t a[] = {1, 2};
  EXPECT_TRUE(inbox.Push(a, 2));
  EXPECT_FALSE(inbox.Push(a, 1));
  EXPECT_FALSE(inbox.Push(nullptr, 5));  // an empty message
  EXPECT_EQ(inbox.TakeAll(), (std::vector<Bytes>{{1, 2}, {1}, {}}));
  for (std::size_t i = 0; i < SerialInbox::kMaxPending; ++i) inbox.Push(a, 1);
  EXPECT_FALSE(inbox.Push(a, 1));
  EXPECT_EQ(inbox.Dropped(), 1u);
  EXPECT_EQ(inbox.TakeAll().size(), SerialInbox::kMaxPending);
  EXPECT_TRUE(inbox.Push(a, 0));
  // The writer's queue keeps order and bounds both count and bytes; framing adds only the bytes that are set.
  SerialSendQueue q;
  ASSERT_TRUE(q.Put({1}));
  ASSERT_TRUE(q.Put({2}));
  EXPECT_EQ(q.Take(), Bytes{1});
  EXPECT_EQ(q.Take(), Bytes{2});
  EXPECT_FALSE(q.Take());
  for (std::size_t i = 0; i < SerialSendQueue::kMaxMessages; ++i) ASSERT_TRUE(q.Put({3}));
  EXPECT_FALSE(q.Put({4}));
  q.Clear();
  EXPECT_EQ(q.Size(), 0u);
  ASSERT_TRUE(q.Put(Bytes(SerialSendQueue::kMaxBytes - 1, 5)));
  EXPECT_FALSE(q.Put({6, 6}));
  EXPECT_TRUE(q.Put({6}));
  ASSERT_TRUE(q.Take());
  EXPECT_TRUE(q.Put(Bytes(100, 7)));  // taking frees the room
  EXPECT_EQ(FrameSerialOutput(Bytes{'A', 'B'}, 2, 3), (Bytes{2, 'A', 'B', 3}));
  EXPECT_EQ(FrameSerialOutput(Bytes{'A', 'B'}, 0, 3), (Bytes{'A', 'B', 3}));
  EXPECT_EQ(FrameSerialOutput({}, 2, 0), (Bytes{2}));
}

Strings Cut(SerialMessageCutter& cutter, const Strings& chunks) {
  Strings messages;
  for (const std::string& chunk : chunks) {
    cutter.Feed(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size(),
                [&](const std::uint8_t* data, std::size_t length) {
                  EXPECT_EQ(data[length], 0) << "a message is followed by a zero byte";
                  messages.emplace_back(reinterpret_cast<const char*>(data), length);
                });
  }
  return messages;
}

TEST(SerialCutter, MessagesByStartAndEndBytes) {
  const std::string x1500(1500, 'x'), longest(SerialMessageCutter::kMaxMessage, 'm');
  const std::string stream =
      "noise\x02"
      "first\x03"
      "junk\x03\x02"
      "second\x02"
      "still\x03";
  Strings byteAtATime;
  for (char ch : stream) byteAtATime.emplace_back(1, ch);
  struct Case {
    const char* why;
    std::uint8_t start, end;
    Strings chunks, expected;
  };
  const Case cases[] = {
      {"start and end", 2, 3, {"\x41\x02\x42\x43\x03\x44"}, {"BC"}},
      {"start only: to the chunk end",
       2,
       0,
       {"\x41\x02\x42", std::string("\x02\x41\x02\x42", 4)},
       {"B",
        "A\x02"
        "B"}},
      {"no start byte: dropped", 2, 3, {"ABC\x03", "XYZ"}, {}},
      {"no framing: every chunk whole",
       0,
       0,
       {"AB\x03"
        "C",
        "D", ""},
       {"AB\x03"
        "C",
        "D"}},
      {"empty message", 2, 3, {"\x02\x03"}, {""}},
      {"split across reads, then afresh",
       2,
       3,
       {"xx\x02"
        "AB",
        "CD\x03yy\x02"
        "C\x03"},
       {"ABCD", "C"}},
      {"byte at a time",
       2,
       3,
       byteAtATime,
       {"first",
        "second\x02"
        "still"}},
      // A device's CR LF: the LF is not the next message's start; a second message in a chunk is passed over.
      {"end only, across reads", 0, '\r', {"12", "34\r\n", "56\r", "A\rB\r", "\r"}, {"1234", "56", "A", ""}},
      {"overlong framed message dropped", 2, 3, {"\x02" + x1500, x1500, "xx\x03", "\x02Y\x03"}, {"Y"}},
      {"overlong end-only message passed over", 0, '\r', {x1500, x1500, "zz\r", "ok\r"}, {"ok"}},
      {"longest framed fits", 2, 3, {"\x02" + longest.substr(0, 1000), longest.substr(1000) + "\x03"}, {longest}},
      {"longest end-only message fits", 0, 3, {longest + "\x03"}, {longest}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    SerialMessageCutter cutter(c.start, c.end);
    EXPECT_EQ(Cut(cutter, c.chunks), c.expected);
  }
}

TEST(SerialCutter, ResetForgetsAPartialMessage) {
  for (const std::uint8_t start : {0, 2}) {
    SerialMessageCutter cutter(start, 3);
    EXPECT_EQ(Cut(cutter, {"\x02"
                           "AB"}),
              Strings{});
    cutter.Reset();
    EXPECT_EQ(Cut(cutter, {"CD\x03",
                           "\x02"
                           "E\x03"}),
              start ? Strings{"E"}
                    : (Strings{"CD",
                               "\x02"
                               "E"}));
  }
}

// Serial input fields as the field records make them: the first one not yet modified is next, else the
// last; a fed character marks the field modified; a fed carriage return acts as Enter and locks the keyboard.
struct Page {
  std::vector<int> lengths;
  bool markModified = true, locked = false, window = true;
};

struct FakeTarget : SerialInputTarget {
  explicit FakeTarget(Page fields) : page(std::move(fields)), modified(page.lengths.size()) {}
  bool KeyboardReady() const override { return !page.locked; }
  int FirstSerialInputField() override {
    ++passes;
    std::size_t i = 0;
    while (i + 1 < modified.size() && modified[i]) ++i;
    return modified.empty() ? kNoSerialField : static_cast<int>(i) + 1;
  }
  bool FieldHasWindow(int) override { return page.window; }
  int FieldLength(int id) override { return page.lengths.at(static_cast<std::size_t>(id) - 1); }
  void ClearField(int id) override { log += "clear" + std::to_string(id) + ";"; }
  void FeedChar(int id, char16_t ch) override {
    page.locked = ch == u'\r';
    log += page.locked ? "enter;" : std::string(1, static_cast<char>(ch));
    if (!page.locked) modified.at(static_cast<std::size_t>(id) - 1) = page.markModified;
  }

  Page page;
  std::vector<bool> modified;
  std::string log;
  int passes = 0;
};

TEST(SerialInput, ScannedTextFillsTheSerialInputFields) {
  const Page locked{{10}, true, true}, noWindow{{10}, true, false, false};
  struct Case {
    const char* why;
    Page page;
    std::u16string_view text;
    std::string log;
    int passes;
  };
  const Case cases[] = {
      {"one field takes its length, rest dropped", {{3}}, u"ABCDEFGH", "clear1;ABC", 2},
      {"short text stops at its end", {{10}}, std::u16string_view(u"ABxyz", 2), "clear1;AB", 1},
      {"second field once the first counts modified", {{3, 3}}, u"ABCDEFGH", "clear1;ABCclear2;DEF", 3},
      {"first stays unmodified: nothing more", {{3, 3}, false}, u"ABCDEFGH", "clear1;ABC", 2},
      {"carriage return is Enter and ends it", {{10, 10}}, u"AB\rCD", "clear1;ABenter;", 1},
      {"keyboard locked", locked, u"AB", "", 0},
      {"no fields", {}, u"AB", "", 1},
      {"a field without a window", noWindow, u"AB", "", 1},
      {"fields that take nothing cannot loop", {{0, 0}}, u"ABC", "clear1;", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    FakeTarget target(c.page);
    FeedSerialFields(c.text, target);
    EXPECT_EQ(target.log, c.log);
    EXPECT_EQ(target.passes, c.passes);
  }
}

}  // namespace
}  // namespace vantor

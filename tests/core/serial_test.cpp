// Serial device rules: line settings, framing of messages in and out, queues, and routing into fields.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "devices/serial_config.h"
#include "devices/serial_cutter.h"
#include "devices/serial_queues.h"
#include "session/serial_input.h"

namespace vantor {
namespace {

TEST(SerialConfigParse, ParityFromFirstCharacter) {
  const std::pair<char16_t, SerialParity> cases[] = {{u'o', kParityOdd},   {u'O', kParityOdd},   {u'E', kParityEven},
                                            {u'e', kParityEven},  {u'M', kParityMark},  {u'm', kParityMark},
                                            {u'S', kParitySpace}, {u's', kParitySpace}, {u'N', kParityNone},
                                            {u'x', kParityNone},  {u'\0', kParityNone}};
  for (const auto& [letter, parity] : cases)
    EXPECT_EQ(ParityFromChar(letter), static_cast<std::uint8_t>(parity)) << static_cast<int>(letter);
}

TEST(SerialConfigParse, StopBitsOnlyExactTexts) {
  EXPECT_EQ(StopBitsFromText(u"1"), kStopOne);
  EXPECT_EQ(StopBitsFromText(u"1.5"), kStopOneAndHalf);
  EXPECT_EQ(StopBitsFromText(u"2"), kStopTwo);
  EXPECT_EQ(StopBitsFromText(u"1.50"), kStopOne);
  EXPECT_EQ(StopBitsFromText(u"2 "), kStopOne);
  EXPECT_EQ(StopBitsFromText(u""), kStopOne);
}

TEST(SerialConfigParse, DataBitsFromFirstCharacter) {
  EXPECT_EQ(DataBitsFromChar(u'4'), 4);
  EXPECT_EQ(DataBitsFromChar(u'8'), 8);
  EXPECT_EQ(DataBitsFromChar(u'9'), 8);
  EXPECT_EQ(DataBitsFromChar(u'3'), 8);
  EXPECT_EQ(DataBitsFromChar(u'\0'), 8);
}

TEST(SerialConfigParse, BaudText) {
  EXPECT_EQ(ParseBaudText(u"9600"), 9600u);
  EXPECT_EQ(ParseBaudText(u" 19200"), 19200u);
  EXPECT_EQ(ParseBaudText(u"+38400"), 38400u);
  EXPECT_EQ(ParseBaudText(u"115200 baud"), 115200u);
  EXPECT_EQ(ParseBaudText(u"fast"), 0u);  // passed to the port as it is
  EXPECT_EQ(ParseBaudText(u""), 0u);
  EXPECT_EQ(ParseBaudText(u"-9600"), 0u);
  EXPECT_EQ(ParseBaudText(u"99999999999999999999"), std::numeric_limits<std::uint32_t>::max());
}

TEST(SerialConfigParse, MakeConfigTakesEveryValue) {
  const SerialTimeouts timeouts{500, 1, 2, 3, 4};
  const SerialConfig c =
      MakeSerialConfig(u"COM3:", u"4800", u'o', u'7', u"2", true, 2, 3, false, 10, 13, timeouts);
  EXPECT_EQ(c.line.portName, u"COM3:");
  EXPECT_EQ(c.line.baudRate, 4800u);
  EXPECT_EQ(c.line.parity, kParityOdd);
  EXPECT_EQ(c.line.dataBits, 7);
  EXPECT_EQ(c.line.stopBits, kStopTwo);
  EXPECT_TRUE(c.framing.inOn);
  EXPECT_EQ(c.framing.startByte, 2);
  EXPECT_EQ(c.framing.endByte, 3);
  EXPECT_FALSE(c.framing.outOn);
  EXPECT_EQ(c.framing.prefixByte, 10);
  EXPECT_EQ(c.framing.suffixByte, 13);
  EXPECT_EQ(c.timeouts.readInterval, 500u);
  EXPECT_EQ(c.timeouts.readTotalMultiplier, 1u);
  EXPECT_EQ(c.timeouts.readTotalConstant, 2u);
  EXPECT_EQ(c.timeouts.writeTotalMultiplier, 3u);
  EXPECT_EQ(c.timeouts.writeTotalConstant, 4u);
}

TEST(SerialConfigParse, DevicePathReachesEveryComPort) {
  EXPECT_EQ(SerialDevicePath(u"COM1:"), u"\\\\.\\COM1");
  EXPECT_EQ(SerialDevicePath(u"COM1"), u"\\\\.\\COM1");
  EXPECT_EQ(SerialDevicePath(u"com12:"), u"\\\\.\\COM12");
  EXPECT_EQ(SerialDevicePath(u"COM99:"), u"\\\\.\\COM99");
  // Anything else is opened as it is.
  EXPECT_EQ(SerialDevicePath(u"COM0:"), u"COM0:");
  EXPECT_EQ(SerialDevicePath(u"COM:"), u"COM:");
  EXPECT_EQ(SerialDevicePath(u"COMX:"), u"COMX:");
  EXPECT_EQ(SerialDevicePath(u"COM1:x"), u"COM1:x");
  EXPECT_EQ(SerialDevicePath(u"COM1234"), u"COM1234");
  EXPECT_EQ(SerialDevicePath(u"\\\\.\\COM3"), u"\\\\.\\COM3");
  EXPECT_EQ(SerialDevicePath(u"LPT1:"), u"LPT1:");
  EXPECT_EQ(SerialDevicePath(u""), u"");
  EXPECT_EQ(SerialDevicePath(u":"), u":");
}

using namespace std::chrono_literals;

std::vector<std::uint8_t> Msg(std::uint8_t a, std::size_t size = 1) { return std::vector<std::uint8_t>(size, a); }

TEST(SerialInbox, WakeUpOnlyWhenItWasEmpty) {
  SerialInbox inbox;
  const std::uint8_t a[] = {1, 2};
  EXPECT_TRUE(inbox.Push(a, 2));
  EXPECT_FALSE(inbox.Push(a, 1));
  const auto all = inbox.TakeAll();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(all[1], (std::vector<std::uint8_t>{1}));
  EXPECT_TRUE(inbox.TakeAll().empty());
  EXPECT_TRUE(inbox.Push(a, 0));  // empty messages count too
  EXPECT_TRUE(inbox.Push(nullptr, 5) == false);
  EXPECT_EQ(inbox.TakeAll()[1].size(), 0u);
}

TEST(SerialInbox, BoundedWhenNobodyTakes) {
  SerialInbox inbox;
  const std::uint8_t a[] = {7};
  for (std::size_t i = 0; i < SerialInbox::kMaxPending; ++i) inbox.Push(a, 1);
  EXPECT_FALSE(inbox.Push(a, 1));
  EXPECT_EQ(inbox.Dropped(), 1u);
  EXPECT_EQ(inbox.TakeAll().size(), SerialInbox::kMaxPending);
}

TEST(SerialInbox, HandOffBetweenThreadsKeepsOrder) {
  SerialInbox inbox;
  std::atomic<bool> done{false};
  std::vector<std::uint8_t> received;
  std::thread reader([&] {
    for (std::uint8_t i = 0; i < 50; ++i) {
      inbox.Push(&i, 1);
      std::this_thread::yield();
    }
    done = true;
  });
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (received.size() < 50 && std::chrono::steady_clock::now() < deadline) {
    for (auto& m : inbox.TakeAll()) received.push_back(m.at(0));
    std::this_thread::sleep_for(1ms);
  }
  reader.join();
  ASSERT_EQ(received.size(), 50u);
  for (std::uint8_t i = 0; i < 50; ++i) EXPECT_EQ(received[i], i);
}

TEST(SerialSendQueue, OrderAndBounds) {
  SerialSendQueue q;
  EXPECT_FALSE(q.Take());
  ASSERT_TRUE(q.Put(Msg(1)));
  ASSERT_TRUE(q.Put(Msg(2)));
  EXPECT_EQ(q.Take(), Msg(1));
  EXPECT_EQ(q.Take(), Msg(2));
  EXPECT_FALSE(q.Take());

  for (std::size_t i = 0; i < SerialSendQueue::kMaxMessages; ++i) ASSERT_TRUE(q.Put(Msg(3)));
  EXPECT_FALSE(q.Put(Msg(4)));
  q.Clear();
  EXPECT_EQ(q.Size(), 0u);

  ASSERT_TRUE(q.Put(Msg(5, SerialSendQueue::kMaxBytes - 1)));
  EXPECT_FALSE(q.Put(Msg(6, 2)));
  EXPECT_TRUE(q.Put(Msg(6, 1)));
  ASSERT_TRUE(q.Take());
  EXPECT_TRUE(q.Put(Msg(7, 100)));  // taking frees the room
}

TEST(SerialSendQueue, OneWriterTakesInOrderWhileAnotherThreadPuts) {
  SerialSendQueue q;
  std::vector<std::uint8_t> written;
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (written.size() < 200 && std::chrono::steady_clock::now() < deadline) {
      if (auto m = q.Take()) {
        written.push_back(m->at(0));
      } else {
        std::this_thread::yield();
      }
    }
  });
  for (int i = 0; i < 200; ++i) {
    for (int tries = 0; tries < 1000 && !q.Put(Msg(static_cast<std::uint8_t>(i))); ++tries) {
      std::this_thread::sleep_for(1ms);
    }
  }
  writer.join();
  ASSERT_EQ(written.size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(written[i], static_cast<std::uint8_t>(i));
}

TEST(SerialOutput, FramingAddsOnlyTheBytesThatAreSet) {
  const std::vector<std::uint8_t> ab{'A', 'B'};
  EXPECT_EQ(FrameSerialOutput(ab, 2, 3), (std::vector<std::uint8_t>{0x02, 'A', 'B', 0x03}));
  EXPECT_EQ(FrameSerialOutput(ab, 0, 0), ab);
  EXPECT_EQ(FrameSerialOutput(ab, 0, 3), (std::vector<std::uint8_t>{'A', 'B', 0x03}));
  EXPECT_EQ(FrameSerialOutput({}, 2, 3), (std::vector<std::uint8_t>{0x02, 0x03}));
}

class Cut {
 public:
  Cut(std::uint8_t start, std::uint8_t end) : cutter_(start, end) {}
  Cut& Feed(const std::string& chunk) {
    cutter_.Feed(reinterpret_cast<const std::uint8_t*>(chunk.data()), chunk.size(),
                 [this](const std::uint8_t* data, std::size_t length) {
                   EXPECT_EQ(data[length], 0) << "a message is followed by a zero byte";
                   messages_.emplace_back(reinterpret_cast<const char*>(data), length);
                 });
    return *this;
  }
  const std::vector<std::string>& Messages() const { return messages_; }
  const SerialMessageCutter& Cutter() const { return cutter_; }

 private:
  SerialMessageCutter cutter_;
  std::vector<std::string> messages_;
};

using Messages = std::vector<std::string>;

std::string Cat(std::string a, const std::string& b) { return a.append(b); }

TEST(SerialCutter, FramingByStartAndEndBytes) {
  struct Case {
    const char* why;
    std::uint8_t start, end;
    std::vector<std::string> chunks;
    Messages expected;
  };
  const Case cases[] = {
      {"start and end", 2, 3, {"\x41\x02\x42\x43\x03\x44"}, {"BC"}},
      {"start only runs to the chunk end", 2, 0, {"\x41\x02\x42", std::string("\x02\x41\x02\x42", 4)},
       {"B", "A\x02" "B"}},
      {"no start byte: dropped", 2, 3, {"ABC\x03", "XYZ"}, {}},
      {"no start byte, start only: dropped", 2, 0, {"ABC"}, {}},
      {"no framing: every chunk whole", 0, 0, {"AB\x03" "C", "D"}, {"AB\x03" "C", "D"}},
      {"empty message", 2, 3, {"\x02\x03"}, {""}},
      {"second message starts afresh", 2, 3, {"\x02" "AB\x03", "x\x02" "C\x03"}, {"AB", "C"}},
      {"empty chunk", 0, 0, {""}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    Cut cut(c.start, c.end);
    for (const std::string& chunk : c.chunks) cut.Feed(chunk);
    EXPECT_EQ(cut.Messages(), c.expected);
  }
}

TEST(SerialCutter, FramedMessageSplitAcrossReadsIsJoined) {
  Cut c(2, 3);
  c.Feed("xx\x02" "AB");
  EXPECT_TRUE(c.Cutter().Collecting());
  c.Feed("CD\x03yy");
  EXPECT_EQ(c.Messages(), Messages{"ABCD"});
  EXPECT_FALSE(c.Cutter().Collecting());
}

TEST(SerialCutter, ByteAtATimeGivesTheSameMessages) {
  const std::string stream = "noise\x02" "first\x03" "junk\x03\x02" "second\x02" "still\x03";
  Cut whole(2, 3);
  whole.Feed(stream);
  Cut bytes(2, 3);
  for (char ch : stream) bytes.Feed(std::string(1, ch));
  const Messages expected{"first", "second\x02" "still"};
  EXPECT_EQ(whole.Messages(), expected);
  EXPECT_EQ(bytes.Messages(), expected);
}

TEST(SerialCutter, EndByteOnlyCarriesAcrossReadsAndDropsTheChunkTail) {
  Cut c(0, '\r');
  c.Feed("12").Feed("34\r\n");  // a device's CR LF: the LF is not the next message's start
  c.Feed("56\r");
  c.Feed("A\rB\r");  // a second message in the same chunk is passed over
  c.Feed("\r");
  EXPECT_EQ(c.Messages(), (Messages{"1234", "56", "A", ""}));
}

TEST(SerialCutter, OverlongFramedMessageIsDroppedAndTheNextOneArrives) {
  Cut c(2, 3);
  c.Feed(Cat("\x02", std::string(1500, 'x')));
  c.Feed(std::string(1500, 'x'));
  c.Feed(std::string(10, 'x') + "\x03");
  EXPECT_TRUE(c.Messages().empty());
  c.Feed("\x02Y\x03");
  EXPECT_EQ(c.Messages(), Messages{"Y"});
}

TEST(SerialCutter, OverlongEndOnlyMessageIsPassedOverToItsEnd) {
  Cut c(0, '\r');
  c.Feed(std::string(1500, 'x')).Feed(std::string(1500, 'y'));
  c.Feed("zz\r");
  EXPECT_TRUE(c.Messages().empty());
  c.Feed("ok\r");
  EXPECT_EQ(c.Messages(), Messages{"ok"});
}

TEST(SerialCutter, LongestMessageFits) {
  const std::string body(SerialMessageCutter::kMaxMessage, 'm');
  Cut c(2, 3);
  c.Feed(Cat("\x02", body.substr(0, 1000))).Feed(Cat(body.substr(1000), "\x03"));
  ASSERT_EQ(c.Messages().size(), 1u);
  EXPECT_EQ(c.Messages()[0], body);
  Cut e(0, 3);
  e.Feed(body + "\x03");
  ASSERT_EQ(e.Messages().size(), 1u);
  EXPECT_EQ(e.Messages()[0].size(), body.size());
}

TEST(SerialCutter, ResetForgetsAPartialMessage) {
  SerialMessageCutter cutter(2, 3);
  std::vector<std::string> got;
  auto deliver = [&](const std::uint8_t* d, std::size_t n) { got.emplace_back(reinterpret_cast<const char*>(d), n); };
  const std::string a = "\x02" "AB", b = "CD\x03";
  cutter.Feed(reinterpret_cast<const std::uint8_t*>(a.data()), a.size(), deliver);
  cutter.Reset();
  cutter.Feed(reinterpret_cast<const std::uint8_t*>(b.data()), b.size(), deliver);
  EXPECT_TRUE(got.empty());
}

// A page of serial input fields with the rules the field records follow: the first serial input
// field not yet modified, else the last one; a fed character marks the field modified; a fed carriage
// return acts as Enter and locks the keyboard.
class FakeTarget : public SerialInputTarget {
 public:
  struct Field {
    Field(int i, int n) : id(i), length(n) {}
    int id;
    int length;
    bool window = true;
    bool modified = false;
    std::u16string text;
  };

  bool KeyboardReady() const override { return keyboard == 0; }
  int FirstSerialInputField() override {
    ++passes;
    if (fields.empty()) return kNoSerialField;
    for (const Field& f : fields) {
      if (!f.modified) return f.id;
    }
    return fields.back().id;
  }
  bool FieldHasWindow(int id) override { return Find(id).window; }
  int FieldLength(int id) override { return Find(id).length; }
  void ClearField(int id) override {
    Find(id).text.clear();
    log.append("clear").append(std::to_string(id)).append(";");
  }
  void FeedChar(int id, char16_t ch) override {
    Field& f = Find(id);
    if (ch == u'\r') {
      keyboard = 2;
      log += "enter;";
      return;
    }
    f.text.push_back(ch);
    if (markModified) f.modified = true;
  }

  Field& Find(int id) {
    for (Field& f : fields) {
      if (f.id == id) return f;
    }
    ADD_FAILURE() << "no field " << id;
    return fields.front();
  }

  std::vector<Field> fields;
  std::string log;
  bool markModified = true;
  int keyboard = 0;
  int passes = 0;
};

TEST(SerialRoutingField, OneFieldTakesItsLengthRestDropped) {
  FakeTarget t;
  t.fields = {{5, 3}};
  t.fields[0].text = u"old";
  FeedSerialFields(u"ABCDEFGH", t);
  EXPECT_EQ(t.fields[0].text, u"ABC");
  EXPECT_EQ(t.log, "clear5;");  // emptied once; the second pass found the same field and stopped
}

TEST(SerialRoutingField, ShortTextStopsAtItsEnd) {
  FakeTarget t;
  t.fields = {{1, 10}};
  FeedSerialFields(std::u16string_view(u"ABxyz", 2), t);
  EXPECT_EQ(t.fields[0].text, u"AB");
}

TEST(SerialRoutingField, SecondFieldFilledWhenFirstCountsModified) {
  FakeTarget t;
  t.fields = {{1, 3}, {2, 3}};
  FeedSerialFields(u"ABCDEFGH", t);
  EXPECT_EQ(t.fields[0].text, u"ABC");
  EXPECT_EQ(t.fields[1].text, u"DEF");
}

TEST(SerialRoutingField, SecondFieldNotFilledWhenFirstStaysUnmodified) {
  FakeTarget t;
  t.fields = {{1, 3}, {2, 3}};
  t.markModified = false;
  FeedSerialFields(u"ABCDEFGH", t);
  EXPECT_EQ(t.fields[0].text, u"ABC");
  EXPECT_EQ(t.fields[1].text, u"");
}

TEST(SerialRoutingField, CarriageReturnActsAsEnterAndEndsTheDelivery) {
  FakeTarget t;
  t.fields = {{1, 10}, {2, 10}};
  FeedSerialFields(u"AB\rCD", t);
  EXPECT_EQ(t.fields[0].text, u"AB");
  EXPECT_EQ(t.fields[1].text, u"");
  EXPECT_EQ(t.log, "clear1;enter;");
}

TEST(SerialRoutingField, NothingWhileKeyboardLocked) {
  FakeTarget t;
  t.fields = {{1, 10}};
  t.keyboard = 2;
  FeedSerialFields(u"AB", t);
  EXPECT_EQ(t.fields[0].text, u"");
  EXPECT_EQ(t.log, "");
}

TEST(SerialRoutingField, NoFieldsNoWindow) {
  FakeTarget noFields;
  FeedSerialFields(u"AB", noFields);
  EXPECT_EQ(noFields.passes, 1);

  FakeTarget noWindow;
  noWindow.fields = {{1, 10}};
  noWindow.fields[0].window = false;
  FeedSerialFields(u"AB", noWindow);
  EXPECT_EQ(noWindow.log, "");
  EXPECT_EQ(noWindow.passes, 1);
}

TEST(SerialRoutingField, ZeroLengthFieldsCannotLoop) {
  FakeTarget t;
  t.fields = {{1, 0}, {2, 0}};
  FeedSerialFields(u"ABC", t);
  EXPECT_LE(t.passes, 2);
}

}  // namespace
}  // namespace vantor

// Tests of cutting serial messages out of received chunks by start and end byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "devices/serial_cutter.h"

namespace vantor {
namespace {

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

}  // namespace
}  // namespace vantor

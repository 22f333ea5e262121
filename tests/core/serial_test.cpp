// Serial device rules: line settings, framing of messages in and out, queues, and routing into fields.
#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "devices/serial_config.h"
#include "devices/serial_cutter.h"
#include "devices/serial_queues.h"
#include "platform/codepage.h"
#include "row_tables.h"
#include "session/serial_input.h"

namespace vantor {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;

TEST(SerialConfig, SettingTextsAreRead) {
  testing_support::ForEachRow("serial texts", [&](const std::vector<std::string>& w) {
    const std::u16string text = DecodeText(testing_support::Text(w.at(1)), CodePage::Utf8);
    if (w[0] == "baud") {
      EXPECT_EQ(ParseBaudText(text), std::stoul(w.at(2)));
    } else if (w[0] == "parity" || w[0] == "data") {
      for (const char16_t letter : text) {
        const int read = w[0] == "parity" ? ParityFromChar(letter) : DataBitsFromChar(letter);
        EXPECT_EQ(read, std::stoi(w.at(2))) << int{letter};
      }
    } else if (w[0] == "stop") {
      EXPECT_EQ(StopBitsFromText(text), std::stoi(w.at(2)));
    } else {
      EXPECT_EQ(SerialDevicePath(text), DecodeText(testing_support::Text(w.at(2)), CodePage::Utf8));
    }
  });
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

// Most cases are the table "serial cutter"; these need long or generated chunks.
TEST(SerialCutter, MessagesByStartAndEndBytes) {
  const std::string x1500(1500, 'x'), longest(SerialMessageCutter::kMaxMessage, 'm');
  Strings byteAtATime;
  for (char ch : std::string("noise\2first\3junk\3\2second\2still\3")) byteAtATime.emplace_back(1, ch);
  struct Case {
    std::string why;
    std::uint8_t start, end;
    Strings chunks, expected;
  };
  std::vector<Case> cases = {
      {"byte at a time", 2, 3, byteAtATime, {"first", "second\2still"}},
      {"overlong framed message dropped", 2, 3, {"\x02" + x1500, x1500, "xx\x03", "\x02Y\x03"}, {"Y"}},
      {"overlong end-only message passed over", 0, '\r', {x1500, x1500, "zz\r", "ok\r"}, {"ok"}},
      {"longest framed fits", 2, 3, {"\x02" + longest.substr(0, 1000), longest.substr(1000) + "\x03"}, {longest}},
      {"longest end-only message fits", 0, 3, {longest + "\x03"}, {longest}},
  };
  testing_support::ForEachRow("serial cutter", [&](const std::vector<std::string>& w) {
    const auto groups = testing_support::TextGroups(w, 3);
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(std::stoi(w.at(i))); };
    cases.push_back({testing_support::Text(w.at(0)), byte(1), byte(2), groups.at(0), groups.at(1)});
  });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    SerialMessageCutter cutter(c.start, c.end);
    EXPECT_EQ(Cut(cutter, c.chunks), c.expected);
  }
}

TEST(SerialCutter, ResetForgetsAPartialMessage) {
  for (const std::uint8_t start : {0, 2}) {
    SerialMessageCutter cutter(start, 3);
    EXPECT_EQ(Cut(cutter, {"\2AB"}), Strings{});
    cutter.Reset();
    EXPECT_EQ(Cut(cutter, {"CD\3", "\2E\3"}), start ? Strings{"E"} : (Strings{"CD", "\2E"}));
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
  testing_support::ForEachRow("serial fields", [](const std::vector<std::string>& w) {
    Page page;
    std::istringstream lengths(testing_support::Text(w.at(0)));
    for (std::string length; std::getline(lengths, length, ',');) page.lengths.push_back(std::stoi(length));
    page.markModified = w.at(1) != "unmarked";
    page.locked = w[1] == "locked";
    page.window = w[1] != "nowindow";
    FakeTarget target(page);
    FeedSerialFields(DecodeText(testing_support::Text(w.at(2)), CodePage::Utf8), target);
    EXPECT_EQ(target.log, testing_support::Text(w.at(3)));
    EXPECT_EQ(target.passes, std::stoi(w.at(4)));
  });
  FakeTarget shortText(Page{{10}});  // the text stops at its end
  FeedSerialFields(std::u16string_view(u"ABxyz", 2), shortText);
  EXPECT_EQ(shortText.log, "clear1;AB");
}

}  // namespace
}  // namespace vantor

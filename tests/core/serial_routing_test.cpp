// Tests of the serial feature's routing: Command mode responses, Field mode feeding, serial output bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "session/serial_input.h"

namespace vantor {
namespace {

SerialBytes Bytes(const std::string& s) {
  return SerialBytes(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}
std::string Str(SerialBytes b) { return std::string(reinterpret_cast<const char*>(b.data()), b.size()); }

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

  void SendSerialInput(SerialBytes piece) override { responses.push_back(Str(piece)); }
  bool HasCurrentPage() const override { return hasPage; }
  int KeyboardState() const override { return keyboard; }
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
  std::vector<std::string> responses;
  std::string log;
  bool hasPage = true;
  bool markModified = true;
  int keyboard = 0;
  int passes = 0;
};

TEST(SerialRoutingCommand, LongMessageSplitsInOrder) {
  std::string data;
  for (int i = 0; i < 500; ++i) data.push_back(static_cast<char>('A' + i % 26));
  FakeTarget t;
  RouteSerialInput(Bytes(data), true, t);
  ASSERT_EQ(t.responses.size(), 3u);
  EXPECT_EQ(t.responses[0].size(), 207u);
  EXPECT_EQ(t.responses[1].size(), 207u);
  EXPECT_EQ(t.responses[2].size(), 86u);
  EXPECT_EQ(t.responses[0] + t.responses[1] + t.responses[2], data);
}

TEST(SerialRoutingCommand, PieceBoundaries) {
  EXPECT_EQ(SplitSerialCommand(Bytes(std::string(207, 'a'))).size(), 1u);
  const auto two = SplitSerialCommand(Bytes(std::string(208, 'a')));
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[1].size(), 1u);
  const auto empty = SplitSerialCommand(SerialBytes());
  ASSERT_EQ(empty.size(), 1u);
  EXPECT_TRUE(empty[0].empty());
}

TEST(SerialRoutingCommand, ShortMessageIsOneResponseToItsZeroByteEvenWhileLocked) {
  FakeTarget t;
  RouteSerialInput(Bytes("12345678"), true, t);
  RouteSerialInput(Bytes(std::string("AB\0CD", 5)), true, t);
  t.keyboard = 2;
  t.hasPage = false;
  RouteSerialInput(Bytes("SCAN"), true, t);
  EXPECT_EQ(t.responses, (std::vector<std::string>{"12345678", "AB", "SCAN"}));
}

TEST(SerialRoutingField, OneFieldTakesItsLengthRestDropped) {
  FakeTarget t;
  t.fields = {{5, 3}};
  t.fields[0].text = u"old";
  RouteSerialInput(Bytes("ABCDEFGH"), false, t);
  EXPECT_EQ(t.fields[0].text, u"ABC");
  EXPECT_EQ(t.log, "clear5;");  // emptied once; the second pass found the same field and stopped
  EXPECT_TRUE(t.responses.empty());
}

TEST(SerialRoutingField, SecondFieldFilledWhenFirstCountsModified) {
  FakeTarget t;
  t.fields = {{1, 3}, {2, 3}};
  RouteSerialInput(Bytes("ABCDEFGH"), false, t);
  EXPECT_EQ(t.fields[0].text, u"ABC");
  EXPECT_EQ(t.fields[1].text, u"DEF");
}

TEST(SerialRoutingField, SecondFieldNotFilledWhenFirstStaysUnmodified) {
  FakeTarget t;
  t.fields = {{1, 3}, {2, 3}};
  t.markModified = false;
  RouteSerialInput(Bytes("ABCDEFGH"), false, t);
  EXPECT_EQ(t.fields[0].text, u"ABC");
  EXPECT_EQ(t.fields[1].text, u"");
}

TEST(SerialRoutingField, CarriageReturnActsAsEnterAndEndsTheDelivery) {
  FakeTarget t;
  t.fields = {{1, 10}, {2, 10}};
  RouteSerialInput(Bytes("AB\rCD"), false, t);
  EXPECT_EQ(t.fields[0].text, u"AB");
  EXPECT_EQ(t.fields[1].text, u"");
  EXPECT_EQ(t.log, "clear1;enter;");
}

TEST(SerialRoutingField, NothingWhileKeyboardLocked) {
  FakeTarget t;
  t.fields = {{1, 10}};
  t.keyboard = 2;
  RouteSerialInput(Bytes("AB"), false, t);
  EXPECT_EQ(t.fields[0].text, u"");
  EXPECT_EQ(t.log, "");
}

TEST(SerialRoutingField, NoPageNoFieldsNoWindow) {
  FakeTarget noPage;
  noPage.hasPage = false;
  noPage.fields = {{1, 10}};
  RouteSerialInput(Bytes("AB"), false, noPage);
  EXPECT_EQ(noPage.fields[0].text, u"");
  EXPECT_EQ(noPage.passes, 0);

  FakeTarget noFields;
  RouteSerialInput(Bytes("AB"), false, noFields);
  EXPECT_EQ(noFields.passes, 1);

  FakeTarget noWindow;
  noWindow.fields = {{1, 10}};
  noWindow.fields[0].window = false;
  RouteSerialInput(Bytes("AB"), false, noWindow);
  EXPECT_EQ(noWindow.log, "");
  EXPECT_EQ(noWindow.passes, 1);
}

TEST(SerialRoutingField, ZeroLengthFieldsCannotLoop) {
  FakeTarget t;
  t.fields = {{1, 0}, {2, 0}};
  RouteSerialInput(Bytes("ABC"), false, t);
  EXPECT_LE(t.passes, 2);
}

TEST(SerialRoutingField, BytesDecodedWithTheSystemCodePage) {
  FakeTarget t;
  t.fields = {{1, 10}};
  RouteSerialInput(Bytes("\xE9\x80"), false, t);
  EXPECT_EQ(t.fields[0].text, u"\u00E9\u20AC");
}

TEST(SerialOutput, CommandModes) {
  EXPECT_EQ(SerialOutputForCommand(2, Bytes("AB")), "\nAB\r");
  EXPECT_EQ(SerialOutputForCommand(1, Bytes("AB")), "AB\r");
  EXPECT_EQ(SerialOutputForCommand(0, Bytes("AB")), "AB");
  EXPECT_EQ(SerialOutputForCommand(3, Bytes("AB")), "AB");
  EXPECT_EQ(SerialOutputForCommand(1, Bytes(std::string("A\0B", 3))), "A\r");
  EXPECT_EQ(SerialOutputForCommand(2, Bytes(std::string("\0", 1))), "\n\r");
  EXPECT_EQ(SerialOutputForCommand(2, SerialBytes()), "");
  EXPECT_EQ(SerialOutputForCommand(1, Bytes("\xFF\x80")), "\xFF\x80\r");  // no code page conversion
}

TEST(SerialOutput, FieldTextInSystemCodePage) {
  const std::string bytes = SerialOutputForField(u"A\u00C4\u20AC");
  EXPECT_EQ(bytes, "A\xC4\x80");
  EXPECT_EQ(SerialOutputForField(u"\u4E2D"), "?");
  EXPECT_EQ(SerialOutputForField(u""), "");
}

TEST(SerialOutput, Framing) {
  const auto framed = FrameSerialOutput(Bytes("AB"), 2, 3);
  EXPECT_EQ(framed, (std::vector<std::uint8_t>{0x02, 0x41, 0x42, 0x03}));
  EXPECT_EQ(FrameSerialOutput(Bytes("AB"), 0, 0), (std::vector<std::uint8_t>{0x41, 0x42}));
  EXPECT_EQ(FrameSerialOutput(Bytes("AB"), 0, 3), (std::vector<std::uint8_t>{0x41, 0x42, 0x03}));
  EXPECT_EQ(FrameSerialOutput(SerialBytes(), 2, 3), (std::vector<std::uint8_t>{0x02, 0x03}));
  // The host's mode 1 output with prefix 2 and suffix 3.
  const std::string mode1 = SerialOutputForCommand(1, Bytes("PAY"));
  EXPECT_EQ(FrameSerialOutput(Bytes(mode1), 2, 3),
            (std::vector<std::uint8_t>{0x02, 'P', 'A', 'Y', 0x0D, 0x03}));
}

}  // namespace
}  // namespace vantor

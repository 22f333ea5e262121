// Tests of the serial feature's field mode: scanned characters into the serial input fields.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "session/serial_input.h"

namespace vantor {
namespace {

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

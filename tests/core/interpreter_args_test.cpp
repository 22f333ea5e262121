// Argument reading of screen commands: encodings, bounds at the record's end, host text decoding; the
// screen's own bound on key label codes.
#include "interpreter/command_args.h"
#include "interpreter/screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "row_tables.h"

namespace vantor {
namespace {

// A reader over `bytes`, positioned on the command letter at their front.
struct ArgRun {
  explicit ArgRun(std::string b) : bytes(std::move(b)), reader(Begin(), Begin() + bytes.size()) {}
  const std::uint8_t* Begin() const { return reinterpret_cast<const std::uint8_t*>(bytes.data()); }
  long Offset() const { return static_cast<long>(reader.Position() - Begin()); }
  std::string bytes;
  ArgReader reader;
};

TEST(InterpreterArgs, NumbersInBothFormsAndReadsBeyondTheEnd) {
  ArgRun run(std::string("x0\xFF/5!12!\xFF\xFFZ7", 13));
  ArgReader& r = run.reader;
  EXPECT_EQ(r.Short(), 0);
  EXPECT_EQ(r.Short(), 207);
  EXPECT_EQ(r.Short(), -1);  // a byte below '0' reads negative
  EXPECT_EQ(r.Peek(), '5');  // without consuming
  EXPECT_EQ(run.Offset(), 3);
  EXPECT_EQ(r.Long(), 5);
  EXPECT_EQ(r.Long(), 210);  // 1 * 208 + 2
  EXPECT_EQ(r.Long(), 43263);
  EXPECT_EQ(r.Raw(), 'Z');
  EXPECT_EQ(r.Short(), 7);
  // Past the end: zero bytes, and the position stays at the end.
  EXPECT_EQ(r.Raw(), 0);
  EXPECT_EQ(r.Short(), -48);
  EXPECT_EQ(r.Long(), -48);
  EXPECT_EQ(r.Peek(), 0);
  EXPECT_EQ(r.Position(), r.End());

  ArgRun cut("x!");
  EXPECT_LT(cut.reader.Long(), 0);
  EXPECT_EQ(cut.reader.Position(), cut.reader.End());
}

TEST(InterpreterArgs, SkipAndBytesAreBoundedAndIgnoreNonPositiveCounts) {
  ArgRun run("x3abcdefghij");
  ArgReader& r = run.reader;
  r.Skip(0);
  r.Skip(-5);
  EXPECT_EQ(run.Offset(), 0);
  EXPECT_EQ(r.Short(), 3);
  EXPECT_EQ(r.Bytes(3), "abc");
  EXPECT_EQ(r.Bytes(0), "");
  EXPECT_EQ(r.Bytes(-2), "");
  EXPECT_EQ(run.Offset(), 4);
  r.Skip(2);
  EXPECT_EQ(run.Offset(), 6);
  EXPECT_EQ(r.Bytes(10), "fghij");  // cut short by the end
  EXPECT_EQ(r.Bytes(3), "");
  r.Skip(1000);
  EXPECT_EQ(r.Position(), r.End());
}

TEST(InterpreterArgs, HostTextIsCutToCapacityInUtf16Units) {
  std::string longPayload(40000, 'x');
  longPayload.replace(0, 3, "\xC3\xA9z");
  EXPECT_EQ(DecodeHostText(longPayload, true, 3), u"\u00E9zx");
  testing_support::ForEachRow("host text", [&](const std::vector<std::string>& w) {
    EXPECT_EQ(DecodeHostText(testing_support::Text(w.at(0)), w.at(1) == "1", std::stoi(w.at(2))),
              DecodeText(testing_support::Text(w.at(3)), CodePage::Utf8));
  });
}

TEST(ScreenKeyLabels, OnlyCodesZeroTo36TakeALabel) {
  Screen screen(kDefaultPageBackground);
  for (const int code : {-1, 37}) EXPECT_FALSE(screen.SetKeyLabel(code, u"X")) << code;
  EXPECT_TRUE(screen.SetKeyLabel(36, u"X"));
}

}  // namespace
}  // namespace vantor

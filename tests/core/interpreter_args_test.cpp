// Argument reading of screen commands: encodings, bounds at the record's end, host text decoding.
#include "interpreter/command_args.h"

#include <gtest/gtest.h>

#include <string>

namespace vantor {
namespace {

// A reader whose position is on a command letter at the front of `bytes`.
struct ArgRun {
  explicit ArgRun(std::string b) : bytes(std::move(b)) {}
  ArgReader Reader() const {
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return ArgReader(p, p + bytes.size());
  }
  long Offset(const ArgReader& r) const {
    return static_cast<long>(r.Position() - reinterpret_cast<const std::uint8_t*>(bytes.data()));
  }
  std::string bytes;
};

TEST(InterpreterArgs, ShortNumbersAreByteMinus48) {
  ArgRun run(std::string("x0\xFF/", 4));
  ArgReader r = run.Reader();
  EXPECT_EQ(r.Short(), 0);
  EXPECT_EQ(r.Short(), 207);
  EXPECT_EQ(r.Short(), -1);  // a byte below '0' reads negative
  EXPECT_EQ(run.Offset(r), 3);
}

TEST(InterpreterArgs, LongNumbersShortAndBangForms) {
  ArgRun run("x5!12!\xFF\xFFZ");
  ArgReader r = run.Reader();
  EXPECT_EQ(r.Long(), 5);
  EXPECT_EQ(r.Long(), 210);  // 1 * 208 + 2
  EXPECT_EQ(r.Long(), 43263);
  EXPECT_EQ(run.Offset(r), 7);
  EXPECT_EQ(r.Raw(), 'Z');
}

TEST(InterpreterArgs, ReadsPastTheEndGiveZeroBytesAndStayAtTheEnd) {
  ArgRun run("x7");
  ArgReader r = run.Reader();
  EXPECT_EQ(r.Short(), 7);
  EXPECT_EQ(r.Raw(), 0);
  EXPECT_EQ(r.Short(), -48);
  EXPECT_EQ(r.Long(), -48);
  EXPECT_EQ(r.Position(), r.End());
  EXPECT_EQ(r.Peek(), 0);
}

TEST(InterpreterArgs, LongNumberCutAfterTheBang) {
  ArgRun run("x!");
  ArgReader r = run.Reader();
  EXPECT_LT(r.Long(), 0);  // hi and lo missing: zero bytes
  EXPECT_EQ(r.Position(), r.End());
}

TEST(InterpreterArgs, SkipIsBoundedAndIgnoresNonPositiveCounts) {
  ArgRun run("xabcdef");
  ArgReader r = run.Reader();
  r.Skip(0);
  r.Skip(-5);
  EXPECT_EQ(run.Offset(r), 0);
  r.Skip(2);
  EXPECT_EQ(run.Offset(r), 2);
  r.Skip(1000);
  EXPECT_EQ(r.Position(), r.End());
  r.Skip(1);
  EXPECT_EQ(r.Position(), r.End());
}

TEST(InterpreterArgs, BytesTakesWhatIsThereAndConsumesIt) {
  ArgRun run("x3abcdefg");
  ArgReader r = run.Reader();
  EXPECT_EQ(r.Short(), 3);
  EXPECT_EQ(r.Bytes(3), "abc");
  EXPECT_EQ(run.Offset(r), 4);
  EXPECT_EQ(r.Bytes(0), "");
  EXPECT_EQ(r.Bytes(-2), "");
  EXPECT_EQ(run.Offset(r), 4);
  EXPECT_EQ(r.Bytes(10), "defg");  // cut short by the end
  EXPECT_EQ(r.Position(), r.End());
  EXPECT_EQ(r.Bytes(3), "");
}

TEST(InterpreterArgs, PeekDoesNotConsume) {
  ArgRun run("#o5");
  ArgReader r = run.Reader();
  EXPECT_EQ(r.Peek(), 'o');
  EXPECT_EQ(run.Offset(r), 0);
}

TEST(InterpreterArgs, HostTextCutToCapacityInUtf16Units) {
  EXPECT_EQ(DecodeHostText("abcdef", false, 4), u"abcd");
  EXPECT_EQ(DecodeHostText("ab", false, 4), u"ab");
  EXPECT_EQ(DecodeHostText("abc", true, 0), u"");
  // Two UTF-8 bytes are one unit: four letters with accents fit a capacity of 4.
  EXPECT_EQ(DecodeHostText("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", true, 4), u"\u00E9\u00E9\u00E9\u00E9");
  // The same bytes in the ANSI code page are one unit each.
  EXPECT_EQ(DecodeHostText("\xC3\xA9\xC3\xA9", false, 3), u"\u00C3\u00A9\u00C3");
}

TEST(InterpreterArgs, HostTextNeverEndsInHalfASurrogatePair) {
  // "a" then U+1F600 (two units): a capacity of 2 cannot hold the pair.
  EXPECT_EQ(DecodeHostText("a\xF0\x9F\x98\x80", true, 2), u"a");
  EXPECT_EQ(DecodeHostText("a\xF0\x9F\x98\x80", true, 3), u"a\U0001F600");
}

TEST(InterpreterArgs, HostTextStopsAtAZeroByte) {
  EXPECT_EQ(DecodeHostText(std::string("ab\0cd", 5), false, 10), u"ab");
  EXPECT_EQ(DecodeHostText(std::string("\0ab", 3), true, 10), u"");
}

TEST(InterpreterArgs, InvalidUtf8StillGivesBoundedText) {
  const std::u16string text = DecodeHostText("a\xFF\xFE" "bcdefgh", true, 3);
  ASSERT_EQ(text.size(), 3u);
  EXPECT_EQ(text[0], u'a');
  EXPECT_EQ(text[1], u'\uFFFD');
}

TEST(InterpreterArgs, LongPayloadIntoSmallCapacityKeepsTheFront) {
  std::string bytes(40000, 'x');
  bytes.replace(0, 3, "\xC3\xA9z");
  EXPECT_EQ(DecodeHostText(bytes, true, 3), u"\u00E9zx");
}

}  // namespace
}  // namespace vantor

// Tests of the record dispatcher: answers, screen runs and resets.
#include "session/record_dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantor {
namespace {

// Logs every call as one line, in order.
class LoggingTarget final : public DispatchTarget {
 public:
  void SendOwnRecord(std::string_view record, bool withPrefix) override {
    log.push_back(std::string(withPrefix ? "send+" : "send ") + "'" + std::string(record) + "'");
  }
  void InterpretScreen(const std::uint8_t* begin, const std::uint8_t* end) override {
    log.push_back("screen '" + std::string(begin, end) + "'");
  }
  void ResetScreen() override { log.push_back("reset"); }

  std::vector<std::string> log;
};

std::vector<std::string> Dispatch(const std::string& bytes, LoggingTarget& target) {
  DispatchRecord(target, RecordBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  return target.log;
}

std::vector<std::string> Dispatch(const std::string& bytes) {
  LoggingTarget target;
  return Dispatch(bytes, target);
}

const std::string kEnd("\xFF\xEF", 2);
using Log = std::vector<std::string>;

TEST(RecordDispatch, RecordTypesAnswerAsTheHostExpects) {
  EXPECT_EQ(Dispatch(kEnd), (Log{"send ''"}));
  // A: the "I" record only; the terminator's first byte is stepped over, its 0xEF is unknown.
  EXPECT_EQ(Dispatch("A" + kEnd), (Log{"send+'I'"}));
  EXPECT_EQ(Dispatch("I" + kEnd), (Log{"reset", "send ''"}));
  EXPECT_EQ(Dispatch("Q" + kEnd), (Log{"send ''"}));
  EXPECT_EQ(Dispatch("R" + kEnd), (Log{"send ''"}));
  EXPECT_EQ(Dispatch("z" + kEnd), (Log{"send ''"}));
}

TEST(RecordDispatch, ScreenRecordTakesTheRestIncludingTheTerminator) {
  EXPECT_EQ(Dispatch("Hab" + kEnd + "A"), (Log{"send+'H'", "screen 'ab" + kEnd + "A'"}));
  // An I before the H resets first, then the new screen is built.
  EXPECT_EQ(Dispatch("IH1" + kEnd), (Log{"reset", "send+'H'", "screen '1" + kEnd + "'"}));
  EXPECT_EQ(Dispatch("H"), (Log{"send+'H'", "screen ''"}));
}

TEST(RecordDispatch, AStepsOverTheByteAfterIt) {
  // The second A is the byte after the first and is not looked at.
  EXPECT_EQ(Dispatch("AA" + kEnd), (Log{"send+'I'", "send ''"}));
  // The H after "A?" is looked at.
  EXPECT_EQ(Dispatch("AxH" + kEnd), (Log{"send+'I'", "send+'H'", "screen '" + kEnd + "'"}));
  // An A as the last byte does not step past the record.
  EXPECT_EQ(Dispatch("QA"), (Log{"send+'I'"}));
}

TEST(RecordDispatch, LoneBytesAndEmptyRecordsSendNothing) {
  EXPECT_EQ(Dispatch(""), (Log{}));
  EXPECT_EQ(Dispatch("\xFF"), (Log{}));
  EXPECT_EQ(Dispatch("\xEF\xFF"), (Log{}));
  // Back-to-back terminators in one record are each answered.
  EXPECT_EQ(Dispatch(kEnd + kEnd), (Log{"send ''", "send ''"}));
}

}  // namespace
}  // namespace vantor

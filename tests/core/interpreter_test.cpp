// The screen command interpreter: the walk, the bytes each command consumes, the end-of-record
// processing in its order, and records cut short.
#include "interpreter/interpreter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "effects_recorder.h"
#include "interpreter/commands.h"
#include "screen_builder.h"
#include "settings/settings.h"

namespace vantor {
namespace {

using host_records::ScreenBuilder;

// Runs one handler over `bytes` (its letter first) and returns the offset where it left the
// position: the last byte it consumed, or the size when it ran to the end.
class CommandBytesTest : public ::testing::Test {
 protected:
  CommandBytesTest() {
    const std::string commands = ScreenBuilder().Input(1, 0, 0, 5).Fixed(2, 1, 0, "text").Commands();
    const auto* begin = reinterpret_cast<const std::uint8_t*>(commands.data());
    Interpret(Context(), begin, begin + commands.size());
  }
  ScreenContext Context() { return ScreenContext{screen, settings, effects, replies}; }
  long Consumed(const std::string& bytes) {
    // Held in a block of exactly its size, so that the address sanitizer sees a read past the end.
    std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[bytes.size()]);
    std::copy(bytes.begin(), bytes.end(), block.get());
    ScreenRun run(Context(), block.get(), block.get() + bytes.size());
    const CommandHandler handler = HandlerFor(block[0]);
    EXPECT_NE(handler, nullptr) << bytes;
    if (handler) handler(run);
    return static_cast<long>(run.args.Position() - block.get());
  }

  struct NoReplies final : HostReplies {
    void SendStatus() override {}
    void SendKey(FunctionKey) override {}
  } replies;
  Settings settings;
  testing_support::EffectsRecorder effects;
  Screen screen{kDefaultPageBackground};
};

TEST_F(CommandBytesTest, EveryCommandConsumesExactlyItsArguments) {
  const std::string x208(208, 'x');
  const std::string zero(1, '\0');
  struct Case {
    std::string bytes;
    long last;
  };
  const std::vector<Case> cases = {
      {"!~", 0},
      {"#o5", 0},
      {"$3abc~", 4},
      {"%0~", 1},
      {"+1CD~", 3},
      {">023abc~", 6},
      {">02!10" + x208 + "~", 213},
      {"@5~", 1},
      {"A3abc~", 4},
      {"A!10" + x208 + "~", 211},
      {"B~", 0},
      {"C~", 0},
      {"D12345678901~", 11},
      {"E~", 0},
      {"F1~", 1},
      {"I2ab~", 3},
      {"K5~", 1},
      {"L003abc~", 6},
      {"M2ab~", 3},
      {"N!10" + x208 + "~", 211},
      {"O0~", 1},
      {"PabcQ~", 4},
      {"PabBc", 3},
      {"Pab" + zero + "c", 3},
      {"R~", 0},
      {"S32ab~", 4},
      {"SX2ab~", 4},
      {"W4~", 1},
      {"X5~", 1},
      {"Ze1~", 2},
      {"Zs2~", 2},
      {"Zv12!10~", 6},
      {"Zq~", 1},
      {"a12ab~", 4},
      {"b11~", 2},
      {"c1~", 1},
      {"d0~", 1},
      {"e9~", 1},
      {"f1004abcd~", 8},
      {"h52ab~", 4},
      {"i100C@4~", 6},
      {"i100C@!10~", 8},
      {"j02ab~", 4},
      {"k12~", 2},
      {"l~", 0},
      {"m~", 0},
      {"o1~", 1},
      {"pab~", 2},
      {"r5~", 1},
      {"s0~", 1},
      {"u12ab~", 4},
      {"u92ab~", 4},
      {"v0!10" + x208 + "~", 212},
      {"w10@AS@M~", 7},
      {"w10@B07D0@P@X~", 12},
      {"y1=2PX~", 5},
      {"y9=2PX~", 5},
      {"z~", 0},
      // Cut short by the end: the position stops at the end.
      {"PabcQ", 4},
      {"Pabc", 4},
      {"f1004ab", 7},
      {"$9ab", 4},
      {"A!1", 3},
      {"w10@B07", 7},
      {"D123", 4},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Consumed(c.bytes), c.last) << "command " << c.bytes.substr(0, 12);
  }
}

}  // namespace
}  // namespace vantor

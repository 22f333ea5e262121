// Vantor.exe and its host: identification, reconnection after the host closes, and operator keys
// reaching the host as key responses, one per screen.
#include <chrono>
#include <thread>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

using SessionTest = TerminalTest;

ScreenBuilder Unlock() {
  ScreenBuilder screen;
  screen.FocusAndUnlock(20);
  return screen;
}

// Unlocking drops the keys queued while the screen is being taken in (on purpose); an operator
// presses the next key a moment after the screen is there.
void SettleAfterUnlock() { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }

TEST_F(SessionTest, IdentifiesWithItsTerminalId) {
  ASSERT_TRUE(terminal_.WriteIni(HostSettings(host_.Port(), 42)));
  ASSERT_TRUE(terminal_.Start());
  ASSERT_TRUE(host_.Accept(Millis(20000))) << "the terminal did not connect";
  const auto record = host_.ReadRecord(Millis(5000));
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(record->raw, "42I" + kRecordEnd);
  EXPECT_TRUE(host_.NothingArrives(Millis(500)));
}

TEST_F(SessionTest, ReconnectsAboutOneSecondAfterTheHostCloses) {
  StartConnected();
  ASSERT_TRUE(host_.HalfClose());
  EXPECT_EQ(NextBody(), "&");
  ASSERT_TRUE(host_.WaitPeerClosed(Millis(5000)));
  const auto closed = SteadyClock::now();
  ASSERT_TRUE(host_.Accept(Millis(10000))) << "the terminal did not come back";
  const auto back = SteadyClock::now() - closed;
  EXPECT_EQ(NextBody(), "I");
  // The reconnection waits for the one-second timer, and not much longer.
  EXPECT_GE(back, Millis(700));
  EXPECT_LE(back, Millis(3000));
  EXPECT_EQ(host_.AcceptCount(), 2);
  EXPECT_TRUE(terminal_.MainWindow().has_value());
}

TEST_F(SessionTest, FunctionKeyReachesTheHostOncePerScreen) {
  StartConnected();
  SendScreen(EntryScreen());
  auto entry = WaitControl(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  ASSERT_TRUE(probe_.Keys(entry->handle, {"F2"})) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(2, 20));
  // The keyboard is locked until the host answers: a second key is dropped.
  ASSERT_TRUE(probe_.Keys(entry->handle, {"F3"})) << probe_.LastError();
  EXPECT_TRUE(host_.NothingArrives(Millis(1500)));
  EXPECT_EQ(KeyboardState(), 2);
  // The next screen unlocks it again.
  SendScreen(Unlock());
  ASSERT_TRUE(WaitUnlocked());
  SettleAfterUnlock();
  ASSERT_TRUE(probe_.Keys(entry->handle, {"F3"})) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(3, 20));
}

TEST_F(SessionTest, ShiftCtrlAndDigitChordsGiveTheirKeyCodes) {
  StartConnected();
  SendScreen(EntryScreen());
  const auto entry = WaitControl(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  const struct {
    const char* chord;
    int code;
  } keys[] = {{"F1", 1}, {"shift+F1", 11}, {"F11", 11}, {"ctrl+F3", 23}, {"ctrl+1", 21}, {"ctrl+0", 30}, {"F24", 24}};
  for (const auto& key : keys) {
    ASSERT_TRUE(probe_.Keys(entry->handle, {key.chord})) << probe_.LastError();
    EXPECT_EQ(NextBody(), KeyResponse(key.code, 20)) << key.chord;
    SendScreen(Unlock());
    ASSERT_TRUE(WaitUnlocked()) << key.chord;
    SettleAfterUnlock();
  }
}

TEST_F(SessionTest, TypedTextGoesToTheHostWithTheKeyOnce) {
  StartConnected();
  SendScreen(EntryScreen());
  const auto entry = WaitControl(20);
  ASSERT_TRUE(entry.has_value()) << Describe(windows_);
  ASSERT_TRUE(probe_.Type(entry->handle, "AB12")) << probe_.LastError();
  ASSERT_TRUE(probe_.Keys(entry->handle, {"enter"})) << probe_.LastError();
  // Enter is key 0 (fieldentertof0 is on by default); field 20 ('D') changed to four characters.
  EXPECT_EQ(NextBody(), KeyResponse(0, 20) + "=D4AB12");
  SendScreen(Unlock());
  ASSERT_TRUE(WaitUnlocked());
  // Unchanged since the host read it: the next key carries no field.
  ASSERT_TRUE(probe_.Keys(entry->handle, {"F1"})) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(1, 20));
}

}  // namespace
}  // namespace vantor::e2e

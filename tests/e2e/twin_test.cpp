// Vantor.exe and vantor-headless are two front ends of one engine: the same operator actions on the same
// host screens, through the window's real keys and taps, give the host the same records, byte for byte.
#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

struct Step {
  long long control;                  // the control the operator types into, or taps when there are no chords
  std::string text;                   // typed before the chords
  std::vector<std::string> chords;    // for the probe
  std::vector<std::string> commands;  // the same actions as vantor-headless commands
};

const Step kSteps[] = {
    {20, "4006381333931", {"enter"}, {"type 4006381333931", "key Enter"}},  // a wedge scanner's burst
    {20, "ab", {"shift+F3"}, {"type ab", "key Shift+F3"}},
    {20, "", {"ctrl+1"}, {"key Ctrl+1"}},
    {4, "", {}, {"tap 4"}},
    {6, "", {}, {"tap 6"}},
};

ScreenBuilder TwinScreen() {
  ScreenBuilder screen;
  screen.SelectPage(0).ErasePage().Define(20, 1, 0, kInputFlags, kPlainAttributes, 14).Text(20, "OLD");
  screen.Define(4, 3, 0, kAutoSendFlags, kPlainAttributes, 10).Options(4, {option::Type('C')}).Text(4, " Yes");
  screen.Define(6, 5, 1, kInputFlags, kPlainAttributes, 8).Options(6, {option::Type('B')}).Text(6, "GO");
  return screen.ShowPage(0).KeyLabel(7, "NEXT").FocusAndUnlock(20);
}

class TwinTest : public TerminalTest {
 protected:
  // Every record the host reads while the steps run, the identification and screen echoes included.
  std::vector<std::string> Records(const std::function<bool(const Step&)>& act) {
    if (!host_->Accept(Millis(15000))) return {"<no connection>"};
    std::vector<std::string> records{NextBody()};
    for (const Step& step : kSteps) {
      host_->SendRaw(TwinScreen().Wire());
      records.push_back(NextBody());
      if (!act(step)) records.push_back("<actions failed: " + probe_.LastError() + ">");
      records.push_back(NextBody());
    }
    return records;
  }
};

TEST_F(TwinTest, TheWindowAndTheHeadlessTerminalSendTheSameRecords) {
  const std::string headless = ExecutableDir() + "/vantor-headless";
  ASSERT_TRUE(FileExists(headless)) << headless;
  Launch(HostSettings(host_->Port(), 9));
  const auto window = Records([this](const Step& step) {
    const auto control = WaitControl(step.control);
    if (!control) return false;
    if (step.chords.empty()) return probe_.Tap(control->x + control->width / 2, control->y + control->height / 2);
    return (step.text.empty() || probe_.Type(control->handle, step.text)) && probe_.Keys(control->handle, step.chords);
  });
  StopTerminal();

  // The headless twin reads the same "Vantor.ini" from the same folder.
  ChildProcess twin;
  ASSERT_TRUE(twin.Start({headless}, {.keepInput = true, .cwd = folder_}));
  const auto headlessRecords = Records([&](const Step& step) {
    bool answered = twin.WriteLine("wait 10");
    for (const std::string& command : step.commands) answered = answered && twin.WriteLine(command);
    return answered;
  });
  twin.WriteLine("quit");
  EXPECT_EQ(twin.WaitExit(Millis(5000)), 0);

  EXPECT_EQ(headlessRecords, window);
  // And both are what the host must read: a sign that neither run merely echoed a failure.
  ASSERT_EQ(window.size(), 11u);
  EXPECT_EQ(window[0], "I");
  EXPECT_EQ(window[2], KeyResponse(0, 20, {{20, "4006381333931"}}));
  EXPECT_EQ(window[4], KeyResponse(13, 20, {{20, "ab"}}));
  EXPECT_EQ(window[6], KeyResponse(21, 20));
  EXPECT_EQ(window[8], "R%4=44XYes") << "the auto-send check box ticked by the tap";
  EXPECT_EQ(window[10], KeyResponse(0, 6, {{6, "GO"}})) << "the button's tap";
}

}  // namespace
}  // namespace vantor::e2e

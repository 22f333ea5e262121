// Vantor.exe and vantor-headless are two front ends of one engine: the same operator actions on the same
// host screens give the host the same records, byte for byte.
#include <functional>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

class TwinTest : public TerminalTest {
 protected:
  struct Step {
    std::function<bool(TwinTest&)> window;  // the operator's actions in the window
    std::vector<std::string> commands;      // the same actions as vantor-headless commands
  };

  // Every record the host reads while the steps run, the identification and screen echoes included.
  std::vector<std::string> Records(const std::vector<Step>& steps, const std::function<bool(const Step&)>& act) {
    std::vector<std::string> records;
    if (!host_->Accept(Millis(15000))) return {"<no connection>"};
    records.push_back(NextBody());
    for (const Step& step : steps) {
      host_->SendRaw(Screen().Wire());
      records.push_back(NextBody());
      if (!act(step)) records.push_back("<actions failed: " + probe_.LastError() + ">");
      records.push_back(NextBody());
    }
    return records;
  }

  static ScreenBuilder Screen() {
    ScreenBuilder screen;
    screen.SelectPage(0)
        .ErasePage()
        .Define(20, 1, 0, kInputFlags, kPlainAttributes, 14)
        .Text(20, "OLD")
        .Define(4, 3, 0, kAutoSendFlags, kPlainAttributes, 10)
        .Options(4, {option::Type('C')})
        .Text(4, " Yes")
        .Define(6, 5, 1, kInputFlags, kPlainAttributes, 8)
        .Options(6, {option::Type('B')})
        .Text(6, "GO")
        .ShowPage(0)
        .KeyLabel(7, "NEXT")
        .FocusAndUnlock(20);
    return screen;
  }


 public:  // for the steps' actions
  bool TapControl(long long id) {
    const auto control = WaitControl(id);
    return control && TapCentre(*control);
  }

  bool TypeInto(long long id, const std::string& text, const std::vector<std::string>& chords) {
    const auto control = WaitControl(id);
    return control && probe_.Type(control->handle, text) && probe_.Keys(control->handle, chords);
  }
};

TEST_F(TwinTest, TheWindowAndTheHeadlessTerminalSendTheSameRecords) {
  const std::string headless = ExecutableDir() + "/vantor-headless";
  ASSERT_TRUE(FileExists(headless)) << headless;
  const std::vector<Step> steps = {
      {[](TwinTest& t) { return t.TypeInto(20, "4006381333931", {"enter"}); }, {"type 4006381333931", "key Enter"}},
      {[](TwinTest& t) { return t.TypeInto(20, "ab", {"shift+F3"}); }, {"type ab", "key Shift+F3"}},
      {[](TwinTest& t) { return t.TapControl(4); }, {"tap 4"}},
      {[](TwinTest& t) { return t.TapControl(6); }, {"tap 6"}},
  };

  Launch(HostSettings(host_->Port(), 9));
  const auto window = Records(steps, [this](const Step& step) { return step.window(*this); });
  StopTerminal();

  // The headless twin reads the same "Vantor.ini" from the same folder.
  Process twin;
  ASSERT_TRUE(twin.Start({headless}, Process::kPipeIn | Process::kPipeOut, folder_ + "/headless.log", folder_));
  const auto headlessRecords = Records(steps, [&](const Step& step) {
    bool answered = twin.WriteLine("wait 10");
    for (const std::string& command : step.commands) answered = answered && twin.WriteLine(command);
    return answered;
  });
  twin.WriteLine("quit");
  EXPECT_EQ(twin.WaitExit(Millis(5000)), 0);

  EXPECT_EQ(headlessRecords, window);
  // And both are what the host must read: a sign that neither run merely echoed a failure.
  ASSERT_EQ(window.size(), 9u);
  EXPECT_EQ(window[0], "I");
  EXPECT_EQ(window[2], KeyResponse(0, 20, {{20, "4006381333931"}}));
  EXPECT_EQ(window[4], KeyResponse(13, 20, {{20, "ab"}}));
}

}  // namespace
}  // namespace vantor::e2e

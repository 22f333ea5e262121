// The demo host through Vantor.exe's own windows: sign-on, a button, and the host's question and
// confirmation in their dialogs.
#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

using DemoHostTest = TerminalTest;

TEST_F(DemoHostTest, ReceivingThroughTheWindowsAndTheHostDialogs) {
  Process demo;
  ASSERT_TRUE(demo.Start({ExecutableDir() + "/demo_host", "0"}, Process::kPipeOut));
  std::string line;
  const std::string listening = "Vantor demo host listening on 127.0.0.1:";
  ASSERT_TRUE(demo.ReadLine(line, Millis(5000)) && line.rfind(listening, 0) == 0) << line;
  // Reads the host's log until a line holds `text`.
  const auto logShows = [&](const std::string& text) {
    const auto deadline = SteadyClock::now() + Millis(20000);
    while (demo.ReadLine(line, std::chrono::duration_cast<Millis>(deadline - SteadyClock::now())))
      if (line.find(text) != std::string::npos) return true;
    return false;
  };
  Launch(HostSettings(static_cast<std::uint16_t>(std::stoi(line.substr(listening.size()))), 8));
  ASSERT_TRUE(logShows("(id 8): identified"));

  // Enter in the user field moves on to the password; SAVE (F1) signs on.
  const auto user = WaitControl(20);
  ASSERT_TRUE(user.has_value()) << Describe(windows_);
  ASSERT_TRUE(probe_.Type(user->handle, "LEE")) << probe_.LastError();
  ASSERT_TRUE(probe_.Keys(user->handle, {"enter"}));
  const auto password = WaitControl(21);
  ASSERT_TRUE(password.has_value());
  ASSERT_TRUE(WaitFor([&] { return probe_.Focus() == password->handle && Locked() == false; }, Millis(5000)));
  ASSERT_TRUE(probe_.Type(password->handle, "pw"));
  ASSERT_TRUE(probe_.Keys(password->handle, {"F1"}));
  ASSERT_TRUE(logShows("user LEE signed on"));

  // A tap on the "Receiving" button (a key's character could reach the next screen's first field).
  ASSERT_TRUE(WaitWindows([&](const WindowList& w) {
    const auto button = Control(w, 20);
    return button && button->className == "VdxButton" && button->title == "Receiving";
  })) << Describe(windows_);
  const auto receiving = WaitControl(20);
  ASSERT_TRUE(receiving.has_value());
  ASSERT_TRUE(TapCentre(*receiving));
  ASSERT_TRUE(WaitWindows([&](const WindowList& w) {
    const auto title = Control(w, 1);
    return title && title->title.find("RECEIVING") != std::string::npos;
  })) << Describe(windows_);
  const auto item = WaitControl(20), quantity = WaitControl(21);
  ASSERT_TRUE(item && quantity);
  ASSERT_TRUE(probe_.Type(item->handle, "A100"));
  ASSERT_TRUE(probe_.Type(quantity->handle, "3"));
  ASSERT_TRUE(probe_.Keys(quantity->handle, {"F1"}));

  const auto prompt = WaitDialog("Hey You");
  ASSERT_TRUE(prompt.has_value()) << Describe(windows_);
  ASSERT_TRUE(SetItemText(*prompt, 1001, "Y"));
  ASSERT_TRUE(TapItem(*prompt, 1));
  EXPECT_TRUE(logShows("received 3 x A100"));
  const auto advisory = WaitDialog("Advisory");
  ASSERT_TRUE(advisory.has_value()) << Describe(windows_);
  EXPECT_EQ(ItemText(*advisory, 1000), "Received 3 x A100. On hand: 27.");
  ASSERT_TRUE(TapItem(*advisory, 1));
  EXPECT_TRUE(WaitWindows([&](const WindowList& w) {
    const auto last = Control(w, 7);
    return !FindTopLevel(w, "#32770") && last && last->title.rfind("3 x A100", 0) == 0;
  })) << Describe(windows_);
}

}  // namespace
}  // namespace vantor::e2e

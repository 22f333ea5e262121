// Checks of the harness itself: process groups and time-outs, pixel reading, and the probe's view and
// input against a window of known shape, so a failing terminal test points at the terminal.
#include <gtest/gtest.h>

#include <signal.h>

#include <string>

#include "harness.h"

namespace vantor::e2e {
namespace {

// Alive and not a zombie.
bool ProcessAlive(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  if (stat.empty()) return false;
  const size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z' && stat[close + 2] != 'X';
}

TEST(HarnessProcess, StopEndsTheWholeGroup) {
  Process shell;
  Process::Options options;
  options.argv = {"sh", "-c", "sleep 30 & echo $!; wait"};
  options.pipeStdout = true;
  ASSERT_TRUE(shell.Start(options));
  std::string line;
  ASSERT_TRUE(shell.ReadLine(line, Millis(5000)));
  const pid_t grandchild = static_cast<pid_t>(std::stol(line));
  ASSERT_TRUE(ProcessAlive(grandchild));
  const auto started = SteadyClock::now();
  shell.Stop(Millis(500));
  EXPECT_FALSE(shell.Running());
  EXPECT_TRUE(WaitFor([&] { return !ProcessAlive(grandchild); }, Millis(3000)));
  EXPECT_LT(SteadyClock::now() - started, Millis(4000));
}

TEST(HarnessProcess, RunReportsOutputAndExitStatus) {
  const RunResult result = RunCommand({"sh", "-c", "echo first; echo second; exit 3"}, Millis(5000));
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.exitStatus, 3);
  EXPECT_EQ(result.output, "first\nsecond\n");
}

TEST(HarnessProcess, RunStopsACommandAtItsTimeOut) {
  const auto started = SteadyClock::now();
  const RunResult result = RunCommand({"sh", "-c", "echo begun; sleep 30"}, Millis(400));
  EXPECT_TRUE(result.timedOut);
  EXPECT_EQ(result.exitStatus, -1);
  EXPECT_EQ(result.output, "begun\n");
  EXPECT_LT(SteadyClock::now() - started, Millis(3000));
}

TEST(HarnessProcess, ReadLineTimesOutAndReportsTheExit) {
  Process quiet;
  Process::Options options;
  options.argv = {"sh", "-c", "sleep 1; printf last; exit 5"};
  options.pipeStdout = true;
  ASSERT_TRUE(quiet.Start(options));
  std::string line;
  const auto started = SteadyClock::now();
  EXPECT_FALSE(quiet.ReadLine(line, Millis(200)));
  EXPECT_GE(SteadyClock::now() - started, Millis(190));
  // A last line without a line end is still delivered at the end of the stream.
  ASSERT_TRUE(quiet.ReadLine(line, Millis(5000)));
  EXPECT_EQ(line, "last");
  EXPECT_EQ(quiet.WaitExit(Millis(5000)), 5);
}

TEST(HarnessProcess, MissingProgramDoesNotStart) {
  Process none;
  Process::Options options;
  options.argv = {"vantor-no-such-program"};
  EXPECT_FALSE(none.Start(options));
  EXPECT_EQ(RunCommand({"vantor-no-such-program"}, Millis(1000)).exitStatus, -1);
}

TEST(HarnessWait, WaitForHonoursItsTimeOut) {
  int calls = 0;
  EXPECT_TRUE(WaitFor([&] { return ++calls == 3; }, Millis(2000), Millis(1)));
  EXPECT_EQ(calls, 3);
  const auto started = SteadyClock::now();
  EXPECT_FALSE(WaitFor([] { return false; }, Millis(150), Millis(20)));
  const auto elapsed = SteadyClock::now() - started;
  EXPECT_GE(elapsed, Millis(150));
  EXPECT_LT(elapsed, Millis(1000));
}

TEST(HarnessImage, ReadsPixelsOfABinaryPpm) {
  std::string ppm = "P6\n# two by two\n2 2\n255\n";
  const unsigned char pixels[] = {1, 2, 3, 4, 5, 6, 149, 178, 195, 255, 0, 128};
  ppm.append(reinterpret_cast<const char*>(pixels), sizeof pixels);
  const auto image = Image::FromPpm(ppm);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->Width(), 2);
  EXPECT_EQ(image->Height(), 2);
  EXPECT_EQ(image->At(0, 0), (Rgb{1, 2, 3}));
  EXPECT_EQ(image->At(1, 0), (Rgb{4, 5, 6}));
  EXPECT_EQ(image->At(0, 1), (Rgb{149, 178, 195}));
  EXPECT_EQ(image->At(1, 1), (Rgb{255, 0, 128}));
  EXPECT_EQ(image->At(2, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(image->At(-1, 1), (Rgb{0, 0, 0}));
}

TEST(HarnessImage, RejectsDamagedOrUnexpectedImages) {
  EXPECT_FALSE(Image::FromPpm("").has_value());
  EXPECT_FALSE(Image::FromPpm("P3\n1 1\n255\n1 2 3").has_value());
  EXPECT_FALSE(Image::FromPpm(std::string("P6\n2 2\n255\n") + std::string(11, '\x01')).has_value());
  EXPECT_FALSE(Image::FromPpm(std::string("P6\n1 1\n65535\n") + std::string(6, '\x01')).has_value());
  EXPECT_FALSE(Image::FromPpm(std::string("P6\n99999999999 1\n255\n") + std::string(6, '\x01')).has_value());
}

TEST(HarnessSettings, IniValueComparesKeysWithoutCase) {
  const std::string text = "hostname=127.0.0.1\r\nHOSTPORT=4321\r\nwindowpos=30,40,240,320\r\nnovalue\r\n";
  EXPECT_EQ(IniValue(text, "hostport"), "4321");
  EXPECT_EQ(IniValue(text, "WindowPos"), "30,40,240,320");
  EXPECT_EQ(IniValue(text, "hostname"), "127.0.0.1");
  EXPECT_FALSE(IniValue(text, "terminalid").has_value());
  EXPECT_FALSE(IniValue(text, "novalue").has_value());
}

// The probe's stand-in window: 240 x 320 at the top left, children 7 at (10,40) and 8 at (10,80),
// 100 x 24 each, painted in two known colours; it logs the input it receives on stdout.
class HarnessProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    ASSERT_TRUE(WineDesktop::Instance().Ensure(why)) << why;
    ASSERT_TRUE(Probe::Instance().Command("ping").has_value()) << Probe::Instance().LastError();
    Process::Options options;
    options.argv = {"wine", WinBuildDir() + "/probe.exe", "target"};
    options.pipeStdout = true;
    ASSERT_TRUE(target_.Start(options));
    ASSERT_TRUE(Expect("READY", nullptr, Millis(30000)));
    ASSERT_TRUE(WaitFor(
        [&] {
          const auto windows = Probe::Instance().List();
          if (!windows) return false;
          windows_ = *windows;
          const auto main = FindTopLevel(windows_, "VdxProbeTarget");
          if (!main) return false;
          main_ = *main;
          return ChildrenOf(windows_, main_.handle).size() == 2;
        },
        Millis(10000)))
        << Describe(windows_);
  }

  void TearDown() override { target_.Stop(); }

  // Reads the target's log until a line starts with `prefix`.
  bool Expect(const std::string& prefix, std::string* found = nullptr, Millis timeout = Millis(5000)) {
    std::string line;
    while (target_.ReadLine(line, timeout)) {
      if (line.rfind(prefix, 0) == 0) {
        if (found != nullptr) *found = line;
        return true;
      }
    }
    return false;
  }

  WindowInfo Child(long long id) {
    for (const WindowInfo& w : ChildrenOf(windows_, main_.handle))
      if (w.id == id) return w;
    ADD_FAILURE() << "no child " << id << "\n" << Describe(windows_);
    return {};
  }

  Process target_;
  WindowList windows_;
  WindowInfo main_;
};

TEST_F(HarnessProbe, ListsTheWindowTreeWithGeometry) {
  EXPECT_EQ(main_.x, 0);
  EXPECT_EQ(main_.y, 0);
  EXPECT_EQ(main_.width, 240);
  EXPECT_EQ(main_.height, 320);
  EXPECT_EQ(main_.title, "Probe Target");
  EXPECT_TRUE(main_.visible);
  EXPECT_GT(main_.clientY, main_.y);  // below the caption
  const WindowInfo first = Child(7);
  const WindowInfo second = Child(8);
  EXPECT_EQ(first.className, "VdxProbeChild");
  EXPECT_EQ(first.title, "first");
  EXPECT_EQ(first.XIn(main_), 10);
  EXPECT_EQ(first.YIn(main_), 40);
  EXPECT_EQ(first.width, 100);
  EXPECT_EQ(first.height, 24);
  EXPECT_EQ(second.XIn(main_), 10);
  EXPECT_EQ(second.YIn(main_), 80);
  EXPECT_EQ(second.depth, 1);
  EXPECT_EQ(second.parent, main_.handle);
}

TEST_F(HarnessProbe, TapReachesTheWindowUnderTheGivenPoint) {
  const WindowInfo second = Child(8);
  ASSERT_TRUE(Probe::Instance().Tap(second.x + 30, second.y + 5)) << Probe::Instance().LastError();
  std::string click;
  ASSERT_TRUE(Expect("click ", &click));
  EXPECT_EQ(click, "click 8 30 5");
}

TEST_F(HarnessProbe, KeysGoToTheFocusedChild) {
  const WindowInfo first = Child(7);
  ASSERT_TRUE(Probe::Instance().Keys(first.handle, {"F2", "alt+F4", "shift+F1"})) << Probe::Instance().LastError();
  EXPECT_TRUE(Expect("focus 7"));
  std::string key;
  ASSERT_TRUE(Expect("key ", &key));
  EXPECT_EQ(key, "key 7 113 0");  // F2, a plain key press
  ASSERT_TRUE(Expect("key 7 115", &key));
  EXPECT_EQ(key, "key 7 115 1");  // F4 with Alt arrives as a system key
  ASSERT_TRUE(Expect("key 7 112", &key));
  EXPECT_EQ(key, "key 7 112 0");
  const auto focus = Probe::Instance().FocusInfo();
  ASSERT_TRUE(focus.has_value());
  EXPECT_EQ(focus->first, main_.handle);
  EXPECT_EQ(focus->second, first.handle);
}

TEST_F(HarnessProbe, TypedTextArrivesAsCharacters) {
  const WindowInfo second = Child(8);
  ASSERT_TRUE(Probe::Instance().Type(second.handle, "Ab 1")) << Probe::Instance().LastError();
  std::string line;
  std::string typed;
  while (typed.size() < 4 && Expect("char 8 ", &line)) typed += static_cast<char>(std::stoi(line.substr(7)));
  EXPECT_EQ(typed, "Ab 1");
}

TEST_F(HarnessProbe, ScreenshotShowsThePaintedColours) {
  const WindowInfo first = Child(7);
  std::optional<Image> shot;
  ASSERT_TRUE(WaitFor(
      [&] {
        shot = Screenshot();
        return shot && shot->At(main_.clientX + 150, main_.clientY + 200) == Rgb{12, 34, 56};
      },
      Millis(5000), Millis(250)));
  EXPECT_EQ(shot->Width(), 1024);
  EXPECT_EQ(shot->Height(), 768);
  EXPECT_EQ(shot->At(first.x + 50, first.y + 12), (Rgb{250, 240, 230}));
  EXPECT_EQ(shot->At(first.x + 100, first.y + 12), (Rgb{12, 34, 56}));  // just right of the child
}

TEST_F(HarnessProbe, PostedCloseEndsTheProgram) {
  ASSERT_TRUE(Probe::Instance().Post(main_.handle, 0x0010 /* WM_CLOSE */, 0, 0));
  EXPECT_TRUE(Expect("closed 0"));
  EXPECT_EQ(target_.WaitExit(Millis(10000)), 0);
}

}  // namespace
}  // namespace vantor::e2e

// The lock indicator of Vantor.exe on the virtual display: "Lock-H" while the host holds a screen,
// "Lock-B" while the terminal connects, gone with the next screen; and what it costs in CPU.
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <thread>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

constexpr int kIndicatorWidth = 200;
constexpr int kIndicatorHeight = 70;

// ---- CPU of the terminal's processes --------------------------------------------------------------

struct ProcStat {
  pid_t pid = 0;
  pid_t group = 0;
  long long ticks = 0;  // user + system time of the whole process, all threads
};

std::optional<ProcStat> ReadStat(pid_t pid) {
  const std::string text = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  // The command name may hold spaces and parentheses: the fields start after the last ')'.
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(text.substr(close + 1));
  std::string state;
  long long ppid = 0, group = 0, session = 0, tty = 0, tpgid = 0, flags = 0, minflt = 0, cminflt = 0, majflt = 0,
            cmajflt = 0, utime = 0, stime = 0;
  fields >> state >> ppid >> group >> session >> tty >> tpgid >> flags >> minflt >> cminflt >> majflt >> cmajflt >>
      utime >> stime;
  if (!fields) return std::nullopt;
  return ProcStat{pid, static_cast<pid_t>(group), utime + stime};
}

std::vector<pid_t> AllPids() {
  std::vector<pid_t> pids;
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return pids;
  while (const dirent* entry = ::readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (pid > 0 && end != nullptr && *end == '\0') pids.push_back(static_cast<pid_t>(pid));
  }
  ::closedir(proc);
  return pids;
}

// The process groups of the terminal: the harness starts Wine for it in a group of its own, and the
// Wine processes of that start name the terminal's folder on their command line.
std::set<pid_t> TerminalGroups(const std::string& folder) {
  // Wine shows the program as a Windows path: Z:\tmp\vantor-e2e-XXXXXX\Vantor.exe.
  std::string windowsFolder = folder;
  for (char& c : windowsFolder)
    if (c == '/') c = '\\';
  std::set<pid_t> groups;
  for (pid_t pid : AllPids()) {
    std::string command = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
    for (char& c : command)
      if (c == '\0') c = ' ';
    if (command.find(folder) == std::string::npos && command.find(windowsFolder) == std::string::npos) continue;
    if (const auto stat = ReadStat(pid)) groups.insert(stat->group);
  }
  return groups;
}

long long GroupTicks(const std::set<pid_t>& groups, int* processes = nullptr) {
  long long ticks = 0;
  if (processes != nullptr) *processes = 0;
  for (pid_t pid : AllPids()) {
    const auto stat = ReadStat(pid);
    if (!stat || groups.count(stat->group) == 0) continue;
    ticks += stat->ticks;
    if (processes != nullptr) ++*processes;
  }
  return ticks;
}

struct CpuShare {
  int processes = 0;    // of the terminal's groups, at the end
  double terminal = 0;  // percent of one core
};

// Lets the terminal run untouched for `span` and returns its CPU share.
CpuShare MeasureCpu(const std::set<pid_t>& groups, Millis span) {
  const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
  const long long terminalBefore = GroupTicks(groups);
  const auto start = SteadyClock::now();
  std::this_thread::sleep_for(span);
  const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
  CpuShare share;
  share.terminal = 100.0 * static_cast<double>(GroupTicks(groups, &share.processes) - terminalBefore) / tick / seconds;
  return share;
}

// ---- the indicator window -------------------------------------------------------------------------

class IndicatorEndToEnd : public TerminalTest {
 protected:
  std::optional<WindowInfo> Indicator(const WindowList& windows) const {
    for (const WindowInfo& w : ChildrenOf(windows, main_.handle))
      if (w.className == "VdxCAnimate" && w.visible) return w;
    return std::nullopt;
  }

  std::optional<WindowInfo> WaitIndicator(const std::string& title, Millis timeout = Millis(10000)) {
    std::optional<WindowInfo> found;
    WaitWindows(
        [&](const WindowList& windows) {
          found = Indicator(windows);
          return found && found->title == title;
        },
        timeout);
    if (found && found->title != title) return std::nullopt;
    return found;
  }

  bool WaitNoIndicator(Millis timeout = Millis(10000)) {
    return WaitWindows([&](const WindowList& windows) { return !Indicator(windows).has_value(); }, timeout);
  }

  // The indicator hugs the top-right corner of the main window's client area, 200 x 70 inside.
  void ExpectInCorner(const WindowInfo& indicator) {
    EXPECT_EQ(indicator.x + indicator.width, main_.clientX + main_.clientWidth) << Describe(windows_);
    EXPECT_EQ(indicator.y, main_.clientY);
    EXPECT_EQ(indicator.clientWidth, kIndicatorWidth);
    EXPECT_EQ(indicator.clientHeight, kIndicatorHeight);
  }

  // Pixels of the indicator's picture that differ between two screenshots `gap` apart.
  int ChangedPixels(const WindowInfo& indicator, Millis gap) {
    const auto first = Screenshot();
    std::this_thread::sleep_for(gap);
    const auto second = Screenshot();
    if (!first || !second) return -1;
    int changed = 0;
    for (int y = indicator.clientY; y < indicator.clientY + indicator.clientHeight; ++y)
      for (int x = indicator.clientX; x < indicator.clientX + indicator.clientWidth; ++x)
        changed += !(first->At(x, y) == second->At(x, y));
    return changed;
  }

  void ShowEntryScreen() {
    SendScreen(ScreenBuilder()
                   .SelectPage(0)
                   .Fixed(1, 0, 0, "Picking")
                   .Fixed(2, 2, 0, "Location")
                   .Define(20, 3, 0, kInputFlags, kPlainAttributes, 10)
                   .Text(20, "A-12-03")
                   .ShowPage(0)
                   .FocusAndUnlock(20));
    field_ = WaitControl(20);
    ASSERT_TRUE(field_.has_value()) << Describe(windows_);
  }

  // Enter in the field: the key goes to the host and the keyboard locks until its next screen.
  void SendEnter() {
    ASSERT_TRUE(field_.has_value());
    ASSERT_TRUE(probe_.Keys(field_->handle, {"enter"})) << probe_.LastError();
    const std::string key = NextBody();
    ASSERT_EQ(key.rfind(KeyResponse(0, 20), 0), 0u) << key;
  }

  std::optional<WindowInfo> field_;
};

TEST_F(IndicatorEndToEnd, HeldScreenShowsAnimatedLockHAtTheRightEdgeUntilTheNextScreen) {
  StartConnected();
  ShowEntryScreen();
  ASSERT_TRUE(WaitNoIndicator()) << "an unlocked screen shows no indicator\n" << Describe(windows_);

  SendEnter();
  const auto indicator = WaitIndicator("Lock-H");
  ASSERT_TRUE(indicator.has_value()) << Describe(windows_);
  ExpectInCorner(*indicator);
  EXPECT_FALSE(indicator->enabled) << "the indicator never takes input";
  EXPECT_GT(ChangedPixels(*indicator, Millis(300)), 0) << "the picture moves";
  EXPECT_TRUE(SaveDocPicture("indicator", main_.x, main_.y, main_.width, main_.height));

  SendScreen(ScreenBuilder().Text(20, "A-12-04").FocusAndUnlock(20));
  EXPECT_TRUE(WaitNoIndicator()) << Describe(windows_);
  EXPECT_TRUE(OfClass(windows_, "VdxCAnimate").empty()) << "the window is destroyed, not only hidden";
}

TEST_F(IndicatorEndToEnd, ConnectedTerminalShowsLockBUntilAScreenArrives) {
  StartConnected();
  const auto indicator = WaitIndicator("Lock-B");
  ASSERT_TRUE(indicator.has_value()) << Describe(windows_);
  ExpectInCorner(*indicator);
  EXPECT_GT(ChangedPixels(*indicator, Millis(300)), 0) << "the pictures slide";

  // Every record takes the indicator down; a first screen that leaves the keyboard locked puts it
  // up again as the host holding the screen.
  SendScreen(ScreenBuilder().SelectPage(0).Fixed(1, 0, 0, "Please wait").ShowPage(0));
  ASSERT_TRUE(WaitWindows([&](const WindowList& windows) { return Control(windows, 1).has_value(); }))
      << Describe(windows_);
  const auto held = WaitIndicator("Lock-H");
  ASSERT_TRUE(held.has_value()) << Describe(windows_);
  ExpectInCorner(*held);
  EXPECT_EQ(OfClass(windows_, "VdxCAnimate").size(), 1u) << Describe(windows_);

  ShowEntryScreen();
  EXPECT_TRUE(WaitNoIndicator()) << Describe(windows_);
}

TEST_F(IndicatorEndToEnd, ResizedMainWindowKeepsTheIndicatorInItsTopRightCorner) {
  StartConnected();
  ShowEntryScreen();
  SendEnter();
  ASSERT_TRUE(WaitIndicator("Lock-H").has_value()) << Describe(windows_);
  for (const int width : {228, 300}) {
    ASSERT_TRUE(probe_.Move(main_.handle, main_.x, main_.y, width, main_.height)) << probe_.LastError();
    std::optional<WindowInfo> indicator;
    ASSERT_TRUE(WaitWindows([&](const WindowList& windows) {
      indicator = Indicator(windows);
      return main_.width == width && indicator &&
             indicator->x + indicator->width == main_.clientX + main_.clientWidth;
    })) << "width " << width << "\n" << Describe(windows_);
    ExpectInCorner(*indicator);
    EXPECT_EQ(indicator->title, "Lock-H");
  }
}

TEST_F(IndicatorEndToEnd, UnreachableHostKeepsLockBThroughTheRetries) {
  std::uint16_t deadPort = 0;
  {
    TestHost gone;
    ASSERT_TRUE(gone.Listening());
    deadPort = gone.Port();
  }
  ASSERT_TRUE(terminal_.WriteIni(HostSettings(deadPort)));
  ASSERT_TRUE(terminal_.Start());
  const auto main = terminal_.WaitMainWindow();
  ASSERT_TRUE(main.has_value());
  main_ = *main;
  auto indicator = WaitIndicator("Lock-B");
  ASSERT_TRUE(indicator.has_value()) << Describe(windows_);
  ExpectInCorner(*indicator);
  // Each failed connect is retried after a second; the same window stays up all along.
  std::this_thread::sleep_for(Millis(2500));
  indicator = WaitIndicator("Lock-B", Millis(2000));
  ASSERT_TRUE(indicator.has_value()) << Describe(windows_);
  EXPECT_EQ(OfClass(windows_, "VdxCAnimate").size(), 1u) << Describe(windows_);
  EXPECT_TRUE(terminal_.Running());
}

TEST_F(IndicatorEndToEnd, ConnectionLostWhileHeldTurnsLockHIntoLockB) {
  StartConnected();
  ShowEntryScreen();
  SendEnter();
  ASSERT_TRUE(WaitIndicator("Lock-H").has_value()) << Describe(windows_);

  host_.CloseConnection();
  ASSERT_TRUE(WaitIndicator("Lock-B").has_value()) << Describe(windows_);
  ASSERT_TRUE(host_.Accept(Millis(15000))) << "the terminal did not connect again";
  ASSERT_EQ(NextBody(), "I");

  ShowEntryScreen();
  EXPECT_TRUE(WaitNoIndicator()) << Describe(windows_);
}

TEST_F(IndicatorEndToEnd, IdleCpuStaysLowWithAndWithoutTheIndicator) {
  StartConnected();
  ShowEntryScreen();
  ASSERT_TRUE(WaitNoIndicator());
  const std::set<pid_t> groups = TerminalGroups(terminal_.Folder());
  ASSERT_FALSE(groups.empty()) << "no process of the terminal found";

  // VANTOR_CPU_SECONDS measures longer (docs/performance.md); 5 s each by default.
  const char* seconds = std::getenv("VANTOR_CPU_SECONDS");
  const Millis span(seconds != nullptr && std::atoi(seconds) > 0 ? 1000LL * std::atoi(seconds) : 5000);
  const CpuShare unlocked = MeasureCpu(groups, span);
  SendEnter();
  ASSERT_TRUE(WaitIndicator("Lock-H").has_value()) << Describe(windows_);
  const CpuShare held = MeasureCpu(groups, span);
  // Still animating at the end of the measurement: it measured the running indicator.
  const auto indicator = WaitIndicator("Lock-H", Millis(2000));
  ASSERT_TRUE(indicator.has_value());

  std::printf("[   CPU    ] terminal idle, unlocked: %.1f %% of one core in %d process(es)\n", unlocked.terminal,
              unlocked.processes);
  std::printf("[   CPU    ] terminal idle, Lock-H animating: %.1f %% of one core in %d process(es)\n", held.terminal,
              held.processes);
  EXPECT_LT(unlocked.terminal, 25.0);
  EXPECT_LT(held.terminal, 25.0);
}

}  // namespace
}  // namespace vantor::e2e

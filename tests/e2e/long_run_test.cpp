// Vantor.exe over a long run: private memory stays flat over many host screens, and idle CPU stays low
// with and without the animated lock indicator.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <thread>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

// The Wine processes of the terminal name its folder on their command line (also as Z:\tmp\...).
std::set<pid_t> TerminalPids(const std::string& folder) {
  std::string windowsFolder = folder;
  std::replace(windowsFolder.begin(), windowsFolder.end(), '/', '\\');
  std::set<pid_t> pids;
  DIR* proc = ::opendir("/proc");
  while (const dirent* entry = proc != nullptr ? ::readdir(proc) : nullptr) {
    const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
    const std::string command = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
    if (pid > 0 && (command.find(folder) != std::string::npos || command.find(windowsFolder) != std::string::npos))
      pids.insert(pid);
  }
  if (proc != nullptr) ::closedir(proc);
  return pids;
}

// The largest resident private memory among the processes, in KiB.
long PrivateKib(const std::set<pid_t>& pids) {
  long largest = 0;
  for (pid_t pid : pids) {
    const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
    const size_t at = status.find("RssAnon:");
    if (at != std::string::npos) largest = std::max(largest, std::atol(status.c_str() + at + 8));
  }
  return largest;
}

// User and system time of the processes, all threads, in seconds.
double CpuSeconds(const std::set<pid_t>& pids) {
  long long ticks = 0;
  for (pid_t pid : pids) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(std::min(stat.size(), stat.rfind(')') + 1)));  // the name may hold ')'
    std::string skip;
    long long utime = 0, stime = 0;
    for (int i = 0; i < 12; ++i) fields >> skip;
    if (fields >> utime >> stime) ticks += utime + stime;
  }
  return static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Percent of one core the processes take while the terminal is left alone for `span`.
double IdleCpu(const std::set<pid_t>& pids, Millis span) {
  const double before = CpuSeconds(pids);
  const auto start = SteadyClock::now();
  std::this_thread::sleep_for(span);  // a measurement, not a wait for something
  return 100.0 * (CpuSeconds(pids) - before) / std::chrono::duration<double>(SteadyClock::now() - start).count();
}

int FromEnvironment(const char* name, int otherwise) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : otherwise;
}

using LongRunTest = TerminalTest;

// VANTOR_LONG_RUN_SCREENS and VANTOR_CPU_SECONDS measure longer (docs/performance.md).
TEST_F(LongRunTest, MemoryStaysFlatAndIdleCpuLow) {
  StartConnected();
  const int screens = FromEnvironment("VANTOR_LONG_RUN_SCREENS", 150);
  const int warmUp = std::min(50, screens / 4);
  const std::set<pid_t> pids = TerminalPids(folder_);
  ASSERT_FALSE(pids.empty()) << "no process of the terminal found";
  long baseline = 0;
  for (int i = 0; i < screens; ++i) {
    const std::string counter = std::to_string(i);
    SendScreen(ScreenBuilder()
                   .SelectPage(i % 2)
                   .ErasePage()
                   .Fixed(1, 0, 0, "SCREEN " + counter)
                   .Fixed(2, 1, 0, "REVERSE")
                   .Attributes(2, 'A', kReverseAttributes)
                   .Define(4, 0, 12, kSystemFlags, kPlainAttributes, 5)
                   .Define(20, 3, 0, kInputFlags, kPlainAttributes, 8)
                   .Text(20, "V" + counter)
                   .ShowPage(i % 2)
                   .FocusAndUnlock(20));
    const auto entry = WaitControl(20);
    ASSERT_TRUE(entry.has_value()) << "screen " << i << "\n" << Describe(windows_);
    ASSERT_EQ(Press(entry->handle, {"enter"}), KeyResponse(0, 20)) << "screen " << i;
    if (i + 1 == warmUp) baseline = PrivateKib(pids);
  }
  const long end = PrivateKib(pids);
  std::printf("[  MEMORY  ] %d screens: private memory %ld KiB after %d, %ld KiB at the end\n", screens, baseline,
              warmUp, end);
  ASSERT_GT(baseline, 0);
  EXPECT_LT(end - baseline, 6 * 1024);

  // The last Enter left the host holding the screen; then a screen that unlocks.
  const Millis span(1000LL * FromEnvironment("VANTOR_CPU_SECONDS", 5));
  ASSERT_TRUE(WaitIndicator("Lock-H"));
  const double held = IdleCpu(pids, span);
  ASSERT_TRUE(WaitIndicator("Lock-H")) << "it measured the running indicator";
  SendScreen(ScreenBuilder().FocusAndUnlock(20));
  ASSERT_TRUE(WaitIndicator(""));
  const double unlocked = IdleCpu(pids, span);
  std::printf("[   CPU    ] idle: %.1f %% of one core unlocked, %.1f %% with Lock-H animating (%zu processes)\n",
              unlocked, held, pids.size());
  EXPECT_LT(unlocked, 25.0);
  EXPECT_LT(held, 25.0);
}

}  // namespace
}  // namespace vantor::e2e

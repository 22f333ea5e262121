// A measurement of Vantor.exe over a long run (docs/performance.md): its private memory over many host
// screens, and its idle CPU with and without the animated lock indicator. Built on the end-to-end tests'
// fixture; not part of the test run, whose pass or fail would then hang on the machine's load.
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <thread>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

// Resident private memory of a process, in KiB.
long PrivateKib(pid_t pid) {
  const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
  const size_t at = status.find("RssAnon:");
  return at == std::string::npos ? 0 : std::atol(status.c_str() + at + 8);
}

// User and system time of a process, all threads, in seconds.
double CpuSeconds(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  std::istringstream fields(stat.substr(std::min(stat.size(), stat.rfind(')') + 1)));  // the name may hold ')'
  std::string skip;
  long long utime = 0, stime = 0;
  for (int i = 0; i < 12; ++i) fields >> skip;
  fields >> utime >> stime;
  return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// Percent of one core the process takes while the terminal is left alone for `span`.
double IdleCpu(pid_t pid, Millis span) {
  const double before = CpuSeconds(pid);
  const auto start = SteadyClock::now();
  std::this_thread::sleep_for(span);  // a measurement, not a wait for something
  return 100.0 * (CpuSeconds(pid) - before) / std::chrono::duration<double>(SteadyClock::now() - start).count();
}

int FromEnvironment(const char* name, int otherwise) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : otherwise;
}

using LongRunTest = TerminalTest;

// VANTOR_LONG_RUN_SCREENS and VANTOR_CPU_SECONDS measure longer. The bounds only flag a figure far from
// the measured ones (a leak of megabytes, a busy loop).
TEST_F(LongRunTest, MemoryStaysFlatAndIdleCpuLow) {
  StartConnected();
  const int screens = FromEnvironment("VANTOR_LONG_RUN_SCREENS", 150);
  const int warmUp = std::min(50, screens / 4);
  const pid_t pid = terminal_.Pid();  // wine execs the Windows program in its own process
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
    if (i + 1 == warmUp) baseline = PrivateKib(pid);
  }
  const long end = PrivateKib(pid);
  std::printf("[  MEMORY  ] %d screens: private memory %ld KiB after %d, %ld KiB at the end\n", screens, baseline,
              warmUp, end);
  ASSERT_GT(baseline, 0);
  EXPECT_LT(end - baseline, 6 * 1024);

  // The last Enter left the host holding the screen; then a screen that unlocks.
  const Millis span(1000LL * FromEnvironment("VANTOR_CPU_SECONDS", 5));
  ASSERT_TRUE(WaitIndicator("Lock-H"));
  const double held = IdleCpu(pid, span);
  ASSERT_TRUE(WaitIndicator("Lock-H")) << "it measured the running indicator";
  SendScreen(ScreenBuilder().FocusAndUnlock(20));
  ASSERT_TRUE(WaitIndicator(""));
  const double unlocked = IdleCpu(pid, span);
  std::printf("[   CPU    ] idle: %.1f %% of one core unlocked, %.1f %% with Lock-H animating\n", unlocked, held);
  EXPECT_LT(unlocked, 25.0);
  EXPECT_LT(held, 25.0);
}

}  // namespace
}  // namespace vantor::e2e

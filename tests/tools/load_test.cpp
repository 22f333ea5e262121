// vantor-load: percentiles, hosts that fail, and the program's run, summary, JSON and command line.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "load_run.h"
#include "test_host.h"
#include "tool_process.h"

namespace vantor::load {
namespace {

using namespace std::chrono_literals;
using testing_support::ChildProcess;

const std::string kBuild = VANTOR_BUILD_DIR;
const std::string kWarehouseScript = std::string(VANTOR_SOURCE_DIR) + "/tools/load/warehouse.script";

// A run of `terminals` on the test's own script against a host on `port`.
LoadReport RunScript(std::uint16_t port, int terminals, const std::string& script) {
  const std::string path = testing::TempDir() + "load.script";
  std::ofstream(path) << script;
  std::string why;
  const auto options = ParseLoadOptions(
      {"--host", "127.0.0.1:" + std::to_string(port), "--terminals", std::to_string(terminals), "--script", path}, why);
  EXPECT_TRUE(options.has_value()) << why;
  return options ? RunLoad(*options) : LoadReport{};
}

TEST(LoadReport, PercentilesAreNearestRankAndIdsAreFilledIn) {
  std::vector<double> samples;
  for (int i = 100; i >= 1; --i) samples.push_back(i);
  const Percentiles p = PercentilesOf(samples);
  EXPECT_EQ(std::vector<double>({p.p50, p.p95, p.p99, p.max}), std::vector<double>({50, 95, 99, 100}));
  EXPECT_EQ(PercentilesOf({7}).p50, 7);
  EXPECT_EQ(PercentilesOf({}).max, 0);
  EXPECT_EQ(WithId("type U{id} and {id}{id}", 42), "type U42 and 4242");
}

TEST(LoadRun, HostsThatNeverAnswerOrKeepClosingEndInScriptErrorsNotHangs) {
  testing_support::TestHost silent;  // the kernel completes the connection; nobody ever reads or writes
  const LoadReport quiet = RunScript(silent.Port(), 2, "wait connected\nwait 0.3\n");
  EXPECT_EQ(quiet.terminalsConnected, 2);
  EXPECT_EQ(quiet.errors, 2);
  EXPECT_NE(FormatTable(quiet).find("line 2 (wait 0.3): error: timeout"), std::string::npos) << FormatTable(quiet);

  testing_support::TestHost closing;
  LoadReport report;
  std::thread run([&] { report = RunScript(closing.Port(), 1, "wait 30\n"); });
  for (int loss = 0; loss < 3 && closing.Accept(5s); ++loss) closing.CloseConnection();
  run.join();
  EXPECT_EQ(report.reconnects, 3);
  EXPECT_EQ(report.errors, 1);
  EXPECT_NE(FormatTable(report).find("ended the connection 3 times"), std::string::npos) << FormatTable(report);
}

TEST(LoadProgram, EachTerminalRunsTheScriptAgainAsItsOwnUserAndTheReportIsWritten) {
  ChildProcess demo({kBuild + "/demo_host", "0"});
  const std::uint16_t port = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(port, 0) << demo.Output();
  const std::string json = testing::TempDir() + "load.json";
  ChildProcess run({kBuild + "/vantor-load", "--host", "127.0.0.1:" + std::to_string(port), "--terminals", "3",
                    "--script", kWarehouseScript, "--first-id", "7", "--ramp", "0.2", "--duration", "0.5", "--json",
                    json});
  EXPECT_EQ(run.WaitExit(20s), 0) << run.Output();
  EXPECT_NE(run.Output().find("3 (3 connected, 3 ran their script to the end)"), std::string::npos) << run.Output();
  const nlohmann::json report = nlohmann::json::parse(std::ifstream(json), nullptr, false);
  const int runs = report.value("script_runs", 0);
  EXPECT_GT(runs, 3) << report;
  // Signing off brings the sign-on screen the next run starts from: seven screens a run, and the first.
  EXPECT_EQ(report.value("screens", 0), runs * 7 + 3) << report;
  EXPECT_EQ(report["turnaround_ms"].value("samples", 0), runs * 7) << report;  // each key the script sends
  EXPECT_EQ(report.value("errors", -1), 0) << report;
  for (const char* user : {"user U7 signed on", "user U8 signed on", "user U9 signed on"})
    EXPECT_TRUE(demo.WaitFor(user)) << demo.Output();
}

TEST(LoadProgram, RefusesBadCommandLines) {
  const std::string s = kWarehouseScript, h = "127.0.0.1:1";
  std::vector<std::vector<std::string>> cases = {
      {"--first-id", "1000"}, {"--duration", "0"}, {"--ramp", "soon"}, {"--think", "-1"}, {"--bogus", "1"},
  };
  for (auto& args : cases) args.insert(args.begin(), {"--host", h, "--terminals", "2", "--script", s});
  cases.insert(cases.end(), {{},
                             {"--host", h, "--terminals", "2"},
                             {"--host", "127.0.0.1", "--terminals", "2", "--script", s},
                             {"--host", h, "--terminals", "0", "--script", s},
                             {"--host", h, "--terminals", "2", "--script", "/nonexistent.script"},
                             {"--host", "no.such.host.invalid:1", "--terminals", "2", "--script", s}});
  testing_support::ExpectRefused(kBuild + "/vantor-load", cases, "usage: vantor-load");
}

}  // namespace
}  // namespace vantor::load

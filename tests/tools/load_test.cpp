// vantor-load: percentiles, hosts that fail, and the program's run, summary, JSON and command line.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "load_run.h"
#include "screen_builder.h"
#include "test_host.h"
#include "tls_fixtures_posix.h"
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

// Times are seconds up to a week; the first id and the count of terminals stay in the terminal ids' range.
TEST(LoadOptions, TimesUpToAWeekAndIdsInRange) {
  for (const auto& [option, value, accepted] : {std::tuple{"--think", "604800", true},
                                                {"--think", "604800.5", false},
                                                {"--ramp", "0", true},
                                                {"--duration", "1e3", true},
                                                {"--duration", "2x", false},
                                                {"--first-id", "999", true}}) {
    std::string why;
    const auto options = ParseLoadOptions(
        {"--host", "127.0.0.1:1", "--terminals", "1", "--script", kWarehouseScript, option, value}, why);
    EXPECT_EQ(options.has_value(), accepted) << option << " " << value << ": " << why;
  }
  std::string why;
  const auto tls =
      ParseLoadOptions({"--host", "127.0.0.1:1", "--terminals", "1", "--script", kWarehouseScript, "--tls"}, why);
  EXPECT_TRUE(tls && tls->tls.enabled) << why;
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

TEST(LoadReport, ARunWithoutACompletedScriptOrOverALimitFails) {
  LoadReport good;
  good.scriptRuns = 4;
  good.turnaroundMs = {1, 2, 50};
  good.errors = good.reconnects = 2;
  const LoadGates loose{100.0, 2, 2};
  using Failed = std::vector<std::string>;
  EXPECT_EQ(Failures(good, loose), Failed{});
  EXPECT_EQ(Failures(good, LoadGates{49.5, 1, 1}), (Failed{"2 script errors, more than 1", "2 reconnects, more than 1",
                                                           "turnaround p99 50.00 ms, more than 49.5 ms"}));
  EXPECT_EQ(Failures(LoadReport{}, loose), Failed{"no terminal ran its script to the end"});
  EXPECT_NE(ToJson(LoadReport{}, Failures(LoadReport{}, loose)).find("\"passed\": false"), std::string::npos);
  // A host's text in an error stays as it came: UTF-8 as it is, a byte that is none replaced.
  good.firstErrors = {"7: line 2: error: no \xC3\xA9t\xC3\xA9 \xFF"};
  EXPECT_NE(ToJson(good, {}).find("no \xC3\xA9t\xC3\xA9 \xEF\xBF\xBD"), std::string::npos) << ToJson(good, {});
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

  // A run without a duration is measured whole.
  testing_support::TestHost answering;
  LoadReport once;
  std::thread oneRun([&] { once = RunScript(answering.Port(), 1, "wait 5\n"); });
  if (answering.Accept(5s)) {
    answering.SendRaw(host_records::ScreenBuilder().Input(20, 0, 0, 5).ShowPage(0).FocusAndUnlock(20).Wire());
  }
  oneRun.join();
  EXPECT_EQ(std::pair(once.screens, once.measuredScreens), std::pair(1L, 1L));
  EXPECT_EQ(once.errors, 0);

  std::uint16_t nobody = 0;
  {
    testing_support::TestHost gone;
    nobody = gone.Port();
  }
  const LoadReport refused = RunScript(nobody, 1, "wait connected\n");
  EXPECT_EQ(refused.connectionFailures, 3);
  EXPECT_EQ(refused.errors, 1);
  EXPECT_NE(FormatTable(refused).find("(the first: Connection refused)"), std::string::npos) << FormatTable(refused);
  EXPECT_NE(FormatTable(refused).find("cannot connect (Connection refused), 3 times"), std::string::npos);
}

TEST(LoadProgram, EachTerminalRunsTheScriptAgainAsItsOwnUserAndTheReportIsWritten) {
  ChildProcess demo({kBuild + "/demo_host", "0"});
  const std::uint16_t port = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(port, 0) << demo.Output();
  const std::string json = testing::TempDir() + "load.json";
  std::vector<std::string> args{"--max-p99", "60000", "--max-errors", "0", "--max-reconnects", "0"};
  args.insert(args.begin(),
              {kBuild + "/vantor-load", "--host", "127.0.0.1:" + std::to_string(port), "--terminals", "3", "--script",
               kWarehouseScript, "--first-id", "7", "--ramp", "0.2", "--duration", "0.5", "--json", json});
  ChildProcess run(args);
  EXPECT_EQ(run.WaitExit(20s), 0) << run.Output();
  EXPECT_NE(run.Output().find("3 (3 connected, 3 ran their script to the end)"), std::string::npos) << run.Output();
  const nlohmann::json report = nlohmann::json::parse(std::ifstream(json), nullptr, false);
  const int runs = report.value("script_runs", 0);
  EXPECT_GT(runs, 3) << report;
  // Signing off brings the sign-on screen the next run starts from: seven screens a run, and the first.
  EXPECT_EQ(report.value("screens", 0), runs * 7 + 3) << report;
  EXPECT_EQ(report["turnaround_ms"].value("samples", 0), runs * 7) << report;  // each key the script sends
  EXPECT_EQ(report.value("errors", -1), 0) << report;
  EXPECT_EQ(report.value("passed", false), true) << report;
  // Screens per second over the measured window only: from the end of the ramp to the end of the duration.
  const double measured = report.value("measured_seconds", 0.0);
  EXPECT_EQ(measured, 0.3) << report;
  EXPECT_LT(report.value("measured_screens", 0), report.value("screens", 0)) << report;
  EXPECT_NEAR(report.value("screens_per_s", 0.0), report.value("measured_screens", 0) / measured, 0.01) << report;
  for (const char* user : {"user U7 signed on", "user U8 signed on", "user U9 signed on"})
    EXPECT_TRUE(demo.WaitFor(user)) << demo.Output();
}

// Over TLS with the host's certificate pinned, each connection's handshake is timed beside the turnaround.
TEST(LoadProgram, RunsOverTlsAndTimesEachHandshake) {
  const testing_support::TestPki& pki = testing_support::TestPki::Get();
  ChildProcess demo({kBuild + "/demo_host", "--tls", pki.hostFile, pki.hostKeyFile, "0"});
  const std::uint16_t port = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(port, 0) << demo.Output();
  const std::string json = testing::TempDir() + "tls_load.json";
  ChildProcess run({kBuild + "/vantor-load", "--host", "127.0.0.1:" + std::to_string(port), "--terminals", "2",
                    "--script", kWarehouseScript, "--duration", "0.5", "--tls-pin", pki.host.pin, "--json", json});
  EXPECT_EQ(run.WaitExit(20s), 0) << run.Output();
  EXPECT_NE(run.Output().find("TLS handshake (ms)   p50 "), std::string::npos) << run.Output();
  const nlohmann::json report = nlohmann::json::parse(std::ifstream(json), nullptr, false);
  EXPECT_EQ(report.value("errors", -1), 0) << report;
  EXPECT_EQ(report.value("connection_failures", -1), 0) << report;
  EXPECT_EQ(report["handshake_ms"].value("samples", 0), 2) << report;
  EXPECT_GT(report["handshake_ms"].value("p99", 0.0), 0) << report;
  EXPECT_TRUE(demo.WaitFor("connected over TLS")) << demo.Output();
}

TEST(LoadProgram, ShowsHelpAndRefusesBadCommandLinesScriptsAndOutputBeforeConnecting) {
  testing_support::ExpectHelp(kBuild + "/vantor-load");
  const std::string badScript = testing::TempDir() + "bad_load.script";
  std::ofstream(badScript) << "wait connected\nkey Alt+F{id}\n";
  testing_support::ExpectRefusedRows(kBuild + "/vantor-load");
  // A script with a key no terminal has is refused before connecting.
  testing_support::ExpectRefused(
      kBuild + "/vantor-load",
      {{"--host", "127.0.0.1:1", "--terminals", "2", "--script", kWarehouseScript, "--script", badScript}},
      "vantor-load: ");
}

}  // namespace
}  // namespace vantor::load

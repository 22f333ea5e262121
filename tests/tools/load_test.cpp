// vantor-load: scripted terminals against the demo host and the scripted test host, the report's numbers
// and the command line.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "load_run.h"
#include "screen_builder.h"
#include "test_host.h"
#include "tool_process.h"

namespace vantor::load {
namespace {

using namespace std::chrono_literals;
using testing_support::Child;
using host_records::ScreenBuilder;
using testing_support::TestHost;

const std::string kBuild = VANTOR_BUILD_DIR;
const std::string kWarehouseScript = std::string(VANTOR_SOURCE_DIR) + "/tools/load/warehouse.script";

std::string ScriptFile(const std::string& name, const std::string& text) {
  const std::string path = testing::TempDir() + name;
  std::ofstream(path) << text;
  return path;
}

LoadOptions Options(std::uint16_t port, int terminals, const std::string& script,
                    std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"--host", "127.0.0.1:" + std::to_string(port), "--terminals",
                                   std::to_string(terminals), "--script", script};
  args.insert(args.end(), extra.begin(), extra.end());
  std::string why;
  auto options = ParseLoadOptions(args, why);
  EXPECT_TRUE(options.has_value()) << why;
  return options.value_or(LoadOptions{});
}

TEST(LoadReport, PercentilesAreNearestRank) {
  std::vector<double> samples;
  for (int i = 100; i >= 1; --i) samples.push_back(i);
  const Percentiles p = PercentilesOf(samples);
  EXPECT_EQ(p.p50, 50);
  EXPECT_EQ(p.p95, 95);
  EXPECT_EQ(p.p99, 99);
  EXPECT_EQ(p.max, 100);
  EXPECT_EQ(PercentilesOf({7}).p50, 7);
  EXPECT_EQ(PercentilesOf({}).max, 0);
  EXPECT_EQ(WithId("type U{id} and {id}{id}", 42), "type U42 and 4242");
}

TEST(LoadRun, EachTerminalSignsOnAsItsOwnUserAndEveryKeyIsTimed) {
  Child demo({kBuild + "/demo_host", "0"});
  const std::uint16_t port = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(port, 0) << demo.output;
  const LoadReport report = RunLoad(Options(port, 3, kWarehouseScript, {"--first-id", "7", "--ramp", "0.2"}));
  EXPECT_EQ(report.errors, 0) << FormatTable(report);
  EXPECT_EQ(report.terminalsCompleted, 3);
  EXPECT_EQ(report.scriptRuns, 3);
  // Per terminal: the sign-on screen, then one screen for each of the seven keys the script sends.
  EXPECT_EQ(report.screens, 3 * 8);
  EXPECT_EQ(report.turnaroundMs.size(), 3u * 7u);
  for (const char* user : {"user U7 signed on", "user U8 signed on", "user U9 signed on"})
    EXPECT_TRUE(demo.WaitFor(user)) << demo.output;
}

TEST(LoadRun, ADurationRunsTheScriptAgainAndAgain) {
  Child demo({kBuild + "/demo_host", "0"});
  const std::uint16_t port = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(port, 0) << demo.output;
  // The think time keeps the runs few: the demo host's log goes to a pipe read only at the end.
  const LoadReport report = RunLoad(Options(port, 2, kWarehouseScript, {"--duration", "0.5", "--think", "0.01"}));
  EXPECT_EQ(report.errors, 0) << FormatTable(report);
  EXPECT_GT(report.scriptRuns, 2);
  // Signing off brings the sign-on screen the next run starts from: seven screens a run, and the first.
  EXPECT_EQ(report.screens, report.scriptRuns * 7 + 2);
}

TEST(LoadRun, AHostThatNeverAnswersIsAScriptErrorNotAHang) {
  TestHost silent;  // the kernel completes the connection; nobody ever reads or writes
  ASSERT_TRUE(silent.Listening());
  const std::string script = ScriptFile("silent.script", "wait connected\nwait 0.3\n");
  const LoadReport report = RunLoad(Options(silent.Port(), 2, script));
  EXPECT_EQ(report.terminalsConnected, 2);
  EXPECT_EQ(report.errors, 2);
  ASSERT_FALSE(report.firstErrors.empty());
  EXPECT_NE(report.firstErrors[0].find("line 2 (wait 0.3): error: timeout"), std::string::npos)
      << report.firstErrors[0];
}

TEST(LoadRun, ALostConnectionIsMadeAgainAndTheScriptStartsOver) {
  TestHost host;
  const std::string script = ScriptFile("reconnect.script", "wait 8\nkey F2\nwait 8\n");
  LoadReport report;
  std::thread run([&] { report = RunLoad(Options(host.Port(), 1, script)); });
  const auto body = [&] { return host.ReadRecord().value_or(testing_support::HostRecord{}).body; };
  // A failed step returns from the lambda; the run still ends by its waits' time-outs and is joined.
  [&] {
    ASSERT_TRUE(host.Accept(5s));
    ASSERT_EQ(body(), "I");
    host.CloseConnection();
    ASSERT_TRUE(host.Accept(5s)) << "no new connection";
    EXPECT_EQ(body(), "I") << "the goodbye went out on the lost connection";
    ScreenBuilder screen;
    screen.SelectPage(0).Define(20, 1, 0, 'C', '@', 10).ShowPage(0).FocusAndUnlock(20);
    ASSERT_TRUE(host.SendRaw(screen.Wire()));
    EXPECT_EQ(body(), "H");
    EXPECT_EQ(body(), "RF2" + std::string(1, static_cast<char>(20 + 48)));
    ASSERT_TRUE(host.SendRaw(ScreenBuilder().FocusAndUnlock(20).Wire()));
  }();
  run.join();
  EXPECT_EQ(report.reconnects, 1);
  EXPECT_EQ(report.errors, 0) << FormatTable(report);
  EXPECT_EQ(report.turnaroundMs.size(), 1u);
}

TEST(LoadRun, WithoutADurationAHostThatKeepsClosingEndsTheTerminalWithAnError) {
  TestHost host;
  LoadReport report;
  const std::string script = ScriptFile("closing.script", "wait 30\n");
  std::thread run([&] { report = RunLoad(Options(host.Port(), 1, script)); });
  for (int loss = 0; loss < 3; ++loss) {
    if (!host.Accept(5s)) {
      ADD_FAILURE() << "no connection " << loss + 1;
      break;
    }
    host.CloseConnection();
  }
  run.join();
  EXPECT_EQ(report.reconnects, 3);
  EXPECT_EQ(report.errors, 1);
  ASSERT_EQ(report.firstErrors.size(), 1u);
  EXPECT_NE(report.firstErrors[0].find("ended the connection 3 times"), std::string::npos)
      << report.firstErrors[0];
}

TEST(LoadProgram, ReportsAsJsonAndRefusesBadCommandLines) {
  Child demo({kBuild + "/demo_host", "0"});
  const std::uint16_t port = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(port, 0) << demo.output;
  const std::string json = testing::TempDir() + "load.json";
  Child run({kBuild + "/vantor-load", "--host", "127.0.0.1:" + std::to_string(port), "--terminals", "2", "--script",
             kWarehouseScript, "--json", json});
  EXPECT_EQ(run.Exit(20s), 0) << run.output;
  std::ifstream file(json);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("\"screens\": 16,"), std::string::npos) << text;
  EXPECT_NE(text.find("\"errors\": 0,"), std::string::npos) << text;

  const std::string script = kWarehouseScript;
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--host", "127.0.0.1:1", "--terminals", "2"},
      {"--host", "127.0.0.1", "--terminals", "2", "--script", script},
      {"--host", "127.0.0.1:1", "--terminals", "0", "--script", script},
      {"--host", "127.0.0.1:1", "--terminals", "2", "--script", "/nonexistent.script"},
      {"--host", "127.0.0.1:1", "--terminals", "2", "--script", script, "--first-id", "1000"},
      {"--host", "127.0.0.1:1", "--terminals", "2", "--script", script, "--duration", "0"},
      {"--host", "127.0.0.1:1", "--terminals", "2", "--script", script, "--ramp", "soon"},
      {"--host", "127.0.0.1:1", "--terminals", "2", "--script", script, "--think", "-1"},
      {"--host", "127.0.0.1:1", "--terminals", "2", "--script", script, "--bogus", "1"},
      {"--host", "no.such.host.invalid:1", "--terminals", "2", "--script", script},
  };
  for (const auto& args : cases) {
    std::vector<std::string> argv{kBuild + "/vantor-load"};
    argv.insert(argv.end(), args.begin(), args.end());
    Child child(argv);
    EXPECT_EQ(child.Exit(), 2) << child.output;
    EXPECT_NE(child.output.find("usage: vantor-load"), std::string::npos) << child.output;
  }
}

}  // namespace
}  // namespace vantor::load

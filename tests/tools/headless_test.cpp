// vantor-headless: the front end and its command language in-process, on a real connection, and the built program.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "effects_recorder.h"
#include "headless/command_engine.h"
#include "headless/headless_terminal.h"
#include "headless/runner.h"
#include "headless/screen_text.h"
#include "screen_builder.h"
#include "settings/settings.h"
#include "test_host.h"
#include "tool_process.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using testing_support::Child;
using host_records::ScreenBuilder;
namespace option = host_records::option;
using Records = std::vector<std::string>;

// A page with one control of every kind; entry 20 has the focus.
ScreenBuilder Form() {
  ScreenBuilder s;
  s.SelectPage(0).ErasePage().Fixed(1, 0, 0, "Item").Define(9, 0, 19, 'B', '@', 5);
  s.Input(20, 1, 0, 4).Text(20, "ab").Define(21, 1, 5, 'K', '@', 3).Text(21, "pw").Define(22, 1, 9, 'g', '@', 2);
  s.Define(23, 2, 0, 'C', '@', 6).Options(23, {option::Type('C')}).Text(23, "XBox");
  s.Define(24, 2, 8, 'C', '@', 5).Options(24, {option::Type('R')}).Text(24, " A");
  s.Define(25, 2, 14, 'C', '@', 5).Options(25, {option::Type('R')}).Text(25, "XB");
  s.Define(26, 3, 0, 'C', '@', 4).Options(26, {option::Type('B')}).Text(26, "Go");
  s.Define(27, 3, 6, 'C', '@', 4).Options(27, {option::Type('S')}).Text(27, " S");
  s.Define(28, 3, 12, 'C', 'B', 4).Input(29, 3, 17, 4).SerialFlags(29, 'A');
  return s.KeyLabel(1, "SAVE").ShowPage(0).FocusAndUnlock(20);
}

// One terminal without windows, its records captured, the host's records fed in by the test.
class Headless : public ::testing::Test {
 protected:
  Headless() {
    settings.SetScreenSize(24, 4);
    clock.local = {2024, 3, 9, 14, 5, 7};
    terminal.Restart();
  }
  void Host(const ScreenBuilder& screen) {
    const std::string record = screen.Record();
    terminal.ReceiveRecord(RecordBytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size()));
    sent.Clear();  // the acknowledgement
  }
  // A wait still pending after the line has run reaches its time-out.
  Reply Run(const std::string& line) {
    std::optional<Reply> reply = engine.Start(line, now);
    return reply ? *reply : engine.Poll(now + 24h).value();
  }
  Records Sent() {
    Records data = sent.Data();
    sent.Clear();
    return data;
  }
  nlohmann::json Status() { return nlohmann::json::parse(Run("status").data.at(0)); }

  Settings settings;
  testing_support::RecordCapture sent;
  testing_support::FixedClock clock;
  HeadlessTerminal terminal{settings, sent, clock};
  CommandEngine engine{terminal};
  std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
};

TEST_F(Headless, ShowsThePageAsTheOperatorSeesIt) {
  Host(Form());
  EXPECT_EQ(Run("screen").data, (Records{"Item               14:05", "ab   **                 ",
                                         "[X] Box ( ) A (*) B     ", "<Go>  <S>               "}));
  const Records fields = Run("fields").data;
  std::vector<std::string> kinds;
  for (const std::string& line : fields) kinds.push_back(nlohmann::json::parse(line)["kind"]);
  EXPECT_EQ(kinds, (std::vector<std::string>{"text", "system", "entry", "entry", "entry", "checkbox", "radio", "radio",
                                             "button", "select", "entry", "entry"}));
  EXPECT_EQ(fields[3], R"({"id":21,"kind":"entry","row":1,"col":5,"length":3,"text":"pw","focus":false,"input":true,)"
                       R"("numeric":false,"password":true,"hidden":false,"maxLength":3,"modified":false,)"
                       R"("autoSend":false,"readOnly":false,"serial":false})");
  EXPECT_EQ(nlohmann::json::parse(fields[5])["checked"], true);
  EXPECT_EQ(Status(), nlohmann::json::parse(R"({"connected":false,"keyboard":"ready","page":0,"focus":20,)"
                                            R"("dialog":"none","message":"","labels":{"1":"SAVE"},)"
                                            R"("toolbar":{"SAVE":1},"lock":"none","beeps":0,"sounds":1})"));
  EXPECT_EQ(FormatPicture(u"dd-MMM-yy HH:mm", clock.local), u"09-Mar-24 14:05");
}

TEST_F(Headless, OperatorActionsAnswerAndSendWhatTheWindowSends) {
  struct Step {
    ScreenBuilder host;  // fed before the line when it holds commands
    std::string line;
    std::string status;
    Records records;
  };
  const ScreenBuilder none;
  const Step steps[] = {
      {Form(), "type xy", "ok", {}},  // the first key replaces the host's value
      {none, "key Tab", "ok", {}},
      {none, "type q", "ok", {}},
      {none, "key BackTab", "ok", {}},
      {none, "key Tab", "ok", {}},
      {none, "key Tab", "ok", {}},
      // Numeric filter, then the full auto-send field reports itself and locks the keyboard.
      {none, "type 1a2", "ok", {"R%F=D2xy=E1q=F212"}},
      {none, "type z", "error: keyboard locked", {}},
      {none, "key F1", "error: keyboard locked", {}},
      {ScreenBuilder().FocusAndUnlock(23), "tap 24", "ok", {}},
      {none, "key F3", "ok", {"RF3H=H2XA=I2 B"}},
      {ScreenBuilder().FocusAndUnlock(23), "key Space", "ok", {}},
      {none, "tap 26", "ok", {"RF0J=G4 Box=J2Go"}},
      {ScreenBuilder().FocusAndUnlock(20), "tap 27", "ok", {}},
      {none, "key SAVE", "ok", {"RF1D=K2XS"}},  // a select button leaves the terminal's focus field
      {ScreenBuilder().FocusAndUnlock(20), "key BACK", "error: BACK is not bound", {}},
      {none, "scan A1\\r", "ok", {"RF0D=M2A1"}},
      {ScreenBuilder().FocusAndUnlock(20), "tap 28", "error: field 28 is hidden", {}},
      {none, "tap 20", "error: field 20 is not a button, check box or radio button", {}},
      {none, "focus 1", "error: field 1 does not take the focus", {}},
      {none, "focus 29", "error: field 29 does not take the focus", {}},
      {none, "focus 99", "error: no field 99 on the page", {}},
      {none, "focus 21", "ok", {}},
      {none, "type", "error: type needs an argument", {}},
      {ScreenBuilder().Message(" Hi"), "wait", "ok", {}},
      {none, "type a", "error: a host message is open", {}},
      {none, "answer x", "error: no host prompt is open", {}},
      {none, "ok", "ok", {}},
      {none, "ok", "error: no host message is open", {}},
      {none, "key F2", "ok", {"RF2E"}},  // the message gave the focus back to field 21
      {ScreenBuilder().Prompt(3, "Qty?"), "key F1", "error: a host prompt is open", {}},
      {none, "answer 12345", "ok", {"R?3123"}},
      {none, "wait", "error: timeout", {}},
      {ScreenBuilder().Prompt(3, "Again?"), "cancel", "ok", {}},
      {none, "cancel", "error: no host dialog is open", {}},
      {none, "type a", "error: keyboard locked", {}},
  };
  for (const Step& step : steps) {
    if (!step.host.Commands().empty()) Host(step.host);
    EXPECT_EQ(Run(step.line).status, step.status) << step.line;
    EXPECT_EQ(Sent(), step.records) << step.line;
  }
  EXPECT_EQ(Status()["beeps"], 1);
}

TEST_F(Headless, KeyNamesSendTheirCodes) {
  const std::pair<std::string, int> keys[] = {
      {"Enter", 0},      {"F1", 1},       {"f10", 10},      {"F24", 24},    {"Shift+F1", 11},
      {"Shift+F24", 34}, {"Ctrl+F1", 21}, {"ctrl+f24", 44}, {"Ctrl+1", 21}, {"Ctrl+0", 30},
  };
  for (const auto& [name, code] : keys) {
    Host(ScreenBuilder().SelectPage(0).ErasePage().Input(20, 0, 0, 4).ShowPage(0).FocusAndUnlock(20));
    EXPECT_EQ(Run("key " + name).status, "ok") << name;
    EXPECT_EQ(Sent(), (Records{"RF" + std::string(1, static_cast<char>(code + 48)) + "D"})) << name;
  }
  for (const char* name : {"F0", "F25", "F01", "Ctrl+", "Alt+F1", "Shift+Enter", "Ctrl+10", "SAVES"}) {
    EXPECT_EQ(Run(std::string("key ") + name).status, "error: unknown key \"" + std::string(name) + "\"") << name;
  }
}

TEST_F(Headless, BadLinesAreRefusedAndTheSessionGoesOn) {
  const std::pair<std::string, std::string> lines[] = {
      {"bogus", "unknown command \"bogus\""},
      {"Screen", "unknown command \"Screen\""},
      {"screen now", "screen takes no argument"},
      {"quit now", "quit takes no argument"},
      {"focus abc", "not a field id: \"abc\""},
      {"tap 1.5", "not a field id: \"1.5\""},
      {"scan \\q", "bad escape in scan data (\\r \\n \\t \\xHH \\\\)"},
      {"scan \\x4", "bad escape in scan data (\\r \\n \\t \\xHH \\\\)"},
      {"wait soon", "not a number of seconds: \"soon\""},
      {"wait -1", "not a number of seconds: \"-1\""},
      {"wait connected x", "not a number of seconds: \"x\""},
      {"expect nothing like this", "not on the screen: \"nothing like this\""},
      {"wait", "timeout"},
  };
  for (const auto& [line, reason] : lines) EXPECT_EQ(Run(line).status, "error: " + reason) << line;
  EXPECT_TRUE(Run("quit").quit);
  EXPECT_FALSE(IsCommandLine("# note"));
  EXPECT_FALSE(IsCommandLine("\r"));
  EXPECT_EQ(FormatReply(Reply{{"a", "b"}, "ok", false}), "data: a\ndata: b\nok\n");
}

TEST_F(Headless, WaitsArePendingUntilTheirConditionOrDeadline) {
  EXPECT_FALSE(engine.Start("wait 2", now));
  EXPECT_FALSE(engine.Poll(now + 1s));
  EXPECT_EQ(engine.Start("screen", now)->status, "error: a wait is pending");
  Host(Form());
  EXPECT_EQ(engine.Poll(now + 1s)->status, "ok");
  EXPECT_EQ(Run("key Enter").status, "ok");
  EXPECT_FALSE(engine.Start("wait 0.5", now));
  EXPECT_FALSE(engine.Poll(now + 499ms));
  EXPECT_EQ(engine.Poll(now + 500ms)->status, "error: timeout");
  EXPECT_EQ(Run("wait connected 0").status, "error: timeout");
  terminal.SetConnected(true);
  EXPECT_EQ(Run("wait connected").status, "ok");
}

TEST(HeadlessRunner, IdentifiesAnswersAndReconnectsAfterALoss) {
  testing_support::TestHost host;
  Settings settings;
  settings.SetHostName(u"127.0.0.1");
  settings.SetHostPort(host.Port());
  settings.SetTerminalId(7);
  HeadlessRunner runner(settings);
  runner.Start();
  for (int connection = 0; connection < 2; ++connection) {
    EXPECT_EQ(runner.Execute("wait connected 5").status, "ok");
    ASSERT_TRUE(host.Accept());
    const auto identification = host.ReadRecord();
    ASSERT_TRUE(identification);
    EXPECT_EQ(identification->terminalId + identification->body, "7I");
    ASSERT_TRUE(host.SendRecord(Form().RecordData()));
    EXPECT_EQ(runner.Execute("wait 5").status, "ok");
    EXPECT_EQ(runner.Execute("expect <Go>").status, "ok");
    EXPECT_EQ(runner.Execute("key F5").status, "ok");
    for (const char* body : {"H", "RF5D"}) {
      const auto record = host.ReadRecord();
      ASSERT_TRUE(record);
      EXPECT_EQ(record->body, body);
    }
    host.CloseConnection();
    EXPECT_TRUE(runner.ServeUntil([&] { return !runner.Terminal().Connected(); }, 5s));
  }
}

const std::string kBuild = VANTOR_BUILD_DIR;
const std::string kHeadless = kBuild + "/vantor-headless";

TEST(HeadlessProgram, RunsTheDemoScriptAndCommandsFromStdin) {
  Child demo({kBuild + "/demo_host", "0"});
  const std::uint16_t port = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(port, 0) << demo.output;
  const std::vector<std::string> common{kHeadless, "--settings", "/nonexistent/Vantor.ini", "--host",
                                        "127.0.0.1:" + std::to_string(port)};
  std::vector<std::string> script = common;
  script.insert(script.end(), {"--script", std::string(VANTOR_SOURCE_DIR) + "/tools/headless/demo.script"});
  Child scripted(script);
  EXPECT_EQ(scripted.Exit(20s), 0) << scripted.output;
  EXPECT_NE(scripted.output.find("> expect Sign on\nok\n"), std::string::npos) << scripted.output;
  EXPECT_TRUE(demo.WaitFor("received 5 x A100 (label)")) << demo.output;

  Child interactive(common, "wait connected 5\nwait 5\n\n# note\nbogus\nexpect Sign on\nquit\nstatus\n");
  EXPECT_EQ(interactive.Exit(20s), 0) << interactive.output;
  EXPECT_EQ(interactive.output, "ok\nok\nerror: unknown command \"bogus\"\nok\nok\n");
}

TEST(HeadlessProgram, BadCommandLinesExitWithTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--id", "0"},     {"--id", "1000"}, {"--host", "nohost"},
      {"--host", "h:0"}, {"--host", ":1"}, {"--bogus"},
      {"--script"},      {"--timing"},     {"--script", "/nonexistent/demo.script"},
  };
  for (const auto& args : cases) {
    std::vector<std::string> argv{kHeadless};
    argv.insert(argv.end(), args.begin(), args.end());
    Child child(argv);
    EXPECT_EQ(child.Exit(), 2) << child.output;
    EXPECT_NE(child.output.find("vantor-headless: "), std::string::npos) << child.output;
  }
}

}  // namespace
}  // namespace vantor

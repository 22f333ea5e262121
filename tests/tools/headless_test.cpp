// vantor-headless: its command language and script on the demo host, command line and reconnection.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>

#include "effects_recorder.h"
#include "headless/command_engine.h"
#include "headless/headless_terminal.h"
#include "headless/runner.h"
#include "headless/screen_text.h"
#include "screen_builder.h"
#include "test_host.h"
#include "tls_fixtures_posix.h"
#include "tool_process.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using testing_support::ChildProcess;

const std::string kBuild = VANTOR_BUILD_DIR;
const std::string kHeadless = kBuild + "/vantor-headless";

// The session `name` of headless_sessions.txt: each command line (or "<event>") with its reply, if any.
std::vector<std::pair<std::string, std::string>> SessionSteps(const std::string& name) {
  std::ifstream file(std::string(VANTOR_SOURCE_DIR) + "/tests/tools/headless_sessions.txt");
  std::vector<std::pair<std::string, std::string>> steps;
  std::string line, section;
  while (std::getline(file, line)) {
    if (line.starts_with("[")) {
      section = line;
    } else if (section == "[" + name + "]" && (line.starts_with(">") || line.starts_with("<"))) {
      steps.emplace_back(line.starts_with(">") ? line.substr(std::min<std::size_t>(2, line.size())) : line, "");
    } else if (section == "[" + name + "]" && !line.empty() && !line.starts_with("#") && !steps.empty()) {
      steps.back().second = line;
    }
  }
  EXPECT_FALSE(steps.empty()) << name;
  return steps;
}

TEST(HeadlessProgram, AnswersEachLineAsTheOperatorThenRunsTheDemoScript) {
  ChildProcess demo({kBuild + "/demo_host", "0"});
  const std::uint16_t port = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(port, 0) << demo.Output();
  const std::vector<std::string> args{kHeadless, "--settings", testing_support::EmptySettingsFile(), "--host",
                                      "127.0.0.1:" + std::to_string(port)};
  std::string input, replies;
  for (const auto& [line, reply] : SessionSteps("program")) {
    input += line + "\n";
    if (!reply.empty()) replies += reply + "\n";
  }
  ChildProcess interactive(args, {.input = input});
  EXPECT_EQ(interactive.WaitExit(20s), 0);
  EXPECT_EQ(interactive.Output(), replies);
  EXPECT_TRUE(demo.WaitFor("user LEE signed on")) << demo.Output();

  std::vector<std::string> script = args;
  script.insert(script.end(), {"--script", std::string(VANTOR_SOURCE_DIR) + "/tools/headless/demo.script"});
  ChildProcess scripted(script);
  EXPECT_EQ(scripted.WaitExit(20s), 0) << scripted.Output();
  EXPECT_NE(scripted.Output().find("> expect Sign on\nok\n"), std::string::npos) << scripted.Output();
  // The stock is shared: the demo's 24 of A100, and five from each terminal.
  EXPECT_NE(scripted.Output().find("On hand: 34."), std::string::npos) << scripted.Output();
}

TEST(HeadlessProgram, ShowsHelpAndRefusesBadCommandLinesSettingsAndScripts) {
  testing_support::ExpectHelp(kHeadless);
  testing_support::ExpectRefusedRows(kHeadless);
  // Refused before connecting: a folder, and a script with a line that is no command.
  testing_support::ExpectRefused(kHeadless, {{"--script", testing::TempDir()}}, " is a folder, not a script");
  const std::string bad = testing::TempDir() + "bad.script";
  std::ofstream(bad) << "# line 3 looks for the text \"feld 21 = 5\"\nwait\nexpect feld 21 = 5\nexpect field 21 5\n";
  testing_support::ExpectRefused(kHeadless, {{"--script", bad}},
                                 "bad.script line 4: expect field takes ID = TEXT or ID ~ PATTERN");
}

// A TLS host on ::1 reached by its address and by name, through a CA trusted on the command line and
// through the settings file's keys; hosts it must refuse (another name, a man in the middle, a bad
// pin), with the reason `status` gives.
TEST(HeadlessProgram, ReachesATlsHostItTrustsAndSaysWhyItRefusesOthers) {
  using testing_support::LoopbackServer;
  using testing_support::TestPki;
  const TestPki& pki = TestPki::Get();
  LoopbackServer host({true, &pki.host, testing_support::ServerMode::kEcho, ""});
  LoopbackServer otherName({false, &pki.otherName, testing_support::ServerMode::kEcho, ""});
  LoopbackServer stranger({false, &pki.stranger, testing_support::ServerMode::kEcho, ""});
  const auto at = [](const char* address, const LoopbackServer& server) {
    return std::string(address) + ":" + std::to_string(server.Port());
  };
  int files = 0;
  const auto withPin = [&files](const std::string& pin) {
    const std::string file = testing::TempDir() + "tls_settings" + std::to_string(files++) + ".ini";
    std::ofstream(file, std::ios::binary) << "hosttls=true\r\nhosttlspin=" << pin << "\r\n";
    return std::vector<std::string>{"--settings", file};
  };
  const std::string connected = R"("connected":true,"link":{"tls":true,"protocol":"TLSv1.3","failure":""})";
  const auto refused = [](const std::string& why) {
    return R"("connected":false,"link":{"tls":true,"protocol":"","failure":")" + why + "\"}";
  };
  const std::optional<std::string> ipv6Name = testing_support::Ipv6LoopbackName();
  struct Case {
    std::vector<std::string> args;
    std::string link;
  };
  std::vector<Case> cases = {
      {{"--host", at("[::1]", host), "--tls-ca", pki.caFile}, connected},
      {withPin(pki.host.pin), connected},  // read from the settings; the host given below
      {{"--host", at("127.0.0.1", otherName), "--tls-ca", pki.caFile}, refused("certificate does not name this host")},
      {{"--host", at("127.0.0.1", stranger), "--tls-pin", pki.host.pin}, refused("certificate does not match the pin")},
      {withPin("12:34"), refused("pin is not 64 hex digits")},
  };
  if (ipv6Name) cases.push_back({{"--host", at(ipv6Name->c_str(), host), "--tls-ca", pki.caFile}, connected});
  for (const Case& c : cases) {
    std::vector<std::string> args{kHeadless, "--settings", testing_support::EmptySettingsFile()};
    args.insert(args.end(), c.args.begin(), c.args.end());
    if (c.args.front() == "--settings") args.insert(args.end(), {"--host", at("[::1]", host)});
    ChildProcess headless(args, {.input = "wait connected 2\nstatus\nquit\n"});
    ASSERT_EQ(headless.WaitExit(10s), 0) << headless.Output();
    EXPECT_NE(headless.Output().find(c.link), std::string::npos) << headless.Output();
  }
  EXPECT_EQ(host.Accepted(), ipv6Name ? 3 : 2) << "the bad pin was refused before connecting";
  if (!ipv6Name) GTEST_SKIP() << "no name resolves to ::1 here (see /etc/hosts): the host was not reached by name";
}

// What host developers read from `screen`, `fields` and `status`.
// The system lines' pictures: each placeholder filled in, a month out of range as "???".
TEST(HeadlessScreenText, DatePicturesFillEachPlaceholder) {
  for (const auto& [picture, time, text] :
       {std::tuple{u"dd-MMM-yy HH:mm!", LocalDateTime{2026, 12, 8, 7, 5, 0}, u"08-Dec-26 07:05!"},
        {u"MMM", LocalDateTime{2026, 1, 1}, u"Jan"},
        {u"MMM MM", LocalDateTime{2026, 13, 1}, u"??? MM"},
        {u"MMM", LocalDateTime{2026, 0, 1}, u"???"}}) {
    EXPECT_EQ(FormatPicture(picture, time), text);
  }
}

// One terminal without windows on records the test gives, driven by command lines as the program drives it.
class HeadlessSession {
 public:
  HeadlessSession() : terminal_(settings_, sent_, clock_), engine_(terminal_) {}

  void Receive(const std::string& record) {
    terminal_.ReceiveRecord(RecordBytes(reinterpret_cast<const std::uint8_t*>(record.data()), record.size()));
  }
  // The reply's status, then " > " and each record the command sent.
  std::string Run(const std::string& line) {
    sent_.Clear();
    last_ = engine_.Start(line, std::chrono::steady_clock::now()).value_or(Reply{{}, "<pending>"});
    std::string outcome = last_.status;
    for (const std::string& record : sent_.Data()) outcome += " > " + record;
    return outcome;
  }
  HeadlessTerminal& Terminal() { return terminal_; }
  // Each step of the session `name`: a host's record of `records` by its name, the connection lost and
  // being made again, or a command line with its reply.
  void Play(const std::string& name, const std::map<std::string, std::string>& records) {
    for (const auto& [line, outcome] : SessionSteps(name)) {
      if (line == "<connecting>") {
        terminal_.ConnectionStarting();
      } else if (line.starts_with("<")) {
        Receive(records.at(line));
      } else {
        const bool showsScreen = outcome.ends_with(" [screen]");
        EXPECT_EQ(Run(line), showsScreen ? outcome.substr(0, outcome.size() - 9) : outcome) << line;
        EXPECT_EQ(last_.data, showsScreen ? ScreenLines(terminal_) : std::vector<std::string>()) << line;
      }
    }
  }

 private:
  Settings settings_;
  testing_support::RecordCapture sent_;
  testing_support::FixedClock clock_;
  HeadlessTerminal terminal_;
  CommandEngine engine_;
  Reply last_;
};

TEST(HeadlessScreenText, ShowsEveryControlKindAsText) {
  namespace option = host_records::option;
  namespace field = host_records::field;
  HeadlessSession session;
  HeadlessTerminal& terminal = session.Terminal();
  host_records::ScreenBuilder screen;
  screen.Fixed(1, 0, 0, "Item").Input(2, 0, 5, 4).Text(2, "ab");
  screen.Define(3, 1, 0, '@' | field::kInput | field::kPassword, '@', 3).Text(3, "pw");
  screen.Define(4, 2, 0, 'G', '@', 8).Text(4, "XPrint").Options(4, {option::Type('C')});
  screen.Define(5, 3, 0, 'C', '@', 6).Text(5, "Save").Options(5, {option::Type('B')}).KeyLabel(5, "SAVE");
  session.Receive(screen.ShowPage(0).FocusAndUnlock(2).Record());
  const std::vector<std::string> lines = ScreenLines(terminal);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(
      lines[0] + "|" + lines[1] + "|" + lines[2] + "|" + lines[3],
      "Item ab                   |**                        |[X] Print                 |<Save>                    ");
  const std::vector<std::string> fields = FieldLines(terminal);
  ASSERT_EQ(fields.size(), 5u);
  EXPECT_EQ(
      fields[2],
      R"({"id":3,"kind":"entry","row":1,"col":0,"length":3,"text":"pw","focus":false,"input":true,"numeric":false,)"
      R"("password":true,"hidden":false,"maxLength":3,"modified":false,"autoSend":false,"readOnly":false,"serial":false})");
  EXPECT_EQ(fields[3],
            R"({"id":4,"kind":"checkbox","row":2,"col":0,"length":8,"text":"XPrint","focus":false,"input":true,)"
            R"("numeric":false,"password":false,"hidden":false,"label":"Print","checked":true})");
  EXPECT_EQ(
      StatusLine(terminal),
      R"({"connected":false,"link":{"tls":false,"protocol":"","failure":""},"keyboard":"ready","page":0,"focus":2,"dialog":"none","message":"","labels":{"5":"SAVE"},)"
      R"("toolbar":{"SAVE":5},"lock":"none","beeps":0,"sounds":1})");
}

// Waits in seconds up to a day, with a fraction; scan data with its escapes, whole or refused.
TEST(HeadlessCommands, SecondsAndScanEscapesAreReadExactly) {
  for (const auto& [line, seconds] : {std::pair{"wait 9", 9.0},
                                      {"wait 0.25", 0.25},
                                      {"wait 86400", 86400.0},
                                      {"wait 86400.5", -1.0},
                                      {"wait 1.2.3", -1.0},
                                      {"wait .", -1.0},
                                      {"wait 00000000000000001", -1.0}}) {
    std::string why;
    const std::optional<Command> command = ParseCommand(line, why);
    EXPECT_EQ(command ? command->seconds : -1.0, seconds) << line << ": " << why;
  }
  for (const auto& [text, bytes] : {std::pair{R"(\x39\x4a\xFF\r\n\t\\)", std::string("9J\xFF\r\n\t\\")},
                                    {R"(A\x4)", std::string("<refused>")},
                                    {R"(\x)", std::string("<refused>")},
                                    {R"(\xG1)", std::string("<refused>")},
                                    {R"(A\)", std::string("<refused>")}}) {
    std::string got;
    EXPECT_EQ(Unescape(text, got) ? got : "<refused>", bytes) << text;
  }
}

// Each operator session of headless_sessions.txt on a terminal of its own, the host's records by name: checks
// of the screen, toolbar keys under the lock, taps on each kind of button, editing keys.
TEST(HeadlessOperator, EachSessionAnswersAndSendsWhatTheWindowWould) {
  namespace option = host_records::option;
  using host_records::ScreenBuilder;
  ScreenBuilder item, receiving, buttons, entries;
  item.Fixed(1, 0, 0, "Item").Input(2, 0, 5, 4).Text(2, "ab").ShowPage(0);
  receiving.SelectPage(0).Input(20, 1, 0, 10);
  receiving.Define(22, 2, 0, 'G', '@', 8).Text(22, "XPrint").Options(22, {option::Type('C')});
  receiving.ShowPage(0).KeyLabel(1, "SAVE").FocusAndUnlock(20);
  buttons.SelectPage(0).Input(20, 1, 0, 10).Input(21, 2, 0, 6).SerialFlags(21, '1');
  buttons.Define(30, 3, 0, 'G', '@', 6).Text(30, "XPal").Options(30, {option::Type('R')});
  buttons.Define(31, 3, 7, 'G', '@', 6).Text(31, " Case").Options(31, {option::Type('R')});
  buttons.Define(32, 4, 0, 'G', '@', 6).Text(32, " Cold").Options(32, {option::Type('S')});
  buttons.Define(33, 5, 0, 'G', '@', 6).Text(33, " Yes").Options(33, {option::Type('C')});
  buttons.Define(34, 6, 0, 'C', '@', 6).Text(34, "GO").Options(34, {option::Type('B')});
  buttons.ShowPage(0).FocusAndUnlock(20);
  entries.SelectPage(0).Input(20, 1, 0, 3).Input(21, 2, 0, 5);
  entries.Define(22, 3, 0, 'G', '@', 6).Text(22, " Ok").Options(22, {option::Type('C')});
  entries.ShowPage(0).FocusAndUnlock(20);
  const std::map<std::string, std::string> records = {{"<item>", item.Record()},
                                                      {"<receiving>", receiving.Record()},
                                                      {"<buttons>", buttons.Record()},
                                                      {"<entries>", entries.Record()},
                                                      {"<message>", ScreenBuilder().Message("Saved 5 x A100").Record()},
                                                      {"<prompt>", ScreenBuilder().Prompt(1, "Sure?").Record()},
                                                      {"<unlock>", ScreenBuilder().FocusAndUnlock(20).Record()}};
  for (const char* name : {"expect", "toolbar", "taps", "editing"}) {
    SCOPED_TRACE(name);
    HeadlessSession session;
    session.Play(name, records);
  }
}

TEST(HeadlessRunner, ConnectsAgainAfterALossOrADrop) {
  testing_support::TestHost host;
  Settings settings;
  settings.SetHostName(u"127.0.0.1");
  settings.SetHostPort(host.Port());
  HeadlessRunner runner(settings);
  runner.Start();
  for (int connection = 0; connection < 2; ++connection) {
    EXPECT_EQ(runner.Execute("wait connected 5").status, "ok");
    // Every new connection locks the keyboard until a screen unlocks it.
    EXPECT_EQ(runner.Execute("type x").status, "error: keyboard locked");
    ASSERT_TRUE(host.Accept());
    ASSERT_TRUE(host.SendRaw(host_records::ScreenBuilder().Input(20, 0, 0, 5).ShowPage(0).FocusAndUnlock(20).Wire()));
    EXPECT_EQ(runner.Execute("wait 5").status, "ok");
    EXPECT_EQ(runner.Execute("type x").status, "ok");
    // The entry field holds the focus while connected, and loses it with the connection.
    const auto focused = [&] {
      return FormatReply(runner.Execute("fields")).find("\"focus\":true") != std::string::npos;
    };
    EXPECT_TRUE(focused());
    host.CloseConnection();
    EXPECT_TRUE(runner.ServeUntil([&] { return !runner.Terminal().Connected(); }, 5s));
    EXPECT_FALSE(focused());
  }
  // A drop: gone at once without a goodbye, back a second later.
  EXPECT_EQ(runner.Execute("wait connected 5").status, "ok");
  ASSERT_TRUE(host.Accept());
  EXPECT_EQ(host.ReadRecord()->body, "I");
  EXPECT_EQ(runner.Execute("drop").status, "ok");
  EXPECT_EQ(runner.Execute("drop").status, "error: not connected");
  EXPECT_TRUE(host.WaitPeerClosed());
  EXPECT_EQ(host.ReceivedBytes(), "1I" + testing_support::kRecordEnd);
  EXPECT_EQ(runner.Execute("wait connected 5").status, "ok");
  ASSERT_TRUE(host.Accept());
  EXPECT_EQ(host.ReadRecord()->body, "I");
}

}  // namespace
}  // namespace vantor

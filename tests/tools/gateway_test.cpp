// vantor-gateway as a program: every end of a session against a scripted host, and a terminal whose
// link is cut at every step showing what one that never dropped shows.
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "headless/runner.h"
#include "headless/screen_text.h"
#include "platform/net.h"
#include "screen_builder.h"
#include "effects_recorder.h"
#include "test_host.h"
#include "tls_fixtures_posix.h"
#include "tool_process.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;
using host_records::ScreenBuilder;
using testing_support::ChildProcess;
using testing_support::TestHost;
using Millis = std::chrono::milliseconds;

const std::string kBuild = VANTOR_BUILD_DIR;
const std::string kEnd("\xFF\xEF", 2);

// A terminal written by hand: raw bytes in and out over loopback, every wait bounded. Closing resets
// the connection, as a handheld whose program stops does.
class RawTerminal {
 public:
  // Connected, then `first` sent (an identification, say).
  explicit RawTerminal(std::uint16_t port, std::string_view first = {}) {
    const net::Address address = net::Resolve("127.0.0.1", port).addresses.at(0);
    socket_ = net::OpenStream(address);
    if (net::ConnectWithin(socket_, address, wakeup_, 5000) != LinkFailure::kNone) Reset();
    Send(first);
  }
  ~RawTerminal() { Reset(); }

  bool Send(std::string_view bytes) {
    const int length = static_cast<int>(bytes.size());
    return socket_ != net::kInvalid && net::SendSome(socket_, bytes.data(), length) == length;
  }
  // Reads until `received` holds `text` (true) or the time passes or the connection ends (false).
  bool ReadUntil(std::string_view text, Millis timeout = 5s) {
    return Pump(timeout, [&] { return received.find(text) != std::string::npos; });
  }
  bool WaitClosed(Millis timeout = 5s) {
    return Pump(timeout, [] { return false; }) || closed;
  }
  void Reset() {
    if (socket_ != net::kInvalid) net::Close(socket_);
    socket_ = net::kInvalid;
  }

  std::string received;
  bool closed = false;

 private:
  bool Pump(Millis timeout, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      const auto left = std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now());
      if (socket_ == net::kInvalid || closed || left.count() <= 0) return false;
      if (net::WaitFor(socket_, net::Direction::kRead, wakeup_, static_cast<int>(left.count())) !=
          net::WaitResult::kReady)
        continue;
      char buffer[4096];
      const int n = net::ReceiveSome(socket_, buffer, sizeof buffer);
      if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
      closed = n == 0 || n == -1;
    }
    return true;
  }

  net::Wakeup wakeup_;
  net::Handle socket_ = net::kInvalid;
};

// A gateway in front of a host on `hostPort`, holding for `hold` seconds.
struct Gateway {
  explicit Gateway(std::uint16_t hostPort, const std::string& hold = "1", std::vector<std::string> more = {}) {
    more.insert(more.begin(), {kBuild + "/vantor-gateway", "--listen", "127.0.0.1:0", "--host",
                               "127.0.0.1:" + std::to_string(hostPort), "--hold", hold, "--identify-timeout", "0.5"});
    process.Start(more);
    port = process.Port("listening on 127.0.0.1");
  }
  bool Logged(const std::string& line) { return process.WaitFor(line); }

  ChildProcess process;
  std::uint16_t port = 0;
};

std::string Record(std::string_view body) { return std::string(body) + kEnd; }

// A terminal that comes back is first asked for what it had not sent: it answers with nothing.
const std::string kAskFields = ScreenBuilder().SendFields(0).Wire();
void AnswerAsked(RawTerminal& terminal, const std::string& id) {
  EXPECT_TRUE(terminal.ReadUntil(kAskFields));
  terminal.Send(Record(id + "H") + Record(id + "RF0/"));
}

// Every way a session ends, and what the other side sees of it.
TEST(GatewayProgram, EndsEverySessionAsItsTerminalOrHostWould) {
  const std::string screen = ScreenBuilder().Input(1, 0, 0, 5).ShowPage(0).FocusAndUnlock(1).Wire();
  struct Case {
    const char* name;
    std::function<void(Gateway&, TestHost&)> run;
  };
  const Case cases[] = {
      {"a hold that runs out closes the host's connection without a word",
       [&](Gateway& gateway, TestHost& host) {
         RawTerminal terminal(gateway.port, Record("7I"));
         ASSERT_TRUE(host.Accept());
         terminal.Reset();
         EXPECT_TRUE(gateway.Logged("hold id=7"));
         EXPECT_TRUE(gateway.Logged("expire id=7"));
         EXPECT_TRUE(host.WaitPeerClosed());
         EXPECT_EQ(host.ReceivedBytes(), Record("7I"));
       }},
      {"the host closing an attached session closes the terminal, which starts a new one",
       [&](Gateway& gateway, TestHost& host) {
         RawTerminal terminal(gateway.port, Record("7I"));
         ASSERT_TRUE(host.Accept());
         host.SendRaw(screen);
         EXPECT_TRUE(terminal.ReadUntil(screen));
         host.CloseConnection();
         EXPECT_TRUE(gateway.Logged("host closed id=7"));
         EXPECT_TRUE(terminal.WaitClosed());
         RawTerminal again(gateway.port, Record("7I"));
         ASSERT_TRUE(host.Accept());
         EXPECT_EQ(host.ReadRecord()->raw, Record("7I"));  // a new session: the host is told who it is
       }},
      {"the host closing a held session drops it",
       [&](Gateway& gateway, TestHost& host) {
         RawTerminal terminal(gateway.port, Record("7I"));
         ASSERT_TRUE(host.Accept());
         terminal.Reset();
         EXPECT_TRUE(gateway.Logged("hold id=7"));
         host.CloseConnection();
         EXPECT_TRUE(gateway.Logged("host closed id=7 peer=127.0.0.1"));
         RawTerminal again(gateway.port, Record("7I"));
         ASSERT_TRUE(host.Accept());
         EXPECT_EQ(host.ReadRecord()->raw, Record("7I"));
       }},
      {"a second connection with the id takes the session over and gets the screen",
       [&](Gateway& gateway, TestHost& host) {
         RawTerminal first(gateway.port, Record("7I"));
         ASSERT_TRUE(host.Accept());
         host.SendRaw(screen);
         EXPECT_TRUE(first.ReadUntil(screen));
         first.Send(Record("7H"));
         RawTerminal second(gateway.port, Record("7I"));
         EXPECT_TRUE(gateway.Logged("take-over id=7"));
         EXPECT_TRUE(first.WaitClosed());
         AnswerAsked(second, "7");
         EXPECT_TRUE(second.ReadUntil(kAskFields + Record("I") + "Hs0i1"));  // reset, then the field again
         EXPECT_EQ(host.ReadRecord()->raw, Record("7I"));
         EXPECT_EQ(host.ReadRecord()->raw, Record("7H"));
         EXPECT_TRUE(host.NothingArrives(300ms)) << testing_support::Escaped(host.ReceivedBytes());
       }},
      {"a terminal without an id is passed through and not held",
       [&](Gateway& gateway, TestHost& host) {
         RawTerminal terminal(gateway.port, Record("I"));
         ASSERT_TRUE(host.Accept());
         EXPECT_EQ(host.ReadRecord()->raw, Record("I"));
         host.SendRaw("H\xFF\xFFx" + kEnd);
         EXPECT_TRUE(terminal.ReadUntil("H\xFF\xFFx" + kEnd));
         terminal.Reset();
         EXPECT_TRUE(gateway.Logged("ended"));
         EXPECT_TRUE(host.WaitPeerClosed());
       }},
      {"garbage from the terminal instead of its identification closes it",
       [&](Gateway& gateway, TestHost&) {
         RawTerminal record(gateway.port, Record("7RF0/"));
         EXPECT_TRUE(record.WaitClosed());
         RawTerminal endless(gateway.port, std::string(100, 'x'));
         EXPECT_TRUE(endless.WaitClosed());
         EXPECT_TRUE(gateway.Logged("bad identification"));
       }},
      {"a terminal that never identifies itself is closed after the time-out",
       [&](Gateway& gateway, TestHost& host) {
         RawTerminal terminal(gateway.port);
         EXPECT_TRUE(terminal.WaitClosed());
         EXPECT_TRUE(gateway.Logged("no identification"));
         EXPECT_FALSE(host.Accept(200ms));
       }},
      {"garbage from the host reaches the terminal as the terminal cuts it, and the session goes on",
       [&](Gateway& gateway, TestHost& host) {
         RawTerminal terminal(gateway.port, Record("7I"));
         ASSERT_TRUE(host.Accept());
         host.SendRaw("\xFF\xFF\xFF\xEF\x01\x02" + kEnd);  // unescaped: 0xFF, a terminator, 1 2, a terminator
         EXPECT_TRUE(terminal.ReadUntil("\xFF\xFF" + kEnd + "\x01\x02" + kEnd));
         host.SendRaw(screen);
         EXPECT_TRUE(terminal.ReadUntil(screen));
         terminal.Send(Record("") + Record("") + Record("7H") + Record("7RF0/"));
         EXPECT_TRUE(host.ReadRecord().has_value());
         for (const char* body : {"", "", "H", "RF0/"}) {
           const auto record = host.ReadRecord();
           ASSERT_TRUE(record.has_value()) << body;
           EXPECT_EQ(record->body, body);
         }
       }},
      {"a record the terminal sent only in part never reaches the host; acknowledgements reach it once",
       [&](Gateway& gateway, TestHost& host) {
         RawTerminal terminal(gateway.port, Record("7I"));
         ASSERT_TRUE(host.Accept());
         host.SendRaw(screen);
         EXPECT_TRUE(terminal.ReadUntil(screen));
         terminal.Send(Record("7H") + "7RF01=12AB");  // acknowledged, then a key cut short
         EXPECT_EQ(host.ReadRecord(1s)->raw, Record("7I"));
         EXPECT_EQ(host.ReadRecord(1s)->raw, Record("7H"));
         host.SendRaw(screen);  // not acknowledged before the drop: the gateway does it
         EXPECT_TRUE(terminal.ReadUntil(screen + screen));
         terminal.Reset();
         EXPECT_TRUE(gateway.Logged("cut record id=7"));
         EXPECT_EQ(host.ReadRecord(1s)->raw, Record("7H"));
         host.SendRaw(screen);  // while away: into the shadow, acknowledged by the gateway
         EXPECT_EQ(host.ReadRecord(1s)->raw, Record("7H"));
         RawTerminal back(gateway.port, Record("7I"));
         EXPECT_TRUE(gateway.Logged("come back id=7"));
         AnswerAsked(back, "7");
         EXPECT_TRUE(back.ReadUntil(screen + screen));  // rebuilt as it was at the drop, then what it missed
         back.Send(Record("") + Record("7H") + Record("7H") + Record("7H"));  // the terminal's acknowledgements
         EXPECT_TRUE(host.NothingArrives(300ms));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestHost host;
    Gateway gateway(host.Port());
    ASSERT_NE(gateway.port, 0) << gateway.process.Output();
    c.run(gateway, host);
  }
  // A host that cannot be reached: a failed connect for the terminal.
  std::uint16_t closed = 0;
  {
    TestHost gone;
    closed = gone.Port();
  }
  Gateway gateway(closed);
  RawTerminal terminal(gateway.port, Record("7I"));
  EXPECT_TRUE(terminal.WaitClosed());
  EXPECT_TRUE(gateway.Logged("unreachable id=7"));
}

TEST(GatewayProgram, RefusesBadCommandLines) {
  testing_support::ExpectRefusedRows(kBuild + "/vantor-gateway");
  testing_support::ExpectHelp(kBuild + "/vantor-gateway");
}

// ---- the same screen as a terminal that never dropped ----

// A headless terminal on its own connection, driven on the test's thread.
class Handheld {
 public:
  // With a pin the link is TLS, accepting only that certificate.
  Handheld(std::uint16_t port, int id, const std::string& pin = "") {
    settings_.SetHostName(u"127.0.0.1");
    settings_.SetHostPort(port);
    settings_.SetTerminalId(id);
    settings_.SetHostTls(!pin.empty());
    settings_.SetHostTlsPin(std::u16string(pin.begin(), pin.end()));
    runner_ = std::make_unique<HeadlessRunner>(settings_);
    runner_->Start();
  }
  // Each line in turn; the first that fails.
  Reply Do(const std::string& lines) {
    std::size_t start = 0;
    while (start <= lines.size()) {
      const std::size_t end = std::min(lines.find('\n', start), lines.size());
      Reply reply = runner_->Execute(lines.substr(start, end - start));
      if (!reply.Ok()) return reply;
      start = end + 1;
    }
    return {};
  }
  bool ServeUntil(const std::function<bool()>& done, Millis timeout) { return runner_->ServeUntil(done, timeout); }
  HeadlessTerminal& Terminal() { return runner_->Terminal(); }

  // What the operator sees; the sounds apart, and the fields' changed marks (values typed before a
  // drop are reported by the gateway with the next key).
  std::string Seen() {
    nlohmann::json status = nlohmann::json::parse(StatusLine(Terminal()));
    status.erase("sounds");
    std::string seen = status.dump();
    for (const std::string& line : ScreenLines(Terminal())) seen += "\n" + line;
    for (const std::string& line : FieldLines(Terminal())) {
      nlohmann::json field = nlohmann::json::parse(line);
      field.erase("modified");
      seen += "\n" + field.dump();
    }
    return seen;
  }
  bool Settled() {
    const nlohmann::json status = nlohmann::json::parse(StatusLine(Terminal()));
    return status["dialog"] != "none" || status["keyboard"] == "ready";
  }
  int Sounds() { return Terminal().View().Sounds(); }
  int SerialOutputs() { return Terminal().View().SerialOutputs(); }

 private:
  Settings settings_;
  std::unique_ptr<HeadlessRunner> runner_;
};

TEST(GatewayProgram, ATerminalCutAtEveryStepShowsWhatOneThatNeverDroppedShows) {
  ChildProcess demo({kBuild + "/demo_host", "0"});
  const std::uint16_t demoPort = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(demoPort, 0) << demo.Output();
  Gateway gateway(demoPort, "30");
  ASSERT_NE(gateway.port, 0) << gateway.process.Output();
  Handheld straight(demoPort, 11);
  Handheld cut(gateway.port, 12);
  int rebuildSounds = 0;  // the come-backs that unlock or open a dialog again play one sound each
  const auto same = [&](const std::string& step) {
    cut.ServeUntil([&] { return cut.Seen() == straight.Seen(); }, 5s);
    EXPECT_EQ(cut.Seen(), straight.Seen()) << step;
    EXPECT_EQ(cut.Sounds(), straight.Sounds() + rebuildSounds) << step;
    EXPECT_EQ(cut.SerialOutputs(), straight.SerialOutputs()) << step;
  };
  const auto back = [&](const std::string& step) {
    EXPECT_EQ(cut.Do("wait connected 5").status, "ok") << step;
    EXPECT_EQ(cut.Do("wait 5").status, "ok") << step;
  };
  const auto drop = [&](const std::string& step) {
    rebuildSounds += straight.Settled() ? 1 : 0;
    EXPECT_EQ(cut.Do("drop").status, "ok");
    back(step);
    same("after a drop " + step);
  };
  for (Handheld* h : {&straight, &cut}) ASSERT_EQ(h->Do("wait connected 5\nwait 5").status, "ok");
  same("signed on");
  // Each step, on both; then the link of one is cut, except after a message closed with OK and before
  // the next record (the terminal tells no one that it closed: the message would show again).
  const std::pair<std::string, bool> steps[] = {{"type JOE", true},
                                                {"key Enter\nwait 5", true},
                                                {"type pw", true},
                                                {"key Enter\nwait 5", true},
                                                {"tap 20\nwait 5", true},
                                                {"key Enter\nwait 5", true},  // a message
                                                {"ok", false},
                                                {"type A100", false},
                                                {"key Enter\nwait 5", true},
                                                {"type 5", true},
                                                {"tap 22", true},
                                                {"key SAVE\nwait 5", true},  // a prompt
                                                {"answer N\nwait 5", true},
                                                {"key Tab", true},
                                                {"type 7", true}};
  for (const auto& [step, cutAfter] : steps) {
    for (Handheld* h : {&straight, &cut}) EXPECT_EQ(h->Do(step).status, "ok") << step;
    same(step);
    if (cutAfter) drop(step);
  }
  // The host owes the answer when the link is cut: the lock stays until it comes, and its sound plays once.
  ::kill(demo.Pid(), SIGSTOP);
  for (Handheld* h : {&straight, &cut}) EXPECT_EQ(h->Do("key F3").status, "ok");
  // Locked at the cut: the rebuild leaves it locked, and the answer's own sound plays.
  EXPECT_EQ(cut.Do("drop\nwait connected 5").status, "ok");
  ::kill(demo.Pid(), SIGCONT);
  EXPECT_EQ(straight.Do("wait 5").status, "ok");
  EXPECT_EQ(cut.Do("wait 5").status, "ok");
  same("answer owed at the cut");
  // Another connection takes the id over and is cut inside a record: the record never reaches the host.
  rebuildSounds += straight.Settled() ? 1 : 0;
  {
    RawTerminal other(gateway.port, Record("12I"));
    EXPECT_TRUE(gateway.Logged("take-over id=12"));
    AnswerAsked(other, "12");
    EXPECT_TRUE(other.ReadUntil(Record("I")));
    other.Send("12RF0/=D3AB");
  }
  EXPECT_TRUE(gateway.Logged("cut record id=12"));
  EXPECT_TRUE(cut.ServeUntil([&] { return !cut.Terminal().Connected(); }, 5s));
  back("in the middle of a record");
  same("in the middle of a record");
  for (Handheld* h : {&straight, &cut}) EXPECT_EQ(h->Do("key EXIT\nwait 5").status, "ok");
  same("signed off");
  EXPECT_TRUE(demo.WaitFor("user JOE signed off"));
}

// TLS on both sides: the handhelds' links end at the gateway, which checks the host's certificate as a
// terminal does; a session over TLS comes back as one in clear text does.
TEST(GatewayProgram, SpeaksTlsToTerminalsAndToTheHost) {
  const testing_support::TestPki& pki = testing_support::TestPki::Get();
  ChildProcess demo({kBuild + "/demo_host", "--tls", pki.hostFile, pki.hostKeyFile, "0"});
  const std::uint16_t demoPort = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(demoPort, 0) << demo.Output();
  const auto gatewayPinning = [&](const std::string& pin) {
    return std::make_unique<Gateway>(
        demoPort, "30",
        std::vector<std::string>{"--tls-cert", pki.hostFile, "--tls-key", pki.hostKeyFile, "--host-tls-pin", pin});
  };
  const auto gateway = gatewayPinning(pki.host.pin);
  ASSERT_NE(gateway->port, 0) << gateway->process.Output();
  Handheld straight(demoPort, 20, pki.host.pin);
  Handheld handheld(gateway->port, 21, pki.host.pin);
  for (Handheld* h : {&straight, &handheld})
    ASSERT_EQ(h->Do("wait connected 5\nwait 5\ntype JOE\nkey Enter\nwait 5").status, "ok");
  EXPECT_EQ(handheld.Do("drop\nwait connected 5\nwait 5").status, "ok");
  EXPECT_TRUE(gateway->Logged("come back id=21"));
  handheld.ServeUntil([&] { return handheld.Seen() == straight.Seen(); }, 5s);
  EXPECT_EQ(handheld.Seen(), straight.Seen());
  EXPECT_TRUE(demo.WaitFor("connected over TLS"));

  // A host presenting another certificate than the pinned one is unreachable, and says why.
  const auto wrongPin = gatewayPinning(pki.stranger.pin);
  RawTerminal clear(wrongPin->port, Record("22I"));
  EXPECT_TRUE(clear.WaitClosed()) << "clear text to a gateway that speaks TLS";
  Handheld refused(wrongPin->port, 23, pki.host.pin);
  EXPECT_EQ(refused.Do("wait connected 5").status, "ok");
  EXPECT_TRUE(refused.ServeUntil([&] { return !refused.Terminal().Connected(); }, 5s)) << "a failed connect";
  EXPECT_TRUE(wrongPin->Logged("unreachable id=23"));
  EXPECT_TRUE(wrongPin->Logged("does not match the pin")) << wrongPin->process.Output();

  ChildProcess unreadable({kBuild + "/vantor-gateway", "--listen", "127.0.0.1:0", "--host", "127.0.0.1:1", "--tls-cert",
                           "/nonexistent.pem", "--tls-key", pki.hostKeyFile});
  EXPECT_EQ(unreadable.WaitExit(), 1);
  EXPECT_NE(unreadable.Output().find("cannot read the certificate"), std::string::npos) << unreadable.Output();
}

// vantor-load's terminals cut again and again: through the gateway each finds its screen again and
// its script goes on.
TEST(GatewayProgram, LoadTerminalsCutAgainAndAgainFindTheirScreensAgain) {
  ChildProcess demo({kBuild + "/demo_host", "0"});
  const std::uint16_t demoPort = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(demoPort, 0) << demo.Output();
  Gateway gateway(demoPort, "30");
  const std::string json = testing::TempDir() + "gateway_load.json";
  ChildProcess load({kBuild + "/vantor-load", "--host", "127.0.0.1:" + std::to_string(gateway.port), "--terminals", "3",
                     "--script", std::string(VANTOR_SOURCE_DIR) + "/tools/load/warehouse.script", "--duration", "4",
                     "--think", "0.2", "--drop-every", "0.8", "--json", json});
  EXPECT_EQ(load.WaitExit(40s), 0) << load.Output();
  const nlohmann::json report = nlohmann::json::parse(std::ifstream(json), nullptr, false);
  EXPECT_GT(report.value("drops_at_ready_screen", 0), 2) << report;
  EXPECT_EQ(report.value("screens_back", -1), report.value("drops_at_ready_screen", 0)) << report;
  EXPECT_EQ(report.value("errors", -1), 0) << report;
}

}  // namespace
}  // namespace vantor

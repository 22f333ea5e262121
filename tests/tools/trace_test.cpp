// vantor-trace: the decoders, the capture, the replay logic, and the built program as proxy and replay.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "effects_recorder.h"
#include "platform/net.h"
#include "screen_builder.h"
#include "session/host_connection.h"
#include "session/record_assembler.h"
#include "session/responses.h"
#include "session/terminal.h"
#include "settings/settings.h"
#include "test_host.h"
#include "test_session_port.h"
#include "tool_process.h"
#include "trace/capture.h"
#include "trace/record_decoder.h"
#include "trace/replay.h"
#include "trace/trace_decoder.h"
#include "trace/trace_text.h"

namespace vantor::trace {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using host_records::ScreenBuilder;
using Millis = std::chrono::milliseconds;
namespace option = host_records::option;

const std::string kEnd("\xFF\xEF", 2);

RecordBytes Bytes(const std::string& s) { return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()}; }

// ---- decoding ----

TEST(TraceDecode, EveryCommandLetterAsTheInterpreterReadsIt) {
  struct Case {
    ScreenBuilder commands;
    std::string line;
  };
  // One shadow terminal for all rows: field 3 defined by the first row exists for the later ones.
  const Case cases[] = {
      {ScreenBuilder().Input(3, 1, 0, 10), "i field=3 row=1 col=0 flags='C' attr='@' len=10"},
      {ScreenBuilder().Fixed(1, 0, 0, "Hi"), "f field=1 row=0 col=0 text=\"Hi\""},
      {ScreenBuilder().Text(3, "Item"), "u field=3 text=\"Item\""},
      {ScreenBuilder().Text(3, ""), "u field=3 len=0"},
      {ScreenBuilder().Options(3, {option::Type('B'), option::MaxLength(0x7D0), option::Selected(true),
                                   option::Centred(), option::Recreate(), option::CheckSize(2), option::Letter('Z')}),
       "w field=3 unused=0 @A=B @B=07D0 @H=1 @M @P @S=2 @Z"},
      {ScreenBuilder().Prefix(3, 1, "AB"), "y field=3 mode=1 text=\"AB\""},
      {ScreenBuilder().Attributes(3, 'C', 0x44), "+ field=3 flags='C' attr='D'"},
      {ScreenBuilder().SerialFlags(3, 'A'), "b field=3 serial='A'"},
      {ScreenBuilder().ClearField(3), "c field=3"},
      {ScreenBuilder().ClearInputFields(), "C"},
      {ScreenBuilder().CopyText(1, 3), "k field=1 to-field=3"},
      {ScreenBuilder().DeleteField(1), "e field=1"},
      {ScreenBuilder().SelectPage(0), "s page=0"},
      {ScreenBuilder().ShowPage(0), "d page=0"},
      {ScreenBuilder().Focus(3), "@ field=3"},
      {ScreenBuilder().FocusAndUnlock(-1), "o field=-1"},
      {ScreenBuilder().Lock(), "l"},
      {ScreenBuilder().MessageAt(3, "Hey"), "a field=3 text=\"Hey\""},
      {ScreenBuilder().Message("M\x01"), "A text=\"M\\x01\""},
      {ScreenBuilder().Prompt(1, "Q?"), "h input=1 text=\"Q?\""},
      {ScreenBuilder().KeyLabel(11, "X"), "S key=11 (F11|Shift+F1) text=\"X\""},
      {ScreenBuilder().Sound(), "#"},
      {ScreenBuilder().ScannerEnable(1), "Z device='e' value=1"},
      {ScreenBuilder().UserSound(2), "Z device='s' value=2"},
      {ScreenBuilder().DeviceValues(1, 2, 300), "Z device='v' value=1 value=2 value=300"},
      {ScreenBuilder().SerialOut(1, "ab"), "> unused=0 mode=1 data=\"ab\""},
      {ScreenBuilder().FontStep(2), "F step=2"},
      {ScreenBuilder().StatusRequest(), "!"},
      {ScreenBuilder().SendFields(0), "W key=0 (Enter)"},
      {ScreenBuilder().Ignored('$', "xy"), "$ data=\"xy\""},
      {ScreenBuilder().Ignored('%', "x"), "% data=\"x\""},
      {ScreenBuilder().Ignored('I', ""), "I data=\"\""},
      {ScreenBuilder().Ignored('D', "x"), "D data=\"x0000000000\""},
      {ScreenBuilder().Ignored('K'), "K value=0"},
      {ScreenBuilder().Ignored('X'), "X value=0"},
      {ScreenBuilder().Ignored('r'), "r value=0"},
      {ScreenBuilder().Ignored('L', "ab"), "L value=0 value=0 data=\"ab\""},
      {ScreenBuilder().Ignored('M', std::string(300, 'm')), "M data=\"" + std::string(300, 'm') + "\""},
      {ScreenBuilder().Ignored('N', "n"), "N data=\"n\""},
      {ScreenBuilder().Ignored('O', "o"), "O data=\"o\""},
      {ScreenBuilder().Ignored('P', "xy"), "P data=\"xyB\""},
      {ScreenBuilder().Ignored('Q', "z", 'Q'), "Q data=\"zQ\""},
      {ScreenBuilder().Ignored('j', "j"), "j value=0 data=\"j\""},
      {ScreenBuilder().Ignored('v', "v"), "v value=0 data=\"v\""},
      {ScreenBuilder().Ignored('p', "pq"), "p data=\"pq\""},
      {ScreenBuilder().Ignored('B'), "B"},
      {ScreenBuilder().Ignored('R'), "R"},
      {ScreenBuilder().Ignored('m'), "m"},
      {ScreenBuilder().Ignored('z'), "z"},
      {ScreenBuilder().ErasePage(), "E"},
  };
  HostRecordDecoder decoder;
  int letters = 0;
  for (int letter = 0; letter < 256; ++letter) letters += DescribeCommand(static_cast<std::uint8_t>(letter)) != nullptr;
  EXPECT_EQ(letters, 47);
  for (const Case& c : cases) {
    const DecodedRecord decoded = decoder.Decode(Bytes(c.commands.Record()));
    EXPECT_EQ(decoded.head, "H screen");
    EXPECT_EQ(decoded.lines, std::vector<std::string>{"    " + c.line}) << c.commands.Commands();
  }
}

TEST(TraceDecode, HostRecordsAsTheTerminalScansThem) {
  struct Case {
    std::string record;
    std::string head;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"A", "A identify", {}},
      {"I", "I reset, bare terminator", {}},
      {"", "bare terminator", {}},
      {"Qxy", "bare terminator", {"    passed over (no record type): 51 78 79"}},
      {"IHGTi3",
       "I reset, H screen",
       {"    passed over (no command): 47 54",
        "    i field=3 row=207 col=191 flags=0x00 attr=0x00 len=-48  (cut: the record ends inside this command)"}},
      // w does not read the type letter of a field that does not exist: it is the next command.
      {ScreenBuilder().Options(9, {option::Type('B')}).RecordData(),
       "H screen",
       {"    w field=9 unused=0 @A", "    B"}},
  };
  for (const Case& c : cases) {
    HostRecordDecoder decoder;
    const DecodedRecord decoded = decoder.Decode(Bytes(c.record + kEnd));
    EXPECT_EQ(decoded.head, c.head) << c.record;
    EXPECT_EQ(decoded.lines, c.lines) << c.record;
  }
}

TEST(TraceDecode, TerminalRecordsEveryKind) {
  struct Case {
    std::string record;
    std::string id;
    std::string head;
  };
  const std::string longText(210, 't');
  const Case cases[] = {
      {"5I", "5", "I identification"},
      {"5H", "5", "H screen received"},
      {"5&", "5", "& goodbye"},
      {"", "", "bare terminator"},
      {"12RF3/", "12", "RF key=3 (F3) focus=none"},
      {"5RF;D=D3JOE=E!12" + longText, "5",
       "RF key=11 (F11|Shift+F1) focus=20 field=20 text=\"JOE\" field=21 text=\"" + longText + "\""},
      {"5R%D=D1x", "5", "R% focus=20 field=20 text=\"x\""},
      {"5R?1Y", "5", "R? reply=\"Y\""},
      {"5R<12a\x01", "5", "R<1 data=\"a\\x01\""},
      {"5" + BuildStatusResponse(80, 24, 33), "5", "R! columns=80 rows=24 stamp=33"},
      {"5RF0D=D9ab", "5", "RF key=0 (Enter) focus=20 field=20 text=\"ab\" (cut: the record ends here)"},
      {"5RF0DxY", "5", "RF key=0 (Enter) focus=20 rest: 78 59 (a field item begins with '=')"},
      {"5R?1YZ", "5", "R? reply=\"Y\" rest: 5A (after the end of the response)"},
      {"5Zz", "5", "unknown: 5A 7A (not a terminal record)"},
  };
  for (const Case& c : cases) {
    const DecodedRecord decoded = DecodeTerminalRecord(c.record + kEnd);
    EXPECT_EQ(decoded.terminalId, c.id) << c.record;
    EXPECT_EQ(decoded.head, c.head) << c.record;
  }
  const std::pair<int, std::string> keys[] = {
      {0, "Enter"}, {24, "F24|Shift+F14|Ctrl+F4"}, {25, "Shift+F15|Ctrl+F5|Key240"}, {44, "Ctrl+F24"}, {45, ""}};
  for (const auto& [code, names] : keys) EXPECT_EQ(KeyNames(code), names) << code;
}

CaptureEntry Entry(CaptureEvent event, std::uint64_t millis, std::string bytes = {}, std::uint32_t connection = 1) {
  return {event, connection, millis * 1000, std::move(bytes)};
}

std::vector<std::string> Trace(const std::vector<CaptureEntry>& entries) {
  std::vector<std::string> lines;
  TraceDecoder decoder([&lines](const std::string& line) { lines.push_back(line); });
  for (const CaptureEntry& entry : entries) decoder.Add(entry);
  decoder.Finish(99000);
  return lines;
}

TEST(TraceDecode, StreamsUnescapedCutAndBounded) {
  using E = CaptureEvent;
  // A doubled 0xFF split between two reads, a record over the terminal's bound, and records cut by the end.
  const std::string oversized(kMaxRecordBytes, 'x');
  const std::vector<std::string> lines = Trace({
      Entry(E::Opened, 0, "peer"),
      Entry(E::FromTerminal, 1, "7I" + kEnd + "7R"),
      Entry(E::FromHost, 2, "Hu3" + host_records::LongNumber(3) + "a\xFF"),
      Entry(E::FromHost, 3, std::string("\xFF") + "b" + kEnd + oversized + kEnd + "A"),
      Entry(E::TerminalEnded, 4),
  });
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "0 1 T>H - open \"peer\"",
                       "1 1 T>H 7 I identification",
                       "3 1 H>T 7 H screen",
                       "    u field=3 text=\"a\\xFFb\"",
                       "3 1 H>T 7 dropped: a record over 4194304 bytes, passed over whole",
                       "4 1 T>H 7 cut: 37 52 (the terminal closed the connection inside a record)",
                       "4 1 T>H 7 closed",
                       "99 1 H>T 7 cut: 41 (the capture ends inside a record)",
                   }));
}

// ---- capture and replay logic ----

TEST(TraceCapture, RoundTripAndDamage) {
  using E = CaptureEvent;
  const std::string good = std::string(kCaptureMagic) + EncodeCaptureEntry(Entry(E::FromHost, 5, "a\0b"s)) +
                           EncodeCaptureEntry(Entry(E::HostEnded, 6, {}, 7));
  struct Case {
    std::string file;
    std::size_t entries;
    std::string error;
  };
  const Case cases[] = {
      {good, 2, ""},
      {"VTRACE2\n", 0, "not a vantor-trace capture"},
      {good.substr(0, good.size() - 3), 1, "ends inside an entry after 1 entries"},
      {std::string(kCaptureMagic) + "X" + EncodeCaptureEntry(Entry(E::Opened, 0)).substr(1), 0, "damaged entry"},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.file);
    CaptureReader reader(in);
    std::vector<CaptureEntry> read;
    for (CaptureEntry entry; reader.Next(entry);) read.push_back(entry);
    EXPECT_EQ(read.size(), c.entries);
    EXPECT_NE(reader.Error().find(c.error), std::string::npos) << reader.Error();
    if (c.error.empty() && read.size() == 2) {
      EXPECT_TRUE(reader.Error().empty());
      EXPECT_EQ(read[0].bytes, "a\0b"s);
      EXPECT_EQ(read[1].connection, 7u);
      EXPECT_EQ(read[1].micros, 6000u);
    }
  }
}

TEST(TraceReplay, SendsEachChunkAfterTheRecordsBeforeItAndReportsDifferences) {
  using E = CaptureEvent;
  const std::string status = "1" + BuildStatusResponse(24, 12, 5) + kEnd;
  const std::vector<ReplayStep> script =
      ReplayScript({Entry(E::FromTerminal, 0, "1I" + kEnd), Entry(E::FromHost, 1, "H!" + kEnd, 1),
                    Entry(E::FromTerminal, 2, "1H" + kEnd + status.substr(0, 4)), Entry(E::FromHost, 2, "other", 2),
                    Entry(E::FromTerminal, 3, status.substr(4)), Entry(E::FromHost, 4, "H" + kEnd),
                    Entry(E::TerminalEnded, 5), Entry(E::HostEnded, 5)},
                   0);
  ASSERT_EQ(script.size(), 5u);  // the host's end after the terminal's is not replayed

  Replay same(script);
  EXPECT_EQ(same.Next(), Replay::Action::Wait);
  same.FromTerminal("1I" + kEnd);
  EXPECT_EQ(same.Next(), Replay::Action::Send);
  EXPECT_EQ(same.Outgoing(), "H!" + kEnd);
  EXPECT_EQ(same.Next(), Replay::Action::Wait);
  // Another session stamp in the status response is no difference.
  same.FromTerminal("1H" + kEnd + "1" + BuildStatusResponse(24, 12, 40) + kEnd);
  EXPECT_EQ(same.Next(), Replay::Action::Send);
  EXPECT_EQ(same.Next(), Replay::Action::Finished);
  EXPECT_EQ(same.Differences(), 0);
  EXPECT_EQ(same.RecordsCompared(), 3u);

  Replay other(script);
  other.FromTerminal("1I" + kEnd + "1H" + kEnd + "1RF3/" + kEnd + "1&" + kEnd);
  while (other.Next() == Replay::Action::Send) {
  }
  EXPECT_EQ(other.Next(), Replay::Action::Finished);
  EXPECT_EQ(other.Report(), (std::vector<std::string>{
                                "difference in terminal record 3 (recorded at 3 ms):",
                                "  expected: 1 R! columns=24 rows=12 stamp=5", "  received: 1 RF key=3 (F3) focus=none",
                                "a terminal record beyond the recording:", "  received: 1 & goodbye"}));
  Replay stalled(script);
  stalled.GiveUp("nothing within 5000 ms");
  EXPECT_EQ(stalled.Report().at(0), "terminal record 1 (recorded at 0 ms) did not come: nothing within 5000 ms");
  EXPECT_EQ(stalled.Next(), Replay::Action::Finished);
}

// ---- the program ----

using testing_support::Child;

const std::string kBuild = VANTOR_BUILD_DIR;
const std::string kTrace = kBuild + "/vantor-trace";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file of the test's own, removed with it.
struct TempFile {
  explicit TempFile(const std::string& name)
      : path(::testing::TempDir() + "trace_" + std::to_string(getpid()) + "_" + name) {}
  ~TempFile() { std::remove(path.c_str()); }
  const std::string path;
};

TEST(TraceProgram, BadCommandLinesExitWithTwo) {
  const TempFile file("empty.raw");
  const std::string& capture = file.path;
  std::ofstream(capture) << kCaptureMagic;
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--listen"},
      {"--listen", "x"},
      {"--listen", "0", "--host", "nohostport"},
      {"--listen", "0", "--host", "h:1", "--timeout", "2"},
      {"--decode", capture, "--host", "h:1"},
      {"--decode", "/nonexistent/capture.raw"},
      {"--replay", capture},
      {"--replay", capture, "--listen", "0", "--timeout", "-1"},
      {"--replay", capture, "--listen", "0"},  // nothing to replay
      {"--bogus", "1"},
      {"--out", "a", "--out", "b"},
  };
  for (const auto& args : cases) {
    std::vector<std::string> argv{kTrace};
    argv.insert(argv.end(), args.begin(), args.end());
    Child child(argv);
    EXPECT_EQ(child.Exit(), 2) << child.output;
    EXPECT_NE(child.output.find("vantor-trace: "), std::string::npos) << child.output;
  }
}

// A raw socket standing in for a terminal.
class RawTerminal {
 public:
  explicit RawTerminal(std::uint16_t port) : socket_(net::OpenTcp()) {
    if (!net::Connect(socket_, net::ParseIpv4("127.0.0.1"), port)) socket_ = net::kInvalid;
  }
  ~RawTerminal() { net::Close(socket_); }
  bool Send(const std::string& bytes) {
    return net::Send(socket_, bytes.data(), static_cast<int>(bytes.size())) == static_cast<int>(bytes.size());
  }
  // Reads until `count` bytes have come in all, the peer closed or the time is up.
  const std::string& ReceiveUntil(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (received_.size() < count && std::chrono::steady_clock::now() < deadline &&
           net::WaitReadable(socket_, 1) == 1) {
      char buffer[8192];
      const int got = net::Receive(socket_, buffer, sizeof buffer);
      if (got <= 0) break;
      received_.append(buffer, static_cast<std::size_t>(got));
    }
    return received_;
  }
  void HalfClose() { shutdown(static_cast<int>(socket_), SHUT_WR); }

 private:
  net::Handle socket_;
  std::string received_;
};

TEST(TraceProgram, ProxyForwardsByteForByteAndTracesWhatItForwards) {
  testing_support::TestHost host;
  const TempFile out("proxy.txt"), raw("proxy.raw");
  Child proxy({kTrace, "--listen", "127.0.0.1:0", "--host", "127.0.0.1:" + std::to_string(host.Port()), "--out",
               out.path, "--raw", raw.path});
  const std::uint16_t port = proxy.Port("listening on ");
  ASSERT_NE(port, 0) << proxy.output;
  RawTerminal terminal(port);
  ASSERT_TRUE(host.Accept());
  // Garbage, doubled 0xFF, large records and a record cut by the close, both ways at once.
  const std::string fromTerminal = "1I" + kEnd + "\x01\xFF\xFFzz" + kEnd + std::string(100000, 'q') + kEnd + "1RF";
  const std::string fromHost =
      ScreenBuilder().Fixed(1, 0, 0, "a\xFF").Wire() + "\xFF\xFF" + kEnd + std::string(100000, 'h') + "\xFF";
  std::thread up([&] { EXPECT_TRUE(terminal.Send(fromTerminal)); });
  std::thread down([&] { EXPECT_TRUE(host.SendRaw(fromHost)); });
  EXPECT_EQ(terminal.ReceiveUntil(fromHost.size()), fromHost);
  up.join();
  down.join();
  terminal.HalfClose();
  EXPECT_TRUE(host.WaitPeerClosed());
  EXPECT_EQ(host.ReceivedBytes(), fromTerminal);
  host.CloseConnection();
  EXPECT_EQ(terminal.ReceiveUntil(fromHost.size() + 1), fromHost);  // the end of the stream, nothing more
  EXPECT_EQ(proxy.Terminate(), 0) << proxy.output;

  const std::string trace = ReadAll(out.path);
  for (const char* expected :
       {" 1 T>H 1 I identification\n", " 1 T>H - unknown: 01 FF FF 7A 7A (not a terminal record)\n",
        "    f field=1 row=0 col=0 text=\"a\\xFF\"\n", "1 T>H 1 cut: 31 52 46 (the terminal closed",
        "1 H>T 1 closed\n"}) {
    EXPECT_NE(trace.find(expected), std::string::npos) << expected << "\n" << trace.substr(0, 3000);
  }
  Child decode({kTrace, "--decode", raw.path});
  EXPECT_EQ(decode.Exit(), 0);
  EXPECT_EQ(decode.output, trace);
}

// The terminal's engine on a real connection, with the test as its operator.
class EngineTerminal {
 public:
  explicit EngineTerminal(std::uint16_t port) {
    settings_.SetHostName(u"127.0.0.1");
    settings_.SetHostPort(port);
    settings_.SetTerminalId(1);
    settings_.SetScreenSize(24, 13);
  }
  ~EngineTerminal() { connection_.Stop(); }
  bool Start() { return connection_.Start(terminal_.Restart()); }

  // Waits until the keyboard is unlocked with field 1 showing `title`.
  bool WaitScreen(const std::u16string& title) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < deadline) {
      const bool shown = port_.WithLock([&] {
        const Field* field = terminal_.GetScreen().CurrentField(1);
        return terminal_.GetScreen().keyboard == Keyboard::Ready && field != nullptr &&
               field->Text().find(title) != std::u16string::npos;
      });
      if (shown) return true;
      port_.WaitRecords(port_.Records().size() + 1, 100ms);
    }
    return false;
  }

  // The sign-on as an operator does it: user and password typed, Enter in the focus field.
  bool SignOn() {
    if (!WaitScreen(u"VANTOR WAREHOUSE")) return false;
    port_.WithLock([&] {
      Screen& screen = terminal_.GetScreen();
      for (auto [id, text] : {std::pair{20, u"JOE"}, std::pair{21, u"pw"}}) {
        screen.CurrentField(id)->SetText(text);
        screen.CurrentField(id)->modified = 1;
      }
      return terminal_.KeyPressed(screen.focusField, FunctionKey::Enter);
    });
    return WaitScreen(u"MAIN MENU");
  }

 private:
  Settings settings_;
  testing_support::EffectsRecorder effects_;
  testing_support::TestSessionPort port_{[this](RecordBytes record) { terminal_.ReceiveRecord(record); }};
  HostConnection connection_{port_};
  Terminal terminal_{settings_, effects_, connection_};
};

// A copy of the capture with the first host bytes `from` replaced by `to`.
std::string AlteredCapture(const std::string& capture, const std::string& from, const std::string& to) {
  std::istringstream in(capture);
  CaptureReader reader(in);
  std::string out(kCaptureMagic);
  bool altered = false;
  for (CaptureEntry entry; reader.Next(entry); out += EncodeCaptureEntry(entry)) {
    const std::size_t at = entry.event == CaptureEvent::FromHost ? entry.bytes.find(from) : std::string::npos;
    if (!altered && at != std::string::npos) entry.bytes.replace(at, from.size(), to), altered = true;
  }
  return altered ? out : std::string();
}

TEST(TraceProgram, RecordsADemoHostSessionAndReplaysIt) {
  Child demo({kBuild + "/demo_host", "0"});
  const std::uint16_t demoPort = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(demoPort, 0) << demo.output;
  const TempFile raw("demo.raw"), altered("altered.raw");
  {
    Child proxy(
        {kTrace, "--listen", "127.0.0.1:0", "--host", "127.0.0.1:" + std::to_string(demoPort), "--raw", raw.path});
    const std::uint16_t port = proxy.Port("listening on ");
    ASSERT_NE(port, 0) << proxy.output;
    EngineTerminal first(port);
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.WaitScreen(u"VANTOR WAREHOUSE"));
    // A second terminal at the same time gets its own host connection.
    RawTerminal second(port);
    ASSERT_TRUE(second.Send("2I" + kEnd));
    EXPECT_NE(second.ReceiveUntil(200).find("VANTOR WAREHOUSE"), std::string::npos);
    ASSERT_TRUE(first.SignOn());
    ASSERT_EQ(proxy.Terminate(), 0) << proxy.output;
    EXPECT_NE(proxy.output.find(" 1 H>T 1 H screen\n"), std::string::npos) << proxy.output;
    EXPECT_NE(proxy.output.find(" 2 T>H 2 I identification"), std::string::npos) << proxy.output;
  }
  // The sign-on screen's last command puts the focus on field 20 ('D'); the altered one on 21.
  const std::string changed = AlteredCapture(ReadAll(raw.path), "oD" + kEnd, "oE" + kEnd);
  ASSERT_FALSE(changed.empty());
  std::ofstream(altered.path, std::ios::binary) << changed;
  struct Case {
    std::string capture;
    int exit;
    std::string report;
  };
  for (const Case& c : {Case{raw.path, 0, "0 differences"},
                        Case{altered.path, 1,
                             "  expected: 1 RF key=0 (Enter) focus=20 field=20 text=\"JOE\" field=21 "
                             "text=\"pw\"\n  received: 1 RF key=0 (Enter) focus=21"}}) {
    Child replay({kTrace, "--replay", c.capture, "--listen", "127.0.0.1:0"});
    const std::uint16_t port = replay.Port("replaying on ");
    ASSERT_NE(port, 0) << replay.output;
    EngineTerminal terminal(port);
    ASSERT_TRUE(terminal.Start());
    EXPECT_TRUE(terminal.SignOn());
    EXPECT_EQ(replay.Exit(), c.exit) << replay.output;
    EXPECT_NE(replay.output.find(c.report), std::string::npos) << replay.output;
  }
}

}  // namespace
}  // namespace vantor::trace

// vantor-trace: the decoders, the capture, the replay logic, and the built program as proxy and replay.
#include <gtest/gtest.h>

#include <fstream>

#include "screen_builder.h"
#include "session/record_assembler.h"
#include "session/responses.h"
#include "session/wire_format.h"
#include "test_host.h"
#include "tls_fixtures_posix.h"
#include "tool_process.h"
#include "trace/capture.h"
#include "trace/record_decoder.h"
#include "trace/replay.h"
#include "trace/trace_decoder.h"
#include "trace/trace_text.h"

namespace vantor::trace {
namespace {

using namespace std::string_literals;
using host_records::ScreenBuilder;
using testing_support::ChildProcess;
using Lines = std::vector<std::string>;
namespace option = host_records::option;

const std::string kEnd("\xFF\xEF", 2);

// A decoded record on one line: its terminal id, head and lines (unindented), each after a '|'.
std::string OneLine(const DecodedRecord& decoded) {
  std::string text = decoded.terminalId + "|" + decoded.head;
  for (const std::string& line : decoded.lines) text += "|" + line.substr(line.find_first_not_of(' '));
  return text;
}

// A host record ('H', all rows through one shadow terminal, as on one connection: field 3 defined early exists
// for the later rows) or a terminal record ('T'), decoded.
TEST(TraceDecode, RecordsWithTheReadsTheTerminalMakes) {
  const std::string longText(210, 't');
  const std::tuple<char, std::string, std::string> cases[] = {
      {'H', ScreenBuilder().Input(3, 1, 0, 10).RecordData(),
       "|H screen|i field=3 row=1 col=0 flags='C' attr='@' len=10"},
      {'H', ScreenBuilder().Fixed(1, 0, 0, "M\x01").RecordData(), "|H screen|f field=1 row=0 col=0 text=\"M\\x01\""},
      {'H', ScreenBuilder().Options(3, {option::Type('B'), option::MaxLength(0x7D0), option::Centred()}).RecordData(),
       "|H screen|w field=3 unused=0 @A=B @B=07D0 @M"},
      {'H', ScreenBuilder().Options(3, {option::Type('B'), option::Centred()}).RecordData() + "@\x7F@ ",
       "|H screen|w field=3 unused=0 @A=B @M @0x7F @0x20"},  // option letters that are no printable character
      {'H', ScreenBuilder().KeyLabel(11, "X").RecordData(), "|H screen|S key=11 (F11|Shift+F1) text=\"X\""},
      {'H', ScreenBuilder().SendFields(25).RecordData(), "|H screen|W key=25 (Shift+F15|Ctrl+F5|Key240)"},
      {'H', ScreenBuilder().SendFields(30).RecordData(), "|H screen|W key=30 (Shift+F20|Ctrl+F10|Key245)"},
      {'H', "Qxy", "|bare terminator|passed over (no record type): 51 78 79"},
      // w does not read the type letter of a field that does not exist: it is the next command.
      {'H', ScreenBuilder().Options(9, {option::Type('B')}).RecordData(), "|H screen|w field=9 unused=0 @A|B"},
      {'H', "IHGTi3",
       "|I reset, H screen|passed over (no command): 47 54|i field=3 row=207 col=191 flags=0x00 attr=0x00 "
       "len=-48  (cut: the record ends inside this command)"},
      {'T', "5I", "5|I identification"},
      {'T', "12RF3/", "12|RF key=3 (F3) focus=none"},
      {'T', "5RF;D=D3JOE=E!12" + longText,
       "5|RF key=11 (F11|Shift+F1) focus=20 field=20 text=\"JOE\" field=21 text=\"" + longText + "\""},
      {'T', "5" + BuildStatusResponse(80, 24, 33), "5|R! columns=80 rows=24 stamp=33"},
      {'T', "5RF0DxY", "5|RF key=0 (Enter) focus=20 rest: 78 59 (a field item begins with '=')"},
      {'T', "5R?1YZ", "5|R? reply=\"Y\" rest: 5A (after the end of the response)"},
      {'T', "5R%D=D", "5|R% focus=20 field item (cut: the record ends here)"},
      {'T', "5R<12Y", "5|R<1 data=\"Y\" (cut: the record ends here)"},
      {'T', "5R?!1 ", "5|R? rest: 21 31 20 (a length below 0)"},
      {'T', "5Zz", "5|unknown: 5A 7A (not a terminal record)"},
  };
  HostRecordDecoder host;
  for (const auto& [from, record, text] : cases) {
    const std::string bytes = record + kEnd;
    const RecordBytes wire(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(OneLine(from == 'H' ? host.Decode(wire) : DecodeTerminalRecord(bytes)), text) << record;
  }
}

// The wire examples of docs/protocol.md read as the page says: each byte line ("H>T  " or "T>H  " and the
// bytes, \xHH for a byte) through the terminal's own readers, against the lines that follow it.
TEST(TraceDecode, TheProtocolReferenceExamplesReadAsTheTerminalReadsThem) {
  std::ifstream page(std::string(VANTOR_SOURCE_DIR) + "/docs/protocol.md");
  ASSERT_TRUE(page);
  const auto bytesOf = [](std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool escape = text.substr(i, 2) == "\\x" && i + 3 < text.size();
      bytes += escape ? static_cast<char>(std::stoi(std::string(text.substr(i + 2, 2)), nullptr, 16)) : text[i];
      if (escape) i += 3;
    }
    return bytes;
  };
  int blocks = 0;
  std::string indent, line;
  std::optional<Lines> expected, read;
  std::unique_ptr<HostRecordDecoder> host;
  for (int number = 1; std::getline(page, line); ++number) {
    const std::size_t text = line.find_first_not_of(' ');
    if (!expected && text != std::string::npos && line.substr(text) == "```wire") {
      indent = line.substr(0, text);
      expected.emplace();
      read.emplace();
      host = std::make_unique<HostRecordDecoder>();
      continue;
    }
    if (!expected) continue;
    line.erase(0, std::min(line.find_first_not_of(' '), indent.size()));
    if (line == "```") {
      EXPECT_EQ(*read, *expected) << "the block that ends on line " << number;
      expected.reset();
      ++blocks;
    } else if (line.starts_with("H>T  ")) {
      std::string bytes = bytesOf(line.substr(5));
      bool pendingFf = false;
      bytes.resize(static_cast<std::size_t>(
          UnescapeInPlace(reinterpret_cast<std::uint8_t*>(bytes.data()), static_cast<int>(bytes.size()), pendingFf)));
      RecordAssembler records;
      records.Feed(RecordBytes(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                   [&](RecordBytes record) {
                     const DecodedRecord decoded = host->Decode(record);
                     read->push_back(decoded.head);
                     read->insert(read->end(), decoded.lines.begin(), decoded.lines.end());
                   });
    } else if (line.starts_with("T>H  ")) {
      const DecodedRecord decoded = DecodeTerminalRecord(bytesOf(line.substr(5)));
      read->push_back((decoded.terminalId.empty() ? "" : decoded.terminalId + " ") + decoded.head);
    } else {
      expected->push_back(line);
    }
  }
  EXPECT_GE(blocks, 8) << "the page's wire examples were not found";
}

CaptureEntry Entry(CaptureEvent event, std::uint64_t millis, std::string bytes = {}, std::uint32_t connection = 1) {
  return {event, connection, millis * 1000, std::move(bytes)};
}

TEST(TraceDecode, StreamsUnescapedCutAndBounded) {
  using E = CaptureEvent;
  // A doubled 0xFF split between two reads, a record over the terminal's bound (shown in wire order with the
  // record after it in the same read), and records cut by the end.
  Lines lines;
  TraceDecoder decoder([&lines](const std::string& line) { lines.push_back(line); });
  for (const CaptureEntry& entry :
       {Entry(E::Opened, 0, "peer"), Entry(E::FromTerminal, 1, "7I" + kEnd + "7R"),
        Entry(E::FromHost, 2, "Hu3" + host_records::LongNumber(3) + "a\xFF"),
        Entry(E::FromHost, 3, "\xFF\x62" + kEnd + std::string(kMaxRecordBytes, 'x') + kEnd + "A" + kEnd + "A"),
        Entry(E::TerminalEnded, 4)})
    decoder.Add(entry);
  decoder.Finish(99000);
  EXPECT_EQ(lines, (Lines{
                       "0 1 T>H - open \"peer\"",
                       "1 1 T>H 7 I identification",
                       "3 1 H>T 7 H screen",
                       "    u field=3 text=\"a\\xFFb\"",
                       "3 1 H>T 7 dropped: a record over 4194304 bytes, passed over whole",
                       "3 1 H>T 7 A identify",
                       "4 1 T>H 7 cut: 37 52 (the terminal closed the connection inside a record)",
                       "4 1 T>H 7 closed",
                       "99 1 H>T 7 cut: 41 (the capture ends inside a record)",
                   }));
}

TEST(TraceReplay, IgnoresTheSessionStampAndReportsRecordsBeyondTheRecording) {
  using E = CaptureEvent;
  const std::string status = "1" + BuildStatusResponse(24, 12, 5) + kEnd;
  const std::vector<ReplayStep> script =
      ReplayScript({Entry(E::FromTerminal, 0, "1I" + kEnd), Entry(E::FromHost, 1, "H!" + kEnd, 1),
                    Entry(E::FromTerminal, 2, "1H" + kEnd + status.substr(0, 4)), Entry(E::FromHost, 2, "other", 2),
                    Entry(E::FromTerminal, 3, status.substr(4)), Entry(E::FromHost, 4, "H" + kEnd),
                    Entry(E::TerminalEnded, 5), Entry(E::HostEnded, 5)},
                   0);
  ASSERT_EQ(script.size(), 5u);  // the host's end after the terminal's is not replayed
  Replay replay(script);
  replay.FromTerminal("1I" + kEnd + "1H" + kEnd + "1" + BuildStatusResponse(24, 12, 40) + kEnd + "1&" + kEnd);
  while (replay.Next() == Replay::Action::Send) {
  }
  EXPECT_EQ(replay.Next(), Replay::Action::Finished);
  EXPECT_EQ(replay.Report(), (Lines{"a terminal record beyond the recording:", "  received: 1 & goodbye"}));
}

const std::string kBuild = VANTOR_BUILD_DIR;
const std::string kTrace = kBuild + "/vantor-trace";

std::string TempPath(const std::string& name) { return ::testing::TempDir() + "trace_" + name; }

TEST(TraceProgram, ShowsHelpAndRefusesBadCommandLinesAndDamagedCaptures) {
  testing_support::ExpectHelp(kTrace);
  const std::string capture = TempPath("empty.raw"), notCapture = TempPath("other.raw"), cut = TempPath("cut.raw");
  const std::string entry = EncodeCaptureEntry(Entry(CaptureEvent::FromHost, 5, "ab"));
  std::ofstream(capture) << kCaptureMagic;
  std::ofstream(notCapture) << "VTRACE2\n";
  std::ofstream(cut) << kCaptureMagic << entry << entry.substr(0, entry.size() - 1);
  testing_support::ExpectRefusedRows(kTrace);
  const std::vector<std::vector<std::string>> cases = {
      {"--decode", capture, "--host", "h:1"},
      {"--decode", notCapture},
      {"--decode", cut},
      {"--replay", capture},
      {"--replay", capture, "--listen", "0", "--timeout", "-1"},
      {"--replay", capture, "--listen", "0"},  // nothing to replay
  };
  testing_support::ExpectRefused(kTrace, cases, "vantor-trace: ");
  const std::string one = TempPath("one.raw");
  std::ofstream(one) << kCaptureMagic << entry;
  testing_support::ExpectRefused(
      kTrace,
      {{"--replay", one, "--listen", "0", "--timeout", "2x"}, {"--replay", one, "--listen", "0", "--timeout", "3601"}},
      "--timeout takes a number of seconds (up to 3600)");
}

TEST(TraceProgram, ProxiesByteForByteAndItsCaptureDecodesAndReplays) {
  testing_support::TestHost host;
  const std::string out = TempPath("proxy.txt"), raw = TempPath("proxy.raw"), altered = TempPath("altered.raw");
  // vantor-headless as the operator: the host's screen, typed into its focus field, F5, and away.
  const auto terminal = [](std::uint16_t port) {
    return std::make_unique<ChildProcess>(
        Lines{kBuild + "/vantor-headless", "--settings", testing_support::EmptySettingsFile(), "--host",
              "127.0.0.1:" + std::to_string(port)},
        ChildProcess::Options{.input = "wait connected 5\nwait 5\ntype ab\nkey F5\nquit\n"});
  };
  {
    ChildProcess proxy({kTrace, "--listen", "127.0.0.1:0", "--host", "127.0.0.1:" + std::to_string(host.Port()),
                        "--out", out, "--raw", raw});
    const std::uint16_t port = proxy.Port("listening on ");
    ASSERT_NE(port, 0) << proxy.Output();
    const auto first = terminal(port);
    ASSERT_TRUE(host.Accept());
    ScreenBuilder screen;  // a 0xFF in a text, doubled on the wire
    screen.SelectPage(0).Fixed(1, 0, 0, "a\xFF").Input(20, 1, 0, 4).Input(21, 2, 0, 4).ShowPage(0);
    ASSERT_TRUE(host.SendRaw(screen.FocusAndUnlock(20).Wire()));
    EXPECT_EQ(first->WaitExit(), 0) << first->Output();
    EXPECT_TRUE(host.WaitPeerClosed());
    EXPECT_EQ(host.ReceivedBytes(), "1I" + kEnd + "1H" + kEnd + "1RF5D=D2ab" + kEnd);
    EXPECT_EQ(proxy.Stop(), 0) << proxy.Output();
  }
  const std::string trace = testing_support::ReadFile(out);
  EXPECT_NE(trace.find("    f field=1 row=0 col=0 text=\"a\\xFF\"\n"), std::string::npos) << trace;
  ChildProcess decode({kTrace, "--decode", raw});
  EXPECT_EQ(decode.WaitExit(), 0);
  EXPECT_EQ(decode.Output(), trace);

  // The screen's last command puts the focus on field 20 ('D'); the altered one on 21.
  std::string capture = testing_support::ReadFile(raw);
  const std::size_t at = capture.find("oD" + kEnd);
  ASSERT_NE(at, std::string::npos);
  std::ofstream(altered, std::ios::binary) << capture.replace(at, 2, "oE");
  for (const auto& [file, exit, report] :
       {std::tuple{raw, 0, "0 differences"s}, std::tuple{altered, 1, "  received: 1 RF key=5 (F5) focus=21"s}}) {
    ChildProcess replay({kTrace, "--replay", file, "--listen", "127.0.0.1:0"});
    const std::uint16_t port = replay.Port("replaying on ");
    ASSERT_NE(port, 0) << replay.Output();
    const auto operatorTerminal = terminal(port);
    EXPECT_EQ(replay.WaitExit(), exit) << replay.Output();
    EXPECT_NE(replay.Output().find(report), std::string::npos) << replay.Output();
  }
}

// Between a TLS terminal and a TLS host the proxy decodes as in clear text; presenting its own
// certificate it is refused by a load run that trusts only the host's CA (a terminal pinning the host's
// refuses such a host in the headless tests).
TEST(TraceProgram, DecodesBetweenTlsTerminalAndHostAndIsRefusedAsAManInTheMiddle) {
  const testing_support::TestPki& pki = testing_support::TestPki::Get();
  ChildProcess demo({kBuild + "/demo_host", "--tls", pki.hostFile, pki.hostKeyFile, "0"});
  const std::uint16_t hostPort = demo.Port("listening on 127.0.0.1");
  ASSERT_NE(hostPort, 0) << demo.Output();
  const std::string out = TempPath("tls.txt"), certificate = TempPath("own.pem"), key = TempPath("own.key");
  std::ofstream(certificate) << pki.stranger.certificatePem;
  std::ofstream(key) << pki.stranger.keyPem;
  ChildProcess proxy({kTrace, "--listen", "127.0.0.1:0", "--host", "127.0.0.1:" + std::to_string(hostPort),
                      "--tls-cert", certificate, "--tls-key", key, "--tls-pin", pki.host.pin, "--out", out});
  const std::uint16_t port = proxy.Port("listening on ");
  ASSERT_NE(port, 0) << proxy.Output();
  const std::string at = "127.0.0.1:" + std::to_string(port);
  ChildProcess terminal({kBuild + "/vantor-headless", "--settings", testing_support::EmptySettingsFile(), "--host", at,
                         "--tls-pin", pki.stranger.pin},
                        {.input = "wait connected 5\nwait 5\nexpect Sign on\nstatus\nquit\n"});
  EXPECT_EQ(terminal.WaitExit(), 0) << terminal.Output();
  EXPECT_NE(terminal.Output().find(R"("connected":true,"link":{"tls":true)"), std::string::npos) << terminal.Output();
  EXPECT_TRUE(demo.WaitFor("connected over TLS")) << demo.Output();

  ChildProcess load({kBuild + "/vantor-load", "--host", at, "--terminals", "1", "--script",
                     std::string(VANTOR_SOURCE_DIR) + "/tools/load/warehouse.script", "--tls-ca", pki.caFile});
  EXPECT_EQ(load.WaitExit(std::chrono::seconds(20)), 1) << load.Output();
  EXPECT_NE(load.Output().find("cannot connect (certificate not trusted)"), std::string::npos) << load.Output();
  EXPECT_NE(load.Output().find("vantor-load: failed: no terminal ran its script"), std::string::npos) << load.Output();
  EXPECT_EQ(proxy.Stop(), 0) << proxy.Output();

  const std::string trace = testing_support::ReadFile(out);
  EXPECT_NE(trace.find(" 1 T>H 1 I identification\n"), std::string::npos) << trace;
  EXPECT_NE(trace.find("    f field=2 row=2 col=0 text=\"Sign on\"\n"), std::string::npos) << trace;
}

}  // namespace
}  // namespace vantor::trace

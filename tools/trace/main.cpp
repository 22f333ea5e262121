// vantor-trace: shows, records and replays what terminals and their host say (docs/trace.md).
//
//   vantor-trace --listen [ADDR:]PORT --host HOST:PORT [--out FILE] [--raw FILE]
//                [--tls-cert FILE --tls-key FILE] [--tls] [--tls-pin HEX] [--tls-ca FILE]
//   vantor-trace --decode RAWFILE [--out FILE]
//   vantor-trace --replay RAWFILE --listen [ADDR:]PORT [--timeout SECONDS] [--connection N]
// Exit codes: 0 ok, 1 the replay found differences, 2 a bad command line or input file.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <asio.hpp>

#include "host_port.h"
#include "network.h"
#include "platform/tls_options.h"
#include "proxy.h"
#include "replay_runner.h"
#include "trace/capture.h"
#include "trace/trace_decoder.h"

namespace vantor::trace {
namespace {

constexpr const char* kUsage =
    "usage:\n"
    "  vantor-trace --listen [ADDR:]PORT --host HOST:PORT [--out FILE] [--raw FILE]\n"
    "               [--tls-cert FILE --tls-key FILE] [--tls] [--tls-pin HEX] [--tls-ca FILE]\n"
    "      a proxy between terminals and their host: every record decoded to FILE (or stdout),\n"
    "      and with --raw a capture of both directions for --decode and --replay; an IPv6 address is\n"
    "      written [::1]:9999. --tls-cert, --tls-key: TLS served to the terminals with this certificate\n"
    "      (PEM, the host's own first) and its key; --tls: TLS to the host; --tls-pin: only the host\n"
    "      certificate with this SHA-256 fingerprint; --tls-ca: CA certificates trusted besides the\n"
    "      system's (both imply --tls)\n"
    "  vantor-trace --decode RAWFILE [--out FILE]\n"
    "      the decoded trace of a capture\n"
    "  vantor-trace --replay RAWFILE --listen [ADDR:]PORT [--timeout SECONDS] [--connection N]\n"
    "      plays the host's side of a captured connection to one terminal and reports every terminal\n"
    "      record that differs (exit code 1); --timeout is the wait for each record (5 s)\n";

constexpr const char* kWithoutTls = "  This build has no TLS: the proxy speaks clear text only.\n";

std::string Usage() { return std::string(kUsage) + (TlsBuiltIn() ? "" : kWithoutTls); }

int BadCommandLine(const std::string& why) {
  std::fprintf(stderr, "vantor-trace: %s\n%s", why.c_str(), Usage().c_str());
  return 2;
}

int Failed(const std::string& why) {
  std::fprintf(stderr, "vantor-trace: %s\n", why.c_str());
  return 2;
}

// The trace goes to the file named by --out, else to stdout.
class Output {
 public:
  bool Open(const std::map<std::string, std::string>& options) {
    const auto out = options.find("--out");
    if (out == options.end()) return true;
    file_.open(out->second, std::ios::binary | std::ios::trunc);
    return file_.good();
  }
  std::ostream& Stream() { return file_.is_open() ? static_cast<std::ostream&>(file_) : std::cout; }

 private:
  std::ofstream file_;
};

// Reads the whole capture; false with the reason when it cannot be read whole.
bool ReadCapture(const std::string& path, const std::function<void(const CaptureEntry&)>& onEntry, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  CaptureReader reader(in);
  CaptureEntry entry;
  while (reader.Next(entry)) onEntry(entry);
  if (!reader.Error().empty()) error = path + ": " + reader.Error();
  return reader.Error().empty();
}

int Decode(const std::map<std::string, std::string>& options) {
  Output output;
  if (!output.Open(options)) return Failed("cannot write " + options.at("--out"));
  std::ostream& out = output.Stream();
  TraceDecoder decoder([&out](const std::string& line) { out << line << '\n'; });
  std::uint64_t last = 0;
  std::string error;
  const bool whole = ReadCapture(
      options.at("--decode"),
      [&](const CaptureEntry& entry) {
        decoder.Add(entry);
        last = entry.micros;
      },
      error);
  decoder.Finish(last);
  out.flush();
  return whole ? 0 : Failed(error);
}

int Replay(const std::map<std::string, std::string>& options, const Endpoint& listen) {
  ReplaySettings settings;
  settings.listen = listen;
  std::uint32_t connection = 0;
  if (const auto timeout = options.find("--timeout"); timeout != options.end()) {
    char* end = nullptr;
    const double seconds = std::strtod(timeout->second.c_str(), &end);
    if (end == timeout->second.c_str() || *end != '\0' || !(seconds > 0 && seconds <= 3600))
      return BadCommandLine("--timeout takes a number of seconds (up to 3600)");
    settings.recordTimeout = std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
  }
  if (const auto number = options.find("--connection"); number != options.end()) {
    const std::string& text = number->second;
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::stoul(text) == 0)
      return BadCommandLine("--connection takes a connection number (1, 2, ...)");
    connection = static_cast<std::uint32_t>(std::stoul(text));
  }
  std::vector<CaptureEntry> entries;
  std::string error;
  if (!ReadCapture(
          options.at("--replay"), [&](const CaptureEntry& entry) { entries.push_back(entry); }, error))
    return Failed(error);
  std::vector<ReplayStep> script = ReplayScript(entries, connection);
  if (script.empty()) return Failed("the capture holds nothing of that connection to replay");
  return RunReplay(std::move(script), settings, std::cout, std::cerr);
}

// What each side speaks; the files are read and the pin checked before the proxy listens.
std::unique_ptr<StreamMaker> SidesOf(const std::map<std::string, std::string>& options, std::string& why) {
  ProxyTls tls;
  const auto value = [&](const char* name) {
    const auto found = options.find(name);
    return found != options.end() ? found->second : std::string();
  };
  tls.certificateFile = value("--tls-cert");
  tls.keyFile = value("--tls-key");
  tls.host = {options.count("--tls") + options.count("--tls-pin") + options.count("--tls-ca") != 0, value("--tls-pin"),
              value("--tls-ca")};
  return MakeStreamMaker(tls, why);
}

int RunProxy(const std::map<std::string, std::string>& options, const Endpoint& listen, const Endpoint& host) {
  std::string why;
  const std::unique_ptr<StreamMaker> sides = SidesOf(options, why);
  if (!sides) return Failed(why);
  Output output;
  if (!output.Open(options)) return Failed("cannot write " + options.at("--out"));
  CaptureWriter capture;
  const auto raw = options.find("--raw");
  if (raw != options.end() && !capture.Open(raw->second)) return Failed("cannot write " + raw->second);
  Recorder recorder(output.Stream(), raw != options.end() ? &capture : nullptr);
  asio::io_context io;
  Proxy proxy(io, host, recorder, *sides);
  std::string error;
  if (!proxy.Listen(listen, error)) return Failed(error);
  const auto tls = [&](const char* name, bool on) { return on ? std::string(" (TLS to the ") + name + ")" : ""; };
  std::fprintf(
      stderr, "vantor-trace: listening on %s%s, host %s%s\n",
      tools::WithPort(proxy.Local().address().to_string(), proxy.Local().port()).c_str(),
      tls("terminals", options.count("--tls-cert") != 0).c_str(), tools::WithPort(host.host, host.port).c_str(),
      tls("host", options.count("--tls") + options.count("--tls-pin") + options.count("--tls-ca") != 0).c_str());
  std::fflush(stderr);
  asio::signal_set stop(io, SIGINT, SIGTERM);
  stop.async_wait([&](const std::error_code&, int) {
    proxy.Stop();
    io.stop();
  });
  io.run();
  recorder.Finish();
  return 0;
}

int Main(int argc, char** argv) {
  // Each option and whether it takes a value.
  static const std::map<std::string, bool> kKnown = {
      {"--listen", true}, {"--host", true},    {"--out", true},        {"--raw", true},      {"--decode", true},
      {"--replay", true}, {"--timeout", true}, {"--connection", true}, {"--tls-cert", true}, {"--tls-key", true},
      {"--tls", false},   {"--tls-pin", true}, {"--tls-ca", true}};
  std::map<std::string, std::string> options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(Usage().c_str(), stdout);
      return 0;
    }
    const auto known = kKnown.find(arg);
    if (known == kKnown.end()) return BadCommandLine("unknown argument " + arg);
    if (known->second && i + 1 >= argc) return BadCommandLine(arg + " needs a value");
    if (!options.emplace(arg, known->second ? argv[++i] : "").second) return BadCommandLine(arg + " is given twice");
  }
  const auto has = [&](const char* name) { return options.count(name) != 0; };
  const auto only = [&](std::initializer_list<const char*> allowed) {
    for (const auto& [name, value] : options) {
      bool found = false;
      for (const char* a : allowed) found = found || name == a;
      if (!found) return name;
    }
    return std::string();
  };
  std::optional<Endpoint> listen;
  if (has("--listen") && !(listen = tools::ParseHostPort(options["--listen"], false)))
    return BadCommandLine("--listen takes [ADDR:]PORT, got " + options["--listen"]);
  if (has("--decode")) {
    if (const std::string extra = only({"--decode", "--out"}); !extra.empty())
      return BadCommandLine(extra + " does not go with --decode");
    return Decode(options);
  }
  if (has("--replay")) {
    if (const std::string extra = only({"--replay", "--listen", "--timeout", "--connection"}); !extra.empty())
      return BadCommandLine(extra + " does not go with --replay");
    if (!listen) return BadCommandLine("--replay needs --listen");
    return Replay(options, *listen);
  }
  if (const std::string extra =
          only({"--listen", "--host", "--out", "--raw", "--tls-cert", "--tls-key", "--tls", "--tls-pin", "--tls-ca"});
      !extra.empty())
    return BadCommandLine(extra + " goes only with --replay");
  if (!listen || !has("--host")) return BadCommandLine("the proxy needs --listen and --host");
  const std::optional<Endpoint> host = tools::ParseHostPort(options["--host"], true);
  if (!host || host->port == 0)
    return BadCommandLine("--host takes HOST:PORT ([::1]:9999 for an IPv6 address), got " + options["--host"]);
  if (has("--tls-cert") != has("--tls-key")) return BadCommandLine("--tls-cert and --tls-key go together");
  if (has("--tls-pin") && !ParsePin(options["--tls-pin"]))
    return BadCommandLine("--tls-pin takes a SHA-256 fingerprint (64 hex digits, colons allowed)");
  return RunProxy(options, *listen, *host);
}

}  // namespace
}  // namespace vantor::trace

int main(int argc, char** argv) { return vantor::trace::Main(argc, argv); }

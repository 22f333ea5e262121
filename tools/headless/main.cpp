// vantor-headless: the terminal without a window, driven by commands on stdin or from a script (docs/headless.md).
//
//   vantor-headless [--settings FILE] [--host HOST:PORT] [--id N] [--tls] [--tls-pin HEX] [--tls-ca FILE]
//                   [--script FILE [--timing]]
//   vantor-headless --help
// Exit codes: 0 done (quit, end of input or of the script), 1 a script command failed, 2 a bad command
// line, settings file or script.
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "headless/runner.h"
#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/net.h"
#include "platform/tls_options.h"
#include "settings/setting_table.h"
#include "settings/settings.h"

namespace vantor {
namespace {

constexpr const char* kUsage =
    "usage: vantor-headless [--settings FILE] [--host HOST:PORT] [--id N] [--tls] [--tls-pin HEX] [--tls-ca FILE]\n"
    "                       [--script FILE [--timing]]\n"
    "  reads Vantor.ini (or FILE), connects to the host and runs one command a line from stdin, or\n"
    "  from the script (echoed, stopping at the first error); --timing writes each script command's\n"
    "  start and end in microseconds to stderr; --help shows this. An IPv6 host is written [::1]:9999.\n"
    "  --tls: the link is TLS; --tls-pin: only the certificate with this SHA-256 fingerprint; --tls-ca:\n"
    "  CA certificates trusted besides the system's (both imply --tls)\n";

int BadCommandLine(const std::string& why) {
  std::fprintf(stderr, "vantor-headless: %s\n%s", why.c_str(), kUsage);
  return 2;
}

int Refused(const std::string& why) {
  std::fprintf(stderr, "vantor-headless: %s\n", why.c_str());
  return 2;
}

bool WantsHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") return true;
  }
  return false;
}

// The script's lines, every command among them sound; false with the reason otherwise.
bool ReadScript(const std::string& path, std::vector<std::string>& lines, std::string& why) {
  if (!ReadScriptFile(path, lines, why)) return false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (IsCommandLine(lines[i]) && !ParseCommand(lines[i], why)) {
      why = path + " line " + std::to_string(i + 1) + ": " + why;
      return false;
    }
  }
  return true;
}

void Write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

// Command-line text as the platform spells file names: the ANSI code page on Windows, UTF-8 elsewhere.
files::FileName FileNameOf(const std::string& arg) {
#ifdef _WIN32
  return DecodeText(arg, CodePage::Ansi);
#else
  return DecodeText(arg, CodePage::Utf8);
#endif
}

bool ParseNumber(const std::string& text, int low, int high, int& value) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stoi(text);
  return value >= low && value <= high;
}

struct Options {
  files::FileName settings = u"Vantor.ini";
  bool settingsNamed = false;  // a missing file named on the command line is an error
  std::string host;
  int port = 0;
  int id = 0;
  std::string script;
  bool timing = false;
  bool tls = false;
  std::string pin;
  std::string caFile;
};

// HOST:PORT, or [IPV6]:PORT; false when the text is neither.
bool ParseHost(const std::string& text, std::string& host, int& port) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return false;
  host = text.substr(0, colon);
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string::npos) {
    return false;  // an IPv6 address needs its brackets
  }
  return ParseNumber(text.substr(colon + 1), kHostPortMin, kHostPortMax, port);
}

// Empty when the options are sound, else the reason they are not.
std::string ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--timing" || option == "--tls") {
      (option == "--tls" ? options.tls : options.timing) = true;
      continue;
    }
    if (option != "--settings" && option != "--host" && option != "--id" && option != "--script" &&
        option != "--tls-pin" && option != "--tls-ca") {
      return "unknown option " + option;
    }
    if (i + 1 >= argc) return option + " needs a value";
    const std::string value = argv[++i];
    if (option == "--settings") {
      options.settings = FileNameOf(value);
      options.settingsNamed = true;
    } else if (option == "--script") {
      options.script = value;
    } else if (option == "--id") {
      if (!ParseNumber(value, kTerminalIdMin, kTerminalIdMax, options.id)) return "--id takes 1 to 999";
    } else if (option == "--tls-pin") {
      if (!ParsePin(value)) return "--tls-pin takes a SHA-256 fingerprint (64 hex digits, colons allowed)";
      options.pin = value;
      options.tls = true;
    } else if (option == "--tls-ca") {
      std::string ignored;
      if (!files::ReadWhole(FileNameOf(value), 0, &ignored)) return "cannot read " + value;
      options.caFile = value;
      options.tls = true;
    } else if (!ParseHost(value, options.host, options.port)) {
      return "--host takes HOST:PORT (an IPv6 address in brackets: [::1]:9999)";
    }
  }
  if (options.timing && options.script.empty()) return "--timing goes with --script";
  return {};
}

// Lines from stdin, read on a thread of their own that only queues them.
class StdinLines {
 public:
  // Starts the reader; wake is called (from the reader) after each line and at the end of input.
  static std::shared_ptr<StdinLines> Start(std::function<void()> wake) {
    auto lines = std::make_shared<StdinLines>();
    lines->wake_ = std::move(wake);
    // Detached: a read blocked in the console cannot be called off; the process ends around it.
    std::thread([lines] {
      std::string line;
      while (std::getline(std::cin, line)) lines->Push(&line);
      lines->Push(nullptr);
    }).detach();
    return lines;
  }
  bool Ready() {
    std::lock_guard lock(mutex_);
    return !lines_.empty() || ended_;
  }
  // The next line; false at the end of input.
  bool Take(std::string& line) {
    std::lock_guard lock(mutex_);
    if (lines_.empty()) return false;
    line = std::move(lines_.front());
    lines_.pop_front();
    return true;
  }
  // No more wakes (the runner is going away).
  void Forget() {
    std::lock_guard lock(mutex_);
    wake_ = nullptr;
  }

 private:
  void Push(std::string* line) {
    std::lock_guard lock(mutex_);
    if (line != nullptr) {
      lines_.push_back(std::move(*line));
    } else {
      ended_ = true;
    }
    if (wake_) wake_();
  }

  std::mutex mutex_;
  std::deque<std::string> lines_;
  bool ended_ = false;
  std::function<void()> wake_;
};

void RunInteractive(HeadlessRunner& runner) {
  const std::shared_ptr<StdinLines> lines = StdinLines::Start([&runner] { runner.Wake(); });
  for (;;) {
    if (!runner.ServeUntil([&] { return lines->Ready(); }, std::chrono::hours(1))) continue;
    std::string line;
    if (!lines->Take(line)) break;  // end of input
    if (!IsCommandLine(line)) continue;
    const Reply reply = runner.Execute(line);
    Write(FormatReply(reply));
    if (reply.quit) break;
  }
  lines->Forget();
}

int RunScript(HeadlessRunner& runner, const std::vector<std::string>& script, bool timing) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point origin = Clock::now();
  const auto micros = [&] {
    return std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - origin).count();
  };
  for (const std::string& line : script) {
    if (!IsCommandLine(line)) continue;
    Write("> " + line + "\n");
    const long long start = micros();
    const Reply reply = runner.Execute(line);
    if (timing) std::fprintf(stderr, "timing: %lld %lld %s\n", start, static_cast<long long>(micros()), line.c_str());
    Write(FormatReply(reply));
    if (!reply.Ok()) return 1;
    if (reply.quit) break;
  }
  return 0;
}

int Main(int argc, char** argv) {
  if (WantsHelp(argc, argv)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Options options;
  const std::string bad = ParseOptions(argc, argv, options);
  if (!bad.empty()) return BadCommandLine(bad);
  std::string ignored;
  if (options.settingsNamed && !files::ReadWhole(options.settings, 0, &ignored)) {
    return Refused("cannot read the settings file " + EncodeText(options.settings, CodePage::Utf8));
  }
  std::vector<std::string> script;
  std::string why;
  if (!options.script.empty() && !ReadScript(options.script, script, why)) return Refused(why);
  // The settings file is only read: the terminal without a window has nothing to keep in it.
  Settings settings(options.settings);
  settings.ReadSettings();
  if (!options.host.empty()) {
    settings.SetHostName(DecodeText(options.host, CodePage::Utf8));
    settings.SetHostPort(options.port);
  }
  if (options.id != 0) settings.SetTerminalId(options.id);
  if (options.tls) settings.SetHostTls(true);
  if (!options.pin.empty()) settings.SetHostTlsPin(DecodeText(options.pin, CodePage::Utf8));
  if (!net::Startup()) {
    std::fprintf(stderr, "vantor-headless: sockets unavailable\n");
    return 2;
  }
  int code = 0;
  {
    HeadlessRunner runner(settings);
    runner.TrustCaFile(options.caFile);
    runner.Start();
    if (options.script.empty()) {
      RunInteractive(runner);
    } else {
      code = RunScript(runner, script, options.timing);
    }
    runner.Stop();
  }
  net::Cleanup();
  return code;
}

}  // namespace
}  // namespace vantor

int main(int argc, char** argv) { return vantor::Main(argc, argv); }

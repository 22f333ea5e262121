// N terminals on one Asio event loop: each connects, identifies, answers the host as the terminal does
// (the headless engine behind it) and runs the script; the loop measures and counts.
#include "load_run.h"

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <deque>
#include <memory>
#include <random>

#include <asio.hpp>
#include <nlohmann/json.hpp>

#include "asio_tls.h"
#include "headless/command_engine.h"
#include "headless/headless_terminal.h"
#include "headless/runner.h"
#include "host_port.h"
#include "headless/screen_text.h"
#include "platform/codepage.h"
#include "platform/net.h"
#include "platform/transport.h"
#include "session/record_assembler.h"
#include "session/responses.h"
#include "session/wire_format.h"
#include "settings/settings.h"

namespace vantor::load {
namespace {

using SteadyClock = std::chrono::steady_clock;
using tcp = asio::ip::tcp;

constexpr std::chrono::seconds kRestartAfterError{1};
// Terminals still in a script when the duration ends get this long to finish it.
constexpr std::chrono::seconds kFinishGrace{15};
// Without a duration, a terminal whose host keeps ending or refusing the connection gives up after this
// many losses or failed connects in a row.
constexpr int kMostLosses = 3;

bool ParseCount(const std::string& text, long low, long high, long& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stol(text);
  return value >= low && value <= high;
}

bool ParseSeconds(const std::string& text, double& value) {
  std::size_t used = 0;
  try {
    value = std::stod(text, &used);
  } catch (const std::exception&) {
    return false;
  }
  return used == text.size() && value >= 0 && value <= 7 * 24 * 3600.0;
}

class LoadRun;

class VirtualTerminal final : public RecordSender {
 public:
  VirtualTerminal(LoadRun& run, int id);
  void Begin();
  void Finish();
  bool SendRecord(int terminalId, std::string_view data) override;
  bool Connected() const { return connected_; }
  bool EverConnected() const { return everConnected_; }
  bool Completed() const { return completed_; }

 private:
  void Connect();
  void Handshake(int generation);
  void ConnectFailed(const std::string& reason);
  void Established();
  void Read();
  void Write();
  void Lost();
  void Advance();
  void RestartScript();
  void OnRecord(RecordBytes record);
  void ScheduleDrop();
  void Cut();
  std::string ScreenShown() const;

  LoadRun& run_;
  const int id_;
  Settings settings_;
  HeadlessTerminal terminal_;
  std::unique_ptr<CommandEngine> engine_;
  // The TCP socket, or the TLS stream on it; the last stream stays alive for the handlers it still owes.
  tcp::socket socket_;
  std::unique_ptr<tools::TlsSocket> tls_, retiredTls_;
  tcp::socket& Lowest() { return tls_ ? tls_->next_layer() : socket_; }
  asio::steady_timer waitTimer_, connectTimer_, dropTimer_;
  RecordAssembler assembler_;
  bool pendingFf_ = false;
  std::vector<std::uint8_t> buffer_ = std::vector<std::uint8_t>(4096);
  std::deque<std::string> outbox_;
  ConnectionParams params_;
  std::size_t line_ = 0;
  std::optional<SteadyClock::time_point> lockedAt_;
  std::minstd_rand random_;
  int losses_ = 0;
  int failedConnects_ = 0;
  int generation_ = 0;  // a new one for each socket: handlers of an old one do nothing
  bool writing_ = false, connected_ = false, everConnected_ = false, completed_ = false, finished_ = false;
  // Cut by the run: the script waits until the screen is back; whether it was ready, and what it showed.
  bool returning_ = false, cutReady_ = false;
  std::string cutScreen_;
};

class LoadRun {
 public:
  LoadRun(const LoadOptions& options, std::function<void(const Progress&)> progress,
          std::chrono::milliseconds progressInterval)
      : options_(options),
        progress_(std::move(progress)),
        progressInterval_(progressInterval),
        progressTimer_(io_),
        endTimer_(io_) {
    for (const net::Address& address : options.addresses) {
      tcp::endpoint endpoint;
      std::memcpy(endpoint.data(), address.bytes.data(), static_cast<std::size_t>(address.length));
      endpoint.resize(static_cast<std::size_t>(address.length));
      endpoints_.push_back(endpoint);
    }
    // Checked with the command line: a context that cannot be made fails each connect with the reason.
    if (options.tls.enabled && tools::ConfigureClient(tlsContext_, options.tls) == LinkFailure::kNone)
      tls_ = &tlsContext_;
  }

  LoadReport Run() {
    start_ = SteadyClock::now();
    windowStart_ = start_ + ToDuration(options_.rampSeconds);
    if (options_.durationSeconds) windowEnd_ = end_ = start_ + ToDuration(*options_.durationSeconds);
    for (int i = 0; i < options_.terminals; ++i)
      terminals_.push_back(std::make_unique<VirtualTerminal>(*this, options_.firstId + i));
    for (auto& terminal : terminals_) terminal->Begin();
    if (end_) {
      endTimer_.expires_at(*end_ + kFinishGrace);
      endTimer_.async_wait([this](const asio::error_code& error) {
        if (!error)
          for (auto& terminal : terminals_) terminal->Finish();
      });
    }
    ScheduleProgress();
    io_.run();
    return Report();
  }

  asio::io_context& Io() { return io_; }
  const LoadOptions& Options() const { return options_; }
  const std::vector<tcp::endpoint>& Endpoints() const { return endpoints_; }
  // The terminals' TLS context; none in clear text.
  asio::ssl::context* Tls() { return tls_; }
  // When the terminal with this id starts: evenly over the ramp.
  SteadyClock::time_point StartOf(int id) const {
    const double share = static_cast<double>(id - options_.firstId) / options_.terminals;
    return start_ + ToDuration(options_.rampSeconds * share);
  }
  // Whether a terminal at the end of its script runs it again.
  bool KeepGoing() const { return end_ && SteadyClock::now() < *end_; }
  bool HasDuration() const { return end_.has_value(); }

  void Screen() {
    ++report_.screens;
    const SteadyClock::time_point now = SteadyClock::now();
    if (now >= windowStart_ && (!windowEnd_ || now < *windowEnd_)) ++report_.measuredScreens;
  }
  void Turnaround(SteadyClock::duration taken) {
    report_.turnaroundMs.push_back(std::chrono::duration<double, std::milli>(taken).count());
  }
  void Handshake(SteadyClock::duration taken) {
    report_.handshakeMs.push_back(std::chrono::duration<double, std::milli>(taken).count());
  }
  void ConnectionFailure(const std::string& reason) {
    if (report_.connectionFailures++ == 0) report_.firstConnectionFailure = reason;
  }
  void Reconnect() { ++report_.reconnects; }
  void Drop(bool ready) {
    ++report_.drops;
    report_.dropsAtReadyScreen += ready ? 1 : 0;
  }
  void ScreenBack() { ++report_.screensBack; }
  void ScriptRun() { ++report_.scriptRuns; }
  void Error(int id, std::size_t line, const std::string& status) {
    if (report_.firstErrors.size() < kFirstErrorsKept)
      report_.firstErrors.push_back("terminal " + std::to_string(id) + ", line " + std::to_string(line + 1) + " (" +
                                    options_.script[line] + "): " + status);
    ++report_.errors;
  }
  void TerminalDone() {
    // Without a duration the window ends as the first terminal is done: from then on fewer run.
    if (!windowEnd_) windowEnd_ = SteadyClock::now();
    if (++done_ < options_.terminals) return;
    progressTimer_.cancel();
    endTimer_.cancel();
  }

 private:
  static SteadyClock::duration ToDuration(double seconds) {
    return std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
  }

  void ScheduleProgress() {
    if (!progress_) return;
    progressTimer_.expires_after(progressInterval_);
    progressTimer_.async_wait([this](const asio::error_code& error) {
      if (error) return;
      Progress now;
      now.connected = static_cast<int>(
          std::count_if(terminals_.begin(), terminals_.end(), [](const auto& t) { return t->Connected(); }));
      now.screens = report_.screens;
      now.errors = report_.errors;
      now.p99 = PercentilesOf(report_.turnaroundMs).p99;
      progress_(now);
      ScheduleProgress();
    });
  }

  LoadReport Report() {
    report_.terminals = options_.terminals;
    const SteadyClock::time_point now = SteadyClock::now();
    report_.seconds = std::chrono::duration<double>(now - start_).count();
    report_.measuredSeconds =
        std::chrono::duration<double>(std::min(windowEnd_.value_or(now), now) - windowStart_).count();
    if (report_.measuredSeconds <= 0) {
      report_.measuredSeconds = report_.seconds;
      report_.measuredScreens = report_.screens;
    }
    for (const auto& terminal : terminals_) {
      report_.terminalsConnected += terminal->EverConnected() ? 1 : 0;
      report_.terminalsCompleted += terminal->Completed() ? 1 : 0;
    }
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0) report_.maxRssKib = usage.ru_maxrss;
    return report_;
  }

  const LoadOptions& options_;
  std::function<void(const Progress&)> progress_;
  std::chrono::milliseconds progressInterval_;
  asio::io_context io_{1};
  std::vector<tcp::endpoint> endpoints_;
  asio::ssl::context tlsContext_{asio::ssl::context::tls_client};
  asio::ssl::context* tls_ = nullptr;
  asio::steady_timer progressTimer_, endTimer_;
  SteadyClock::time_point start_;
  std::optional<SteadyClock::time_point> end_;
  SteadyClock::time_point windowStart_;
  std::optional<SteadyClock::time_point> windowEnd_;
  std::vector<std::unique_ptr<VirtualTerminal>> terminals_;
  LoadReport report_;
  int done_ = 0;
};

VirtualTerminal::VirtualTerminal(LoadRun& run, int id)
    : run_(run),
      id_(id),
      terminal_(settings_, *this),
      engine_(std::make_unique<CommandEngine>(terminal_)),
      socket_(run.Io()),
      waitTimer_(run.Io()),
      connectTimer_(run.Io()),
      dropTimer_(run.Io()),
      random_(static_cast<unsigned>(id)) {
  settings_.SetHostName(DecodeText(run.Options().host, CodePage::Utf8));
  settings_.SetHostPort(run.Options().port);
  settings_.SetTerminalId(id);  // ids above 999 go out as 999, as the terminal sends them
}

void VirtualTerminal::Begin() {
  connectTimer_.expires_at(run_.StartOf(id_));
  connectTimer_.async_wait([this](const asio::error_code& error) {
    if (error || finished_) return;
    Connect();
    Advance();
  });
}

void VirtualTerminal::Connect() {
  const int generation = ++generation_;
  params_ = terminal_.Restart();
  terminal_.ConnectionStarting();
  if (tls_) retiredTls_ = std::move(tls_);
  socket_ = tcp::socket(run_.Io());
  asio::async_connect(socket_, run_.Endpoints(),
                      [this, generation](const asio::error_code& error, const tcp::endpoint&) {
                        if (generation != generation_ || finished_) return;
                        if (error) return ConnectFailed(error.message());
                        asio::error_code ignored;
                        socket_.set_option(tcp::no_delay(true), ignored);
                        if (run_.Options().tls.enabled) return Handshake(generation);
                        Established();
                      });
}

// The TLS handshake and the terminal's checks of the host's certificate, bounded as the terminal's.
void VirtualTerminal::Handshake(int generation) {
  if (run_.Tls() == nullptr) return ConnectFailed(Describe(LinkFailure::kHandshakeFailed));
  tls_ = std::make_unique<tools::TlsSocket>(std::move(socket_), *run_.Tls());
  tools::PrepareClient(*tls_, run_.Options().host);
  const SteadyClock::time_point started = SteadyClock::now();
  connectTimer_.expires_after(kDefaultConnectTimeout);
  connectTimer_.async_wait([this, generation](const asio::error_code& error) {
    asio::error_code ignored;
    if (!error && generation == generation_ && !connected_) Lowest().close(ignored);
  });
  tls_->async_handshake(asio::ssl::stream_base::client, [this, generation, started](const asio::error_code& error) {
    if (generation != generation_ || finished_) return;
    connectTimer_.cancel();
    const LinkFailure failure =
        error ? tools::HandshakeFailure(error) : tools::CheckServer(*tls_, run_.Options().tls, run_.Options().host);
    if (failure != LinkFailure::kNone) return ConnectFailed(Describe(failure));
    run_.Handshake(SteadyClock::now() - started);
    Established();
  });
}

void VirtualTerminal::ConnectFailed(const std::string& reason) {
  run_.ConnectionFailure(reason);
  asio::error_code ignored;
  Lowest().close(ignored);
  terminal_.ConnectionEnded();
  // A terminal that never got to its script after the duration has none to finish.
  if (run_.HasDuration() && !run_.KeepGoing()) return Finish();
  if (!run_.HasDuration() && ++failedConnects_ >= kMostLosses) {
    run_.Error(id_, 0, "error: cannot connect (" + reason + "), " + std::to_string(failedConnects_) + " times");
    return Finish();
  }
  connectTimer_.expires_after(kReconnectDelay);
  connectTimer_.async_wait([this](const asio::error_code& e) {
    if (!e && !finished_) Connect();
  });
}

void VirtualTerminal::Established() {
  failedConnects_ = 0;
  connected_ = everConnected_ = true;
  if (params_.onConnected) params_.onConnected();
  SendRecord(params_.terminalId, kIdentifyRecord);
  ScheduleDrop();
  Read();
  Advance();
}

void VirtualTerminal::ScheduleDrop() {
  const double every = run_.Options().dropEverySeconds;
  if (every <= 0) return;
  const double after = every * std::uniform_real_distribution<double>(0.5, 1.5)(random_);
  const int generation = generation_;
  dropTimer_.expires_after(std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(after)));
  dropTimer_.async_wait([this, generation](const asio::error_code& error) {
    if (!error && generation == generation_ && connected_ && !finished_) Cut();
  });
}

// The page as the operator reads it: the clock left out (it may turn between the cut and the return),
// and the counts of sounds and the fields' changed marks (the gateway reports typed values itself).
std::string VirtualTerminal::ScreenShown() const {
  nlohmann::json status = nlohmann::json::parse(StatusLine(terminal_));
  for (const char* counted : {"connected", "sounds", "beeps"}) status.erase(counted);
  std::string shown = status.dump();
  for (const std::string& line : FieldLines(terminal_)) {
    nlohmann::json field = nlohmann::json::parse(line);
    if (field["kind"] == "system") continue;
    field.erase("modified");
    shown += field.dump();
  }
  return shown;
}

// The link is gone at once, as a lost Wi-Fi takes it: no goodbye. The terminal keeps its screen and
// connects again a second later; the script waits until the screen is ready again.
void VirtualTerminal::Cut() {
  cutReady_ = terminal_.View().KeyboardReady();
  cutScreen_ = cutReady_ ? ScreenShown() : std::string();
  run_.Drop(cutReady_);
  returning_ = true;
  asio::error_code ignored;
  Lowest().set_option(asio::socket_base::linger(true, 0), ignored);
  connected_ = false;
  ++generation_;
  Lowest().close(ignored);
  outbox_.clear();
  writing_ = false;
  assembler_.Reset();
  pendingFf_ = false;
  lockedAt_.reset();  // a turnaround across the cut is not the host's
  terminal_.ConnectionEnded();
  connectTimer_.expires_after(kReconnectDelay);
  connectTimer_.async_wait([this](const asio::error_code& error) {
    if (!error && !finished_) Connect();
  });
}

bool VirtualTerminal::SendRecord(int terminalId, std::string_view data) {
  if (!connected_) return false;
  outbox_.push_back(FrameRecord(terminalId, data));
  if (!writing_) Write();
  return true;
}

void VirtualTerminal::Write() {
  writing_ = true;
  const int generation = generation_;
  const auto written = [this, generation](const asio::error_code& error, std::size_t) {
    if (generation != generation_) return;
    outbox_.pop_front();
    if (error) return Lost();
    if (outbox_.empty()) {
      writing_ = false;
    } else {
      Write();
    }
  };
  if (tls_) return asio::async_write(*tls_, asio::buffer(outbox_.front()), written);
  asio::async_write(socket_, asio::buffer(outbox_.front()), written);
}

void VirtualTerminal::Read() {
  const int generation = generation_;
  const auto received = [this, generation](const asio::error_code& error, std::size_t got) {
    if (generation != generation_) return;
    if (error) return Lost();
    const int length = UnescapeInPlace(buffer_.data(), static_cast<int>(got), pendingFf_);
    if (length > 0)
      assembler_.Feed(RecordBytes(buffer_.data(), static_cast<std::size_t>(length)),
                      [this](RecordBytes record) { OnRecord(record); });
    if (generation != generation_) return;
    Read();
    Advance();
  };
  if (tls_) return tls_->async_read_some(asio::buffer(buffer_), received);
  socket_.async_read_some(asio::buffer(buffer_), received);
}

void VirtualTerminal::OnRecord(RecordBytes record) {
  run_.Screen();
  terminal_.ReceiveRecord(record);
  if (returning_ && terminal_.View().KeyboardReady()) {
    returning_ = false;
    if (cutReady_ && ScreenShown() == cutScreen_) run_.ScreenBack();
  }
  if (lockedAt_ && terminal_.View().KeyboardReady()) {
    run_.Turnaround(SteadyClock::now() - *lockedAt_);
    lockedAt_.reset();
  }
}

// The host closed or reset the connection: a goodbye as the terminal says it, then a new connection a
// second later and the script from its start.
void VirtualTerminal::Lost() {
  if (!connected_) return;
  asio::error_code ignored;
  // Best effort and never blocking: a host that stopped reading must not stall the loop.
  Lowest().non_blocking(true, ignored);
  const std::string goodbye = FrameRecord(params_.terminalId, kGoodbyeRecord);
  if (tls_) {
    tls_->write_some(asio::buffer(goodbye), ignored);
  } else {
    socket_.write_some(asio::buffer(goodbye), ignored);
  }
  connected_ = false;
  ++generation_;
  Lowest().close(ignored);
  outbox_.clear();
  writing_ = false;
  assembler_.Reset();
  pendingFf_ = false;
  returning_ = false;
  terminal_.ConnectionEnded();
  if (finished_) return;
  run_.Reconnect();
  if (!run_.HasDuration() && ++losses_ >= kMostLosses) {
    run_.Error(id_, line_ > 0 ? line_ - 1 : 0,
               "error: the host ended the connection " + std::to_string(losses_) + " times");
    return Finish();
  }
  if (run_.HasDuration() && !run_.KeepGoing()) return Finish();  // the script it was in is lost: none to finish
  RestartScript();
  connectTimer_.expires_after(kReconnectDelay);
  connectTimer_.async_wait([this](const asio::error_code& error) {
    if (!error && !finished_) Connect();
  });
  Advance();
}

void VirtualTerminal::RestartScript() {
  waitTimer_.cancel();
  engine_ = std::make_unique<CommandEngine>(terminal_);
  line_ = 0;
  lockedAt_.reset();
}

// Runs script lines until one waits: its deadline or the next record brings it back here.
void VirtualTerminal::Advance() {
  const std::vector<std::string>& script = run_.Options().script;
  while (!finished_) {
    const auto now = SteadyClock::now();
    std::optional<Reply> reply;
    std::size_t line = line_;
    if (engine_->Pending()) {
      line = line_ - 1;
      reply = engine_->Poll(now);
      if (!reply) {
        waitTimer_.expires_at(*engine_->Deadline());
        waitTimer_.async_wait([this](const asio::error_code& error) {
          if (!error) Advance();
        });
        return;
      }
    } else if (line_ >= script.size()) {
      completed_ = true;
      run_.ScriptRun();
      if (!run_.KeepGoing()) return Finish();
      line_ = 0;
      // The next run starts from the loop, so a script that never waits cannot starve the others.
      asio::post(run_.Io(), [this] { Advance(); });
      return;
    } else {
      if (returning_) return;  // the operator waits for the screen to come back
      const bool wasReady = terminal_.View().KeyboardReady();
      reply = engine_->Start(WithId(script[line_++], id_), now);
      if (wasReady && !terminal_.View().KeyboardReady()) lockedAt_ = now;
      if (!reply) continue;
    }
    if (reply->quit) return Finish();
    const double think = run_.Options().thinkSeconds;
    if (reply->Ok() && think > 0 && script[line].rfind("wait", 0) == 0) {
      // The operator reads the screen before the next key.
      const double pause = think * std::uniform_real_distribution<double>(0.5, 1.5)(random_);
      waitTimer_.expires_after(std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(pause)));
      waitTimer_.async_wait([this](const asio::error_code& error) {
        if (!error) Advance();
      });
      return;
    }
    if (!reply->Ok()) {
      run_.Error(id_, line, reply->status);
      if (!run_.KeepGoing()) return Finish();
      RestartScript();
      waitTimer_.expires_after(kRestartAfterError);
      waitTimer_.async_wait([this](const asio::error_code& error) {
        if (!error) Advance();
      });
      return;
    }
  }
}

// Ends the terminal for good, without a goodbye (as when the window closes).
void VirtualTerminal::Finish() {
  if (finished_) return;
  finished_ = true;
  connected_ = false;
  ++generation_;
  asio::error_code ignored;
  Lowest().close(ignored);
  waitTimer_.cancel();
  connectTimer_.cancel();
  dropTimer_.cancel();
  run_.TerminalDone();
}

}  // namespace

std::string WithId(const std::string& line, int id) {
  static constexpr std::string_view kId = "{id}";
  std::string out;
  std::size_t at = 0;
  for (std::size_t found; (found = line.find(kId, at)) != std::string::npos; at = found + kId.size())
    out.append(line, at, found - at).append(std::to_string(id));
  return out.append(line, at, std::string::npos);
}

std::optional<LoadOptions> ParseLoadOptions(const std::vector<std::string>& args, std::string& why) {
  LoadOptions options;
  std::string scriptFile;
  const auto refuse = [&why](std::string reason) -> std::optional<LoadOptions> {
    why = std::move(reason);
    return std::nullopt;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    static const std::array<std::string, 14> kKnown = {
        "--host", "--terminals", "--script",     "--first-id",       "--ramp",       "--duration", "--think",
        "--json", "--max-p99",   "--max-errors", "--max-reconnects", "--drop-every", "--tls-pin",  "--tls-ca"};
    if (option == "--tls") {
      options.tls.enabled = true;
      continue;
    }
    if (std::find(kKnown.begin(), kKnown.end(), option) == kKnown.end()) return refuse("unknown option " + option);
    if (i + 1 >= args.size()) return refuse(option + " needs a value");
    const std::string& value = args[++i];
    long number = 0;
    double seconds = 0;
    if (option == "--host") {
      const std::optional<tools::HostPort> host = tools::ParseHostPort(value, true);
      if (!host || host->port == 0)
        return refuse("--host needs HOST:PORT with a port of 1 to 65535 ([::1]:9999 for an IPv6 address)");
      options.host = host->host;
      options.port = host->port;
    } else if (option == "--tls-pin") {
      if (!ParsePin(value)) return refuse("--tls-pin takes a SHA-256 fingerprint (64 hex digits, colons allowed)");
      options.tls.pin = value;
      options.tls.enabled = true;
    } else if (option == "--tls-ca") {
      options.tls.caFile = value;
      options.tls.enabled = true;
    } else if (option == "--terminals") {
      if (!ParseCount(value, 1, kMostTerminals, number))
        return refuse("--terminals needs a number of 1 to " + std::to_string(kMostTerminals));
      options.terminals = static_cast<int>(number);
    } else if (option == "--first-id") {
      if (!ParseCount(value, 1, 999, number)) return refuse("--first-id needs a terminal id of 1 to 999");
      options.firstId = static_cast<int>(number);
    } else if (option == "--ramp" || option == "--duration" || option == "--think") {
      if (!ParseSeconds(value, seconds) || (option == "--duration" && seconds <= 0))
        return refuse(option + " needs a number of seconds" + (option == "--duration" ? " above 0" : ""));
      (option == "--ramp"    ? options.rampSeconds
       : option == "--think" ? options.thinkSeconds
                             : options.durationSeconds.emplace()) = seconds;
    } else if (option == "--drop-every") {
      if (!ParseSeconds(value, seconds) || seconds <= 0)
        return refuse("--drop-every needs a number of seconds above 0");
      options.dropEverySeconds = seconds;
    } else if (option == "--max-p99") {
      if (!ParseSeconds(value, seconds)) return refuse("--max-p99 needs a number of milliseconds");
      options.gates.maxP99Ms = seconds;
    } else if (option == "--max-errors" || option == "--max-reconnects") {
      if (!ParseCount(value, 0, 999999999, number)) return refuse(option + " needs a count");
      (option == "--max-errors" ? options.gates.maxErrors : options.gates.maxReconnects.emplace()) = number;
    } else if (option == "--script") {
      scriptFile = value;
    } else {
      options.jsonFile = value;
    }
  }
  if (options.host.empty() || options.terminals == 0 || scriptFile.empty())
    return refuse("--host, --terminals and --script are needed");
  std::vector<std::string> lines;
  if (!ReadScriptFile(scriptFile, lines, why)) return std::nullopt;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!IsCommandLine(lines[i])) continue;
    if (!ParseCommand(WithId(lines[i], options.firstId), why))
      return refuse(scriptFile + " line " + std::to_string(i + 1) + ": " + why);
    options.script.push_back(lines[i]);
  }
  if (options.script.empty()) return refuse("the script " + scriptFile + " has no command");
  if (options.tls.enabled) {
    asio::ssl::context context(asio::ssl::context::tls_client);
    if (tools::ConfigureClient(context, options.tls) == LinkFailure::kCaFileUnreadable)
      return refuse("cannot read the CA certificates " + options.tls.caFile);
  }
  options.addresses = net::Resolve(options.host, options.port).addresses;
  if (options.addresses.empty()) return refuse("the host " + options.host + " cannot be resolved");
  return options;
}

LoadReport RunLoad(const LoadOptions& options, const std::function<void(const Progress&)>& progress,
                   std::chrono::milliseconds progressInterval) {
  net::RaiseSocketLimit();
  return LoadRun(options, progress, progressInterval).Run();
}

}  // namespace vantor::load

// The replay's socket side: every wait bounded, the io_context run only for as long as a wait may take.
#include "replay_runner.h"

#include <array>
#include <string>

#include <asio.hpp>

namespace vantor::trace {

namespace {

using asio::ip::tcp;
using Clock = std::chrono::steady_clock;

// Runs the io_context until `done` or the time is up; then cancels what `object` still waits for.
template <typename Cancellable>
bool RunUntil(asio::io_context& io, const bool& done, Clock::duration limit, Cancellable& object) {
  io.restart();
  io.run_for(limit);
  if (!done) {
    std::error_code ignored;
    object.cancel(ignored);
    io.restart();
    io.run();
  }
  return done;
}

enum class ReadResult { Data, TimedOut, Closed };

ReadResult ReadWithin(asio::io_context& io, tcp::socket& socket, Clock::duration limit, std::string& out) {
  std::array<char, 65536> buffer;
  bool done = false;
  std::error_code error;
  std::size_t got = 0;
  socket.async_read_some(asio::buffer(buffer), [&](const std::error_code& e, std::size_t n) {
    done = e != asio::error::operation_aborted;
    error = e;
    got = n;
  });
  if (!RunUntil(io, done, limit, socket)) return ReadResult::TimedOut;
  if (error) return ReadResult::Closed;
  out.assign(buffer.data(), got);
  return ReadResult::Data;
}

}  // namespace

int RunReplay(std::vector<ReplayStep> script, const ReplaySettings& settings, std::ostream& report,
              std::ostream& status) {
  asio::io_context io;
  std::error_code failed;
  const asio::ip::address address =
      asio::ip::make_address(settings.listen.host.empty() ? "0.0.0.0" : settings.listen.host, failed);
  if (failed) {
    status << "vantor-trace: " << settings.listen.host << " is not an IP address\n";
    return 2;
  }
  tcp::acceptor acceptor(io);
  const tcp::endpoint endpoint(address, settings.listen.port);
  acceptor.open(endpoint.protocol(), failed);
  if (!failed) acceptor.set_option(tcp::acceptor::reuse_address(true), failed);
  if (!failed) acceptor.bind(endpoint, failed);
  if (!failed) acceptor.listen(1, failed);
  if (failed) {
    status << "vantor-trace: cannot listen on " << tools::WithPort(address.to_string(), settings.listen.port) << ": "
           << failed.message() << "\n";
    return 2;
  }
  status << "vantor-trace: replaying on " << tools::WithPort(address.to_string(), acceptor.local_endpoint().port())
         << "\n";
  status.flush();

  tcp::socket socket(io);
  bool accepted = false;
  acceptor.async_accept(socket, [&](const std::error_code& error) { accepted = !error; });
  if (!RunUntil(io, accepted, settings.connectTimeout, acceptor)) {
    report << "replay: no terminal connected within " << settings.connectTimeout.count() / 1000 << " s\n";
    return 1;
  }
  acceptor.close(failed);
  socket.set_option(tcp::no_delay(true), failed);

  Replay replay(std::move(script));
  Clock::time_point deadline{};
  bool waiting = false;
  std::string bytes;
  for (Replay::Action action = replay.Next(); action != Replay::Action::Finished; action = replay.Next()) {
    if (action != Replay::Action::Wait) waiting = false;
    if (action == Replay::Action::Send) {
      bool written = false;
      asio::async_write(socket, asio::buffer(replay.Outgoing()),
                        [&](const std::error_code& error, std::size_t) { written = !error; });
      if (!RunUntil(io, written, settings.recordTimeout, socket))
        replay.GiveUp("the terminal does not take the host's bytes");
    } else if (action == Replay::Action::EndSending) {
      socket.shutdown(tcp::socket::shutdown_send, failed);
    } else {
      if (!waiting) deadline = Clock::now() + settings.recordTimeout;
      waiting = true;
      const ReadResult result = ReadWithin(io, socket, deadline - Clock::now(), bytes);
      if (result == ReadResult::Data) replay.FromTerminal(bytes);
      if (result == ReadResult::TimedOut) {
        replay.GiveUp("nothing within " + std::to_string(settings.recordTimeout.count()) + " ms");
      }
      if (result == ReadResult::Closed) replay.GiveUp("the terminal closed the connection");
    }
  }
  // Records the terminal sends beyond the recording: whatever comes in a short quiet time.
  const Clock::time_point quietEnd = Clock::now() + settings.quiet;
  while (Clock::now() < quietEnd && ReadWithin(io, socket, quietEnd - Clock::now(), bytes) == ReadResult::Data) {
    replay.FromTerminal(bytes);
  }
  replay.Next();
  socket.close(failed);

  for (const std::string& line : replay.Report()) report << line << "\n";
  report << "replay: " << replay.ChunksSent() << " host chunks sent, " << replay.RecordsCompared()
         << " terminal records compared, " << replay.Differences()
         << (replay.Differences() == 1 ? " difference\n" : " differences\n");
  return replay.Differences() == 0 ? 0 : 1;
}

}  // namespace vantor::trace

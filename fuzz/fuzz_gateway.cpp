// Fuzzes vantor-gateway's sessions without sockets: up to four terminal connections and their host
// sessions, bytes from either side, connections that end, hosts that fail, time that passes. Each
// input is a run of operations: a header byte (bits 0-2 the operation, bits 3-4 which terminal or
// session), and for those that carry bytes a length byte and that many bytes. Besides never crashing
// or hanging: the host only ever gets whole records.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gateway_core.h"
#include "session/wire_format.h"

namespace vantor::gateway {
namespace {

class Network final : public GatewayIo, public EventSink {
 public:
  void SendToTerminal(ConnectionId, std::string_view bytes) override { toTerminals += bytes.size(); }
  void CloseTerminal(ConnectionId, CloseMode) override {}
  void ConnectHost(SessionId session) override { sessions.push_back(session); }
  void SendToHost(SessionId, std::string_view bytes) override {
    // A record of the terminal's, an answer of the shadow's, or the identification: never a piece.
    if (!bytes.ends_with(kTerminator)) __builtin_trap();
  }
  void CloseHost(SessionId, CloseMode) override {}
  void Event(const GatewayEvent&) override {}

  std::vector<SessionId> sessions;
  std::size_t toTerminals = 0;
};

}  // namespace
}  // namespace vantor::gateway

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantor::gateway;
  Network network;
  CoreOptions options;
  options.hold = std::chrono::seconds(2);
  options.identifyTimeout = std::chrono::seconds(1);
  options.heldBytesLimit = 2048;
  GatewayCore core(options, network, network);
  TimePoint now{};
  std::array<ConnectionId, 4> terminals{};
  ConnectionId next = 1;
  const auto session = [&](unsigned who) -> SessionId {
    return network.sessions.empty() ? 0 : network.sessions[who % network.sessions.size()];
  };
  for (std::size_t at = 0; at < size;) {
    const std::uint8_t header = data[at++];
    const unsigned op = header & 7, who = (header >> 3) & 3;
    std::string_view bytes;
    if (op <= 1 && at < size) {
      const std::size_t wanted = data[at++];
      const std::size_t n = std::min(wanted, size - at);
      bytes = std::string_view(reinterpret_cast<const char*>(data + at), n);
      at += n;
    }
    switch (op) {
      case 0:
        if (terminals[who] == 0) {
          terminals[who] = next++;
          core.TerminalConnected(terminals[who], "fuzz", now);
        }
        core.TerminalBytes(terminals[who], bytes, now);
        break;
      case 1: core.HostBytes(session(who), bytes, now); break;
      case 2:
        core.TerminalClosed(terminals[who], now);
        terminals[who] = next++;
        core.TerminalConnected(terminals[who], "fuzz", now);
        break;
      case 3: core.TerminalClosed(terminals[who], now); break;
      case 4: core.HostConnected(session(who), now); break;
      case 5: core.HostConnectFailed(session(who), "fuzz", now); break;
      case 6: core.HostClosed(session(who), now); break;
      case 7:
        now += std::chrono::milliseconds(250) * (at < size ? data[at++] : 1);
        core.Tick(now);
        break;
    }
  }
  (void)core.Summaries();
  return 0;
}

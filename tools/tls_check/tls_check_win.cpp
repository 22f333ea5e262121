// tls_check: checks the host link (clear or SChannel TLS) from a Windows machine against any host:
//   tls_check HOST PORT [tls] [pin=HEX] [ca=FILE] [timeout=MS] [send=TEXT]
// connects, prints the protocol or why it failed, sends TEXT and a line end, and prints what comes back
// (up to a line end) within five seconds each. Against `openssl s_server -rev` the line comes back reversed.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/net.h"
#include "platform/transport.h"

int main(int argc, char** argv) {
  using namespace vantor;
  if (argc < 3) {
    std::fprintf(stderr, "usage: tls_check HOST PORT [tls] [pin=HEX] [ca=FILE] [timeout=MS] [send=TEXT]\n");
    return 2;
  }
  TlsOptions options;
  std::chrono::milliseconds timeout = kDefaultConnectTimeout;
  std::string message = "ping";
  for (int i = 3; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "tls") options.enabled = true;
    if (arg.rfind("pin=", 0) == 0) options.pin = arg.substr(4), options.enabled = true;
    if (arg.rfind("ca=", 0) == 0) options.caFile = arg.substr(3), options.enabled = true;
    if (arg.rfind("timeout=", 0) == 0) timeout = std::chrono::milliseconds(std::atoi(arg.c_str() + 8));
    if (arg.rfind("send=", 0) == 0) message = arg.substr(5);
  }
  if (!net::Startup()) return 3;
  auto transport = MakeTransport(options);
  const auto started = std::chrono::steady_clock::now();
  const LinkFailure failure = transport->Connect(argv[1], static_cast<std::uint16_t>(std::atoi(argv[2])), timeout);
  const auto took =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
  if (failure != LinkFailure::kNone) {
    std::printf("failed after %lld ms: %s\n", static_cast<long long>(took), Describe(failure));
    return 1;
  }
  std::printf("connected in %lld ms: %s\n", static_cast<long long>(took),
              transport->Protocol().empty() ? "clear text" : transport->Protocol().c_str());
  if (!transport->Send(message + "\n")) std::printf("send failed: %s\n", Describe(transport->LastFailure()));
  std::string reply;
  std::uint8_t buffer[4096];
  int got = 0;
  while (reply.find('\n') == std::string::npos && (got = transport->Receive(buffer, sizeof buffer, 5)) > 0) {
    reply.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(got));
  }
  if (!reply.empty()) {
    std::printf("received %zu bytes: %.60s\n", reply.size(), reply.c_str());
  } else {
    std::printf("received nothing (%d): %s\n", got, Describe(transport->LastFailure()));
  }
  transport->Close();
  net::Cleanup();
  return 0;
}

// Throw-away certificates made in process with OpenSSL, and a small loopback server speaking clear text
// or TLS, for tests of the host link's transports.
#pragma once

#include <openssl/ssl.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>

#include "loopback_listener.h"
#include "platform/tls_session.h"

namespace vantor::testing_support {

// A certificate with its private key.
struct TestCertificate {
  std::string certificatePem;
  std::string keyPem;
  std::string pin;  // OpenSSL's own SHA-256 fingerprint of the DER bytes, "AB:CD:..." as openssl prints it
};

// Made once per process. The loopback names are 127.0.0.1, ::1 and localhost.
struct TestPki {
  TestCertificate ca;
  TestCertificate host;       // the loopback names, signed by the CA
  TestCertificate otherName;  // "other.example" only, signed by the CA
  TestCertificate expired;    // the loopback names, signed by the CA, expired yesterday
  TestCertificate stranger;   // the loopback names, self-signed: a man in the middle's
  std::string caFile;         // the CA's certificate in a temporary PEM file
  std::string hostFile;       // the host's certificate in a temporary PEM file
  std::string hostKeyFile;    // and its key

  static const TestPki& Get();
};

struct SslCtxFree {
  void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};
using ServerContext = std::unique_ptr<SSL_CTX, SslCtxFree>;

// Text as the bytes the TLS engines take.
std::span<const std::uint8_t> AsBytes(std::string_view text);

// The terminal's TLS session as a client of an OpenSSL server presenting the test host certificate
// (pinned), the two talking through memory.
class MemoryTls {
 public:
  MemoryTls();
  ~MemoryTls();
  MemoryTls(const MemoryTls&) = delete;
  MemoryTls& operator=(const MemoryTls&) = delete;

  // True once both have finished the handshake.
  bool Handshake();
  // The records carrying `plain`, written `piece` bytes at a time.
  std::string ServerSends(std::string_view plain, std::size_t piece = 16384);
  // The server's close notification.
  std::string ServerCloses();
  TlsSession& Client() { return *client_; }

 private:
  void ToServer(std::string& bytes);
  std::string FromServer();

  ServerContext context_;
  SSL* server_;
  std::unique_ptr<TlsSession> client_;
};

enum class ServerMode {
  kEcho,    // sends back what it receives
  kSilent,  // accepts, reads and never answers, not even a TLS handshake
};

struct LoopbackServerOptions {
  bool ipv6 = false;
  const TestCertificate* certificate = nullptr;  // TLS presenting it; clear text when none
  ServerMode mode = ServerMode::kEcho;
  std::string greeting;  // sent as soon as a connection is up (after the handshake with TLS)
  bool tls12 = false;    // TLS 1.2 at most
};

// Serves one connection at a time on its own thread until destroyed; every wait is bounded.
class LoopbackServer {
 public:
  explicit LoopbackServer(LoopbackServerOptions options);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  bool Listening() const { return listener_.Listening(); }
  std::uint16_t Port() const { return listener_.Port(); }
  // Bytes (plaintext with TLS) received over every connection so far.
  std::string Received() const;
  // Connections accepted so far.
  int Accepted() const;
  // Waits until at least `count` bytes were received in all; false when they did not come in time.
  bool WaitReceived(std::size_t count, std::chrono::milliseconds timeout) const;

 private:
  void Run();
  void Serve(int socket);
  bool WaitFor(int socket, short events) const;

  LoopbackServerOptions options_;
  ServerContext context_;
  LoopbackListener listener_;
  int stop_[2] = {-1, -1};
  mutable std::mutex mutex_;
  mutable std::condition_variable receivedMore_;
  std::string received_;
  int accepted_ = 0;
  std::thread thread_;
};

}  // namespace vantor::testing_support

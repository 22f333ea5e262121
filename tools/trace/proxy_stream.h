// The proxy's two sides: a TCP socket in clear text, or TLS on it (served to the terminals with the
// certificate the proxy is given; spoken to the host under the terminal's own certificate checks).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <system_error>

#include <asio.hpp>

#include "platform/tls_options.h"

namespace vantor::trace {

class ProxyStream {
 public:
  using Done = std::function<void(const std::error_code&, std::size_t)>;
  using Started = std::function<void(const std::string& why)>;

  virtual ~ProxyStream() = default;
  // The TCP socket under the stream: connected, half closed and closed as itself.
  virtual asio::ip::tcp::socket& Socket() = 0;
  // Makes the stream ready to carry records: at once in clear text; over TLS after the handshake and,
  // on the host side, the terminal's checks of the host's certificate. `done` gets "" or why not.
  virtual void Start(Started done) = 0;
  virtual void ReadSome(asio::mutable_buffer buffer, Done done) = 0;
  virtual void Write(asio::const_buffer buffer, Done done) = 0;
  // Whether a read's error is the peer ending its direction rather than a failure.
  virtual bool IsEnd(const std::error_code& error) const { return error == asio::error::eof; }
};

std::unique_ptr<ProxyStream> MakeClearStream(asio::ip::tcp::socket socket);

// What each side speaks.
struct ProxyTls {
  std::string certificateFile;  // with keyFile: TLS served to the terminals
  std::string keyFile;
  TlsOptions host;  // enabled: TLS to the host, as the terminal's link speaks it
};

// Makes both sides' streams for every connection of a proxy.
class StreamMaker {
 public:
  virtual ~StreamMaker() = default;
  virtual std::unique_ptr<ProxyStream> Terminal(asio::ip::tcp::socket socket) = 0;
  // On a socket not yet connected to `host` (the name the host's certificate is checked against).
  virtual std::unique_ptr<ProxyStream> Host(asio::ip::tcp::socket socket, const std::string& host) = 0;
};

// None, with the reason, when a certificate, key or CA file cannot be read, the pin is bad, or TLS is
// asked of a build without it.
std::unique_ptr<StreamMaker> MakeStreamMaker(const ProxyTls& tls, std::string& why);

// Whether this build speaks TLS (the Windows build does not: its tools carry no OpenSSL).
bool TlsBuiltIn();

}  // namespace vantor::trace

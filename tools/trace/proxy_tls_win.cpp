// The Windows build's proxy speaks clear text only: its tools carry no OpenSSL.
#include "proxy_stream.h"

namespace vantor::trace {

namespace {

class ClearStreams final : public StreamMaker {
 public:
  std::unique_ptr<ProxyStream> Terminal(asio::ip::tcp::socket socket) override {
    return MakeClearStream(std::move(socket));
  }
  std::unique_ptr<ProxyStream> Host(asio::ip::tcp::socket socket, const std::string&) override {
    return MakeClearStream(std::move(socket));
  }
};

}  // namespace

std::unique_ptr<StreamMaker> MakeStreamMaker(const ProxyTls& tls, std::string& why) {
  if (!tls.certificateFile.empty() || tls.host.enabled) {
    why = "this build of vantor-trace has no TLS (use the Linux build's)";
    return nullptr;
  }
  return std::make_unique<ClearStreams>();
}

bool TlsBuiltIn() { return false; }

}  // namespace vantor::trace

// The proxy: terminals connect to it as to their host; each gets a connection of its own to the real
// host, and every byte is forwarded unchanged both ways, recorded and decoded on the way.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>

#include <asio.hpp>

#include "network.h"
#include "proxy_stream.h"
#include "trace/capture.h"
#include "trace/trace_decoder.h"

namespace vantor::trace {

// Every event of every connection: into the raw capture (when one is written) and the decoded trace.
class Recorder {
 public:
  // capture may be null; both must outlive the recorder.
  Recorder(std::ostream& trace, CaptureWriter* capture);
  void Record(CaptureEvent event, std::uint32_t connection, std::string_view bytes = {});
  // The end: records left unfinished are shown.
  void Finish();
  bool CaptureFailed() const { return captureFailed_; }

 private:
  std::ostream& trace_;
  CaptureWriter* capture_;
  bool captureFailed_ = false;
  Stopwatch clock_;
  TraceDecoder decoder_;
};

class ProxySession;

// Runs on one thread, the io_context's.
class Proxy {
 public:
  // The streams' maker says what each side speaks; it must outlive the proxy.
  Proxy(asio::io_context& io, Endpoint host, Recorder& recorder, StreamMaker& streams);
  // Starts accepting terminals; false (with the reason) when it cannot listen.
  bool Listen(const Endpoint& listen, std::string& error);
  asio::ip::tcp::endpoint Local() const { return acceptor_.local_endpoint(); }
  // Stops accepting and closes every connection.
  void Stop();

 private:
  void Accept();

  asio::io_context& io_;
  Endpoint host_;
  Recorder& recorder_;
  StreamMaker& streams_;
  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer retry_;  // after a failed accept (out of handles...), so that it does not spin
  std::uint32_t connections_ = 0;
  std::map<std::uint32_t, std::weak_ptr<ProxySession>> sessions_;
};

}  // namespace vantor::trace

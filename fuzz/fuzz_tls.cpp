// Fuzzes the host link's TLS receive path: a host's bytes, sent as TLS records of the fuzzer's sizes by
// an OpenSSL server in memory and handed to the terminal's TLS session in the fuzzer's cuts, must give
// the records the same bytes give over clear text, whole and in order.
#include <openssl/ssl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "platform/tls_session.h"
#include "session/host_connection.h"
#include "session/record_assembler.h"
#include "session/wire_format.h"
#include "tls_fixtures_posix.h"

namespace vantor {
namespace {

using testing_support::TestPki;

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// A client session and a server, connected through memory once per run; each input goes on the same
// connection, as a host's screens do.
class MemoryLink {
 public:
  MemoryLink()
      : context_(testing_support::MakeServerContext(TestPki::Get().host)),
        server_(SSL_new(context_.get())),
        client_(MakeTlsSession({true, TestPki::Get().host.pin, ""}, "127.0.0.1").session) {
    SSL_set_bio(server_, BIO_new(BIO_s_mem()), BIO_new(BIO_s_mem()));
    SSL_set_accept_state(server_);
    std::string toServer;
    auto step = client_->Handshake({}, toServer);
    for (int round = 0; round < 10 && step == TlsSession::Step::kMore; ++round) {
      ToServer(toServer);
      step = client_->Handshake(Bytes(FromServer()), toServer);
    }
    ToServer(toServer);
    if (step != TlsSession::Step::kDone || !SSL_is_init_finished(server_)) __builtin_trap();
  }
  ~MemoryLink() { SSL_free(server_); }

  // The records carrying `plain`, written `piece` bytes at a time (with whatever the server still owed).
  std::string ServerSends(std::string_view plain, std::size_t piece) {
    for (std::size_t at = 0; at < plain.size(); at += piece) {
      const std::string_view part = plain.substr(at, piece);
      if (SSL_write(server_, part.data(), static_cast<int>(part.size())) != static_cast<int>(part.size()))
        __builtin_trap();
    }
    return FromServer();
  }

  TlsSession& Client() { return *client_; }

 private:
  void ToServer(std::string& bytes) {
    BIO_write(SSL_get_rbio(server_), bytes.data(), static_cast<int>(bytes.size()));
    bytes.clear();
    SSL_do_handshake(server_);
  }
  std::string FromServer() {
    std::string bytes;
    char buffer[4096];
    for (int got; (got = BIO_read(SSL_get_wbio(server_), buffer, sizeof buffer)) > 0;)
      bytes.append(buffer, static_cast<std::size_t>(got));
    return bytes;
  }

  testing_support::ServerContext context_;
  SSL* server_;
  std::unique_ptr<TlsSession> client_;
};

// What the session thread does with received bytes: pieces of at most one receive unescaped, then cut
// into records.
class Receiver {
 public:
  void Take(std::string bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += kReceiveChunkBytes) {
      const int length = static_cast<int>(std::min<std::size_t>(kReceiveChunkBytes, bytes.size() - at));
      auto* chunk = reinterpret_cast<std::uint8_t*>(bytes.data() + at);
      const int kept = UnescapeInPlace(chunk, length, pendingFf_);
      assembler_.Feed(RecordBytes(chunk, static_cast<std::size_t>(kept)),
                      [this](RecordBytes record) { records_.emplace_back(record.begin(), record.end()); });
    }
  }
  bool SameAs(const Receiver& other) const {
    return records_ == other.records_ && assembler_.PendingBytes() == other.assembler_.PendingBytes() &&
           pendingFf_ == other.pendingFf_;
  }

 private:
  RecordAssembler assembler_{64 * 1024};
  bool pendingFf_ = false;
  std::vector<std::string> records_;
};

}  // namespace
}  // namespace vantor

// Input: a byte choosing the server's write size, a byte seeding the cuts of the ciphertext, then the
// host's bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantor;
  if (size < 2) return 0;
  static MemoryLink link;
  const std::size_t piece = fuzzing::ChunkSize(data[0]);
  std::uint32_t cuts = data[1];
  const std::string plain(reinterpret_cast<const char*>(data + 2), size - 2);

  Receiver clear;
  clear.Take(plain);

  const std::string stream = link.ServerSends(plain, piece);
  Receiver overTls;
  std::string decrypted;
  for (std::size_t at = 0; at < stream.size();) {
    // Cuts of 1 to 64 bytes, or a large one now and then.
    cuts = cuts * 1103515245u + 12345u;
    const std::size_t cut = (cuts >> 16) % 8 == 0 ? 4096 : 1 + (cuts >> 8) % 64;
    const std::size_t take = std::min(cut, stream.size() - at);
    std::string plainPart, answer;
    const auto step = link.Client().Decrypt(Bytes(stream).subspan(at, take), plainPart, answer);
    if (step != TlsSession::Step::kMore) __builtin_trap();
    at += take;
    decrypted += plainPart;
    if (!plainPart.empty()) overTls.Take(std::move(plainPart));
  }
  if (decrypted != plain || !overTls.SameAs(clear)) __builtin_trap();
  return 0;
}

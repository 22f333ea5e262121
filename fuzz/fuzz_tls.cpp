// Fuzzes the host link's TLS receive path: a host's bytes, sent as TLS records of the fuzzer's sizes by
// an OpenSSL server in memory and handed to the terminal's TLS session in the fuzzer's cuts, must give
// the records the same bytes give over clear text, whole and in order.
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
  static testing_support::MemoryTls link;
  static const bool kConnected = link.Handshake();
  if (!kConnected) __builtin_trap();
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
    const auto step = link.Client().Decrypt(testing_support::AsBytes(stream).subspan(at, take), plainPart, answer);
    if (step != TlsSession::Step::kMore) __builtin_trap();
    at += take;
    decrypted += plainPart;
    if (!plainPart.empty()) overTls.Take(std::move(plainPart));
  }
  if (decrypted != plain || !overTls.SameAs(clear)) __builtin_trap();
  return 0;
}

// SHA-256 through the system's cryptography (CNG in bcrypt.dll).
#include <winsock2.h>
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <memory>

#include "platform/sha256.h"

namespace vantor {

namespace {

struct AlgorithmClose {
  void operator()(void* algorithm) const { BCryptCloseAlgorithmProvider(algorithm, 0); }
};
struct HashDestroy {
  void operator()(void* hash) const { BCryptDestroyHash(hash); }
};

}  // namespace

Sha256Digest Sha256(std::span<const std::uint8_t> data) {
  Sha256Digest digest{};
  BCRYPT_ALG_HANDLE opened = nullptr;
  if (BCryptOpenAlgorithmProvider(&opened, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) return digest;
  const std::unique_ptr<void, AlgorithmClose> algorithm(opened);
  BCRYPT_HASH_HANDLE created = nullptr;
  if (BCryptCreateHash(opened, &created, nullptr, 0, nullptr, 0, 0) < 0) return digest;
  const std::unique_ptr<void, HashDestroy> hash(created);
  // BCryptHashData takes at most a ULONG at a time.
  constexpr std::size_t kLargestPiece = 1u << 30;
  for (std::size_t at = 0; at < data.size(); at += kLargestPiece) {
    const std::size_t piece = std::min(kLargestPiece, data.size() - at);
    if (BCryptHashData(created, const_cast<PUCHAR>(data.data() + at), static_cast<ULONG>(piece), 0) < 0) return {};
  }
  BCryptFinishHash(created, digest.data(), static_cast<ULONG>(digest.size()), 0);
  return digest;
}

}  // namespace vantor

// SHA-256 through OpenSSL's digest interface.
#include <openssl/evp.h>

#include "platform/sha256.h"

namespace vantor {

Sha256Digest Sha256(std::span<const std::uint8_t> data) {
  Sha256Digest digest{};
  unsigned int length = 0;
  EVP_Digest(data.data(), data.size(), digest.data(), &length, EVP_sha256(), nullptr);
  return digest;
}

}  // namespace vantor

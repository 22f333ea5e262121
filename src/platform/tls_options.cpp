// Pin parsing, fingerprints and the first look at a host's reply.
#include "platform/tls_options.h"

#include <cctype>

namespace vantor {

namespace {

constexpr std::uint8_t kAlert = 0x15;
constexpr std::uint8_t kHandshake = 0x16;
constexpr std::uint8_t kServerHello = 0x02;
constexpr std::uint8_t kMajorVersion = 0x03;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
      return false;
  }
  return true;
}

}  // namespace

std::optional<Fingerprint> ParsePin(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  constexpr std::string_view kPrinted = "sha256 fingerprint=";
  if (StartsWithNoCase(text, kPrinted)) text.remove_prefix(kPrinted.size());
  Fingerprint pin{};
  std::size_t digits = 0;
  for (const char c : text) {
    if (c == ':') continue;
    const int value = HexValue(c);
    if (value < 0 || digits == pin.size() * 2) return std::nullopt;
    pin[digits / 2] = static_cast<std::uint8_t>(pin[digits / 2] << 4 | value);
    ++digits;
  }
  if (digits != pin.size() * 2) return std::nullopt;
  return pin;
}

Fingerprint CertificateFingerprint(std::span<const std::uint8_t> der) { return Sha256(der); }

std::string FormatFingerprint(const Fingerprint& fingerprint) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const std::uint8_t byte : fingerprint) {
    if (!text.empty()) text.push_back(':');
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
  }
  return text;
}

HelloReply ClassifyHelloReply(std::span<const std::uint8_t> first) {
  // A record header: type, version (3, x), length (2 bytes); a handshake message's type follows.
  if (first.empty()) return HelloReply::kNeedMore;
  if (first[0] != kAlert && first[0] != kHandshake) return HelloReply::kNotTls;
  if (first.size() < 2) return HelloReply::kNeedMore;
  if (first[1] != kMajorVersion) return HelloReply::kNotTls;
  if (first[0] == kAlert) return HelloReply::kTls;
  if (first.size() < 6) return HelloReply::kNeedMore;
  return first[5] == kServerHello ? HelloReply::kTls : HelloReply::kNotTls;
}

bool StartsWithTlsAlert(std::span<const std::uint8_t> first) {
  return first.size() >= 3 && first[0] == kAlert && first[1] == kMajorVersion && first[2] <= 0x04;
}

}  // namespace vantor

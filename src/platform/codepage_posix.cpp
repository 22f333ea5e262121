// Code-page conversion through glibc's iconv; the ANSI code page is Windows-1252.
#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace vantor {

namespace {

const char* IconvName(CodePage page) { return page == CodePage::Utf8 ? "UTF-8" : "WINDOWS-1252"; }

// iconv_open loads a conversion module each time, which costs more than most conversions: each thread
// keeps its descriptors and resets one before each use.
class Converters {
 public:
  Converters() = default;
  Converters(const Converters&) = delete;
  Converters& operator=(const Converters&) = delete;
  ~Converters() {
    for (const Entry& entry : entries_) iconv_close(entry.cd);
  }

  iconv_t Get(const char* from, const char* to) {
    for (const Entry& entry : entries_) {
      if (std::strcmp(entry.from, from) == 0 && std::strcmp(entry.to, to) == 0) {
        iconv(entry.cd, nullptr, nullptr, nullptr, nullptr);
        return entry.cd;
      }
    }
    const iconv_t cd = iconv_open(to, from);
    if (cd != reinterpret_cast<iconv_t>(-1)) entries_.push_back({from, to, cd});
    return cd;
  }

 private:
  struct Entry {
    const char* from;  // string literals
    const char* to;
    iconv_t cd;
  };
  std::vector<Entry> entries_;
};

// Runs iconv over the whole input; an invalid or unconvertible unit is replaced by `replacement`
// (already in the target encoding) and skipped by `skip` input bytes.
std::string Convert(const char* from, const char* to, std::string_view input, std::string_view replacement,
                    size_t skip) {
  thread_local Converters converters;
  const iconv_t cd = converters.Get(from, to);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string out;
  out.resize(input.size() * 4 + 16);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      const size_t used = static_cast<size_t>(outPtr - out.data());
      out.resize(out.size() * 2);
      outPtr = out.data() + used;
      outLeft = out.size() - used;
      continue;
    }
    // EILSEQ or EINVAL: replace one unit and go on.
    if (outLeft < replacement.size()) {
      const size_t used = static_cast<size_t>(outPtr - out.data());
      out.resize(out.size() * 2 + replacement.size());
      outPtr = out.data() + used;
      outLeft = out.size() - used;
    }
    for (char c : replacement) *outPtr++ = c;
    outLeft -= replacement.size();
    const size_t step = skip < inLeft ? skip : inLeft;
    in += step;
    inLeft -= step;
  }
  out.resize(static_cast<size_t>(outPtr - out.data()));
  return out;
}

}  // namespace

std::u16string DecodeText(std::string_view bytes, CodePage page) {
  if (bytes.empty()) return {};
  static constexpr char kReplacement[] = {'\xFD', '\xFF'};  // U+FFFD, little-endian
  const std::string wide = Convert(IconvName(page), "UTF-16LE", bytes, std::string_view(kReplacement, 2), 1);
  std::u16string text(wide.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(wide[2 * i]) |
                                    (static_cast<unsigned char>(wide[2 * i + 1]) << 8));
  return text;
}

std::string EncodeText(std::u16string_view text, CodePage page) {
  if (text.empty()) return {};
  std::string wide(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    wide[2 * i] = static_cast<char>(text[i] & 0xFF);
    wide[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return Convert("UTF-16LE", IconvName(page), wide, "?", 2);
}

}  // namespace vantor

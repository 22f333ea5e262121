// How the trace writes bytes and key codes: quoted texts, hexadecimal dumps and key names.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor::trace {

// Longest text and dump written whole; the rest is counted, so a huge record cannot flood the trace.
inline constexpr std::size_t kLongestQuoted = 4096;
inline constexpr std::size_t kLongestHex = 128;

// "..." with printable ASCII as it is, \" \\ \t \n \r, and \xNN for every other byte.
std::string Quoted(std::string_view bytes, std::size_t limit = kLongestQuoted);
// "41 42 FF", then " ... (N bytes)" past the limit.
std::string Hex(std::string_view bytes, std::size_t limit = kLongestHex);
// A raw byte: 'c' when printable, else 0xNN.
std::string ByteText(unsigned char byte);

// Every key the host key code can stand for, as the operator knows them, joined with '|': "Enter",
// "F3", "F11|Shift+F1"; empty for a code that no key gives.
std::string KeyNames(int code);
// "3 (F3)", or the bare number when no key gives it.
std::string KeyText(int code);

}  // namespace vantor::trace

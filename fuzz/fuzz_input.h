// The layout of one fuzz input, shared by the fuzz target and the seed corpus writer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantor::fuzzing {

// First byte: bit 0 host text in UTF-8; bits 1-7 select the size of the chunks in which the rest
// is fed to the record assembler, as reads from the host would arrive.
inline constexpr std::uint8_t kUtf8 = 0x01;
inline std::size_t ChunkSize(std::uint8_t control) { return 1 + static_cast<std::size_t>(control >> 1) * 67; }

}  // namespace vantor::fuzzing

// Conversion between 8-bit text (host records, the settings file) and the terminal's UTF-16 text.
#pragma once

#include <string>
#include <string_view>

namespace vantor {

// UTF-8, or the system ANSI code page (Windows-1252 on the POSIX build, as in a default Windows set-up).
enum class CodePage { Utf8, Ansi };

// Contract: never throws, never reads outside the input; bytes that are invalid in the code page become
// U+FFFD; an empty input gives an empty result.
std::u16string DecodeText(std::string_view bytes, CodePage page);

// Contract: never throws; characters the code page cannot hold are replaced (by '?' in the ANSI page).
// Lengths reported to the host count the bytes returned here.
std::string EncodeText(std::u16string_view text, CodePage page);

inline CodePage HostCodePage(bool fieldIsUtf8) { return fieldIsUtf8 ? CodePage::Utf8 : CodePage::Ansi; }

}  // namespace vantor

// Whole files by name: the settings file is read and written in one go, with no stream machinery.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor::files {

// A file's name as UTF-16 text (the Windows spelling; elsewhere it is used as UTF-8).
using FileName = std::u16string;

// Reads at most `limit` bytes of the file into `text`; false (and `text` empty) when it cannot be
// opened or is not a regular file. Others may read and write it meanwhile.
bool ReadWhole(const FileName& name, std::size_t limit, std::string* text);

// Replaces the file's content with `bytes`, creating it; false when it cannot be created or written.
bool WriteWhole(const FileName& name, std::string_view bytes);

}  // namespace vantor::files

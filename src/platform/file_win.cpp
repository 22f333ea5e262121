// Whole files on Windows: CreateFileW, ReadFile, WriteFile.
#include "platform/file.h"

#include <windows.h>

#include <algorithm>

#include "platform/handles_win.h"

namespace vantor::files {

namespace {

const wchar_t* Wide(const FileName& name) { return reinterpret_cast<const wchar_t*>(name.c_str()); }

}  // namespace

bool ReadWhole(const FileName& name, std::size_t limit, std::string* text) {
  text->clear();
  win::UniqueHandle file(CreateFileW(Wide(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  char buffer[4096];
  while (text->size() < limit) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(sizeof buffer, limit - text->size()));
    if (!ReadFile(file.Get(), buffer, want, &got, nullptr) || got == 0) break;
    text->append(buffer, got);
  }
  return true;
}

bool WriteWhole(const FileName& name, std::string_view bytes) {
  win::UniqueHandle file(CreateFileW(Wide(name), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    if (!WriteFile(file.Get(), bytes.data(), piece, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace vantor::files

// Code-page conversion through MultiByteToWideChar / WideCharToMultiByte.
#include "platform/codepage.h"

#include <windows.h>

namespace vantor {

namespace {
UINT WinCodePage(CodePage page) { return page == CodePage::Utf8 ? CP_UTF8 : CP_ACP; }
}  // namespace

std::u16string DecodeText(std::string_view bytes, CodePage page) {
  if (bytes.empty() || bytes.size() > 0x7fffffff) return {};
  const int size = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(WinCodePage(page), 0, bytes.data(), size, nullptr, 0);
  if (needed <= 0) return {};
  std::u16string text(static_cast<size_t>(needed), u'\0');
  const int written =
      MultiByteToWideChar(WinCodePage(page), 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()), needed);
  text.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return text;
}

std::string EncodeText(std::u16string_view text, CodePage page) {
  if (text.empty() || text.size() > 0x7fffffff) return {};
  const int size = static_cast<int>(text.size());
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int needed = WideCharToMultiByte(WinCodePage(page), 0, wide, size, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string bytes(static_cast<size_t>(needed), '\0');
  const int written = WideCharToMultiByte(WinCodePage(page), 0, wide, size, bytes.data(), needed, nullptr, nullptr);
  bytes.resize(written > 0 ? static_cast<size_t>(written) : 0);
  return bytes;
}

}  // namespace vantor

// The yardstick of the round-trip measurement: a bare Win32 program that does the same window work per
// host screen as the terminal (its fields' child windows destroyed, made and painted again) and answers
// as a terminal does, the "H" echo first and then the key, over a socket that sends at once.
//
//   bare_client.exe PORT FIELDS      (scripts/round-trip.sh runs it with BARE=1)
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

SOCKET g_socket = INVALID_SOCKET;

bool SendAll(const std::string& bytes) {
  std::size_t at = 0;
  while (at < bytes.size()) {
    const int sent = send(g_socket, bytes.data() + at, static_cast<int>(bytes.size() - at), 0);
    if (sent <= 0) return false;
    at += static_cast<std::size_t>(sent);
  }
  return true;
}

const std::string kEnd("\xFF\xEF", 2);

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 3) return 2;
  const int port = _wtoi(argv[1]);
  const int fields = _wtoi(argv[2]);
  WSADATA wsa{};
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return 1;
  g_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  const BOOL on = TRUE;
  setsockopt(g_socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  if (connect(g_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 1;
  HWND window = CreateWindowExW(0, L"STATIC", L"bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 240, 320, nullptr,
                                nullptr, instance, nullptr);
  if (window == nullptr || !SendAll("1I" + kEnd)) return 1;
  std::vector<HWND> children;
  std::string pending;
  char buffer[8192];
  for (;;) {
    const int got = recv(g_socket, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(got));
    std::size_t end;
    while ((end = pending.find(kEnd)) != std::string::npos) {
      pending.erase(0, end + kEnd.size());
      if (!SendAll("1H" + kEnd)) return 0;
      for (HWND child : children) DestroyWindow(child);
      children.clear();
      for (int i = 0; i < fields; ++i) {
        const std::wstring text = L"F" + std::to_wstring(i);
        children.push_back(CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | WS_BORDER, (i % 3) * 76,
                                           (i / 3) * 14, 74, 14, window, nullptr, instance, nullptr));
      }
      UpdateWindow(window);
      for (HWND child : children) UpdateWindow(child);
      MSG message{};
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      if (!SendAll("1RF5/" + kEnd)) return 0;
    }
  }
  closesocket(g_socket);
  WSACleanup();
  return 0;
}

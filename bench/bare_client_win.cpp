// The yardstick of the round-trip measurement: a bare Win32 program that does the same window work per
// host screen as the terminal and answers as a terminal does, the "H" echo first and then the key, over
// a socket that sends at once. A new screen destroys its child windows and makes and paints them again
// (an edit control for an entry field, a static for a text, buttons for buttons and check boxes, at the
// scenario's places); a value-only update sets one child's text and paints it.
//
//   bare_client.exe PORT FIELDS [SCENARIO]      (scripts/round-trip.sh runs it with BARE=1)
#include <winsock2.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "round_trip_screens.h"

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

using namespace vantor::bench;

struct ChildClass {
  const wchar_t* name;
  DWORD style;
};

ChildClass ClassOf(ShapeKind kind) {
  switch (kind) {
    case ShapeKind::Input: return {L"EDIT", WS_BORDER};
    case ShapeKind::Fixed: return {L"STATIC", 0};
    case ShapeKind::Button: return {L"BUTTON", BS_PUSHBUTTON};
    case ShapeKind::CheckBox: return {L"BUTTON", BS_AUTOCHECKBOX};
  }
  return {L"STATIC", 0};
}

// The children of screen `round`: at the erase scenario's places (entry fields three a row), or the shape's.
void MakeChildren(HWND window, HINSTANCE instance, Scenario scenario, int fields, int round,
                  std::vector<HWND>& children) {
  constexpr int kCellWidth = 8, kCellHeight = 14;
  for (int i = 0; i < fields; ++i) {
    const std::wstring text = L"F" + std::to_wstring(i);
    ChildClass type = ClassOf(ShapeKind::Input);
    RECT box{(i % 3) * 76, (i / 3) * 14, (i % 3) * 76 + 74, (i / 3) * 14 + 14};
    if (scenario != Scenario::Erase) {
      const ShapeField place = FieldOfShape(ShapeOfRound(scenario, round), i);
      type = ClassOf(place.kind);
      box = {place.column * kCellWidth, place.row * kCellHeight, (place.column + place.width) * kCellWidth,
             (place.row + 1) * kCellHeight};
    }
    children.push_back(CreateWindowExW(0, type.name, text.c_str(), WS_CHILD | WS_VISIBLE | type.style, box.left,
                                       box.top, box.right - box.left, box.bottom - box.top, window, nullptr, instance,
                                       nullptr));
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr || argc < 3) return 2;
  const int port = _wtoi(argv[1]);
  const int fields = _wtoi(argv[2]);
  Scenario scenario = Scenario::Erase;
  if (argc > 3) {
    const std::wstring wide(argv[3]);
    if (!ParseScenario(std::string(wide.begin(), wide.end()).c_str(), scenario)) return 2;
  }
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
  int screens = 0;  // H records so far
  std::string pending;
  char buffer[8192];
  for (;;) {
    const int got = recv(g_socket, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    pending.append(buffer, static_cast<std::size_t>(got));
    std::size_t end;
    while ((end = pending.find(kEnd)) != std::string::npos) {
      const char type = end > 0 ? pending[0] : '\0';
      pending.erase(0, end + kEnd.size());
      if (type == 'I') {
        for (HWND child : children) DestroyWindow(child);
        children.clear();
        continue;
      }
      if (!SendAll("1H" + kEnd)) return 0;
      if (scenario == Scenario::Value && screens > 0 && kUpdatedFieldId <= static_cast<int>(children.size())) {
        HWND updated = children[kUpdatedFieldId - 1];
        SetWindowTextW(updated, (L"V" + std::to_wstring(screens)).c_str());
        UpdateWindow(updated);
      } else {
        for (HWND child : children) DestroyWindow(child);
        children.clear();
        MakeChildren(window, instance, scenario, fields, screens, children);
        UpdateWindow(window);
        for (HWND child : children) UpdateWindow(child);
      }
      ++screens;
      MSG message{};
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      if (!SendAll("1RF5/" + kEnd)) return 0;
    }
  }
  closesocket(g_socket);
  WSACleanup();
  return 0;
}

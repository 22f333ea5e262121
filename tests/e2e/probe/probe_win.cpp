// The end-to-end tests' eyes and hands inside Wine: lists every window and sends real input.
//
// probe.exe list             the window tree, one tab-separated line per window
// probe.exe serve            commands on stdin, one per line; each answer ends with "END ok" or "END err ..."
// probe.exe target           a small window of known shape that logs the input it receives (harness self-checks)
// probe.exe <command> ...    one command of the serve set, then exit
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// ---- text helpers -------------------------------------------------------------------------------

std::string ToUtf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
  if (needed <= 0) return {};
  std::string out(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), needed, nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  if (text.empty()) return {};
  const int needed = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (needed <= 0) return {};
  std::wstring out(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), needed);
  return out;
}

// Tabs, line breaks and backslashes are escaped so that every window is exactly one line.
std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    size_t j = i;
    while (j < line.size() && line[j] != ' ') ++j;
    if (j > i) words.push_back(line.substr(i, j - i));
    i = j;
  }
  return words;
}

// The text after the first `skip` words (kept as typed, spaces included).
std::string RestAfterWords(const std::string& line, int skip) {
  size_t i = 0;
  for (int w = 0; w < skip; ++w) {
    while (i < line.size() && line[i] == ' ') ++i;
    while (i < line.size() && line[i] != ' ') ++i;
  }
  if (i < line.size() && line[i] == ' ') ++i;
  return line.substr(i < line.size() ? i : line.size());
}

bool ParseNumber(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, 0);
  return end != nullptr && *end == '\0';
}

HWND ParseWindow(const std::string& text) {
  long long value = 0;
  if (!ParseNumber(text, value)) return nullptr;
  return reinterpret_cast<HWND>(static_cast<intptr_t>(value));
}

// ---- the window tree ----------------------------------------------------------------------------

void EmitWindow(HWND window, HWND parent, int depth) {
  wchar_t className[256] = {};
  GetClassNameW(window, className, 256);
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  RECT rect{};
  GetWindowRect(window, &rect);
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const long long id = (style & WS_CHILD) ? static_cast<long long>(GetDlgCtrlID(window)) : 0;
  const int hasMenu = (style & WS_CHILD) ? 0 : (GetMenu(window) != nullptr ? 1 : 0);
  std::printf("W\t0x%llx\t0x%llx\t%d\t%s\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%d\t%d\t%lld\t%lu\t0x%08lx\t%d\t%s\n",
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)),
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(parent)), depth,
              Escape(ToUtf8(className)).c_str(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
              origin.x, origin.y, client.right - client.left, client.bottom - client.top,
              IsWindowVisible(window) ? 1 : 0, IsWindowEnabled(window) ? 1 : 0, id, pid,
              static_cast<unsigned long>(style), hasMenu, Escape(ToUtf8(title)).c_str());
}

void WalkChildren(HWND parent, int depth) {
  if (depth > 32) return;
  int guard = 0;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr && guard < 10000;
       child = GetWindow(child, GW_HWNDNEXT), ++guard) {
    EmitWindow(child, parent, depth);
    WalkChildren(child, depth + 1);
  }
}

BOOL CALLBACK TopLevel(HWND window, LPARAM) {
  EmitWindow(window, nullptr, 0);
  WalkChildren(window, 1);
  return TRUE;
}

bool ListWindows(std::string&) {
  EnumWindows(TopLevel, 0);
  return true;
}

// ---- input --------------------------------------------------------------------------------------

INPUT KeyInput(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if (vk == VK_RMENU || vk == VK_RCONTROL || (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT ||
      vk == VK_DELETE)
    in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return in;
}

bool SendAll(std::vector<INPUT>& inputs, std::string& error) {
  if (inputs.empty()) return true;
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  if (sent != inputs.size()) {
    error = "SendInput sent ";
    error += std::to_string(sent);
    error += " of ";
    error += std::to_string(inputs.size());
    return false;
  }
  return true;
}

struct NamedKey {
  const char* name;
  WORD vk;
};

constexpr NamedKey kNamedKeys[] = {
    {"enter", VK_RETURN}, {"return", VK_RETURN}, {"tab", VK_TAB},       {"esc", VK_ESCAPE},
    {"escape", VK_ESCAPE}, {"space", VK_SPACE},  {"back", VK_BACK},     {"backspace", VK_BACK},
    {"delete", VK_DELETE}, {"insert", VK_INSERT}, {"home", VK_HOME},    {"end", VK_END},
    {"left", VK_LEFT},     {"right", VK_RIGHT},   {"up", VK_UP},        {"down", VK_DOWN},
    {"pageup", VK_PRIOR},  {"pagedown", VK_NEXT}, {"slash", VK_OEM_2},
};

// "F2", "alt+F4", "ctrl+1", "shift+F1", "enter", "a", "vk:0xF2"; false when the name is unknown.
bool ParseChord(const std::string& chord, std::vector<WORD>& modifiers, WORD& key) {
  modifiers.clear();
  std::string rest = chord;
  for (;;) {
    const size_t plus = rest.find('+');
    if (plus == std::string::npos || plus + 1 >= rest.size()) break;
    std::string mod = rest.substr(0, plus);
    for (char& c : mod) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (mod == "ctrl" || mod == "control") modifiers.push_back(VK_CONTROL);
    else if (mod == "alt") modifiers.push_back(VK_MENU);
    else if (mod == "shift") modifiers.push_back(VK_SHIFT);
    else return false;
    rest = rest.substr(plus + 1);
  }
  std::string lower = rest;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.rfind("vk:", 0) == 0) {
    long long value = 0;
    if (!ParseNumber(rest.substr(3), value) || value <= 0 || value > 254) return false;
    key = static_cast<WORD>(value);
    return true;
  }
  if (lower.size() >= 2 && lower[0] == 'f' && std::isdigit(static_cast<unsigned char>(lower[1]))) {
    const int n = std::atoi(lower.c_str() + 1);
    if (n < 1 || n > 24) return false;
    key = static_cast<WORD>(VK_F1 + n - 1);
    return true;
  }
  for (const NamedKey& named : kNamedKeys) {
    if (lower == named.name) {
      key = named.vk;
      return true;
    }
  }
  if (rest.size() == 1) {
    const char c = rest[0];
    if (std::isalpha(static_cast<unsigned char>(c))) {
      key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(c)));
      return true;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
      key = static_cast<WORD>(c);
      return true;
    }
  }
  return false;
}

// Brings the window's top-level window to the front and gives the window itself the keyboard focus.
bool FocusWindow(HWND window, std::string& error) {
  if (!IsWindow(window)) {
    error = "no such window";
    return false;
  }
  const HWND root = GetAncestor(window, GA_ROOT);
  SetForegroundWindow(root != nullptr ? root : window);
  const DWORD target = GetWindowThreadProcessId(window, nullptr);
  const DWORD self = GetCurrentThreadId();
  const bool attached = target != self && AttachThreadInput(self, target, TRUE);
  SetFocus(window);
  if (attached) AttachThreadInput(self, target, FALSE);
  // Give the target's thread a moment to take the focus before input arrives. A window may pass the
  // focus on to one of its children (a main window to its current control), which counts too.
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  for (int i = 0; i < 50; ++i) {
    if (GetGUIThreadInfo(target, &info) && (info.hwndFocus == window || IsChild(window, info.hwndFocus)))
      return true;
    Sleep(10);
  }
  error = "focus did not move to the window";
  return false;
}

bool Keys(const std::vector<std::string>& words, std::string& error) {
  if (words.size() < 3) {
    error = "usage: keys <window|0> <chord>...";
    return false;
  }
  const HWND window = ParseWindow(words[1]);
  if (window != nullptr && !FocusWindow(window, error)) return false;
  for (size_t i = 2; i < words.size(); ++i) {
    std::vector<WORD> modifiers;
    WORD key = 0;
    if (!ParseChord(words[i], modifiers, key)) {
      error = "unknown key " + words[i];
      return false;
    }
    std::vector<INPUT> inputs;
    for (WORD m : modifiers) inputs.push_back(KeyInput(m, false));
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) inputs.push_back(KeyInput(*it, true));
    if (!SendAll(inputs, error)) return false;
    Sleep(20);
  }
  return true;
}

bool TypeText(const std::string& line, std::string& error) {
  const std::vector<std::string> words = SplitWords(line);
  if (words.size() < 2) {
    error = "usage: type <window|0> <text>";
    return false;
  }
  const HWND window = ParseWindow(words[1]);
  if (window != nullptr && !FocusWindow(window, error)) return false;
  const std::wstring text = FromUtf8(RestAfterWords(line, 2));
  for (wchar_t c : text) {
    std::vector<INPUT> inputs;
    const SHORT scan = VkKeyScanW(c);
    if (scan != -1 && (HIBYTE(scan) & ~1) == 0) {
      const bool shift = (HIBYTE(scan) & 1) != 0;
      if (shift) inputs.push_back(KeyInput(VK_SHIFT, false));
      inputs.push_back(KeyInput(LOBYTE(scan), false));
      inputs.push_back(KeyInput(LOBYTE(scan), true));
      if (shift) inputs.push_back(KeyInput(VK_SHIFT, true));
    } else {
      INPUT down{};
      down.type = INPUT_KEYBOARD;
      down.ki.wScan = c;
      down.ki.dwFlags = KEYEVENTF_UNICODE;
      INPUT up = down;
      up.ki.dwFlags |= KEYEVENTF_KEYUP;
      inputs.push_back(down);
      inputs.push_back(up);
    }
    if (!SendAll(inputs, error)) return false;
    Sleep(10);
  }
  return true;
}

INPUT MouseInput(DWORD flags, LONG x, LONG y) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = width > 1 ? static_cast<LONG>((x * 65535LL) / (width - 1)) : 0;
  in.mi.dy = height > 1 ? static_cast<LONG>((y * 65535LL) / (height - 1)) : 0;
  in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  return in;
}

// kind: "tap" (down and up), "down", "up".
bool Mouse(const std::vector<std::string>& words, std::string& error) {
  long long x = 0, y = 0;
  if (words.size() != 3 || !ParseNumber(words[1], x) || !ParseNumber(words[2], y)) {
    error = "usage: " + words[0] + " <x> <y>";
    return false;
  }
  const LONG px = static_cast<LONG>(x), py = static_cast<LONG>(y);
  SetCursorPos(px, py);
  std::vector<INPUT> inputs{MouseInput(0, px, py)};
  if (!SendAll(inputs, error)) return false;
  Sleep(20);
  if (words[0] == "tap" || words[0] == "down") {
    inputs = {MouseInput(MOUSEEVENTF_LEFTDOWN, px, py)};
    if (!SendAll(inputs, error)) return false;
    Sleep(40);
  }
  if (words[0] == "tap" || words[0] == "up") {
    inputs = {MouseInput(MOUSEEVENTF_LEFTUP, px, py)};
    if (!SendAll(inputs, error)) return false;
  }
  return true;
}

// ---- messages -----------------------------------------------------------------------------------

bool PostOrSend(const std::vector<std::string>& words, std::string& error) {
  long long msg = 0, wparam = 0, lparam = 0;
  const HWND window = words.size() == 5 ? ParseWindow(words[1]) : nullptr;
  if (window == nullptr || !ParseNumber(words[2], msg) || !ParseNumber(words[3], wparam) ||
      !ParseNumber(words[4], lparam)) {
    error = "usage: " + words[0] + " <window> <message> <wparam> <lparam>";
    return false;
  }
  if (words[0] == "post") {
    if (!PostMessageW(window, static_cast<UINT>(msg), static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam))) {
      error = "PostMessage failed";
      return false;
    }
    return true;
  }
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, static_cast<UINT>(msg), static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam),
                           SMTO_ABORTIFHUNG, 3000, &result)) {
    error = "SendMessage timed out or failed";
    return false;
  }
  std::printf("R\t%lld\n", static_cast<long long>(static_cast<LONG_PTR>(result)));
  return true;
}

bool SetText(const std::string& line, std::string& error) {
  const std::vector<std::string> words = SplitWords(line);
  const HWND window = words.size() >= 2 ? ParseWindow(words[1]) : nullptr;
  if (window == nullptr) {
    error = "usage: settext <window> <text>";
    return false;
  }
  const std::wstring text = FromUtf8(RestAfterWords(line, 2));
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 3000,
                           &result)) {
    error = "WM_SETTEXT timed out or failed";
    return false;
  }
  return true;
}

bool GetText(const std::vector<std::string>& words, std::string& error) {
  const HWND window = words.size() == 2 ? ParseWindow(words[1]) : nullptr;
  if (window == nullptr) {
    error = "usage: gettext <window>";
    return false;
  }
  wchar_t buffer[4096] = {};
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 3000,
                           &result)) {
    error = "WM_GETTEXT timed out or failed";
    return false;
  }
  std::printf("T\t%s\n", Escape(ToUtf8(buffer)).c_str());
  return true;
}

bool MoveWindowCommand(const std::vector<std::string>& words, std::string& error) {
  long long x = 0, y = 0, w = 0, h = 0;
  const HWND window = words.size() == 6 ? ParseWindow(words[1]) : nullptr;
  if (window == nullptr || !ParseNumber(words[2], x) || !ParseNumber(words[3], y) || !ParseNumber(words[4], w) ||
      !ParseNumber(words[5], h)) {
    error = "usage: move <window> <x> <y> <width> <height>";
    return false;
  }
  if (!SetWindowPos(window, nullptr, static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                    static_cast<int>(h), SWP_NOZORDER | SWP_NOACTIVATE)) {
    error = "SetWindowPos failed";
    return false;
  }
  return true;
}

bool FocusCommand(const std::vector<std::string>& words, std::string& error) {
  if (words.size() == 2) return FocusWindow(ParseWindow(words[1]), error);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(0, &info);
  std::printf("F\t0x%llx\t0x%llx\n",
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(GetForegroundWindow())),
              static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(info.hwndFocus)));
  return true;
}

bool RunCommand(const std::string& line, std::string& error) {
  const std::vector<std::string> words = SplitWords(line);
  if (words.empty()) {
    error = "empty command";
    return false;
  }
  const std::string& name = words[0];
  if (name == "list") return ListWindows(error);
  if (name == "tap" || name == "down" || name == "up") return Mouse(words, error);
  if (name == "keys") return Keys(words, error);
  if (name == "type") return TypeText(line, error);
  if (name == "post" || name == "send") return PostOrSend(words, error);
  if (name == "settext") return SetText(line, error);
  if (name == "gettext") return GetText(words, error);
  if (name == "move") return MoveWindowCommand(words, error);
  if (name == "focus") return FocusCommand(words, error);
  if (name == "ping") return true;
  error = "unknown command " + name;
  return false;
}

int Serve() {
  // Make sure the desktop exists before the first command, so its start-up cost is paid here.
  GetDesktopWindow();
  std::printf("READY\n");
  std::fflush(stdout);
  std::string line;
  int c = 0;
  while ((c = std::fgetc(stdin)) != EOF) {
    if (c != '\n') {
      if (c != '\r' && line.size() < 65536) line += static_cast<char>(c);
      continue;
    }
    if (line == "exit") break;
    std::string error;
    const bool ok = RunCommand(line, error);
    std::printf(ok ? "END ok\n" : "END err %s\n", Escape(error).c_str());
    std::fflush(stdout);
    line.clear();
  }
  return 0;
}

// ---- the stand-in window ------------------------------------------------------------------------

constexpr COLORREF kTargetBackground = RGB(12, 34, 56);
constexpr COLORREF kChildBackground = RGB(250, 240, 230);

void Log(const char* format, int a, long long b = 0, long long c = 0) {
  std::printf(format, a, b, c);
  std::fflush(stdout);
}

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const int id = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ? GetDlgCtrlID(window) : 0;
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      HBRUSH brush = CreateSolidBrush(id == 0 ? kTargetBackground : kChildBackground);
      FillRect(dc, &client, brush);
      DeleteObject(brush);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      if (id != 0) SetFocus(window);
      Log("click %d %lld %lld\n", id, static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      Log("key %d %lld %lld\n", id, static_cast<long long>(wparam), message == WM_SYSKEYDOWN ? 1 : 0);
      return 0;
    case WM_CHAR:
      Log("char %d %lld\n", id, static_cast<long long>(wparam));
      return 0;
    case WM_SETFOCUS:
      Log("focus %d\n", id);
      return 0;
    case WM_CLOSE:
      Log("closed %d\n", id);
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (id == 0) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

int Target() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW cls{};
  cls.lpfnWndProc = TargetProc;
  cls.hInstance = instance;
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.lpszClassName = L"VdxProbeTarget";
  RegisterClassW(&cls);
  cls.lpszClassName = L"VdxProbeChild";
  RegisterClassW(&cls);
  HWND main = CreateWindowExW(0, L"VdxProbeTarget", L"Probe Target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 240,
                              320, nullptr, nullptr, instance, nullptr);
  if (main == nullptr) return 1;
  CreateWindowExW(0, L"VdxProbeChild", L"first", WS_CHILD | WS_VISIBLE, 10, 40, 100, 24, main,
                  reinterpret_cast<HMENU>(7), instance, nullptr);
  CreateWindowExW(0, L"VdxProbeChild", L"second", WS_CHILD | WS_VISIBLE, 10, 80, 100, 24, main,
                  reinterpret_cast<HMENU>(8), instance, nullptr);
  UpdateWindow(main);
  std::printf("READY\n");
  std::fflush(stdout);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: probe list | serve | target | <command> ...\n");
    return 2;
  }
  const std::string first = ToUtf8(argv[1]);
  if (first == "serve") return Serve();
  if (first == "target") return Target();
  std::string line = first;
  for (int i = 2; i < argc; ++i) {
    line += ' ';
    line += ToUtf8(argv[i]);
  }
  std::string error;
  const bool ok = RunCommand(line, error);
  if (!ok) std::fprintf(stderr, "probe: %s\n", error.c_str());
  std::fflush(stdout);
  return ok ? 0 : 1;
}

// The end-to-end tests' eyes and hands inside Wine: lists every window and sends real input.
//
// probe.exe serve: one command per line on stdin; each answer ends with "END ok" or "END err <why>".
//   list                          one tab-separated "W" line per window, top-level windows and their trees
//   tap <x> <y>                   a left click at a screen point
//   keys <window|0> <chord>...    focuses the window (0: leaves the focus), then taps each chord ("alt+F4")
//   post <window> <msg> <wparam> <lparam>
//   settext <window> <text>, gettext <window> ("T <text>"), move <window> <x> <y> <width> <height>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ToUtf8(const std::wstring& text) {
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
}

// Tabs and line breaks become spaces so that every answer line stays one line of fields.
std::string OneLine(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
  return text;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

bool Number(const std::string& text, long long& value) {
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, 0);
  return !text.empty() && end != nullptr && *end == '\0';
}

HWND Window(const std::string& text) {
  long long value = 0;
  return Number(text, value) ? reinterpret_cast<HWND>(static_cast<intptr_t>(value)) : nullptr;
}

unsigned long long Id(HWND window) { return reinterpret_cast<uintptr_t>(window); }

// ---- the window tree ----------------------------------------------------------------------------

void Emit(HWND window, HWND parent, int depth) {
  wchar_t className[256] = {}, title[512] = {};
  GetClassNameW(window, className, 256);
  GetWindowTextW(window, title, 512);
  RECT rect{}, client{};
  GetWindowRect(window, &rect);
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  const bool child = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0;
  std::printf("W\t%llu\t%llu\t%d\t%s\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%d\t%d\t%d\t%lu\t%s\n", Id(window),
              Id(parent), depth, OneLine(ToUtf8(className)).c_str(), rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top, origin.x, origin.y, client.right, client.bottom, IsWindowVisible(window) ? 1 : 0,
              IsWindowEnabled(window) ? 1 : 0, child ? GetDlgCtrlID(window) : 0, pid, OneLine(ToUtf8(title)).c_str());
}

void EmitTree(HWND parent, int depth) {
  int guard = 0;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr && depth < 32 && ++guard < 10000;
       child = GetWindow(child, GW_HWNDNEXT)) {
    Emit(child, parent, depth);
    EmitTree(child, depth + 1);
  }
}

BOOL CALLBACK EmitTopLevel(HWND window, LPARAM) {
  Emit(window, nullptr, 0);
  EmitTree(window, 1);
  return TRUE;
}

// ---- input --------------------------------------------------------------------------------------

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  if ((vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE) in.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  return in;
}

// One key stroke or click at a time, a few milliseconds apart as a hand or a scanner gives them.
bool Send(std::vector<INPUT> inputs, std::string& error) {
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size()) {
    error = "SendInput failed";
    return false;
  }
  Sleep(10);
  return true;
}

// "F2", "alt+F4", "ctrl+1", "shift+F1", "enter", "a"; false when a name is unknown.
bool ParseChord(std::string chord, std::vector<WORD>& modifiers, WORD& key) {
  for (char& c : chord) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (size_t plus; (plus = chord.find('+')) != std::string::npos && plus + 1 < chord.size();) {
    const std::string mod = chord.substr(0, plus);
    if (mod == "ctrl")
      modifiers.push_back(VK_CONTROL);
    else if (mod == "alt")
      modifiers.push_back(VK_MENU);
    else if (mod == "shift")
      modifiers.push_back(VK_SHIFT);
    else
      return false;
    chord.erase(0, plus + 1);
  }
  static const struct {
    const char* name;
    WORD vk;
  } kNamed[] = {{"enter", VK_RETURN}, {"esc", VK_ESCAPE}, {"down", VK_DOWN}};
  for (const auto& named : kNamed) {
    if (chord == named.name) {
      key = named.vk;
      return true;
    }
  }
  const int n = chord.size() >= 2 && chord[0] == 'f' ? std::atoi(chord.c_str() + 1) : 0;
  if (n >= 1 && n <= 24)
    key = static_cast<WORD>(VK_F1 + n - 1);
  else if (chord.size() == 1 && std::isalnum(static_cast<unsigned char>(chord[0])))
    key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(chord[0])));
  else
    return false;
  return true;
}

// Brings the window's top-level window to the front and gives the window the keyboard focus; done once
// its thread says so (a window may pass the focus on to a child, which counts too).
bool FocusWindow(HWND window, std::string& error) {
  if (!IsWindow(window)) {
    error = "no such window";
    return false;
  }
  // Activating a window resets Wine's modifier state a moment later: only when it is not active already.
  const HWND root = GetAncestor(window, GA_ROOT);
  if (GetForegroundWindow() != root) SetForegroundWindow(root);
  const DWORD target = GetWindowThreadProcessId(window, nullptr);
  const bool attached = AttachThreadInput(GetCurrentThreadId(), target, TRUE) != 0;
  SetFocus(window);
  if (attached) AttachThreadInput(GetCurrentThreadId(), target, FALSE);
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  for (int i = 0; i < 100; ++i) {
    if (GetGUIThreadInfo(target, &info) && (info.hwndFocus == window || IsChild(window, info.hwndFocus))) return true;
    Sleep(10);
  }
  error = "the focus did not move to the window";
  return false;
}

bool Keys(const std::vector<std::string>& words, std::string& error) {
  const HWND window = words.size() >= 3 ? Window(words[1]) : nullptr;
  if (words.size() < 3) error = "usage: keys <window|0> <chord>...";
  if (words.size() < 3 || (window != nullptr && !FocusWindow(window, error))) return false;
  for (size_t i = 2; i < words.size(); ++i) {
    std::vector<WORD> modifiers;
    WORD key = 0;
    if (!ParseChord(words[i], modifiers, key)) {
      error = "unknown key " + words[i];
      return false;
    }
    std::vector<INPUT> inputs;
    for (WORD m : modifiers) inputs.push_back(Key(m, false));
    inputs.push_back(Key(key, false));
    inputs.push_back(Key(key, true));
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) inputs.push_back(Key(*m, true));
    if (!Send(inputs, error)) return false;
  }
  return true;
}

bool Tap(const std::vector<std::string>& words, std::string& error) {
  long long x = 0, y = 0;
  if (words.size() != 3 || !Number(words[1], x) || !Number(words[2], y)) {
    error = "usage: tap <x> <y>";
    return false;
  }
  SetCursorPos(static_cast<int>(x), static_cast<int>(y));
  const LONG width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  std::vector<INPUT> inputs;
  for (const DWORD button : {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>(x * 65535 / (width - 1));
    in.mi.dy = static_cast<LONG>(y * 65535 / (height - 1));
    in.mi.dwFlags = button | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    inputs.push_back(in);
  }
  return Send(inputs, error);
}

// ---- messages -----------------------------------------------------------------------------------

bool Post(const std::vector<std::string>& words, std::string& error) {
  long long message = 0, wparam = 0, lparam = 0;
  const HWND window = words.size() == 5 ? Window(words[1]) : nullptr;
  if (window != nullptr && Number(words[2], message) && Number(words[3], wparam) && Number(words[4], lparam) &&
      PostMessageW(window, static_cast<UINT>(message), static_cast<WPARAM>(wparam), static_cast<LPARAM>(lparam)))
    return true;
  error = "usage: post <window> <message> <wparam> <lparam>";
  return false;
}

bool Text(const std::string& line, std::string& error) {
  const std::vector<std::string> words = Words(line);
  const HWND window = words.size() >= 2 ? Window(words[1]) : nullptr;
  if (window == nullptr) {
    error = "usage: settext|gettext <window> [text]";
    return false;
  }
  DWORD_PTR result = 0;
  if (words[0] == "settext") {
    const size_t at = line.find(' ', line.find(' ') + 1);  // "settext <window> <text>"
    const std::wstring text = FromUtf8(at == std::string::npos ? std::string() : line.substr(at + 1));
    if (SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 3000,
                            &result))
      return true;
  } else {
    wchar_t buffer[4096] = {};
    if (SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 3000,
                            &result)) {
      std::printf("T\t%s\n", OneLine(ToUtf8(buffer)).c_str());
      return true;
    }
  }
  error = "the window did not answer";
  return false;
}

bool Move(const std::vector<std::string>& words, std::string& error) {
  long long x = 0, y = 0, w = 0, h = 0;
  const HWND window = words.size() == 6 ? Window(words[1]) : nullptr;
  if (window != nullptr && Number(words[2], x) && Number(words[3], y) && Number(words[4], w) && Number(words[5], h) &&
      SetWindowPos(window, nullptr, static_cast<int>(x), static_cast<int>(y), static_cast<int>(w), static_cast<int>(h),
                   SWP_NOZORDER | SWP_NOACTIVATE))
    return true;
  error = "usage: move <window> <x> <y> <width> <height>";
  return false;
}

bool Run(const std::string& line, std::string& error) {
  const std::vector<std::string> words = Words(line);
  const std::string name = words.empty() ? "" : words[0];
  if (name == "list") {
    EnumWindows(EmitTopLevel, 0);
    return true;
  }
  if (name == "tap") return Tap(words, error);
  if (name == "keys") return Keys(words, error);
  if (name == "post") return Post(words, error);
  if (name == "settext" || name == "gettext") return Text(line, error);
  if (name == "move") return Move(words, error);
  error = "unknown command " + name;
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 || std::wstring(argv[1]) != L"serve") {
    std::fprintf(stderr, "usage: probe serve\n");
    return 2;
  }
  GetDesktopWindow();  // the desktop's start-up cost is paid before the first command
  std::printf("READY\n");
  std::fflush(stdout);
  std::string line;
  for (int c; (c = std::fgetc(stdin)) != EOF;) {
    if (c != '\n') {
      if (c != '\r' && line.size() < 65536) line += static_cast<char>(c);
      continue;
    }
    if (line == "exit") break;
    std::string error;
    const bool ok = Run(line, error);
    std::printf(ok ? "END ok\n" : "END err %s\n", OneLine(error).c_str());
    std::fflush(stdout);
    line.clear();
  }
  return 0;
}

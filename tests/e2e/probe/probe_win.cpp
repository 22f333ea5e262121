// The end-to-end tests' eyes and hands inside Wine: lists every window and sends real input.
//
// probe.exe serve: one command per line on stdin; each answer ends with "END ok" or "END err <why>".
//   list                          one tab-separated "W" line per window, top-level windows and their trees
//   tap <x> <y>                   a left click at a screen point
//   keys <window|0> <chord>...    focuses the window (0: leaves the focus), then taps each chord ("alt+F4")
//   post <window> <msg> <wparam> <lparam>, move <window> <x> <y> <width> <height>
//   settext <window> <text>, gettext <window> ("T <text>")
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
  std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  // Tabs and line breaks become spaces so that every answer line stays one line of fields.
  std::replace_if(
      out.begin(), out.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
  return out;
}

std::wstring FromUtf8(const std::string& text) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  return out;
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
              Id(parent), depth, ToUtf8(className).c_str(), rect.left, rect.top, rect.right - rect.left,
              rect.bottom - rect.top, origin.x, origin.y, client.right, client.bottom, IsWindowVisible(window) ? 1 : 0,
              IsWindowEnabled(window) ? 1 : 0, child ? GetDlgCtrlID(window) : 0, pid, ToUtf8(title).c_str());
  for (HWND next = GetWindow(window, GW_CHILD); next != nullptr && depth < 32; next = GetWindow(next, GW_HWNDNEXT))
    Emit(next, window, depth + 1);
}

BOOL CALLBACK EmitTopLevel(HWND window, LPARAM) {
  Emit(window, nullptr, 0);
  return TRUE;
}

// ---- input --------------------------------------------------------------------------------------

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (vk == VK_DOWN ? KEYEVENTF_EXTENDEDKEY : 0);
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

// "F2", "alt+F4", "ctrl+1", "shift+F1", "enter", "a": the key strokes; none when a name is unknown.
std::vector<INPUT> Chord(std::string chord) {
  for (char& c : chord) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::vector<WORD> modifiers;
  for (size_t plus; (plus = chord.find('+')) != std::string::npos && plus + 1 < chord.size(); chord.erase(0, plus + 1))
    modifiers.push_back(chord.rfind("ctrl+", 0) == 0    ? VK_CONTROL
                        : chord.rfind("alt+", 0) == 0   ? VK_MENU
                        : chord.rfind("shift+", 0) == 0 ? VK_SHIFT
                                                        : 0);
  const int n = chord.size() >= 2 && chord[0] == 'f' ? std::atoi(chord.c_str() + 1) : 0;
  WORD key = n >= 1 && n <= 24  ? static_cast<WORD>(VK_F1 + n - 1)
             : chord == "enter" ? VK_RETURN
             : chord == "esc"   ? VK_ESCAPE
             : chord == "down"  ? VK_DOWN
             : chord.size() == 1 && std::isalnum(static_cast<unsigned char>(chord[0]))
                 ? static_cast<WORD>(std::toupper(static_cast<unsigned char>(chord[0])))
                 : 0;
  std::vector<INPUT> inputs;
  if (key == 0 || std::count(modifiers.begin(), modifiers.end(), 0) > 0) return inputs;
  for (WORD m : modifiers) inputs.push_back(Key(m, false));
  inputs.push_back(Key(key, false));
  inputs.push_back(Key(key, true));
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) inputs.push_back(Key(*m, true));
  return inputs;
}

// Brings the window's top-level window to the front and gives the window the keyboard focus; done once
// its thread says so (a window may pass the focus on to a child, which counts too).
bool FocusWindow(HWND window, std::string& error) {
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

// ---- commands -----------------------------------------------------------------------------------

bool Run(const std::string& line, std::string& error) {
  std::istringstream in(line);
  std::string name;
  std::vector<std::string> words;
  in >> name;
  for (std::string word; in >> word;) words.push_back(word);
  std::vector<long long> n;  // the leading numeric arguments
  for (const std::string& word : words) {
    char* end = nullptr;
    n.push_back(std::strtoll(word.c_str(), &end, 0));
    if (*end != '\0') {
      n.pop_back();
      break;
    }
  }
  const HWND window = n.empty() ? nullptr : reinterpret_cast<HWND>(static_cast<intptr_t>(n[0]));
  const auto usage = [&](const char* text) {
    error = std::string("usage: ") + text;
    return false;
  };
  if (name == "list") {
    EnumWindows(EmitTopLevel, 0);
    return true;
  }
  if (name == "tap") {
    if (n.size() != 2) return usage("tap <x> <y>");
    SetCursorPos(static_cast<int>(n[0]), static_cast<int>(n[1]));
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return Send({click[0], click[1]}, error);
  }
  if (name == "keys") {
    if (words.size() < 2) return usage("keys <window|0> <chord>...");
    if (window != nullptr && !FocusWindow(window, error)) return false;
    for (size_t i = 1; i < words.size(); ++i) {
      const std::vector<INPUT> inputs = Chord(words[i]);
      if (inputs.empty()) return usage(("a known key, not " + words[i]).c_str());
      if (!Send(inputs, error)) return false;
    }
    return true;
  }
  if (name == "post")
    return (n.size() == 4 &&
            PostMessageW(window, static_cast<UINT>(n[1]), static_cast<WPARAM>(n[2]), static_cast<LPARAM>(n[3]))) ||
           usage("post <window> <message> <wparam> <lparam>");
  if (name == "move")
    return (n.size() == 5 &&
            SetWindowPos(window, nullptr, static_cast<int>(n[1]), static_cast<int>(n[2]), static_cast<int>(n[3]),
                         static_cast<int>(n[4]), SWP_NOZORDER | SWP_NOACTIVATE)) ||
           usage("move <window> <x> <y> <width> <height>");
  DWORD_PTR result = 0;
  if (name == "settext" && window != nullptr) {
    const size_t at = line.find(' ', line.find(' ') + 1);  // "settext <window> <text>"
    const std::wstring text = FromUtf8(at == std::string::npos ? std::string() : line.substr(at + 1));
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 3000,
                               &result) ||
           usage("settext <window> <text> to a window that answers");
  }
  wchar_t buffer[4096] = {};
  if (name == "gettext" && window != nullptr &&
      SendMessageTimeoutW(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 3000,
                          &result)) {
    std::printf("T\t%s\n", ToUtf8(buffer).c_str());
    return true;
  }
  return usage("list, tap, keys, post, move, settext or gettext, to a window that answers");
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
    std::printf(ok ? "END ok\n" : "END err %s\n", error.c_str());
    std::fflush(stdout);
    line.clear();
  }
  return 0;
}

// End-to-end harness: processes in groups of their own, one virtual display and Wine prefix per run, the
// probe that sees and taps Wine's windows, and screenshots.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"

namespace vantor::e2e {

using testing_support::Capture;
using testing_support::ChildProcess;

using Millis = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

// Polls `predicate` every `interval` until it holds or `timeout` has passed; true when it held.
bool WaitFor(const std::function<bool()>& predicate, Millis timeout, Millis interval = Millis(50));

inline std::string ExecutableDir() {
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}
inline bool FileExists(const std::string& path) { return std::filesystem::exists(path); }
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
inline bool WriteFile(const std::string& path, const std::string& bytes) {
  return static_cast<bool>(std::ofstream(path, std::ios::binary) << bytes);
}

// Started on first use, stopped when the test program ends: an Xvfb on a free display, and the Wine
// prefix ($WINEPREFIX when set, else beside the test program) prepared once, both exported to children.
class WineDesktop {
 public:
  static WineDesktop& Instance();
  // False (with the reason) when the display or the prefix could not be made ready.
  bool Ensure(std::string& why);
  const std::string& Prefix() const { return prefix_; }
  void KillWineServer();  // the last resort when a program would not stop
  void Shutdown();

 private:
  bool ready_ = false;
  std::string failure_, prefix_;
  ChildProcess xvfb_;
};

struct WindowInfo {
  std::uint64_t handle = 0, parent = 0;  // parent 0: a top-level window
  int depth = 0;                         // 0 top-level, 1 its children, ...
  std::string className;
  int x = 0, y = 0, width = 0, height = 0;                          // window rectangle on the screen
  int clientX = 0, clientY = 0, clientWidth = 0, clientHeight = 0;  // client origin on the screen, size
  bool visible = false, enabled = false;
  long long id = 0;       // control id (children only)
  unsigned long pid = 0;  // Windows process id
  std::string title;
};
using WindowList = std::vector<WindowInfo>;

// The first visible top-level window of that class or caption.
std::optional<WindowInfo> FindTopLevel(const WindowList& windows, const std::string& name);
WindowList ChildrenOf(const WindowList& windows, std::uint64_t parent);
std::string Describe(const WindowList& windows);  // for failure messages

// probe.exe serving commands in the run's prefix, one process for the whole run; a command that does not
// answer in time restarts it. The commands are listed in probe/probe_win.cpp.
class Probe {
 public:
  static Probe& Instance();
  std::optional<WindowList> List();
  bool Tap(int x, int y) { return Do("tap", x, y); }
  // Focuses `window` (0: leaves the focus where it is), then taps each chord: "F2", "alt+F4", "ctrl+1".
  bool Keys(std::uint64_t window, const std::vector<std::string>& chords);
  bool Type(std::uint64_t window, const std::string& text);  // letters and digits: a key each
  bool Post(std::uint64_t window, unsigned message, long long wparam, long long lparam) {
    return Do("post", window, message, wparam, lparam);
  }
  bool SetText(std::uint64_t window, const std::string& text) {
    return Command("settext " + std::to_string(window) + " " + text).has_value();
  }
  std::optional<std::string> GetText(std::uint64_t window);
  bool Move(std::uint64_t window, int x, int y, int width, int height) {
    return Do("move", window, x, y, width, height);
  }
  const std::string& LastError() const { return lastError_; }
  void Shutdown();

 private:
  // The answer lines of one command (without the END line); none when it failed.
  std::optional<std::vector<std::string>> Command(const std::string& line);
  // A command of the words separated by spaces; whether it succeeded.
  template <typename... Words>
  bool Do(const Words&... words) {
    std::ostringstream line;
    ((line << words << ' '), ...);
    return Command(line.str()).has_value();
  }
  ChildProcess process_;
  std::string lastError_;
};

// A part of the screen ("WxH+X+Y", empty: all of it) as image bytes in `format` ("ppm", "png"); empty when
// it could not be taken.
std::string Screenshot(const std::string& crop = {}, const std::string& format = "ppm");

}  // namespace vantor::e2e

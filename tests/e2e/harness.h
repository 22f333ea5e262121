// End-to-end harness: processes in groups of their own, one virtual display and Wine prefix per run, the
// probe that sees and taps Wine's windows, and screenshots.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantor::e2e {

using Millis = std::chrono::milliseconds;
using SteadyClock = std::chrono::steady_clock;

// Polls `predicate` every `interval` until it holds or `timeout` has passed; true when it held.
bool WaitFor(const std::function<bool()>& predicate, Millis timeout, Millis interval = Millis(50));

std::string ExecutableDir();  // the folder of the test program
bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);

// A child process in a process group of its own; the destructor stops the whole group, so nothing a test
// starts outlives it.
class Process {
 public:
  static constexpr int kPipeIn = 1, kPipeOut = 2;  // the standard streams that are pipes to the test

  Process() = default;
  ~Process() { Stop(); }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // Starts argv[0] (searched on PATH) in `cwd` with "NAME=value" entries added to its environment; stdout
  // (unless piped) and stderr go to `outputFile` (empty: /dev/null).
  bool Start(const std::vector<std::string>& argv, int pipes = 0, const std::string& outputFile = {},
             const std::string& cwd = {}, const std::vector<std::string>& env = {});
  bool Started() const { return pid_ > 0; }
  bool Running();
  // The exit status (the code, or 128 + signal) once the process has exited within `timeout`.
  std::optional<int> WaitExit(Millis timeout);
  // SIGTERM to the group, `grace` to exit, then SIGKILL to the group.
  void Stop(Millis grace = Millis(1500));
  bool WriteLine(const std::string& line);
  // The next line of the child's stdout; false on time-out or end of stream.
  bool ReadLine(std::string& line, Millis timeout);
  // The child's stdout until it ends or `timeout` has passed.
  std::string ReadAll(Millis timeout);

 private:
  bool ReadMore(SteadyClock::time_point deadline);
  pid_t pid_ = -1;
  int stdin_ = -1, stdout_ = -1;
  std::string pending_;
  std::optional<int> exitStatus_;
};

// Runs a command to its end, stopped at the time-out: its exit status (-1 when stopped) and stdout.
std::pair<int, std::string> RunCommand(const std::vector<std::string>& argv, Millis timeout);

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
  Process xvfb_;
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

std::optional<WindowInfo> FindTopLevel(const WindowList& windows, const std::string& className);
WindowList ChildrenOf(const WindowList& windows, std::uint64_t parent);
WindowList DescendantsOf(const WindowList& windows, std::uint64_t ancestor);
WindowList OfClass(const WindowList& windows, const std::string& className);
std::string Describe(const WindowList& windows);  // for failure messages

// probe.exe serving commands in the run's prefix, one process for the whole run; a command that does not
// answer in time restarts it. The commands are listed in probe/probe_win.cpp.
class Probe {
 public:
  static Probe& Instance();
  std::optional<WindowList> List();
  bool Tap(int x, int y);
  // Focuses `window` (0: leaves the focus where it is), then taps each chord: "F2", "alt+F4", "ctrl+1".
  bool Keys(std::uint64_t window, const std::vector<std::string>& chords);
  bool Type(std::uint64_t window, const std::string& text);  // letters and digits: a key each
  bool Post(std::uint64_t window, unsigned message, long long wparam, long long lparam);
  bool SetText(std::uint64_t window, const std::string& text);
  std::optional<std::string> GetText(std::uint64_t window);
  bool Move(std::uint64_t window, int x, int y, int width, int height);
  const std::string& LastError() const { return lastError_; }
  void Shutdown();

 private:
  // The answer lines of one command (without the END line); none when it failed.
  std::optional<std::vector<std::string>> Command(const std::string& line);
  Process process_;
  std::string lastError_;
};

// A part of the screen ("WxH+X+Y", empty: all of it) as image bytes in `format` ("ppm", "png"); empty when
// it could not be taken.
std::string Screenshot(const std::string& crop = {}, const std::string& format = "ppm");

}  // namespace vantor::e2e

// End-to-end harness: one virtual display and one Wine prefix per run, Vantor.exe in a folder of its own per
// test, the probe that sees and taps Wine's windows, and screenshots read as RGB pixels.
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

// ---- paths --------------------------------------------------------------------------------------

std::string WinBuildDir();         // the Windows build folder the tests were configured with
std::string SourceDir();
std::string ExecutableDir();       // folder of the running test program (the native build folder)
bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);

// ---- processes ----------------------------------------------------------------------------------

// A child process in a process group of its own. The destructor stops the whole group, so nothing a
// test starts outlives it, whether the test passes or fails.
class Process {
 public:
  struct Options {
    std::vector<std::string> argv;
    std::string cwd;                 // empty: the current folder
    bool pipeStdin = false;
    bool pipeStdout = false;         // otherwise stdout goes to outputFile (or /dev/null)
    std::string outputFile;          // stderr goes here too; empty: /dev/null
  };

  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Start(const Options& options);
  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  // True while the process has not exited.
  bool Running();
  // The exit status (the code, or 128 + signal) once the process has exited within `timeout`.
  std::optional<int> WaitExit(Millis timeout);
  // SIGTERM to the group, `grace` to exit, then SIGKILL to the group; reaps the process.
  void Stop(Millis grace = Millis(1500));

  bool WriteLine(const std::string& line);
  void CloseStdin();
  // The next line of the child's stdout (without the line end); false on time-out or end of stream.
  bool ReadLine(std::string& line, Millis timeout);

 private:
  void Reap(int status);

  pid_t pid_ = -1;
  int stdin_ = -1;
  int stdout_ = -1;
  std::string pending_;
  std::optional<int> exitStatus_;
};

struct RunResult {
  int exitStatus = -1;  // -1 when it could not be started or was stopped at the time-out
  bool timedOut = false;
  std::string output;   // stdout
};
// Runs a command to completion with a time-out; the whole process group is stopped at the time-out.
RunResult RunCommand(const std::vector<std::string>& argv, Millis timeout, const std::string& cwd = {});

// ---- the run's display and Wine prefix ----------------------------------------------------------

// Started on first use and stopped when the test program ends: an Xvfb on a free display number, and a
// Wine prefix prepared once ($WINEPREFIX when set, else a prefix beside the test program). DISPLAY,
// WINEPREFIX, WINEDEBUG and WINEDLLOVERRIDES are exported to every process the tests start.
class WineDesktop {
 public:
  static WineDesktop& Instance();
  // Starts the display and prepares the prefix; false (with the reason) when that failed.
  bool Ensure(std::string& why);
  const std::string& Display() const { return display_; }
  const std::string& Prefix() const { return prefix_; }
  // Ends every Wine process of the prefix (the last resort when a program would not stop).
  void KillWineServer();
  void Shutdown();

 private:
  bool ready_ = false;
  bool failed_ = false;
  std::string failure_;
  std::string display_;
  std::string prefix_;
  Process xvfb_;
};

// ---- the probe ----------------------------------------------------------------------------------

struct WindowInfo {
  std::uint64_t handle = 0;
  std::uint64_t parent = 0;    // 0 for a top-level window
  int depth = 0;               // 0 top-level, 1 its children, ...
  std::string className;
  int x = 0, y = 0, width = 0, height = 0;                          // window rectangle, screen
  int clientX = 0, clientY = 0, clientWidth = 0, clientHeight = 0;  // client origin (screen) and size
  bool visible = false;
  bool enabled = false;
  long long id = 0;            // control id (children only)
  unsigned long pid = 0;       // Windows process id
  std::uint32_t style = 0;
  bool hasMenu = false;
  std::string title;

  // Client-relative position of this window inside `parent`'s client area.
  int XIn(const WindowInfo& parent) const { return x - parent.clientX; }
  int YIn(const WindowInfo& parent) const { return y - parent.clientY; }
};

using WindowList = std::vector<WindowInfo>;

std::optional<WindowInfo> FindTopLevel(const WindowList& windows, const std::string& className,
                                       bool visibleOnly = true);
std::optional<WindowInfo> FindByHandle(const WindowList& windows, std::uint64_t handle);
WindowList ChildrenOf(const WindowList& windows, std::uint64_t parent);
WindowList DescendantsOf(const WindowList& windows, std::uint64_t ancestor);
WindowList OfClass(const WindowList& windows, const std::string& className);
std::string Describe(const WindowList& windows);  // for failure messages

// The probe program running in the run's prefix, one process for the whole run, commanded line by
// line. A command that does not answer in time restarts the probe.
class Probe {
 public:
  static Probe& Instance();

  std::optional<WindowList> List();
  bool Tap(int x, int y);
  bool MouseDown(int x, int y);
  bool MouseUp(int x, int y);
  // Focuses `window` (0: leave the focus where it is), then taps each chord: "F2", "alt+F4", "ctrl+1".
  bool Keys(std::uint64_t window, const std::vector<std::string>& chords);
  bool Type(std::uint64_t window, const std::string& text);
  bool Focus(std::uint64_t window);
  // The foreground window and the focus window of its thread.
  std::optional<std::pair<std::uint64_t, std::uint64_t>> FocusInfo();
  bool Post(std::uint64_t window, unsigned message, long long wparam, long long lparam);
  std::optional<long long> Send(std::uint64_t window, unsigned message, long long wparam, long long lparam);
  bool SetText(std::uint64_t window, const std::string& text);
  std::optional<std::string> GetText(std::uint64_t window);
  bool Move(std::uint64_t window, int x, int y, int width, int height);

  // Output lines of one command (without the END line); none when it failed.
  std::optional<std::vector<std::string>> Command(const std::string& line, Millis timeout = Millis(10000));
  const std::string& LastError() const { return lastError_; }
  void Shutdown();

 private:
  bool EnsureRunning();
  Process process_;
  std::string lastError_;
};

// ---- screenshots --------------------------------------------------------------------------------

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};
std::string ToString(const Rgb& colour);

class Image {
 public:
  // Reads a binary PPM (P6, maxval 255).
  static std::optional<Image> FromPpm(const std::string& bytes);
  int Width() const { return width_; }
  int Height() const { return height_; }
  // Black outside the image.
  Rgb At(int x, int y) const;

 private:
  int width_ = 0, height_ = 0;
  std::vector<std::uint8_t> rgb_;
};

// The whole virtual screen; `savePath` (optional) keeps a PNG copy for a human.
std::optional<Image> Screenshot(const std::string& savePath = {});

// When VANTOR_DOCS_DIR names a folder, saves the given part of the virtual screen there as `name`.png
// (the README's pictures come from the tests that show each thing); otherwise does nothing. False
// only when a picture was wanted and could not be saved.
bool SaveDocPicture(const std::string& name, int x, int y, int width, int height);

// ---- the terminal under test --------------------------------------------------------------------

using IniEntries = std::vector<std::pair<std::string, std::string>>;

// "Vantor.ini" lines for a terminal that talks to a host on 127.0.0.1:`port`.
IniEntries HostSettings(std::uint16_t port, int terminalId = 1);
// The value of `key` in a settings file (keys compare without case); none when absent.
std::optional<std::string> IniValue(const std::string& text, const std::string& key);

inline constexpr const char* kMainWindowClass = "VORANDEXWIN";

// Vantor.exe copied into a fresh temporary folder, started under Wine and stopped (with everything it
// started) when the object goes, even when the test failed. The folder is kept when the test failed.
class Terminal {
 public:
  Terminal();
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  // False (with the reason in Error()) when the display, the prefix or Vantor.exe is missing.
  bool Ready() const { return ready_; }
  const std::string& Error() const { return error_; }
  const std::string& Folder() const { return folder_; }
  std::string IniPath() const { return folder_ + "/Vantor.ini"; }

  bool WriteIni(const IniEntries& entries);
  std::string ReadIni() const;
  bool Start();
  // The visible main window, once it exists.
  std::optional<WindowInfo> WaitMainWindow(Millis timeout = Millis(20000));
  std::optional<WindowInfo> MainWindow();
  bool Running() { return process_.Running(); }
  std::optional<int> WaitExit(Millis timeout) { return process_.WaitExit(timeout); }
  void Stop();

 private:
  bool ready_ = false;
  std::string error_;
  std::string folder_;
  Process process_;
};

}  // namespace vantor::e2e

// End-to-end harness: processes in groups of their own, the run's Xvfb and Wine prefix, the probe and
// screenshots.
#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace vantor::e2e {
namespace {

Millis Remaining(SteadyClock::time_point deadline) {
  return std::max(Millis(0), std::chrono::duration_cast<Millis>(deadline - SteadyClock::now()));
}

// Runs a command to its end, stopped at the time-out; its stdout, none unless it exited with 0.
std::optional<std::string> Run(const std::vector<std::string>& argv, Millis timeout) {
  ChildProcess child(argv, {.capture = Capture::kStdout});
  if (child.WaitExit(timeout) != 0) return std::nullopt;
  return child.Output();
}

}  // namespace

bool WaitFor(const std::function<bool()>& predicate, Millis timeout, Millis interval) {
  const auto deadline = SteadyClock::now() + timeout;
  while (!predicate()) {
    if (SteadyClock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::min(interval, Remaining(deadline) + Millis(1)));
  }
  return true;
}

// ---- the run's display and Wine prefix ----------------------------------------------------------

WineDesktop& WineDesktop::Instance() {
  static WineDesktop desktop;
  return desktop;
}

bool WineDesktop::Ensure(std::string& why) {
  if (ready_ || !failure_.empty()) {
    why = failure_;
    return ready_;
  }
  std::string number;
  if (!xvfb_.Start({"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                   {.capture = Capture::kStdout}) ||
      !xvfb_.ReadLine(number, Millis(20000)) || number.empty()) {
    xvfb_.Stop();
    why = failure_ = "Xvfb did not start (is the xvfb package installed?)";
    return false;
  }
  ::setenv("DISPLAY", (":" + number).c_str(), 1);
  const char* given = std::getenv("WINEPREFIX");
  prefix_ = given != nullptr && *given != '\0' ? given : ExecutableDir() + "/e2e-wineprefix";
  ::setenv("WINEPREFIX", prefix_.c_str(), 1);
  ::setenv("WINEDEBUG", "-all", 1);
  ::setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
  Run({"bash", "-c", "source \"$0\"", VANTOR_SOURCE_DIR "/scripts/wine-env.sh"}, Millis(240000));
  if (!FileExists(prefix_ + "/.vantor-ready")) {
    why = failure_ = "the Wine prefix " + prefix_ + " could not be prepared";
    return false;
  }
  // Programs of an earlier run in this prefix would keep its desktop on another display; let them end.
  Run({"wineserver", "-w"}, Millis(15000));
  return ready_ = true;
}

void WineDesktop::KillWineServer() {
  if (!prefix_.empty()) Run({"wineserver", "-k"}, Millis(15000));
}

void WineDesktop::Shutdown() {
  // The prefix's programs end by themselves first; they are stopped as a last resort.
  if (ready_ && !Run({"wineserver", "-w"}, Millis(10000))) KillWineServer();
  xvfb_.Stop();
  ready_ = false;
}

namespace {

class HarnessEnvironment : public ::testing::Environment {
 public:
  void TearDown() override {
    Probe::Instance().Shutdown();
    WineDesktop::Instance().Shutdown();
  }
};

[[maybe_unused]] ::testing::Environment* const kHarnessEnvironment =
    ::testing::AddGlobalTestEnvironment(new HarnessEnvironment);

}  // namespace

// ---- the probe ----------------------------------------------------------------------------------

std::optional<WindowInfo> FindTopLevel(const WindowList& windows, const std::string& name) {
  for (const WindowInfo& w : windows)
    if (w.depth == 0 && w.visible && (w.className == name || w.title == name)) return w;
  return std::nullopt;
}

WindowList ChildrenOf(const WindowList& windows, std::uint64_t parent) {
  WindowList children;
  std::copy_if(windows.begin(), windows.end(), std::back_inserter(children),
               [&](const WindowInfo& w) { return w.parent == parent && w.depth > 0; });
  return children;
}

std::string Describe(const WindowList& windows) {
  std::ostringstream text;
  for (const WindowInfo& w : windows) {
    if (w.depth > 0 || w.visible)
      text << std::string(2 * static_cast<size_t>(w.depth), ' ') << w.className << " \"" << w.title << "\" " << w.x
           << "," << w.y << " " << w.width << "x" << w.height << " id=" << w.id << (w.visible ? "" : " hidden")
           << (w.enabled ? "" : " disabled") << "\n";
  }
  return text.str();
}

Probe& Probe::Instance() {
  static Probe probe;
  return probe;
}

std::optional<std::vector<std::string>> Probe::Command(const std::string& line) {
  if (!process_.Running()) {
    process_.Stop();
    if (!WineDesktop::Instance().Ensure(lastError_)) return std::nullopt;
    const std::string exe = VANTOR_WIN_BUILD "/probe.exe";
    std::string ready;
    // The first Wine program of a run also starts the prefix's own services.
    const auto deadline = SteadyClock::now() + Millis(90000);
    bool started =
        FileExists(exe) && process_.Start({"wine", exe, "serve"}, {.keepInput = true, .capture = Capture::kStdout});
    while (started && ready != "READY") started = process_.ReadLine(ready, Remaining(deadline));
    if (!started) {
      lastError_ = "the probe did not start (is " + exe + " built?)";
      process_.Stop();
      return std::nullopt;
    }
  }
  std::vector<std::string> lines;
  const auto deadline = SteadyClock::now() + Millis(10000);
  std::string answer;
  const bool sent = process_.WriteLine(line);
  while (sent && process_.ReadLine(answer, Remaining(deadline))) {
    if (answer == "END ok") return lines;
    if (answer.rfind("END err ", 0) == 0) {
      lastError_ = (answer.substr(8));
      return std::nullopt;
    }
    lines.push_back(answer);
  }
  lastError_ = "the probe did not answer \"" + line + "\"";
  process_.Stop();
  return std::nullopt;
}

std::optional<WindowList> Probe::List() {
  const auto lines = Command("list");
  if (!lines) return std::nullopt;
  WindowList windows;
  for (const std::string& line : *lines) {
    std::vector<std::string> f;
    std::istringstream fields(line + "\t");  // the last field (the title) may be empty
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
    if (f.size() != 18 || f[0] != "W") continue;
    auto n = [&](size_t i) { return std::strtoll(f[i].c_str(), nullptr, 0); };
    auto i = [&](size_t at) { return static_cast<int>(n(at)); };
    windows.push_back({static_cast<std::uint64_t>(n(1)), static_cast<std::uint64_t>(n(2)), i(3), (f[4]), i(5), i(6),
                       i(7), i(8), i(9), i(10), i(11), i(12), f[13] == "1", f[14] == "1", n(15),
                       static_cast<unsigned long>(n(16)), (f[17])});
  }
  return windows;
}

bool Probe::Keys(std::uint64_t window, const std::vector<std::string>& chords) {
  std::string line = "keys " + std::to_string(window) + " ";
  for (const std::string& chord : chords) line += chord + " ";
  return Command(line).has_value();
}

bool Probe::Type(std::uint64_t window, const std::string& text) {
  std::vector<std::string> chords;
  for (char c : text) chords.emplace_back(1, c);
  return Keys(window, chords);
}

std::optional<std::string> Probe::GetText(std::uint64_t window) {
  const auto lines = Command("gettext " + std::to_string(window));
  if (!lines || lines->size() != 1 || lines->front().rfind("T\t", 0) != 0) return std::nullopt;
  return lines->front().substr(2);
}

void Probe::Shutdown() {
  if (process_.Running() && process_.WriteLine("exit")) process_.WaitExit(Millis(3000));
  process_.Stop();
}

std::string Screenshot(const std::string& crop, const std::string& format) {
  std::string why;
  if (!WineDesktop::Instance().Ensure(why)) return {};
  std::vector<std::string> argv{"import", "-window", "root", "-depth", "8"};
  if (!crop.empty()) argv.insert(argv.end(), {"-crop", crop, "+repage"});
  argv.push_back(format + ":-");
  return Run(argv, Millis(20000)).value_or("");
}

}  // namespace vantor::e2e

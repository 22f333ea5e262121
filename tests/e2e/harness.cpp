// End-to-end harness: processes in groups of their own, the run's Xvfb and Wine prefix, the probe and
// screenshots.
#include "harness.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace vantor::e2e {
namespace {

Millis Remaining(SteadyClock::time_point deadline) {
  return std::max(Millis(0), std::chrono::duration_cast<Millis>(deadline - SteadyClock::now()));
}

// The executable for argv[0]: as given when it holds a slash, else the first match on PATH.
std::string ResolveProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  for (std::string dir; name.find('/') == std::string::npos && std::getline(dirs, dir, ':');)
    if (::access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
  return name;
}

// A probe command: the words separated by spaces.
template <typename... Words>
std::string Line(const Words&... words) {
  std::ostringstream line;
  ((line << words << ' '), ...);
  return line.str();
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

std::string ExecutableDir() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : self.parent_path().string();
}

bool FileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

// ---- processes ----------------------------------------------------------------------------------

bool Process::Start(const std::vector<std::string>& args, int pipes, const std::string& outputFile,
                    const std::string& cwd, const std::vector<std::string>& env) {
  if (pid_ > 0 || args.empty()) return false;
  ::signal(SIGPIPE, SIG_IGN);  // a child that dies while we write to it must not take us with it
  const std::string program = ResolveProgram(args[0]);
  std::vector<char*> argv, envp;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  int in[2] = {-1, -1}, out[2] = {-1, -1};
  if (((pipes & kPipeIn) && ::pipe2(in, O_CLOEXEC) != 0) || ((pipes & kPipeOut) && ::pipe2(out, O_CLOEXEC) != 0))
    return false;
  const int nullIn = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int log =
      ::open(outputFile.empty() ? "/dev/null" : outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {  // only async-signal-safe calls from here to exec
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2((pipes & kPipeIn) ? in[0] : nullIn, 0);
    ::dup2((pipes & kPipeOut) ? out[1] : log, 1);
    ::dup2(log, 2);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  for (int fd : {nullIn, log, in[0], out[1], pid < 0 ? in[1] : -1, pid < 0 ? out[0] : -1})
    if (fd >= 0) ::close(fd);
  if (pid < 0) return false;
  ::setpgid(pid, pid);  // also here, so that the group exists before Start returns
  pid_ = pid;
  stdin_ = in[1];
  stdout_ = out[0];
  pending_.clear();
  exitStatus_.reset();
  return true;
}

bool Process::Running() {
  if (pid_ <= 0 || exitStatus_) return false;
  int status = 0;
  const pid_t got = ::waitpid(pid_, &status, WNOHANG);
  if (got == 0) return true;
  exitStatus_ = got < 0 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return false;
}

std::optional<int> Process::WaitExit(Millis timeout) {
  if (pid_ <= 0) return std::nullopt;
  WaitFor([this] { return !Running(); }, timeout, Millis(20));
  return exitStatus_;
}

void Process::Stop(Millis grace) {
  if (pid_ <= 0) return;
  if (Running()) {
    ::kill(-pid_, SIGTERM);
    if (!WaitExit(grace)) {
      ::kill(-pid_, SIGKILL);
      WaitExit(Millis(5000));
    }
  }
  ::kill(-pid_, SIGKILL);  // whatever it left behind in its group goes too
  for (int fd : {stdin_, stdout_})
    if (fd >= 0) ::close(fd);
  stdin_ = stdout_ = pid_ = -1;
}

bool Process::WriteLine(const std::string& line) {
  const std::string data = line + "\n";
  for (size_t done = 0; done < data.size();) {
    const ssize_t n = stdin_ < 0 ? -1 : ::write(stdin_, data.data() + done, data.size() - done);
    if (n <= 0 && errno != EINTR) return false;
    done += static_cast<size_t>(std::max<ssize_t>(n, 0));
  }
  return true;
}

bool Process::ReadLine(std::string& line, Millis timeout) {
  const auto deadline = SteadyClock::now() + timeout;
  size_t end;
  while ((end = pending_.find('\n')) == std::string::npos) {
    if (ReadMore(deadline)) continue;
    if (stdout_ >= 0 || pending_.empty()) return false;
    pending_ += '\n';  // a last line without a line end still counts
  }
  line = pending_.substr(0, end);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  pending_.erase(0, end + 1);
  return true;
}

std::string Process::ReadAll(Millis timeout) {
  const auto deadline = SteadyClock::now() + timeout;
  while (ReadMore(deadline)) {
  }
  return std::exchange(pending_, {});
}

bool Process::ReadMore(SteadyClock::time_point deadline) {
  for (;;) {
    pollfd entry{stdout_, POLLIN, 0};
    const int ready = stdout_ < 0 ? 0 : ::poll(&entry, 1, static_cast<int>(Remaining(deadline).count()));
    char buffer[65536];
    const ssize_t got = ready > 0 ? ::read(stdout_, buffer, sizeof buffer) : ready;
    if (got < 0 && errno == EINTR) continue;
    if (got > 0) pending_.append(buffer, static_cast<size_t>(got));
    if (ready > 0 && got <= 0) {  // end of stream
      ::close(stdout_);
      stdout_ = -1;
    }
    return got > 0;
  }
}

std::pair<int, std::string> RunCommand(const std::vector<std::string>& argv, Millis timeout) {
  Process process;
  if (!process.Start(argv, Process::kPipeOut)) return {-1, {}};
  std::string output = process.ReadAll(timeout);
  const int status = process.WaitExit(Millis(1000)).value_or(-1);
  return {status, std::move(output)};
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
  if (!xvfb_.Start({"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, Process::kPipeOut) ||
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
  RunCommand({"bash", "-c", "source \"$0\"", VANTOR_SOURCE_DIR "/scripts/wine-env.sh"}, Millis(240000));
  if (!FileExists(prefix_ + "/.vantor-ready")) {
    why = failure_ = "the Wine prefix " + prefix_ + " could not be prepared";
    return false;
  }
  // Programs of an earlier run in this prefix would keep its desktop on another display; let them end.
  RunCommand({"wineserver", "-w"}, Millis(15000));
  return ready_ = true;
}

void WineDesktop::KillWineServer() {
  if (!prefix_.empty()) RunCommand({"wineserver", "-k"}, Millis(15000));
}

void WineDesktop::Shutdown() {
  // The prefix's programs end by themselves first; they are stopped as a last resort.
  if (ready_ && RunCommand({"wineserver", "-w"}, Millis(10000)).first != 0) KillWineServer();
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

std::optional<WindowInfo> FindTopLevel(const WindowList& windows, const std::string& className) {
  for (const WindowInfo& w : windows)
    if (w.depth == 0 && w.className == className && w.visible) return w;
  return std::nullopt;
}

WindowList ChildrenOf(const WindowList& windows, std::uint64_t parent) {
  WindowList children;
  std::copy_if(windows.begin(), windows.end(), std::back_inserter(children),
               [&](const WindowInfo& w) { return w.parent == parent && w.depth > 0; });
  return children;
}

WindowList DescendantsOf(const WindowList& windows, std::uint64_t ancestor) {
  WindowList found = ChildrenOf(windows, ancestor);
  for (size_t i = 0; i < found.size(); ++i) {
    const WindowList deeper = ChildrenOf(windows, found[i].handle);
    found.insert(found.end(), deeper.begin(), deeper.end());
  }
  return found;
}

WindowList OfClass(const WindowList& windows, const std::string& className) {
  WindowList found;
  std::copy_if(windows.begin(), windows.end(), std::back_inserter(found),
               [&](const WindowInfo& w) { return w.className == className; });
  return found;
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
    bool started = FileExists(exe) && process_.Start({"wine", exe, "serve"}, Process::kPipeIn | Process::kPipeOut);
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

namespace {

// The rest of the first answer line that starts with `tag` and a tab.
std::optional<std::string> Answer(const std::optional<std::vector<std::string>>& lines, const std::string& tag) {
  for (const std::string& answer : lines.value_or(std::vector<std::string>{}))
    if (answer.rfind(tag + "\t", 0) == 0) return (answer.substr(tag.size() + 1));
  return std::nullopt;
}

}  // namespace

std::optional<WindowList> Probe::List() {
  const auto lines = Command("list");
  if (!lines) return std::nullopt;
  WindowList windows;
  for (const std::string& line : *lines) {
    std::vector<std::string> f(1);
    for (char c : line) {
      if (c == '\t')
        f.emplace_back();
      else
        f.back().push_back(c);
    }
    if (f.size() != 18 || f[0] != "W") continue;
    auto n = [&](size_t i) { return std::strtoll(f[i].c_str(), nullptr, 0); };
    auto i = [&](size_t at) { return static_cast<int>(n(at)); };
    windows.push_back({static_cast<std::uint64_t>(n(1)), static_cast<std::uint64_t>(n(2)), i(3), (f[4]), i(5), i(6),
                       i(7), i(8), i(9), i(10), i(11), i(12), f[13] == "1", f[14] == "1", n(15),
                       static_cast<unsigned long>(n(16)), (f[17])});
  }
  return windows;
}

bool Probe::Tap(int x, int y) { return Command(Line("tap", x, y)).has_value(); }

bool Probe::Keys(std::uint64_t window, const std::vector<std::string>& chords) {
  std::string line = Line("keys", window);
  for (const std::string& chord : chords) line += chord + " ";
  return Command(line).has_value();
}

bool Probe::Type(std::uint64_t window, const std::string& text) {
  std::vector<std::string> chords;
  for (char c : text) chords.emplace_back(1, c);
  return Keys(window, chords);
}

bool Probe::Post(std::uint64_t window, unsigned message, long long wparam, long long lparam) {
  return Command(Line("post", window, message, wparam, lparam)).has_value();
}

bool Probe::SetText(std::uint64_t window, const std::string& text) {
  return Command(Line("settext", window) + text).has_value();
}

std::optional<std::string> Probe::GetText(std::uint64_t window) {
  return Answer(Command(Line("gettext", window)), "T");
}

bool Probe::Move(std::uint64_t window, int x, int y, int width, int height) {
  return Command(Line("move", window, x, y, width, height)).has_value();
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
  auto [status, bytes] = RunCommand(argv, Millis(20000));
  return status == 0 ? bytes : std::string();
}

}  // namespace vantor::e2e

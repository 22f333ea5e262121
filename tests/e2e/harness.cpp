// End-to-end harness: processes in groups of their own, the run's Xvfb and Wine prefix, the probe,
// screenshots and the terminal under test.
#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace vantor::e2e {

namespace {

Millis Remaining(SteadyClock::time_point deadline) {
  const auto left = std::chrono::duration_cast<Millis>(deadline - SteadyClock::now());
  return left.count() > 0 ? left : Millis(0);
}

// The executable for argv[0]: as given when it holds a slash, else the first match on PATH.
std::string ResolveProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    const std::string candidate = dir + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return parts;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

long long ToNumber(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 0); }

std::string Hex(std::uint64_t value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
  return buffer;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

bool WaitFor(const std::function<bool()>& predicate, Millis timeout, Millis interval) {
  const auto deadline = SteadyClock::now() + timeout;
  for (;;) {
    if (predicate()) return true;
    if (SteadyClock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::min(interval, Remaining(deadline) + Millis(1)));
  }
}

// ---- paths --------------------------------------------------------------------------------------

std::string WinBuildDir() { return VANTOR_WIN_BUILD; }
std::string SourceDir() { return VANTOR_SOURCE_DIR; }

std::string ExecutableDir() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : self.parent_path().string();
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// ---- processes ----------------------------------------------------------------------------------

Process::~Process() { Stop(); }

bool Process::Start(const Options& options) {
  if (pid_ > 0 || options.argv.empty()) return false;
  const std::string program = ResolveProgram(options.argv[0]);
  if (program.empty()) return false;
  // A child that dies while we write to it must not take the test program with it.
  ::signal(SIGPIPE, SIG_IGN);

  std::vector<char*> argv;
  for (const std::string& arg : options.argv) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  int in[2] = {-1, -1}, out[2] = {-1, -1};
  if (options.pipeStdin && ::pipe2(in, O_CLOEXEC) != 0) return false;
  if (options.pipeStdout && ::pipe2(out, O_CLOEXEC) != 0) {
    if (in[0] >= 0) {
      ::close(in[0]);
      ::close(in[1]);
    }
    return false;
  }
  const int nullIn = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int log = options.outputFile.empty()
                      ? ::open("/dev/null", O_WRONLY | O_CLOEXEC)
                      : ::open(options.outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  const char* cwd = options.cwd.empty() ? nullptr : options.cwd.c_str();
  const pid_t parent = ::getpid();

  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls from here to exec.
    ::setpgid(0, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(options.pipeStdin ? in[0] : nullIn, 0);
    ::dup2(options.pipeStdout ? out[1] : log, 1);
    ::dup2(log, 2);
    if (cwd != nullptr && ::chdir(cwd) != 0) ::_exit(127);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  if (nullIn >= 0) ::close(nullIn);
  if (log >= 0) ::close(log);
  if (in[0] >= 0) ::close(in[0]);
  if (out[1] >= 0) ::close(out[1]);
  if (pid < 0) {
    if (in[1] >= 0) ::close(in[1]);
    if (out[0] >= 0) ::close(out[0]);
    return false;
  }
  ::setpgid(pid, pid);  // also here, so that the group exists before Start returns
  pid_ = pid;
  stdin_ = in[1];
  stdout_ = out[0];
  pending_.clear();
  exitStatus_.reset();
  return true;
}

void Process::Reap(int status) {
  if (WIFEXITED(status)) exitStatus_ = WEXITSTATUS(status);
  else if (WIFSIGNALED(status)) exitStatus_ = 128 + WTERMSIG(status);
  else exitStatus_ = -1;
}

bool Process::Running() {
  if (pid_ <= 0 || exitStatus_) return false;
  int status = 0;
  const pid_t got = ::waitpid(pid_, &status, WNOHANG);
  if (got == pid_) {
    Reap(status);
    return false;
  }
  if (got < 0 && errno == ECHILD) {
    exitStatus_ = -1;
    return false;
  }
  return true;
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
  // Whatever the process started and left behind in its group goes too.
  ::kill(-pid_, SIGKILL);
  if (stdin_ >= 0) ::close(stdin_);
  if (stdout_ >= 0) ::close(stdout_);
  stdin_ = stdout_ = -1;
  pid_ = -1;
}

bool Process::WriteLine(const std::string& line) {
  if (stdin_ < 0) return false;
  std::string data = line + "\n";
  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    const ssize_t written = ::write(stdin_, p, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    p += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

void Process::CloseStdin() {
  if (stdin_ >= 0) ::close(stdin_);
  stdin_ = -1;
}

bool Process::ReadLine(std::string& line, Millis timeout) {
  const auto deadline = SteadyClock::now() + timeout;
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line = pending_.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      pending_.erase(0, end + 1);
      return true;
    }
    if (stdout_ < 0) return false;
    pollfd entry{stdout_, POLLIN, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(Remaining(deadline).count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char buffer[4096];
    const ssize_t got = ::read(stdout_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      // End of stream: a last line without a line end still counts.
      ::close(stdout_);
      stdout_ = -1;
      if (pending_.empty()) return false;
      line.swap(pending_);
      pending_.clear();
      return true;
    }
    pending_.append(buffer, static_cast<size_t>(got));
  }
}

RunResult RunCommand(const std::vector<std::string>& argv, Millis timeout, const std::string& cwd) {
  RunResult result;
  Process process;
  Process::Options options;
  options.argv = argv;
  options.cwd = cwd;
  options.pipeStdout = true;
  if (!process.Start(options)) return result;
  const auto deadline = SteadyClock::now() + timeout;
  std::string line;
  // Until the output ends (or the time is up), then until the process ends.
  while (process.ReadLine(line, Remaining(deadline))) {
    result.output += line;
    result.output += '\n';
  }
  if (const auto status = process.WaitExit(Remaining(deadline) + Millis(50))) {
    result.exitStatus = *status;
  } else {
    result.timedOut = true;
  }
  process.Stop(Millis(500));
  return result;
}

// ---- the run's display and Wine prefix ----------------------------------------------------------

WineDesktop& WineDesktop::Instance() {
  static WineDesktop desktop;
  return desktop;
}

bool WineDesktop::Ensure(std::string& why) {
  if (ready_) return true;
  if (failed_) {
    why = failure_;
    return false;
  }
  failed_ = true;  // until everything below succeeded

  Process::Options xvfb;
  xvfb.argv = {"Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"};
  xvfb.pipeStdout = true;
  std::string number;
  if (!xvfb_.Start(xvfb) || !xvfb_.ReadLine(number, Millis(20000)) || number.empty()) {
    failure_ = "Xvfb did not start (is the xvfb package installed?)";
    xvfb_.Stop();
    why = failure_;
    return false;
  }
  display_ = ":" + number;
  ::setenv("DISPLAY", display_.c_str(), 1);

  const char* given = std::getenv("WINEPREFIX");
  prefix_ = (given != nullptr && *given != '\0') ? given : ExecutableDir() + "/e2e-wineprefix";
  ::setenv("WINEPREFIX", prefix_.c_str(), 1);
  ::setenv("WINEDEBUG", "-all", 1);
  ::setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
  const RunResult boot =
      RunCommand({"bash", "-c", "source \"$0\"", SourceDir() + "/scripts/wine-env.sh"}, Millis(240000));
  if (!FileExists(prefix_ + "/.vantor-ready")) {
    failure_ = "the Wine prefix " + prefix_ + " could not be prepared" + (boot.timedOut ? " (time-out)" : "");
    why = failure_;
    return false;
  }
  // Programs of an earlier run in this prefix would keep its desktop on another display; let them end.
  RunCommand({"wineserver", "-w"}, Millis(15000));
  failed_ = false;
  ready_ = true;
  return true;
}

void WineDesktop::KillWineServer() {
  if (prefix_.empty()) return;
  RunCommand({"wineserver", "-k"}, Millis(15000));
}

void WineDesktop::Shutdown() {
  if (ready_) {
    // Let the prefix's programs end by themselves first; stop them as a last resort.
    const RunResult waited = RunCommand({"wineserver", "-w"}, Millis(10000));
    if (waited.timedOut) KillWineServer();
  }
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

std::optional<WindowInfo> FindTopLevel(const WindowList& windows, const std::string& className, bool visibleOnly) {
  for (const WindowInfo& w : windows)
    if (w.depth == 0 && w.className == className && (w.visible || !visibleOnly)) return w;
  return std::nullopt;
}

std::optional<WindowInfo> FindByHandle(const WindowList& windows, std::uint64_t handle) {
  for (const WindowInfo& w : windows)
    if (w.handle == handle) return w;
  return std::nullopt;
}

WindowList ChildrenOf(const WindowList& windows, std::uint64_t parent) {
  WindowList children;
  for (const WindowInfo& w : windows)
    if (w.parent == parent && w.depth > 0) children.push_back(w);
  return children;
}

WindowList DescendantsOf(const WindowList& windows, std::uint64_t ancestor) {
  WindowList found;
  std::vector<std::uint64_t> frontier{ancestor};
  while (!frontier.empty()) {
    const std::uint64_t next = frontier.back();
    frontier.pop_back();
    for (const WindowInfo& w : ChildrenOf(windows, next)) {
      found.push_back(w);
      frontier.push_back(w.handle);
    }
  }
  return found;
}

WindowList OfClass(const WindowList& windows, const std::string& className) {
  WindowList found;
  for (const WindowInfo& w : windows)
    if (w.className == className) found.push_back(w);
  return found;
}

std::string Describe(const WindowList& windows) {
  std::string text;
  for (const WindowInfo& w : windows) {
    if (w.depth == 0 && !w.visible) continue;
    text += std::string(static_cast<size_t>(w.depth) * 2, ' ') + w.className + " \"" + w.title + "\" " +
            std::to_string(w.x) + "," + std::to_string(w.y) + " " + std::to_string(w.width) + "x" +
            std::to_string(w.height) + " id=" + std::to_string(w.id) + (w.visible ? "" : " hidden") +
            (w.enabled ? "" : " disabled") + "\n";
  }
  return text;
}

Probe& Probe::Instance() {
  static Probe probe;
  return probe;
}

bool Probe::EnsureRunning() {
  if (process_.Running()) return true;
  process_.Stop();
  std::string why;
  if (!WineDesktop::Instance().Ensure(why)) {
    lastError_ = why;
    return false;
  }
  const std::string exe = WinBuildDir() + "/probe.exe";
  if (!FileExists(exe)) {
    lastError_ = "probe.exe is not built in " + WinBuildDir();
    return false;
  }
  Process::Options options;
  options.argv = {"wine", exe, "serve"};
  options.pipeStdin = true;
  options.pipeStdout = true;
  std::string line;
  if (!process_.Start(options)) {
    lastError_ = "wine could not be started";
    return false;
  }
  // The first Wine program of a run also starts the prefix's own services.
  const auto deadline = SteadyClock::now() + Millis(90000);
  while (process_.ReadLine(line, Remaining(deadline))) {
    if (line == "READY") return true;
  }
  lastError_ = "the probe did not start";
  process_.Stop();
  return false;
}

std::optional<std::vector<std::string>> Probe::Command(const std::string& line, Millis timeout) {
  if (!EnsureRunning()) return std::nullopt;
  if (!process_.WriteLine(line)) {
    lastError_ = "the probe is gone";
    process_.Stop();
    return std::nullopt;
  }
  std::vector<std::string> lines;
  const auto deadline = SteadyClock::now() + timeout;
  std::string answer;
  while (process_.ReadLine(answer, Remaining(deadline))) {
    if (answer == "END ok") return lines;
    if (answer.rfind("END err", 0) == 0) {
      lastError_ = answer.size() > 8 ? Unescape(answer.substr(8)) : "error";
      return std::nullopt;
    }
    lines.push_back(answer);
  }
  lastError_ = "the probe did not answer \"" + line + "\" in time";
  process_.Stop();
  return std::nullopt;
}

std::optional<WindowList> Probe::List() {
  const auto lines = Command("list");
  if (!lines) return std::nullopt;
  WindowList windows;
  for (const std::string& line : *lines) {
    const std::vector<std::string> f = SplitTabs(line);
    if (f.size() != 20 || f[0] != "W") continue;
    WindowInfo w;
    w.handle = static_cast<std::uint64_t>(ToNumber(f[1]));
    w.parent = static_cast<std::uint64_t>(ToNumber(f[2]));
    w.depth = static_cast<int>(ToNumber(f[3]));
    w.className = Unescape(f[4]);
    w.x = static_cast<int>(ToNumber(f[5]));
    w.y = static_cast<int>(ToNumber(f[6]));
    w.width = static_cast<int>(ToNumber(f[7]));
    w.height = static_cast<int>(ToNumber(f[8]));
    w.clientX = static_cast<int>(ToNumber(f[9]));
    w.clientY = static_cast<int>(ToNumber(f[10]));
    w.clientWidth = static_cast<int>(ToNumber(f[11]));
    w.clientHeight = static_cast<int>(ToNumber(f[12]));
    w.visible = f[13] == "1";
    w.enabled = f[14] == "1";
    w.id = ToNumber(f[15]);
    w.pid = static_cast<unsigned long>(ToNumber(f[16]));
    w.style = static_cast<std::uint32_t>(ToNumber(f[17]));
    w.hasMenu = f[18] == "1";
    w.title = Unescape(f[19]);
    windows.push_back(std::move(w));
  }
  return windows;
}

bool Probe::Tap(int x, int y) { return Command("tap " + std::to_string(x) + " " + std::to_string(y)).has_value(); }
bool Probe::MouseDown(int x, int y) {
  return Command("down " + std::to_string(x) + " " + std::to_string(y)).has_value();
}
bool Probe::MouseUp(int x, int y) { return Command("up " + std::to_string(x) + " " + std::to_string(y)).has_value(); }

bool Probe::Keys(std::uint64_t window, const std::vector<std::string>& chords) {
  std::string line = "keys " + Hex(window);
  for (const std::string& chord : chords) line += " " + chord;
  return Command(line).has_value();
}

bool Probe::Type(std::uint64_t window, const std::string& text) {
  return Command("type " + Hex(window) + " " + text).has_value();
}

bool Probe::Focus(std::uint64_t window) { return Command("focus " + Hex(window)).has_value(); }

std::optional<std::pair<std::uint64_t, std::uint64_t>> Probe::FocusInfo() {
  const auto lines = Command("focus");
  if (!lines) return std::nullopt;
  for (const std::string& line : *lines) {
    const auto f = SplitTabs(line);
    if (f.size() == 3 && f[0] == "F")
      return std::make_pair(static_cast<std::uint64_t>(ToNumber(f[1])), static_cast<std::uint64_t>(ToNumber(f[2])));
  }
  return std::nullopt;
}

bool Probe::Post(std::uint64_t window, unsigned message, long long wparam, long long lparam) {
  return Command("post " + Hex(window) + " " + std::to_string(message) + " " + std::to_string(wparam) + " " +
                 std::to_string(lparam))
      .has_value();
}

std::optional<long long> Probe::Send(std::uint64_t window, unsigned message, long long wparam, long long lparam) {
  const auto lines = Command("send " + Hex(window) + " " + std::to_string(message) + " " + std::to_string(wparam) +
                             " " + std::to_string(lparam));
  if (!lines) return std::nullopt;
  for (const std::string& line : *lines) {
    const auto f = SplitTabs(line);
    if (f.size() == 2 && f[0] == "R") return ToNumber(f[1]);
  }
  return std::nullopt;
}

bool Probe::SetText(std::uint64_t window, const std::string& text) {
  return Command("settext " + Hex(window) + " " + text).has_value();
}

std::optional<std::string> Probe::GetText(std::uint64_t window) {
  const auto lines = Command("gettext " + Hex(window));
  if (!lines) return std::nullopt;
  for (const std::string& line : *lines)
    if (line.rfind("T\t", 0) == 0) return Unescape(line.substr(2));
  return std::nullopt;
}

bool Probe::Move(std::uint64_t window, int x, int y, int width, int height) {
  return Command("move " + Hex(window) + " " + std::to_string(x) + " " + std::to_string(y) + " " +
                 std::to_string(width) + " " + std::to_string(height))
      .has_value();
}

void Probe::Shutdown() {
  if (process_.Running()) {
    process_.WriteLine("exit");
    process_.CloseStdin();
    process_.WaitExit(Millis(3000));
  }
  process_.Stop();
}

// ---- screenshots --------------------------------------------------------------------------------

std::string ToString(const Rgb& colour) {
  return "RGB(" + std::to_string(colour.r) + "," + std::to_string(colour.g) + "," + std::to_string(colour.b) + ")";
}

std::optional<Image> Image::FromPpm(const std::string& bytes) {
  // Header: "P6", width, height, maxval, each separated by whitespace (comments allowed), one whitespace byte.
  size_t pos = 0;
  auto skipSpace = [&] {
    while (pos < bytes.size()) {
      if (bytes[pos] == '#') {
        while (pos < bytes.size() && bytes[pos] != '\n') ++pos;
      } else if (std::isspace(static_cast<unsigned char>(bytes[pos]))) {
        ++pos;
      } else {
        break;
      }
    }
  };
  auto number = [&](long& value) {
    skipSpace();
    const size_t start = pos;
    value = 0;
    while (pos < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[pos])) && pos - start < 9)
      value = value * 10 + (bytes[pos++] - '0');
    return pos > start;
  };
  if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return std::nullopt;
  pos = 2;
  long width = 0, height = 0, maxval = 0;
  if (!number(width) || !number(height) || !number(maxval)) return std::nullopt;
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384 || maxval != 255) return std::nullopt;
  if (pos >= bytes.size() || !std::isspace(static_cast<unsigned char>(bytes[pos]))) return std::nullopt;
  ++pos;
  const size_t needed = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
  if (bytes.size() - pos < needed) return std::nullopt;
  Image image;
  image.width_ = static_cast<int>(width);
  image.height_ = static_cast<int>(height);
  image.rgb_.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos),
                    bytes.begin() + static_cast<std::ptrdiff_t>(pos + needed));
  return image;
}

Rgb Image::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
  const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
  return {rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

std::optional<Image> Screenshot(const std::string& savePath) {
  std::string why;
  if (!WineDesktop::Instance().Ensure(why)) return std::nullopt;
  std::string path = savePath;
  if (path.empty()) {
    char name[] = "/tmp/vantor-shot-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) return std::nullopt;
    ::close(fd);
    path = name;
  }
  const RunResult shot = RunCommand({"import", "-window", "root", "-depth", "8", "ppm:" + path}, Millis(20000));
  std::optional<Image> image;
  if (shot.exitStatus == 0) image = Image::FromPpm(ReadFile(path));
  if (savePath.empty()) ::unlink(path.c_str());
  return image;
}

bool SaveDocPicture(const std::string& name, int x, int y, int width, int height) {
  const char* folder = std::getenv("VANTOR_DOCS_DIR");
  if (folder == nullptr || *folder == '\0') return true;
  std::string why;
  if (!WineDesktop::Instance().Ensure(why) || width <= 0 || height <= 0) return false;
  const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" +
                           std::to_string(y);
  const RunResult shot = RunCommand(
      {"import", "-window", "root", "-crop", crop, "+repage", std::string(folder) + "/" + name + ".png"},
      Millis(20000));
  return shot.exitStatus == 0;
}

// ---- the terminal under test --------------------------------------------------------------------

IniEntries HostSettings(std::uint16_t port, int terminalId) {
  return {{"hostname", "127.0.0.1"}, {"hostport", std::to_string(port)}, {"terminalid", std::to_string(terminalId)}};
}

std::optional<std::string> IniValue(const std::string& text, const std::string& key) {
  std::stringstream lines(text);
  std::string line;
  const std::string wanted = Lower(key);
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    if (Lower(line.substr(0, equals)) == wanted) return line.substr(equals + 1);
  }
  return std::nullopt;
}

Terminal::Terminal() {
  if (!WineDesktop::Instance().Ensure(error_)) return;
  const std::string exe = WinBuildDir() + "/Vantor.exe";
  if (!FileExists(exe)) {
    error_ = "Vantor.exe is not built in " + WinBuildDir();
    return;
  }
  char name[] = "/tmp/vantor-e2e-XXXXXX";
  if (::mkdtemp(name) == nullptr) {
    error_ = "no temporary folder";
    return;
  }
  folder_ = name;
  if (!WriteFile(folder_ + "/Vantor.exe", ReadFile(exe))) {
    error_ = "Vantor.exe could not be copied to " + folder_;
    return;
  }
  ready_ = true;
}

Terminal::~Terminal() {
  const bool failed = ::testing::Test::HasFailure();
  // What the screen showed when the test failed, kept beside the settings file.
  if (failed && !folder_.empty() && process_.Running()) Screenshot(folder_ + "/screen.ppm");
  Stop();
  if (folder_.empty()) return;
  if (failed) {
    std::printf("[   KEPT   ] %s\n", folder_.c_str());
    return;
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

bool Terminal::WriteIni(const IniEntries& entries) {
  std::string text;
  for (const auto& [key, value] : entries) text += key + "=" + value + "\r\n";
  return WriteFile(IniPath(), text);
}

std::string Terminal::ReadIni() const { return ReadFile(IniPath()); }

bool Terminal::Start() {
  if (!ready_ || process_.Started()) return false;
  Process::Options options;
  options.argv = {"wine", folder_ + "/Vantor.exe"};
  options.cwd = folder_;
  options.outputFile = folder_ + "/wine.log";
  return process_.Start(options);
}

std::optional<WindowInfo> Terminal::MainWindow() {
  const auto windows = Probe::Instance().List();
  if (!windows) return std::nullopt;
  return FindTopLevel(*windows, kMainWindowClass);
}

std::optional<WindowInfo> Terminal::WaitMainWindow(Millis timeout) {
  std::optional<WindowInfo> found;
  WaitFor(
      [&] {
        found = MainWindow();
        return found.has_value() || !process_.Running();
      },
      timeout, Millis(200));
  return found;
}

void Terminal::Stop() {
  if (!process_.Started()) return;
  process_.Stop(Millis(1000));
  // Its windows must be gone too; otherwise end every program of the prefix.
  const bool gone = WaitFor(
      [] {
        const auto windows = Probe::Instance().List();
        if (!windows) return false;
        for (const WindowInfo& w : *windows)
          if (w.depth == 0 && (w.className == kMainWindowClass || w.title == "Host Options")) return false;
        return true;
      },
      Millis(5000), Millis(200));
  if (!gone) {
    Probe::Instance().Shutdown();
    WineDesktop::Instance().KillWineServer();
  }
}

}  // namespace vantor::e2e

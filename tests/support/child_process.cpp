// Child processes of tests: fork and exec into a group of their own, a draining thread, group-wide stops.
#ifndef _WIN32
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace vantor::testing_support {
namespace {
using SteadyClock = std::chrono::steady_clock;
}  // namespace

bool ChildProcess::Start(const std::vector<std::string>& args, const Options& options) {
  if (pid_ > 0 || args.empty()) return false;
  ::signal(SIGPIPE, SIG_IGN);  // a child that dies while we write to it must not take us with it
  std::vector<char*> argv, envp;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
  for (const std::string& e : options.env) envp.push_back(const_cast<char*>(e.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  int in[2] = {-1, -1}, out[2] = {-1, -1};
  if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
    for (int fd : {in[0], in[1]})
      if (fd >= 0) ::close(fd);
    return false;
  }
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  const int stdOut = options.capture == Capture::kNothing ? null : out[1];
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {  // only async-signal-safe calls from here to exec: the test program has threads
    if (options.newSession ? ::setsid() < 0 : ::setpgid(0, 0) != 0) ::_exit(127);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    ::signal(SIGPIPE, SIG_DFL);
    ::dup2(in[0], 0);
    ::dup2(stdOut, 1);
    ::dup2(options.capture == Capture::kAll ? out[1] : null, 2);
    ::close_range(3, ~0U, 0);  // the test's sockets must not live on in the child
    if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(127);
    ::execvpe(argv[0], argv.data(), envp.data());  // PATH searched when the name holds no slash
    ::_exit(127);
  }
  for (int fd : {in[0], out[1], null})
    if (fd >= 0) ::close(fd);
  if (pid > 0 && !options.newSession) ::setpgid(pid, pid);  // the group exists before Start returns
  if (pid > 0 && !options.input.empty()) (void)!::write(in[1], options.input.data(), options.input.size());
  if (pid < 0 || !options.keepInput) ::close(in[1]);
  input_ = pid > 0 && options.keepInput ? in[1] : -1;
  if (pid < 0 || options.capture == Capture::kNothing) ::close(out[0]);
  if (pid < 0) return false;
  pid_ = pid;
  exit_.reset();
  output_.clear();
  ended_ = options.capture == Capture::kNothing;
  stopping_ = false;
  if (!ended_) reader_ = std::thread([this, fd = out[0]] { Drain(fd); });
  return true;
}

void ChildProcess::Drain(int fd) {
  for (bool end = false; !end;) {
    pollfd entry{fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, 50);  // a grandchild may hold the pipe open: Stop ends the wait
    char buffer[65536];
    const ssize_t n = ready > 0 ? ::read(fd, buffer, sizeof buffer) : 0;
    const bool failed = ready > 0 && n <= 0 && !(n < 0 && errno == EINTR);
    const std::lock_guard lock(mutex_);
    if (n > 0) output_.append(buffer, static_cast<size_t>(n));
    end = ended_ = failed || stopping_;
    if (n > 0 || end) changed_.notify_all();
  }
  ::close(fd);
}

template <typename Holds>
bool ChildProcess::Await(Millis timeout, Holds holds) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [&] { return ended_ || holds(); });
  return holds();
}

bool ChildProcess::Running() {
  if (pid_ <= 0 || exit_) return false;
  int status = 0;
  const pid_t got = ::waitpid(pid_, &status, WNOHANG);
  if (got == 0) return true;
  exit_ = got < 0 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return false;
}

std::optional<int> ChildProcess::WaitExit(Millis timeout) {
  const auto deadline = SteadyClock::now() + timeout;
  while (Running() && SteadyClock::now() < deadline) std::this_thread::sleep_for(Millis(10));  // no exit event
  if (exit_) {
    const auto left = std::chrono::duration_cast<Millis>(deadline - SteadyClock::now());
    Await(std::clamp(left, Millis(0), Millis(1000)), [&] { return ended_; });
  }
  return exit_;
}

std::optional<int> ChildProcess::Stop(Millis grace) {
  if (pid_ <= 0) return exit_;
  if (Running()) {
    // Once: a second SIGTERM could reach a program that handled the first and has already restored the default.
    if (::kill(-pid_, SIGTERM) != 0) ::kill(pid_, SIGTERM);  // no group yet: it has not made its session
    if (!WaitExit(grace)) {
      if (::kill(-pid_, SIGKILL) != 0) ::kill(pid_, SIGKILL);
      WaitExit(Millis(5000));
    }
  }
  ::kill(-pid_, SIGKILL);  // whatever it left behind in its group goes too
  if (input_ >= 0) ::close(input_);
  input_ = pid_ = -1;
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  if (reader_.joinable()) reader_.join();
  return exit_;
}

bool ChildProcess::WriteLine(const std::string& line) {
  const std::string data = line + "\n";
  for (size_t done = 0; done < data.size();) {
    const ssize_t n = input_ < 0 ? -1 : ::write(input_, data.data() + done, data.size() - done);
    if (n <= 0 && errno != EINTR) return false;
    done += static_cast<size_t>(std::max<ssize_t>(n, 0));
  }
  return true;
}

bool ChildProcess::ReadLine(std::string& line, Millis timeout) {
  size_t end = std::string::npos;
  if (!Await(timeout, [&] { return (end = output_.find('\n')) != std::string::npos; })) {
    const std::lock_guard lock(mutex_);
    if (!ended_ || output_.empty()) return false;
    output_ += '\n';  // a last line without a line end still counts
    end = output_.size() - 1;
  }
  const std::lock_guard lock(mutex_);
  line = output_.substr(0, end);
  output_.erase(0, end + 1);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool ChildProcess::WaitFor(const std::string& text, Millis timeout) {
  return Await(timeout, [&] { return output_.find(text) != std::string::npos; });
}

std::uint16_t ChildProcess::Port(const std::string& announce) {
  size_t at = 0;
  const auto lineEnded = [&] { return output_.find('\n', at = output_.find(announce)) != std::string::npos; };
  if (!Await(Millis(5000), lineEnded)) return 0;
  const std::string text = Output();
  return static_cast<std::uint16_t>(std::atoi(text.c_str() + text.find(':', at + announce.size()) + 1));
}

std::string ChildProcess::Output() {
  const std::lock_guard lock(mutex_);
  return output_;
}

}  // namespace vantor::testing_support
#endif

// A built program run as a child process by the tools' tests: output collected, exit awaited with a
// time-out, the whole process group stopped with the test.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantor::testing_support {

// A child process in a process group of its own, stdout and stderr on one pipe; stdin is `input`
// (then closed), or empty. Stopped with the test.
class Child {
 public:
  using Millis = std::chrono::milliseconds;

  explicit Child(const std::vector<std::string>& args, const std::string& input = {}) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int fds[2], in[2];
    if (pipe(fds) != 0) return;
    if (pipe(in) != 0) {
      close(fds[0]);
      close(fds[1]);
      return;
    }
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);
      dup2(fds[1], 1);
      dup2(fds[1], 2);
      dup2(in[0], 0);
      close(fds[0]);
      close(in[1]);
      execv(argv[0], argv.data());
      _exit(127);
    }
    if (pid_ > 0) setpgid(pid_, pid_);  // no race with the child's own call
    close(fds[1]);
    close(in[0]);
    // Small inputs fit the pipe; a child that exits early must not kill the test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
    if (pid_ > 0 && !input.empty()) {
      const ssize_t written = write(in[1], input.data(), input.size());
      (void)written;
    }
    close(in[1]);
    out_ = fds[0];
  }
  ~Child() {
    Stop();
    if (out_ >= 0) close(out_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // The output up to the next line that contains `text`; false at the end of the output or the time-out.
  bool WaitFor(const std::string& text, Millis timeout = Millis(5000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (output.find(text) == std::string::npos) {
      if (!ReadSome(deadline)) return false;
    }
    return true;
  }
  // The port at the end of the line that announces it.
  std::uint16_t Port(const std::string& announce) {
    if (!WaitFor(announce) || !WaitFor("\n")) return 0;
    const std::size_t at = output.find(announce);
    return static_cast<std::uint16_t>(std::stoi(output.substr(output.find(':', at + announce.size()) + 1)));
  }
  // The exit code once the output has ended (the child exited) within the time-out.
  std::optional<int> Exit(Millis timeout = Millis(10000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ReadSome(deadline)) {
    }
    if (pid_ <= 0 || !ended_) return std::nullopt;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  std::optional<int> Terminate() {
    if (pid_ > 0) kill(-pid_, SIGTERM);
    return Exit(Millis(5000));
  }

  std::string output;

 private:
  bool ReadSome(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<Millis>(deadline - std::chrono::steady_clock::now()).count();
    pollfd p{out_, POLLIN, 0};
    if (ended_ || left <= 0 || poll(&p, 1, static_cast<int>(left)) != 1) return false;
    char buffer[4096];
    const ssize_t n = read(out_, buffer, sizeof buffer);
    if (n <= 0) ended_ = true;
    if (n > 0) output.append(buffer, static_cast<std::size_t>(n));
    return n > 0;
  }
  void Stop() {
    if (pid_ <= 0) return;
    if (!Terminate()) {
      kill(-pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  bool ended_ = false;
};

}  // namespace vantor::testing_support

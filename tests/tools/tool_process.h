// A built program run as a child process by the tools' tests: output drained, exit awaited, group stopped.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vantor::testing_support {

// A child in a process group of its own, stdout and stderr on one pipe that a thread drains (a chatty
// child never blocks on it); stdin is `input`, then closed.
class Child {
 public:
  using Millis = std::chrono::milliseconds;

  explicit Child(const std::vector<std::string>& args, const std::string& input = {}) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int out[2], in[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0) return;  // then it never starts
    pid_ = fork();
    if (pid_ == 0) {
      setpgid(0, 0);
      dup2(out[1], 1);
      dup2(out[1], 2);
      dup2(in[0], 0);
      execv(argv[0], argv.data());
      _exit(127);
    }
    if (pid_ > 0) setpgid(pid_, pid_);  // no race with the child's own call
    close(out[1]);
    close(in[0]);
    signal(SIGPIPE, SIG_IGN);  // a child that exits before reading its input must not kill the test
    if (pid_ > 0 && !input.empty()) (void)!write(in[1], input.data(), input.size());  // small inputs fit the pipe
    close(in[1]);
    reader_ = std::thread([this, fd = out[0]] {
      char buffer[4096];
      ssize_t n;
      do {
        n = read(fd, buffer, sizeof buffer);
        const std::lock_guard lock(mutex_);
        if (n > 0) output_.append(buffer, static_cast<std::size_t>(n));
        ended_ = n <= 0;
        changed_.notify_all();
      } while (n > 0);
      close(fd);
    });
  }
  ~Child() {
    if (pid_ > 0 && !Terminate()) {
      kill(-pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (reader_.joinable()) reader_.join();
  }

  // True once the output holds `text`; false when it ended or the time ran out first.
  bool WaitFor(const std::string& text, Millis timeout = Millis(5000)) {
    return Await(timeout, [&] { return output_.find(text) != std::string::npos; });
  }
  // The port after the first ':' that follows `announce`, once its line is complete; 0 when none came.
  std::uint16_t Port(const std::string& announce) {
    std::size_t at = 0;
    const auto lineEnded = [&] { return output_.find('\n', at = output_.find(announce)) != std::string::npos; };
    if (!Await(Millis(5000), lineEnded)) return 0;
    const std::string text = Output();
    return static_cast<std::uint16_t>(std::stoi(text.substr(text.find(':', at + announce.size()) + 1)));
  }
  // The exit code once the output has ended (the child exited) within the time-out.
  std::optional<int> Exit(Millis timeout = Millis(10000)) {
    if (pid_ <= 0 || !Await(timeout, [&] { return ended_; })) return std::nullopt;
    int status = 0;
    waitpid(std::exchange(pid_, -1), &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  std::optional<int> Terminate() {
    if (pid_ > 0) kill(-pid_, SIGTERM);
    return Exit(Millis(5000));
  }
  std::string Output() {
    const std::lock_guard lock(mutex_);
    return output_;
  }

 private:
  // Waits until `holds` (called under the lock) or the end of the output, at most `timeout`; then `holds`.
  template <typename Holds>
  bool Await(Millis timeout, Holds holds) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return ended_ || holds(); });
    return holds();
  }

  pid_t pid_ = -1;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string output_;
  bool ended_ = false;
  std::thread reader_;
};

// Each of `cases` as the arguments of `program` is refused: exit code 2 and a message holding `why`.
inline void ExpectRefused(const std::string& program, const std::vector<std::vector<std::string>>& cases,
                          const std::string& why) {
  for (const std::vector<std::string>& args : cases) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    Child child(argv);
    EXPECT_EQ(child.Exit(), 2) << child.Output();
    EXPECT_NE(child.Output().find(why), std::string::npos) << child.Output();
  }
}

}  // namespace vantor::testing_support

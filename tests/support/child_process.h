// A program run by a test as a child process: its own process group, output drained, stopped with the test.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vantor::testing_support {

// What of a child's stdout and stderr its output holds; the rest is dropped.
enum class Capture { kAll, kStdout, kNothing };

struct ChildOptions {
  std::string input{};     // written to stdin, which then closes unless `keepInput`
  bool keepInput = false;  // stdin stays open for WriteLine
  Capture capture = Capture::kAll;
  bool newSession = false;  // a terminal the child opens becomes its controlling terminal
  std::string cwd{};
  std::vector<std::string> env{};  // "NAME=value" added to the environment
};

// A child in a process group of its own (or a session of its own), stopped with its whole group on
// destruction. A thread drains its output, so a chatty child never blocks on it.
class ChildProcess {
 public:
  using Millis = std::chrono::milliseconds;
  using Options = ChildOptions;

  ChildProcess() = default;
  // Starts argv[0] (searched on PATH when it holds no slash); Started() tells whether it did.
  explicit ChildProcess(const std::vector<std::string>& argv, const Options& options = {}) { Start(argv, options); }
  ~ChildProcess() { Stop(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Start(const std::vector<std::string>& argv, const Options& options = {});
  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  bool Running();
  // The exit code (128 + signal when killed) once it exited within `timeout`; its output is then complete.
  std::optional<int> WaitExit(Millis timeout = Millis(10000));
  // SIGTERM to the group, `grace` to exit, then SIGKILL to the group; the exit code as WaitExit gives it.
  std::optional<int> Stop(Millis grace = Millis(1500));
  bool WriteLine(const std::string& line);
  // Takes the next line of the output; false when none came within `timeout`.
  bool ReadLine(std::string& line, Millis timeout);
  // True once the output holds `text`; false when it ended or the time ran out first.
  bool WaitFor(const std::string& text, Millis timeout = Millis(5000));
  // The port after the first ':' that follows `announce`, once its line is complete; 0 when none came.
  std::uint16_t Port(const std::string& announce);
  std::string Output();  // what ReadLine has not taken

 private:
  template <typename Holds>
  bool Await(Millis timeout, Holds holds);
  void Drain(int fd);

  pid_t pid_ = -1;
  int input_ = -1;
  std::optional<int> exit_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string output_;
  bool ended_ = true, stopping_ = false;
  std::thread reader_;
};

}  // namespace vantor::testing_support

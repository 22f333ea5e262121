// A serial device for end-to-end tests: a socat pseudo-terminal pair, one end a COM port of the Wine prefix.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "harness.h"

namespace vantor::e2e {

// Points the prefix's COMn at `target` (a dangling target makes a port that cannot be opened); the
// link is removed again when the object goes.
class ComLink {
 public:
  ComLink() = default;
  ~ComLink() { Remove(); }
  ComLink(const ComLink&) = delete;
  ComLink& operator=(const ComLink&) = delete;

  bool Create(int com, const std::string& target) {
    Remove();
    const std::string& prefix = WineDesktop::Instance().Prefix();
    if (prefix.empty()) return false;
    path_ = prefix + "/dosdevices/com" + std::to_string(com);
    ::unlink(path_.c_str());
    if (::symlink(target.c_str(), path_.c_str()) != 0) {
      path_.clear();
      return false;
    }
    target_ = target;
    return true;
  }

  void Remove() {
    if (path_.empty()) return;
    // Only our own link: a run that came after us may have put its own in place.
    char buffer[PATH_MAX] = {};
    const ssize_t n = ::readlink(path_.c_str(), buffer, sizeof buffer - 1);
    if (n >= 0 && std::string(buffer, static_cast<std::size_t>(n)) == target_) ::unlink(path_.c_str());
    path_.clear();
  }

 private:
  std::string path_;
  std::string target_;
};

// socat joins two pseudo-terminals: end A is the terminal's COM port, end B is the device side, which the
// test reads and writes itself.
//
// End A is held open by a child in a session of its own, so that the line is that session's controlling
// terminal: otherwise the Wine server, which opens the device by name and leads a session without a
// terminal, would take it as its own and be hung up with it when socat ends.
class PtyPair {
 public:
  PtyPair() = default;
  ~PtyPair() { Stop(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // False (with the reason in Error()) when socat or the COM link could not be set up.
  bool Start(int com) {
    char dir[] = "/tmp/vantor-pty-XXXXXX";
    if (::mkdtemp(dir) == nullptr) return Fail("no temporary folder");
    dir_ = dir;
    const std::string a = dir_ + "/A", b = dir_ + "/B";
    Process::Options options;
    options.argv = {"socat", "pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b};
    options.outputFile = dir_ + "/socat.log";
    if (!socat_.Start(options)) return Fail("socat could not be started (is the socat package installed?)");
    if (!WaitFor([&] { return FileExists(a) && FileExists(b); }, Millis(5000)))
      return Fail("socat made no pseudo-terminals");
    if (!StartHolder(a)) return Fail("end A could not be held");
    device_ = ::open(b.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device_ < 0) return Fail("end B could not be opened");
    if (!link_.Create(com, a)) return Fail("the COM link could not be made");
    return true;
  }

  const std::string& Error() const { return error_; }

  // Writes every byte, waiting at most `timeout` for the line to take them.
  bool Write(const std::string& bytes, Millis timeout = Millis(5000)) {
    const auto deadline = SteadyClock::now() + timeout;
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(device_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      if (!WaitReady(POLLOUT, deadline)) return false;
    }
    return true;
  }

  // What the terminal sent: reads until `want` bytes have come or `timeout` has passed.
  std::string Read(std::size_t want, Millis timeout) {
    const auto deadline = SteadyClock::now() + timeout;
    std::string got;
    while (got.size() < want) {
      char buffer[512];
      const ssize_t n = ::read(device_, buffer, sizeof buffer);
      if (n > 0) {
        got.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) break;
      if (!WaitReady(POLLIN, deadline)) break;
    }
    return got;
  }

  // Everything that arrives within `quiet` (for checking that nothing comes).
  std::string ReadFor(Millis quiet) { return Read(SIZE_MAX, quiet); }

  // Ends socat and the holder, removes the COM link and the folder; waits for each to be gone.
  void Stop() {
    link_.Remove();
    if (device_ >= 0) ::close(device_);
    device_ = -1;
    socat_.Stop();
    StopHolder();
    if (!dir_.empty()) {
      std::error_code ignored;
      std::filesystem::remove_all(dir_, ignored);
      dir_.clear();
    }
  }

 private:
  bool Fail(const std::string& why) {
    error_ = why;
    Stop();
    return false;
  }

  bool WaitReady(short events, SteadyClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<Millis>(deadline - SteadyClock::now()).count();
    if (left <= 0) return false;
    pollfd fd{device_, events, 0};
    return ::poll(&fd, 1, static_cast<int>(left)) > 0;
  }

  // The child only calls async-signal-safe functions: it may be forked from a threaded test program.
  bool StartHolder(const std::string& path) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
      ::close(fds[0]);
      ::close(fds[1]);
      return false;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
      // Only the two pipe ends stay open: the child must not keep the test's sockets alive.
      for (int fd = 3; fd < 4096; ++fd)
        if (fd != fds[0] && fd != ready[1]) ::close(fd);
      ::setsid();
      const int line = ::open(path.c_str(), O_RDONLY);  // no O_NOCTTY: the line becomes ours
      char ok = line >= 0 ? '1' : '0';
      (void)!::write(ready[1], &ok, 1);
      ::close(ready[1]);
      char c;
      while (::read(fds[0], &c, 1) < 0 && errno == EINTR) {
      }
      ::_exit(0);  // the test closed its end of the pipe, or ended
    }
    ::close(fds[0]);
    ::close(ready[1]);
    if (pid < 0) {
      ::close(fds[1]);
      ::close(ready[0]);
      return false;
    }
    holder_ = pid;
    holderPipe_ = fds[1];
    char ok = '0';
    pollfd fd{ready[0], POLLIN, 0};
    const bool answered = ::poll(&fd, 1, 5000) > 0 && ::read(ready[0], &ok, 1) == 1;
    ::close(ready[0]);
    return answered && ok == '1';
  }

  void StopHolder() {
    if (holderPipe_ >= 0) ::close(holderPipe_);
    holderPipe_ = -1;
    if (holder_ <= 0) return;
    const bool ended = WaitFor([&] { return ::waitpid(holder_, nullptr, WNOHANG) == holder_; }, Millis(2000),
                               Millis(20));
    if (!ended) {
      ::kill(holder_, SIGKILL);
      ::waitpid(holder_, nullptr, 0);
    }
    holder_ = -1;
  }

  std::string error_;
  std::string dir_;
  Process socat_;
  pid_t holder_ = -1;
  int holderPipe_ = -1;
  int device_ = -1;
  ComLink link_;
};

}  // namespace vantor::e2e

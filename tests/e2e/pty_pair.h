// A serial device for end-to-end tests: a socat pseudo-terminal pair, one end a COM port of the Wine prefix.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "harness.h"

namespace vantor::e2e {

// socat joins two pseudo-terminals: end A is the terminal's COM port, end B the device side, which the
// test reads and writes. End A is held open by a child in a session of its own, so that the line is that
// session's controlling terminal: otherwise the Wine server, which opens the device by name and leads a
// session without a terminal, would take it as its own and be hung up with it when socat ends.
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
    if (!socat_.Start({"socat", "pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b}))
      return Fail("socat could not be started (is the socat package installed?)");
    if (!WaitFor([&] { return FileExists(a) && FileExists(b); }, Millis(5000))) return Fail("socat made no lines");
    if (!HoldLine(a)) return Fail("end A could not be held");
    device_ = ::open(b.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // The prefix's COMn points at end A; a run after this one may put its own link in place.
    link_ = WineDesktop::Instance().Prefix() + "/dosdevices/com" + std::to_string(com);
    ::unlink(link_.c_str());
    if (device_ < 0 || ::symlink(a.c_str(), link_.c_str()) != 0) return Fail("end B or the COM link failed");
    return true;
  }
  const std::string& Error() const { return error_; }

  bool Write(const std::string& bytes) {
    const auto deadline = SteadyClock::now() + Millis(5000);
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::write(device_, bytes.data() + done, bytes.size() - done);
      if (n > 0)
        done += static_cast<size_t>(n);
      else if ((n < 0 && errno != EAGAIN && errno != EINTR) || !Ready(POLLOUT, deadline))
        return false;
    }
    return true;
  }

  // What the terminal sent: until `want` bytes have come or `timeout` has passed.
  std::string Read(size_t want, Millis timeout) {
    const auto deadline = SteadyClock::now() + timeout;
    std::string got;
    while (got.size() < want) {
      char buffer[512];
      const ssize_t n = ::read(device_, buffer, sizeof buffer);
      if (n > 0)
        got.append(buffer, static_cast<size_t>(n));
      else if ((n < 0 && errno != EAGAIN && errno != EINTR) || !Ready(POLLIN, deadline))
        break;
    }
    return got;
  }

  // Unplugs the device: ends socat and the holder, removes the COM link and the folder.
  void Stop() {
    std::error_code error;
    if (!link_.empty() && std::filesystem::read_symlink(link_, error) == dir_ + "/A") ::unlink(link_.c_str());
    if (device_ >= 0) ::close(device_);
    device_ = -1;
    socat_.Stop();
    if (holderPipe_ >= 0) ::close(holderPipe_);  // the holder ends when its end of the pipe closes
    holderPipe_ = -1;
    if (holder_ > 0 && !WaitFor([&] { return ::waitpid(holder_, nullptr, WNOHANG) == holder_; }, Millis(2000))) {
      ::kill(holder_, SIGKILL);
      ::waitpid(holder_, nullptr, 0);
    }
    holder_ = -1;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, error);
    dir_.clear();
    link_.clear();
  }

 private:
  bool Fail(const std::string& why) {
    error_ = why;
    Stop();
    return false;
  }

  bool Ready(short events, SteadyClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<Millis>(deadline - SteadyClock::now()).count();
    pollfd fd{device_, events, 0};
    return left > 0 && ::poll(&fd, 1, static_cast<int>(left)) > 0;
  }

  // The child calls only async-signal-safe functions: it is forked from a threaded test program.
  bool HoldLine(const std::string& path) {
    int hold[2], ready[2];
    if (::pipe2(hold, O_CLOEXEC) != 0) return false;
    if (::pipe2(ready, O_CLOEXEC) != 0) {
      ::close(hold[0]);
      ::close(hold[1]);
      return false;
    }
    holder_ = ::fork();
    if (holder_ == 0) {
      for (int fd = 3; fd < 4096; ++fd)  // the test's sockets must not live on in the child
        if (fd != hold[0] && fd != ready[1]) ::close(fd);
      ::setsid();
      const char ok = ::open(path.c_str(), O_RDONLY) >= 0 ? '1' : '0';  // no O_NOCTTY: the line becomes ours
      (void)!::write(ready[1], &ok, 1);
      char c;
      while (::read(hold[0], &c, 1) < 0 && errno == EINTR) {
      }
      ::_exit(0);
    }
    ::close(hold[0]);
    ::close(ready[1]);
    holderPipe_ = hold[1];
    char ok = '0';
    pollfd fd{ready[0], POLLIN, 0};
    const bool held = holder_ > 0 && ::poll(&fd, 1, 5000) > 0 && ::read(ready[0], &ok, 1) == 1 && ok == '1';
    ::close(ready[0]);
    return held;
  }

  std::string error_, dir_, link_;
  Process socat_;
  pid_t holder_ = -1;
  int holderPipe_ = -1;
  int device_ = -1;
};

}  // namespace vantor::e2e

// A serial device for end-to-end tests: a socat pseudo-terminal pair, one end a COM port of the Wine prefix.
#pragma once

#include <fcntl.h>
#include <poll.h>
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

  // False (with the reason in Error()) when socat or the COM link could not be set up. The port is the
  // first free one from a number of this process's, so runs sharing the prefix never take each other's.
  bool Start() {
    char dir[] = "/tmp/vantor-pty-XXXXXX";
    if (::mkdtemp(dir) == nullptr) return Fail("no temporary folder");
    dir_ = dir;
    const std::string a = dir_ + "/A", b = dir_ + "/B";
    if (!socat_.Start({"socat", "pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b}))
      return Fail("socat could not be started (is the socat package installed?)");
    if (!WaitFor([&] { return FileExists(a) && FileExists(b); }, Millis(5000))) return Fail("socat made no lines");
    // The holder opens end A without O_NOCTTY and keeps it until its input closes.
    holder_.Start({"sh", "-c", "exec 3<\"$0\" && echo held && exec cat", a}, {.keepInput = true, .newSession = true});
    if (!holder_.WaitFor("held")) return Fail("end A could not be held");
    device_ = ::open(b.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device_ < 0) return Fail("end B could not be opened");
    for (int tries = 0; tries < 90; ++tries) {
      const int com = 10 + static_cast<int>((::getpid() + tries) % 90);  // the dialog takes two digits
      const std::string link = WineDesktop::Instance().Prefix() + "/dosdevices/com" + std::to_string(com);
      if (::symlink(a.c_str(), link.c_str()) == 0) {
        link_ = link;
        com_ = com;
        return true;
      }
      if (errno != EEXIST) break;
    }
    return Fail("no COM link could be made");
  }
  const std::string& Error() const { return error_; }
  int Com() const { return com_; }

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
    holder_.Stop();
    if (!dir_.empty()) std::filesystem::remove_all(dir_, error);
    dir_.clear();
    link_.clear();
    com_ = 0;
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

  std::string error_, dir_, link_;
  ChildProcess socat_, holder_;
  int device_ = -1;
  int com_ = 0;
};

}  // namespace vantor::e2e

// Tests of the Win32 serial channel on a pseudo-terminal pair that Wine serves as a COM port.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/serial_channel_win.h"
#include "session/serial_input.h"

namespace vantor {
namespace {

using namespace std::chrono_literals;

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring Widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Runs a shell command line on the host side of Wine; it cannot be waited for, so scripts leave a
// marker file when they are done.
bool RunShell(const std::string& script) {
  std::wstring cmd = L"/bin/sh -c \"" + Widen(script) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

std::wstring HostPath(const std::string& unixPath) {
  std::wstring path = L"Z:" + Widen(unixPath);
  for (auto& ch : path) {
    if (ch == L'/') ch = L'\\';
  }
  return path;
}

bool WaitForFile(const std::string& unixPath, DWORD timeoutMs) {
  const std::wstring path = HostPath(unixPath);
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount64() >= end) return false;
    Sleep(20);
  }
  return true;
}

// A pseudo-terminal pair: end A is COMn of the Wine prefix, end B is the "device" the test drives.
// Each end is also held by a small process in a session of its own, so that it is that session's
// controlling terminal and never the Wine server's (whose hang-up handling would then fire).
class PtyPort {
 public:
  bool Start(int com) {
    char prefix[MAX_PATH] = {};
    if (GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH) == 0) return false;
    static int serial = 0;
    com_ = com;
    dir_ = "/tmp/vantor-serial-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    link_ = std::string(prefix) + "/dosdevices/com" + std::to_string(com);
    const std::string script =
        "exec </dev/null >/dev/null 2>&1; rm -rf " + dir_ + "; mkdir -p " + dir_ + " && cd " + dir_ + " || exit 1; " +
        "timeout 120 socat pty,raw,echo=0,link=A pty,raw,echo=0,link=B & echo $! > pids; " +
        "for i in $(seq 100); do [ -e A ] && [ -e B ] && break; sleep 0.05; done; " +
        "for end in A B; do setsid sh -c 'exec 3<$0; touch $0.held; exec sleep 120' $end & echo $! >> pids; done; " +
        "for i in $(seq 100); do [ -e A.held ] && [ -e B.held ] && break; sleep 0.05; done; " +
        "ln -sfn " + dir_ + "/A " + link_ + " && touch ready";
    if (!RunShell(script) || !WaitForFile(dir_ + "/ready", 10000)) return false;
    const std::wstring b = HostPath(dir_ + "/B");
    peer_ = CreateFileW(b.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (peer_ == INVALID_HANDLE_VALUE) return false;
    COMMTIMEOUTS t{20, 0, 0, 0, 0};  // a read ends 20 ms after the line goes quiet
    SetCommTimeouts(peer_, &t);
    event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event_ != nullptr;
  }

  ~PtyPort() { Stop(); }

  // Ends socat (and with it the two holders) and removes the COM link; waits for it to be done.
  void Stop() {
    ClosePeer();
    if (event_) CloseHandle(event_);
    event_ = nullptr;
    if (dir_.empty()) return;
    const std::string done = dir_ + "-done";
    RunShell("exec </dev/null >/dev/null 2>&1; kill $(cat " + dir_ + "/pids); rm -f " + link_ + "; rm -rf " + dir_ +
             "; touch " + done);
    WaitForFile(done, 10000);
    RunShell("rm -f " + done);
    dir_.clear();
  }

  // Hangs the line up under the channel, as a device that goes away does.
  void HangUp() {
    ClosePeer();
    const std::string done = dir_ + "/hung";
    RunShell("exec </dev/null >/dev/null 2>&1; kill $(head -n 1 " + dir_ + "/pids); touch " + done);
    WaitForFile(done, 10000);
  }

  std::u16string PortName() const {
    std::u16string name = u"COM";
    for (char ch : std::to_string(com_)) name.push_back(static_cast<char16_t>(ch));
    return name + u":";
  }

  bool Write(const std::string& bytes) {
    OVERLAPPED ov{};
    ov.hEvent = event_;
    ResetEvent(event_);
    DWORD n = 0;
    if (!WriteFile(peer_, bytes.data(), static_cast<DWORD>(bytes.size()), &n, &ov)) {
      if (GetLastError() != ERROR_IO_PENDING) return false;
      if (WaitForSingleObject(event_, 5000) != WAIT_OBJECT_0) {
        CancelIoEx(peer_, &ov);
        WaitForSingleObject(event_, 5000);
        return false;
      }
      GetOverlappedResult(peer_, &ov, &n, FALSE);
    }
    return n == bytes.size();
  }

  // What the channel wrote, until `want` bytes have come or the time is up.
  std::string Read(std::size_t want, DWORD timeoutMs) {
    std::string got;
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    char buffer[512];
    while (got.size() < want && GetTickCount64() < end) {
      OVERLAPPED ov{};
      ov.hEvent = event_;
      ResetEvent(event_);
      DWORD n = 0;
      if (!ReadFile(peer_, buffer, sizeof buffer, &n, &ov)) {
        if (GetLastError() != ERROR_IO_PENDING) break;
        const ULONGLONG now = GetTickCount64();
        if (WaitForSingleObject(event_, static_cast<DWORD>(end > now ? end - now : 0)) != WAIT_OBJECT_0) {
          CancelIoEx(peer_, &ov);
          WaitForSingleObject(event_, 5000);
        }
        if (!GetOverlappedResult(peer_, &ov, &n, FALSE)) n = 0;
      }
      got.append(buffer, n);
    }
    return got;
  }

 private:
  void ClosePeer() {
    if (peer_ != INVALID_HANDLE_VALUE) CloseHandle(peer_);
    peer_ = INVALID_HANDLE_VALUE;
  }

  int com_ = 0;
  std::string dir_;
  std::string link_;
  HANDLE peer_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
};

// Collects what the channel's handler receives, and on which thread.
class Received {
 public:
  SerialChannel::DataHandler Handler() {
    return [this](const std::uint8_t* data, std::size_t length) {
      std::lock_guard<std::mutex> lock(mutex_);
      messages_.emplace_back(reinterpret_cast<const char*>(data), length);
      thread_ = GetCurrentThreadId();
      changed_.notify_all();
    };
  }
  bool WaitFor(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
  }
  std::vector<std::string> Messages() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }
  DWORD Thread() {
    std::lock_guard<std::mutex> lock(mutex_);
    return thread_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> messages_;
  DWORD thread_ = 0;
};

SerialTimeouts Quick() { return SerialTimeouts{100, 0, 0, 0, 0}; }

TEST(SerialChannelWin, BothDirectionsOffOpensNothing) {
  SerialChannel channel;
  EXPECT_EQ(channel.Configure(u"COM1:", u"9600", u'N', u'8', u"1", false, 2, 3, false, 2, 3, Quick()), 0);
  EXPECT_FALSE(channel.IsOpen());
  const std::uint8_t data[] = {'A'};
  EXPECT_TRUE(channel.Send(data, 1));
  EXPECT_FALSE(channel.Close());
}

TEST(SerialChannelWin, MissingPortFailsCleanlyAndDropsSends) {
  for (const char16_t* name : {u"COM255:", u"NOSUCHPORT:"}) {
    SerialChannel channel;
    Received received;
    ASSERT_TRUE(channel.SetDataHandler(received.Handler()));
    EXPECT_EQ(channel.Configure(name, u"9600", u'N', u'8', u"1", true, 0, 0, true, 2, 3, Quick()), 1);
    EXPECT_FALSE(channel.IsOpen());
    const std::uint8_t data[] = {'A', 'B'};
    EXPECT_TRUE(channel.Send(data, 2));
    EXPECT_FALSE(channel.Close());
    EXPECT_FALSE(channel.SetDataHandler(received.Handler()));  // only before Configure
  }
}

class SerialChannelPty : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!UnderWine()) GTEST_SKIP() << "drives a pseudo-terminal through Wine's COM ports";
    static int next = 0;
    // A port number of this process's own, so that runs sharing the Wine prefix do not meet.
    const int com = 10 + static_cast<int>(GetCurrentProcessId() / 4 % 23) * 10 + next++ % 10;
    ASSERT_TRUE(port.Start(com)) << "could not set up a pseudo-terminal pair as COM" << com;
  }

  int Configure(bool in, std::uint8_t start, std::uint8_t end, bool out, std::uint8_t prefix, std::uint8_t suffix) {
    EXPECT_TRUE(channel->SetDataHandler(received.Handler()));
    return channel->Configure(port.PortName(), u"9600", u'N', u'8', u"1", in, start, end, out, prefix, suffix, Quick());
  }

  PtyPort port;
  Received received;
  std::unique_ptr<SerialChannel> channel = std::make_unique<SerialChannel>();
};

TEST_F(SerialChannelPty, BothDirectionsAtOnceFramedAndInOrder) {
  ASSERT_EQ(Configure(true, 2, 3, true, '[', ']'), 1);
  ASSERT_TRUE(port.Write("\x41\x02\x42\x43\x03\x44"));
  std::string expected;
  for (int i = 0; i < 100; ++i) {
    const std::string m = std::to_string(1000 + i);
    ASSERT_TRUE(channel->Send(reinterpret_cast<const std::uint8_t*>(m.data()), m.size()));
    expected += "[" + m + "]";
  }
  EXPECT_EQ(port.Read(expected.size(), 10000), expected);
  ASSERT_TRUE(received.WaitFor(1, 5s));
  EXPECT_EQ(received.Messages(), std::vector<std::string>{"BC"});
  EXPECT_NE(received.Thread(), GetCurrentThreadId());  // delivered on the reader thread
}

TEST_F(SerialChannelPty, OneDirectionOnly) {
  ASSERT_EQ(Configure(true, 0, 0, false, 0, 0), 1);
  const std::uint8_t data[] = {'x'};
  EXPECT_TRUE(channel->Send(data, 1));  // serial out off: dropped, still true
  EXPECT_EQ(port.Read(1, 500), "");
  ASSERT_TRUE(channel->Close());

  channel = std::make_unique<SerialChannel>();
  ASSERT_EQ(Configure(false, 0, 0, true, 0, 0), 1);
  ASSERT_TRUE(port.Write("ignored"));
  EXPECT_FALSE(received.WaitFor(1, 500ms));  // serial in off: no reader
}

TEST_F(SerialChannelPty, CloseReleasesThePortAndLaterSendsAreDropped) {
  ASSERT_EQ(Configure(true, 0, 0, true, 0, 0), 1);
  const ULONGLONG before = GetTickCount64();
  EXPECT_TRUE(channel->Close());
  EXPECT_LT(GetTickCount64() - before, 3000u);
  EXPECT_FALSE(channel->IsOpen());
  const std::uint8_t data[] = {'l', 'a', 't', 'e'};
  EXPECT_TRUE(channel->Send(data, 4));
  EXPECT_EQ(port.Read(1, 500), "");
  EXPECT_FALSE(channel->Close());
  // The port was opened for exclusive use; after Close it can be opened again.
  SerialChannel again;
  ASSERT_EQ(again.Configure(port.PortName(), u"9600", u'N', u'8', u"1", false, 0, 0, true, 0, 0, Quick()), 1);
  EXPECT_TRUE(again.IsOpen());
  ASSERT_TRUE(again.Send(data, 4));
  EXPECT_EQ(port.Read(4, 5000), "late");
}

TEST_F(SerialChannelPty, LineGoneClosesTheChannelWithoutHanging) {
  ASSERT_EQ(Configure(true, 0, 0, true, 0, 0), 1);
  ASSERT_TRUE(channel->IsOpen());
  port.HangUp();
  const ULONGLONG end = GetTickCount64() + 10000;
  while (channel->IsOpen() && GetTickCount64() < end) Sleep(20);
  EXPECT_FALSE(channel->IsOpen());
  const std::uint8_t data[] = {'x'};
  EXPECT_TRUE(channel->Send(data, 1));
  const ULONGLONG before = GetTickCount64();
  EXPECT_FALSE(channel->Close());  // no longer open, but the threads end and the port is let go
  EXPECT_LT(GetTickCount64() - before, 3000u);
  channel.reset();
}

}  // namespace
}  // namespace vantor

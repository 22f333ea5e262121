// A pseudo-terminal COM port of the Wine prefix for the serial tests, driven from the host side of Wine.
#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace vantor::wintest {

// Runs a shell command line on the host side of Wine; it cannot be waited for, so it ends by creating
// `marker`, which this waits for (10 s at most).
inline bool RunShell(const std::string& script, const std::string& marker) {
  std::wstring cmd = L"/bin/sh -c \"exec </dev/null >/dev/null 2>&1; " + std::wstring(script.begin(), script.end()) +
                     L"; touch " + std::wstring(marker.begin(), marker.end()) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  const std::wstring path = L"Z:" + std::wstring(marker.begin(), marker.end());
  for (int i = 0; i < 500 && GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(20);
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A pseudo-terminal pair whose end A is COMn of the Wine prefix. Each end is also held by a process in a session of its
// own, so that it is that session's controlling terminal and never the Wine server's (whose hang-up handling would then
// fire).
class PtyPort {
 public:
  bool Start(int com) {
    char prefix[MAX_PATH] = {};
    if (GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH) == 0) return false;
    com_ = com;
    dir_ = "/tmp/vantor-serial-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(com);
    link_ = std::string(prefix) + "/dosdevices/com" + std::to_string(com);
    const std::string wait = "for i in $(seq 100); do [ -e $1 ] && [ -e $2 ] && break; sleep 0.05; done; ";
    return RunShell("rm -rf " + dir_ + "; mkdir -p " + dir_ + " && cd " + dir_ + " || exit 1; " +
                        "timeout 120 socat pty,raw,echo=0,link=A pty,raw,echo=0,link=B & echo $! > pids; " +
                        "set -- A B; " + wait + "for end in A B; do setsid sh -c 'exec 3<$0; touch $0.held; " +
                        "exec sleep 120' $end & echo $! >> pids; done; set -- A.held B.held; " + wait + "ln -sfn " +
                        dir_ + "/A " + link_,
                    dir_ + "/ready");
  }
  ~PtyPort() {
    RunShell("kill $(cat " + dir_ + "/pids); rm -f " + link_ + "; rm -rf " + dir_, dir_ + "-done");
    DeleteFileA(("Z:" + dir_ + "-done").c_str());
  }
  // Writes printf's output for `format` to the device end of the line.
  bool Write(const std::string& format) {
    return RunShell("printf '" + format + "' > " + dir_ + "/B", dir_ + "/written" + std::to_string(++writes_));
  }
  // The terminal's end as `stty -a` shows it, then how many open files of any process hold that end.
  std::string LineState() {
    const std::string out = dir_ + "/state" + std::to_string(++writes_);
    RunShell("a=$(readlink " + dir_ + "/A); { stty -F $a -a; ls -l /proc/[0-9]*/fd | grep -c \\ $a\\$; } >" + out,
             out + ".done");
    std::ifstream file("Z:" + out);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }
  // Hangs the line up under the channel, as a device that goes away does.
  void HangUp() { RunShell("kill $(head -n 1 " + dir_ + "/pids)", dir_ + "/hung"); }
  std::u16string PortName() const {
    const std::string name = "COM" + std::to_string(com_) + ":";
    return std::u16string(name.begin(), name.end());
  }

 private:
  int com_ = 0, writes_ = 0;
  std::string dir_, link_;
};

}  // namespace vantor::wintest

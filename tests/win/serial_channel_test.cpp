// The Win32 serial channel: missing ports, and a pseudo-terminal COM port: its line settings, DTR and time-outs,
// its release on Close, and its line going away under it.
#include "devices/serial_channel_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "pty_port_win.h"

namespace vantor {
namespace {

using wintest::PtyPort;

SerialTimeouts Quick() { return SerialTimeouts{100, 0, 0, 0, 0}; }
const std::uint8_t kByte[] = {'x'};
void Ignore(const std::uint8_t*, std::size_t) {}

TEST(SerialChannelWin, NothingToOpenOrAMissingPortLeavesAClosedChannelThatDropsSends) {
  const std::tuple<const char16_t*, bool, int> cases[] = {
      {u"COM1:", false, 0}, {u"COM255:", true, 1}, {u"NOSUCHPORT:", true, 1}};
  for (const auto& [name, on, configured] : cases) {
    SCOPED_TRACE(testing::PrintToString(name));
    SerialChannel channel;
    ASSERT_TRUE(channel.SetDataHandler(Ignore));
    EXPECT_EQ(channel.Configure(name, u"9600", u'N', u'8', u"1", on, 0, 0, on, 2, 3, Quick()), configured);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_TRUE(channel.Send(kByte, 1));
    EXPECT_FALSE(channel.Close());
    if (on) {
      EXPECT_FALSE(channel.SetDataHandler(Ignore)) << "only before Configure";
    }
  }
}

// While alive, this program's import of a kernel32 function calls `spy` instead: a pseudo-terminal has no DTR
// line, and Wine keeps time-outs with the open handle, so the channel's calls are watched instead.
class ImportSpy {
 public:
  ImportSpy(const char* name, const void* spy) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    const auto real = reinterpret_cast<ULONG_PTR>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name));
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); d->Name != 0; ++d) {
      for (auto* t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); t->u1.Function != 0; ++t) {
        if (t->u1.Function == real) slot_ = &t->u1.Function;
      }
    }
    if (slot_ != nullptr) real_ = std::exchange(*slot_, reinterpret_cast<ULONG_PTR>(spy));
  }
  ~ImportSpy() {
    if (slot_ != nullptr) *slot_ = real_;
  }
  bool Active() const { return slot_ != nullptr; }

 private:
  ULONG_PTR* slot_ = nullptr;
  ULONG_PTR real_ = 0;
};

std::vector<std::string> g_commCalls;
BOOL WINAPI SpyEscape(HANDLE, DWORD function) {
  g_commCalls.push_back(function == SETDTR ? "DTR on" : function == CLRDTR ? "DTR off" : "escape");
  return TRUE;
}
BOOL WINAPI SpyGetTimeouts(HANDLE, COMMTIMEOUTS* found) {
  *found = COMMTIMEOUTS{7, 8, 9, 10, 11};
  return TRUE;
}
BOOL WINAPI SpySetTimeouts(HANDLE, COMMTIMEOUTS* t) {
  char text[80];
  std::snprintf(text, sizeof text, "time-outs %lu %lu %lu %lu %lu", t->ReadIntervalTimeout,
                t->ReadTotalTimeoutMultiplier, t->ReadTotalTimeoutConstant, t->WriteTotalTimeoutMultiplier,
                t->WriteTotalTimeoutConstant);
  g_commCalls.emplace_back(text);
  return TRUE;
}

int Holders(const std::string& lineState) {
  return std::stoi(lineState.substr(lineState.rfind('\n', lineState.size() - 2)));
}

// A pseudo-terminal keeps the speed, the stop bits and the parity check of what is set, not the parity or data bits.
TEST(SerialChannelPty, LineSettingsDtrAndTimeoutsAppliedThenRestoredAndThePortLetGoForTheNextChannel) {
  PtyPort port;
  ASSERT_TRUE(port.Start(10 + static_cast<int>(GetCurrentProcessId() / 4 % 230))) << "no pseudo-terminal COM port";
  const int idle = Holders(port.LineState());
  {
    SerialChannel watched;
    const ImportSpy spies[] = {{"EscapeCommFunction", reinterpret_cast<const void*>(&SpyEscape)},
                               {"GetCommTimeouts", reinterpret_cast<const void*>(&SpyGetTimeouts)},
                               {"SetCommTimeouts", reinterpret_cast<const void*>(&SpySetTimeouts)}};
    for (const ImportSpy& spy : spies) ASSERT_TRUE(spy.Active());
    g_commCalls.clear();
    ASSERT_EQ(watched.Configure(port.PortName(), u"19200", u'E', u'7', u"2", true, 0, 0, true, 0, 0,
                                SerialTimeouts{100, 2, 3, 4, 5}),
              1);
    watched.Close();
    EXPECT_EQ(g_commCalls,
              (std::vector<std::string>{"time-outs 100 2 3 4 5", "DTR on", "DTR off", "time-outs 7 8 9 10 11"}));
  }
  SerialChannel first;
  ASSERT_EQ(first.Configure(port.PortName(), u"19200", u'E', u'7', u"2", true, 0, 0, true, 0, 0, Quick()), 1);
  const std::string open = port.LineState();
  EXPECT_NE(open.find("speed 19200 baud"), std::string::npos) << open;
  EXPECT_NE(open.find(" cstopb"), std::string::npos) << open;
  EXPECT_NE(open.find(" inpck"), std::string::npos) << open;
  EXPECT_GT(Holders(open), idle);
  EXPECT_TRUE(first.Close());
  EXPECT_EQ(Holders(port.LineState()), idle) << "the port is let go";
  SerialChannel second;
  ASSERT_EQ(second.Configure(port.PortName(), u"4800", u'N', u'8', u"1", true, 0, 0, true, 0, 0, Quick()), 1);
  EXPECT_NE(port.LineState().find("speed 4800 baud"), std::string::npos) << "opened again, with its own settings";
}

TEST(SerialChannelPty, LineGoneClosesTheChannelWithoutHanging) {
  PtyPort port;
  // A port number of this process's own, so that runs sharing the Wine prefix do not meet.
  ASSERT_TRUE(port.Start(10 + static_cast<int>(GetCurrentProcessId() / 4 % 230))) << "no pseudo-terminal COM port";
  SerialChannel channel;
  ASSERT_TRUE(channel.SetDataHandler(Ignore));
  ASSERT_EQ(channel.Configure(port.PortName(), u"9600", u'N', u'8', u"1", true, 0, 0, true, 0, 0, Quick()), 1);
  ASSERT_TRUE(channel.IsOpen());
  port.HangUp();
  for (int i = 0; i < 500 && channel.IsOpen(); ++i) Sleep(20);
  EXPECT_FALSE(channel.IsOpen());
  EXPECT_TRUE(channel.Send(kByte, 1));
  EXPECT_FALSE(channel.Close());  // no longer open, but the threads end and the port is let go
}

}  // namespace
}  // namespace vantor

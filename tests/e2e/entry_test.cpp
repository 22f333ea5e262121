// The operator's typing on Vantor.exe under Wine: what the host receives, what the screen shows,
// filters, replacing, auto-advance, auto-send, password stars, and a long host-driven run.
#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

class EntryTest : public TerminalTest {
 protected:
  // The controls once the screen has settled: the keyboard unlocked, every id present and visible.
  std::vector<WindowInfo> Settled(std::initializer_list<long long> ids) {
    std::vector<WindowInfo> found;
    if (!WaitUnlocked(Millis(10000))) return found;
    WaitWindows(
        [&](const WindowList& windows) {
          found.clear();
          for (long long id : ids) {
            const auto control = Control(windows, id);
            if (!control || !control->visible) return false;
            found.push_back(*control);
          }
          return true;
        },
        Millis(10000));
    if (found.size() != ids.size()) found.clear();
    return found;
  }
};

// Flag bytes as hosts send them: input mode 'C' with numeric, password or auto-send added.
constexpr std::uint8_t kNumericFlags = 'C' | 0x20;
constexpr std::uint8_t kPasswordFlags = 'C' | 0x08;
constexpr std::uint8_t kAutoSendFlags = 'C' | 0x04;
constexpr std::uint8_t kAdvanceAttributes = '@' | 0x08;

bool Dark(const Rgb& c) { return c.r < 80 && c.g < 80 && c.b < 80; }

// Dark pixels per column inside a control (its one-pixel frame left out).
std::vector<int> DarkColumns(const Image& shot, const WindowInfo& control) {
  std::vector<int> columns;
  for (int x = control.x + 1; x < control.x + control.width - 1; ++x) {
    int dark = 0;
    for (int y = control.y + 1; y < control.y + control.height - 1; ++y) dark += Dark(shot.At(x, y));
    columns.push_back(dark);
  }
  return columns;
}
int Sum(const std::vector<int>& values) {
  int sum = 0;
  for (int v : values) sum += v;
  return sum;
}

TEST_F(EntryTest, TypedTextAndEnterReachTheHostAndTheScreen) {
  StartConnected({{"ShowWaterMark", "false"}});
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(20, 2, 0, kInputFlags, kPlainAttributes, 8)
                 .Text(20, "OLD")
                 .ShowPage(0)
                 .FocusAndUnlock(20));
  const auto settled = Settled({20});
  ASSERT_EQ(settled.size(), 1u) << Describe(windows_);
  const WindowInfo* entry = &settled[0];
  ASSERT_TRUE(probe_.Type(entry->handle, "Ab1")) << probe_.LastError();
  const auto shot = ShotWhen([&](const Image& s) { return Sum(DarkColumns(s, *entry)) > 20; });
  EXPECT_TRUE(shot && Sum(DarkColumns(*shot, *entry)) > 20) << "no letters seen in the field";
  ASSERT_TRUE(probe_.Keys(0, {"enter"})) << probe_.LastError();
  // The first key replaced "OLD"; Enter sent code 0 with the focus field and the field's data.
  EXPECT_EQ(NextBody(), KeyResponse(0, 20, {{20, "Ab1"}}));
}

TEST_F(EntryTest, NumericFieldRefusesLettersAndAdvancesWhenFull) {
  StartConnected();
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(20, 2, 0, kNumericFlags, kAdvanceAttributes, 3)
                 .Define(21, 3, 0, kInputFlags, kPlainAttributes, 5)
                 .ShowPage(0)
                 .FocusAndUnlock(20));
  const auto settled = Settled({20, 21});
  ASSERT_EQ(settled.size(), 2u) << Describe(windows_);
  const WindowInfo* first = &settled[0];
  const WindowInfo* second = &settled[1];
  ASSERT_TRUE(probe_.Type(first->handle, "1x23")) << probe_.LastError();
  // Full after "123": the focus moved on to field 21 by itself.
  EXPECT_TRUE(WaitFor(
      [&] {
        const auto focus = probe_.FocusInfo();
        return focus && focus->second == second->handle;
      },
      Millis(5000), Millis(100)));
  ASSERT_TRUE(probe_.Type(0, "z")) << probe_.LastError();
  ASSERT_TRUE(probe_.Keys(0, {"enter"})) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(0, 21, {{20, "123"}, {21, "z"}}));
}

TEST_F(EntryTest, FillingAnAutoSendFieldSendsTheFieldResponse) {
  StartConnected();
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(20, 2, 0, kAutoSendFlags, kPlainAttributes, 2)
                 .ShowPage(0)
                 .FocusAndUnlock(20));
  const auto settled = Settled({20});
  ASSERT_EQ(settled.size(), 1u) << Describe(windows_);
  ASSERT_TRUE(probe_.Type(settled[0].handle, "xy")) << probe_.LastError();
  EXPECT_EQ(NextBody(), "R%" + HostByte(20) + "=" + HostByte(20) + HostByte(2) + "xy");
}

TEST_F(EntryTest, PasswordFieldShowsStarsAndSendsClearText) {
  StartConnected({{"ShowWaterMark", "false"}});
  SendScreen(ScreenBuilder()
                 .SelectPage(0)
                 .Define(20, 2, 0, kPasswordFlags, kPlainAttributes, 6)
                 .Define(21, 4, 0, kInputFlags, kPlainAttributes, 6)
                 .Text(21, "**")
                 .ShowPage(0)
                 .FocusAndUnlock(20));
  const auto settled = Settled({20, 21});
  ASSERT_EQ(settled.size(), 2u) << Describe(windows_);
  const WindowInfo* secret = &settled[0];
  const WindowInfo* stars = &settled[1];
  ASSERT_TRUE(probe_.Type(secret->handle, "ab")) << probe_.LastError();
  // The two typed letters look exactly like the two stars of the other field.
  const auto looksAlike = [&](const Image& s) {
    const auto typed = DarkColumns(s, *secret);
    return Sum(typed) > 0 && typed == DarkColumns(s, *stars);
  };
  const auto shot = ShotWhen(looksAlike);
  EXPECT_TRUE(shot && looksAlike(*shot)) << "password field does not show two stars";
  ASSERT_TRUE(probe_.Keys(0, {"enter"})) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(0, 20, {{20, "ab"}}));
}

// Resident private memory of the Wine process running the terminal copied to `folder`, in KiB; 0 if
// not found.
long PrivateKib(const std::string& folder) {
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return 0;
  long found = 0;
  while (dirent* entry = readdir(proc)) {
    const std::string pid = entry->d_name;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    const std::string cmdline = ReadFile("/proc/" + pid + "/cmdline");
    if (cmdline.find(folder + "/Vantor.exe") == std::string::npos) continue;
    // The program's own process is the largest of the Wine processes started for it.
    std::istringstream status(ReadFile("/proc/" + pid + "/status"));
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("RssAnon:", 0) == 0) found = std::max(found, std::atol(line.c_str() + 8));
    }
  }
  closedir(proc);
  return found;
}

int LongRunScreens() {
  const char* value = std::getenv("VANTOR_LONG_RUN_SCREENS");
  const int count = value != nullptr ? std::atoi(value) : 0;
  return count > 0 ? count : 400;
}

TEST_F(EntryTest, LongHostDrivenRunKeepsMemoryFlat) {
  StartConnected();
  const int screens = LongRunScreens();
  const int warmUp = std::min(50, screens / 4);
  long baseline = 0;
  for (int i = 0; i < screens; ++i) {
    const std::string counter = std::to_string(i);
    SendScreen(ScreenBuilder()
                   .SelectPage(i % 2)
                   .ErasePage()
                   .Fixed(1, 0, 0, "SCREEN " + counter)
                   .Fixed(2, 1, 0, "REV")
                   .Attributes(2, 'A', '@' | 0x30)
                   .Fixed(3, 1, 3, "ERSE")
                   .Attributes(3, 'A', '@' | 0x30)
                   .Define(4, 0, 12, kSystemFlags, kPlainAttributes, 5)
                   .Define(20, 3, 0, kInputFlags, kPlainAttributes, 8)
                   .Text(20, "V" + counter)
                   .ShowPage(i % 2)
                   .FocusAndUnlock(20));
    const auto settled = Settled({20});
    ASSERT_EQ(settled.size(), 1u) << "screen " << i << "\n" << Describe(windows_);
    ASSERT_TRUE(probe_.Keys(settled[0].handle, {"enter"})) << probe_.LastError();
    const std::string body = NextBody(Millis(10000));
    ASSERT_EQ(body.substr(0, 3), "RF" + HostByte(0)) << "screen " << i << ": " << body;
    if (i + 1 == warmUp) baseline = PrivateKib(terminal_.Folder());
  }
  const long end = PrivateKib(terminal_.Folder());
  ASSERT_GT(baseline, 0) << "terminal process not found";
  ASSERT_GT(end, 0) << "terminal process not found at the end";
  std::printf("long run: %d screens, private memory %ld KiB after %d, %ld KiB at the end\n", screens, baseline,
              warmUp, end);
  EXPECT_LT(end - baseline, 6 * 1024);
}

}  // namespace
}  // namespace vantor::e2e

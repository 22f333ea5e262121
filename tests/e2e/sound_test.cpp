// Vantor.exe's sounds: a record's sounds play in order, none is lost, and a long tone holds up nothing.
//
// Which sound plays when is seen from outside: Wine opens a wave file when its sound starts, so the order
// in which the files are opened is the order in which the sounds played. A tone takes time only on an
// audio output: the tone test gives Wine an ALSA null device, which consumes samples at about four times
// their real rate, so a 10-second tone holds the sound worker for about 2.5 seconds.
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

// Every opening of a file in a folder, with the time it was seen, read by a thread of its own.
class FileOpens {
 public:
  explicit FileOpens(const std::string& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (fd_ >= 0 && ::inotify_add_watch(fd_, folder.c_str(), IN_OPEN) >= 0) reader_ = std::thread([this] { Run(); });
  }
  ~FileOpens() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  bool Watching() const { return reader_.joinable(); }
  std::vector<std::pair<std::string, SteadyClock::time_point>> Opens() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return opens_;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& open : Opens()) names.push_back(open.first);
    return names;
  }
  bool WaitCount(size_t count, Millis timeout) const {
    return WaitFor([&] { return Names().size() >= count; }, timeout);
  }

 private:
  void Run() {
    alignas(inotify_event) char buffer[4096];
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      std::lock_guard<std::mutex> lock(mutex_);
      for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0) opens_.emplace_back(event->name, SteadyClock::now());
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }

  int fd_;
  std::atomic<bool> stop_{false};
  std::thread reader_;
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, SteadyClock::time_point>> opens_;
};

// A silent mono 16-bit wave file of 50 ms.
std::string SilentWave() {
  const auto le = [](std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
  };
  const std::uint32_t bytes = 2 * 2205;
  return "RIFF" + le(36 + bytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) + le(44100, 4) + le(88200, 4) +
         le(2, 2) + le(16, 2) + "data" + le(bytes, 4) + std::string(bytes, '\0');
}

class SoundTest : public TerminalTest {
 protected:
  void SetUp() override {
    TerminalTest::SetUp();
    ASSERT_EQ(::mkdir(Folder().c_str(), 0755), 0);
  }
  // Watches the sound folder (its files written), then starts the terminal with Wine's audio output on
  // the ALSA null device, where a tone takes its time.
  void Start(const IniEntries& settings) {
    opens_.emplace(Folder());
    ASSERT_TRUE(opens_->Watching());
    const std::string config = folder_ + "/asound.conf";
    ASSERT_TRUE(WriteFile(config, "pcm.!default { type null }\nctl.!default { type hw card 0 }\n"));
    StartConnected(settings, {"ALSA_CONFIG_PATH=" + config});
  }
  std::string Folder() const { return folder_ + "/sounds"; }
  // The Windows name under which Wine finds a sound file.
  std::string WinePath(const std::string& file) const {
    std::string path = "Z:" + Folder() + "/" + file;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
  }
  // The event's sound is a silent wave file of that name.
  void Wave(IniEntries& settings, const std::string& event, const std::string& file) {
    ASSERT_TRUE(WriteFile(Folder() + "/" + file, SilentWave()));
    settings.insert(settings.end(), {{event + "SoundType", "1"}, {event + "SoundFile", "\"" + WinePath(file) + "\""}});
  }

  std::optional<FileOpens> opens_;
};

using Names = std::vector<std::string>;

// A record's sounds play in the order asked for; a sound behind a long tone waits for it, the record's
// content and the operator's key do not. OK in a sound's options plays it once. Closing during tones cuts
// them short and drops the sounds waiting behind them.
TEST_F(SoundTest, SoundsPlayInOrderLongTonesHoldUpNothingAndEndWithTheProgram) {
  IniEntries settings{{"KorvathAdminMode", "true"},
                      {"User02SoundType", "2"},
                      {"User02SoundToneFrequency", "440"},
                      {"User02SoundToneDuration", "10000"}};
  for (const auto& [event, file] :
       {std::pair{"Normal", "normal.wav"}, {"Error", "error.wav"}, {"User01", "user1.wav"}, {"User03", "user3.wav"}})
    Wave(settings, event, file);
  Start(settings);
  SendScreen(EntryScreen());
  ASSERT_TRUE(opens_->WaitCount(1, Millis(5000)));
  EXPECT_EQ(opens_->Names(), Names{"normal.wav"}) << "the unlock plays the Normal sound";
  // User 3, User 1, then '#' before 'l' (Normal, and the lock), a user sound without a sound of its own
  // and one out of range, then '#' before 'o' (Error, and the unlock plays no Normal after it).
  ScreenBuilder sounds;
  sounds.UserSound(3).UserSound(1).Sound().Lock().Fixed(1, 0, 0, "COUNTED");
  SendScreen(sounds.UserSound(4).UserSound(5).Sound().FocusAndUnlock(20));
  ASSERT_TRUE(opens_->WaitCount(5, Millis(10000))) << testing::PrintToString(opens_->Names());
  ASSERT_TRUE(WaitControl(20).has_value());
  EXPECT_EQ(opens_->Names(), (Names{"normal.wav", "user3.wav", "user1.wav", "normal.wav", "error.wav"}));

  ScreenBuilder tone;
  tone.UserSound(1).UserSound(2).Fixed(1, 0, 0, "AFTER THE TONE").Define(21, 3, 0, kInputFlags, kPlainAttributes, 10);
  SendScreen(tone.UserSound(3).FocusAndUnlock(21));
  const auto field = WaitControl(21);
  ASSERT_TRUE(field.has_value() && Control(windows_, 1)) << Describe(windows_);
  const auto shown = SteadyClock::now();
  ASSERT_TRUE(probe_.Type(field->handle, "9")) << probe_.LastError();
  EXPECT_EQ(Press(field->handle, {"enter"}), KeyResponse(0, 21, {{21, "9"}}));
  const auto answered = SteadyClock::now();
  ASSERT_TRUE(opens_->WaitCount(8, Millis(20000))) << testing::PrintToString(opens_->Names());
  const auto opens = opens_->Opens();
  const auto first = opens[5].second, last = opens[6].second;
  std::printf("[  SOUND   ] the tone held the sound worker %lld ms\n",
              static_cast<long long>(std::chrono::duration_cast<Millis>(last - first).count()));
  ASSERT_GE(last - first, Millis(1500)) << "the tone took no time: Wine found no audio output";
  EXPECT_LT(shown, last) << "the record's content waited for the tone";
  EXPECT_LT(answered, last) << "the operator's key waited for the tone";

  // OK in the Error sound's options builds its player anew and plays it once.
  const auto dialog = OpenSoundDialog(1, "Options Error Sound");
  ASSERT_TRUE(dialog.has_value()) << Describe(windows_);
  ASSERT_TRUE(SetItemText(*dialog, 1050, WinePath("user1.wav")));
  ASSERT_TRUE(probe_.Post(dialog->handle, kWmCommand, 1, 0));
  ASSERT_TRUE(Gone("Options Error Sound"));
  ASSERT_TRUE(opens_->WaitCount(9, Millis(5000)));

  SendScreen(ScreenBuilder().UserSound(1).UserSound(2).UserSound(2).UserSound(3).FocusAndUnlock(21));
  ASSERT_TRUE(opens_->WaitCount(10, Millis(5000)));
  ASSERT_TRUE(probe_.Post(main_.handle, kWmClose, 0, 0));
  ASSERT_EQ(terminal_.WaitExit(Millis(15000)), 0);
  // The tone playing is cut short and the waiting ones never start: a stray sound, or an exit that let the
  // queue play out, would add names here.
  EXPECT_EQ(opens_->Names(), (Names{"normal.wav", "user3.wav", "user1.wav", "normal.wav", "error.wav", "user1.wav",
                                    "user3.wav", "normal.wav", "user1.wav", "user1.wav"}))
      << "a waiting sound played";
}

}  // namespace
}  // namespace vantor::e2e

// End-to-end tests of sounds: a record's sounds play in order, none is lost, and a long tone holds up nothing.
//
// Which sound plays when is seen from outside: Wine opens a wave file when its sound starts, so the
// order in which the files are opened is the order in which the sounds played. A tone takes time only
// on an audio output: the tone test gives Wine an ALSA null device, which consumes samples at about four
// times their real rate, so a 10-second tone holds the sound worker for about 2.5 seconds.
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

// The Windows name under which Wine finds a file of the Linux side.
std::string WinePath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A short silent mono 16-bit wave file.
std::string SilentWave(int milliseconds) {
  const std::uint32_t samples = 44100u * static_cast<std::uint32_t>(milliseconds) / 1000u;
  std::string wave = "RIFF";
  PutLe(wave, 36 + 2 * samples, 4);
  wave += "WAVEfmt ";
  PutLe(wave, 16, 4);
  PutLe(wave, 1, 2);
  PutLe(wave, 1, 2);
  PutLe(wave, 44100, 4);
  PutLe(wave, 88200, 4);
  PutLe(wave, 2, 2);
  PutLe(wave, 16, 2);
  wave += "data";
  PutLe(wave, 2 * samples, 4);
  wave.append(2 * samples, '\0');
  return wave;
}

// Records, with the time seen, every opening of a file in one folder.
class FileOpens {
 public:
  struct Open {
    std::string name;
    SteadyClock::time_point when;
  };

  explicit FileOpens(const std::string& folder) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ >= 0 && ::inotify_add_watch(fd_, folder.c_str(), IN_OPEN) >= 0)
      reader_ = std::thread([this] { Run(); });
  }
  ~FileOpens() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  FileOpens(const FileOpens&) = delete;
  FileOpens& operator=(const FileOpens&) = delete;

  bool Watching() const { return reader_.joinable(); }

  std::vector<Open> Opens() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return opens_;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const Open& open : Opens()) names.push_back(open.name);
    return names;
  }
  std::optional<SteadyClock::time_point> When(const std::string& name) const {
    for (const Open& open : Opens())
      if (open.name == name) return open.when;
    return std::nullopt;
  }
  bool WaitCount(std::size_t count, Millis timeout) const {
    return WaitFor([&] { return Opens().size() >= count; }, timeout, Millis(20));
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    opens_.clear();
  }

 private:
  void Run() {
    alignas(inotify_event) char buffer[4096];
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const ssize_t n = ::read(fd_, buffer, sizeof buffer);
      const auto now = SteadyClock::now();
      for (ssize_t at = 0; n > 0 && at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        if (event->len > 0) {
          std::lock_guard<std::mutex> lock(mutex_);
          opens_.push_back({std::string(event->name), now});
        }
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
  }

  int fd_ = -1;
  std::atomic<bool> stop_{false};
  std::thread reader_;
  mutable std::mutex mutex_;
  std::vector<Open> opens_;
};

// Sets an environment variable for the programs started while the object lives.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

constexpr auto kNormal = "normal.wav", kError = "error.wav", kUser1 = "user1.wav", kUser3 = "user3.wav";

class SoundEndToEnd : public TerminalTest {
 protected:
  // Starts the terminal with Wine's audio output on the ALSA null device.
  void StartWithNullAudio(const IniEntries& settings) {
    const std::string alsaConfig = terminal_.Folder() + "/asound.conf";
    ASSERT_TRUE(WriteFile(alsaConfig, "pcm.!default { type null }\nctl.!default { type hw card 0 }\n"));
    ScopedEnv alsa("ALSA_CONFIG_PATH", alsaConfig);
    StartConnected(settings);
  }

  std::string SoundFolder() const { return terminal_.Folder() + "/sounds"; }

  // The event's sound is the named silent wave file in the sound folder.
  IniEntries WaveSound(const std::string& event, const std::string& file) {
    const std::string path = SoundFolder() + "/" + file;
    EXPECT_TRUE(WriteFile(path, SilentWave(50)));
    return {{event + "SoundType", "1"}, {event + "SoundFile", "\"" + WinePath(path) + "\""}};
  }

  static IniEntries Tone(const std::string& event, int frequency, int milliseconds) {
    return {{event + "SoundType", "2"},
            {event + "SoundToneFrequency", std::to_string(frequency)},
            {event + "SoundToneDuration", std::to_string(milliseconds)}};
  }

  void PrepareFolder() { ASSERT_EQ(::mkdir(SoundFolder().c_str(), 0755), 0); }

  void ShowEntryScreen() {
    SendScreen(EntryScreen());
    ASSERT_TRUE(WaitControl(20).has_value()) << Describe(windows_);
  }
};

IniEntries Join(std::initializer_list<IniEntries> parts) {
  IniEntries all;
  for (const IniEntries& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(SoundEndToEnd, SoundsOfOneRecordPlayInTheOrderAskedFor) {
  PrepareFolder();
  const IniEntries sounds = Join({WaveSound("Normal", kNormal), WaveSound("Error", kError),
                                  WaveSound("User01", kUser1), WaveSound("User03", kUser3)});
  FileOpens opens(SoundFolder());
  ASSERT_TRUE(opens.Watching());
  StartConnected(sounds);
  ShowEntryScreen();
  // That screen's unlock played the Normal sound.
  ASSERT_TRUE(opens.WaitCount(1, Millis(5000)));
  EXPECT_EQ(opens.Names(), std::vector<std::string>{kNormal});
  opens.Clear();

  // User 3, User 1, then '#' before 'l' (Normal, and the lock), a user sound without a sound of its
  // own and one out of range, then '#' before 'o' (Error, and the unlock plays no Normal after it).
  SendScreen(ScreenBuilder()
                 .UserSound(3)
                 .UserSound(1)
                 .Sound()
                 .Lock()
                 .Fixed(1, 0, 0, "COUNTED")
                 .UserSound(4)
                 .UserSound(5)
                 .Sound()
                 .FocusAndUnlock(20));
  ASSERT_TRUE(opens.WaitCount(4, Millis(10000))) << ::testing::PrintToString(opens.Names());
  ASSERT_TRUE(WaitControl(1).has_value()) << Describe(windows_);
  EXPECT_TRUE(host_.NothingArrives(Millis(1000)));  // time for a stray fifth sound to show
  EXPECT_EQ(opens.Names(), (std::vector<std::string>{kUser3, kUser1, kNormal, kError}));
}

// OK in an event's Sound options builds the event's player anew and plays it once.
TEST_F(SoundEndToEnd, SoundDialogOkPlaysTheNewSoundOnce) {
  PrepareFolder();
  IniEntries settings = Join({WaveSound("Error", kError), WaveSound("User01", kUser1)});
  settings.push_back({"KorvathAdminMode", "true"});
  FileOpens opens(SoundFolder());
  ASSERT_TRUE(opens.Watching());
  StartConnected(settings);
  ShowEntryScreen();
  opens.Clear();

  OpenSoundDialog(1);
  const auto dialog = WaitDialog("Options Error Sound");
  ASSERT_TRUE(dialog.has_value());
  constexpr long long kWaveFileEdit = 1050;
  const auto file = Item(*dialog, kWaveFileEdit);
  ASSERT_TRUE(file.has_value());
  ASSERT_TRUE(probe_.SetText(file->handle, WinePath(SoundFolder() + "/" + kUser1)));
  ASSERT_TRUE(probe_.Post(dialog->handle, kWmCommand, 1, 0));
  ASSERT_TRUE(Gone("Options Error Sound"));
  ASSERT_TRUE(opens.WaitCount(1, Millis(5000)));
  EXPECT_TRUE(host_.NothingArrives(Millis(1000)));  // time for a second play to show
  EXPECT_EQ(opens.Names(), std::vector<std::string>{kUser1});
}

TEST_F(SoundEndToEnd, LongToneHoldsUpNeitherTheRecordNorTheOperator) {
  PrepareFolder();
  const IniEntries sounds =
      Join({WaveSound("User01", kUser1), Tone("User02", 440, 10000), WaveSound("User03", kUser3)});
  FileOpens opens(SoundFolder());
  ASSERT_TRUE(opens.Watching());
  StartWithNullAudio(sounds);
  ShowEntryScreen();

  // User 1 starts, the tone follows it, and User 3 waits behind the tone; the record's content does not.
  SendScreen(ScreenBuilder()
                 .UserSound(1)
                 .UserSound(2)
                 .Fixed(1, 0, 0, "AFTER THE TONE")
                 .Define(21, 3, 0, kInputFlags, kPlainAttributes, 10)
                 .UserSound(3)
                 .FocusAndUnlock(21));
  const auto field = WaitControl(21);
  ASSERT_TRUE(field.has_value()) << Describe(windows_);
  ASSERT_TRUE(Control(windows_, 1).has_value()) << Describe(windows_);
  const auto shown = SteadyClock::now();

  // The main window answers at once, and the operator's key goes to the host, while the tone plays.
  Millis slowest{0};
  for (int i = 0; i < 5; ++i) {
    const auto before = SteadyClock::now();
    ASSERT_EQ(KeyboardState(), 0);
    slowest = std::max(slowest, std::chrono::duration_cast<Millis>(SteadyClock::now() - before));
  }
  ASSERT_TRUE(probe_.Type(field->handle, "9")) << probe_.LastError();
  ASSERT_TRUE(probe_.Keys(0, {"enter"})) << probe_.LastError();
  EXPECT_EQ(NextBody(), KeyResponse(0, 21, {{21, "9"}}));
  const auto answered = SteadyClock::now();

  // The sound behind the tone is not lost: it plays once the tone has ended.
  ASSERT_TRUE(opens.WaitCount(2, Millis(20000))) << ::testing::PrintToString(opens.Names());
  EXPECT_EQ(opens.Names(), (std::vector<std::string>{kUser1, kUser3}));
  const auto first = opens.When(kUser1), last = opens.When(kUser3);
  ASSERT_TRUE(first && last);
  const auto toneMs = std::chrono::duration_cast<Millis>(*last - *first).count();
  const auto since = [&](SteadyClock::time_point t) { return std::chrono::duration_cast<Millis>(t - *first).count(); };
  std::printf("tone held the sound worker %lld ms; content shown after %lld ms, key answered after %lld ms, "
              "slowest round trip %lld ms\n",
              static_cast<long long>(toneMs), static_cast<long long>(since(shown)),
              static_cast<long long>(since(answered)), static_cast<long long>(slowest.count()));
  ASSERT_GE(toneMs, 1500) << "the tone took no time: Wine found no audio output";
  EXPECT_LT(shown, *last) << "the record's content waited for the tone";
  EXPECT_LT(answered, *last) << "the operator's key waited for the tone";
  EXPECT_LT(slowest.count(), 1000) << "the main window was slow to answer during the tone";
}

TEST_F(SoundEndToEnd, ClosingDuringALongToneEndsTheProgramPromptlyAndDropsWaitingSounds) {
  PrepareFolder();
  const IniEntries sounds =
      Join({WaveSound("User01", kUser1), Tone("User02", 440, 10000), WaveSound("User03", kUser3)});
  FileOpens opens(SoundFolder());
  ASSERT_TRUE(opens.Watching());
  StartWithNullAudio(sounds);
  ShowEntryScreen();
  // Two long tones play one after the other, and User 3 waits behind them.
  SendScreen(ScreenBuilder().UserSound(1).UserSound(2).UserSound(2).UserSound(3).FocusAndUnlock(20));
  ASSERT_TRUE(opens.WaitCount(1, Millis(5000)));
  ASSERT_EQ(opens.Names(), std::vector<std::string>{kUser1});
  const auto started = SteadyClock::now();
  ASSERT_TRUE(probe_.Post(main_.handle, kWmClose, 0, 0));
  const auto status = terminal_.WaitExit(Millis(15000));
  ASSERT_TRUE(status.has_value()) << "the terminal did not exit";
  EXPECT_EQ(*status, 0);
  const auto exitMs = std::chrono::duration_cast<Millis>(SteadyClock::now() - started).count();
  std::printf("exit during the tone took %lld ms\n", static_cast<long long>(exitMs));
  // Wine without a window manager spends about 2 s hiding the main window; the tone is then cut short
  // at once, where a tone left to play, or the program's 2 s wait for it, would take longer.
  EXPECT_LT(exitMs, 3500) << "the exit waited for the tones";
  EXPECT_EQ(opens.Names(), std::vector<std::string>{kUser1}) << "a waiting sound played at the exit";
}

}  // namespace
}  // namespace vantor::e2e

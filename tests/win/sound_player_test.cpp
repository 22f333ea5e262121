// Tests of playing sounds through PlaySoundW: callers never wait, players may go right after Play.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "devices/sound_player.h"
#include "devices/tone_image.h"

namespace vantor {
namespace {

ULONGLONG Elapsed(ULONGLONG since) { return GetTickCount64() - since; }

TEST(SoundPlayerWin, PlayingATenSecondToneDoesNotHoldTheCaller) {
  SoundPlayer player(kSoundTone, u"", 440, 10000, true, false, 0, 0, 0);
  for (int i = 0; i < 3; ++i) {
    const ULONGLONG start = GetTickCount64();
    player.Play();
    EXPECT_LT(Elapsed(start), 100u);
  }
  const ULONGLONG start = GetTickCount64();
  EXPECT_TRUE(StopSounds(5000));
  EXPECT_LT(Elapsed(start), 5000u);
}

TEST(SoundPlayerWin, PlayerMayGoRightAfterPlay) {
  wchar_t dir[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, dir), 0u);
  const std::wstring path = std::wstring(dir) + L"vantor-sound-test-" + std::to_wstring(GetCurrentProcessId()) + L".wav";
  {
    const auto image = RenderToneImage(880, 0.2);
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    const BOOL ok = WriteFile(out, image.data(), static_cast<DWORD>(image.size()), &written, nullptr);
    CloseHandle(out);
    ASSERT_TRUE(ok && written == image.size());
  }
  const std::u16string file(path.begin(), path.end());
  for (int type : {kSoundFile, kSoundTone}) {
    auto player = std::make_unique<SoundPlayer>(type, file, 1000, 300, true, false, 0, 0, 0);
    player->Play();
    player.reset();  // the preview's temporary player is deleted as soon as Play returns
  }
  SoundPlayer missing(kSoundFile, u"Z:\\no\\such\\sound.wav", 30, 1, true, false, 0, 0, 0);
  missing.Play();
  EXPECT_TRUE(StopSounds(5000));
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace vantor

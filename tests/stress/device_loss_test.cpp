// The sound device going away while the song plays (SDL announces it with
// SDL_AUDIODEVICEREMOVED): the platform layer reports the loss only for our own output
// device, the device position stops, and the music clock goes on by the wall clock, so the
// demo neither freezes nor loses its end.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>

#include "platform/platform.h"
#include "player/music.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"

namespace {

// Our device is the one SDL reports playing; SDL numbers opened devices from 2.
SDL_AudioDeviceID PlayingDevice() {
  for (SDL_AudioDeviceID id = 2; id < 16; ++id)
    if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) return id;
  return 0;
}

void AnnounceRemoval(SDL_AudioDeviceID id, bool capture) {
  SDL_Event event{};
  event.type = SDL_AUDIODEVICEREMOVED;
  event.adevice.which = id;
  event.adevice.iscapture = capture ? 1 : 0;
  SDL_PushEvent(&event);
}

TEST(DeviceLoss, TheClockGoesOnByTheWallClockOnceOurDeviceIsGone) {
  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  if (AUDIO_Init(44100) != 1) GTEST_SKIP() << "no audio device";
  MUSIC_MODULE* module = MUSIC_LoadSong("song", nullptr);
  ASSERT_NE(module, nullptr);
  ASSERT_EQ(MUSIC_PlaySong(module), 1);
  const SDL_AudioDeviceID ours = PlayingDevice();
  ASSERT_NE(ours, 0u);

  struct Removal {
    SDL_AudioDeviceID id;
    bool capture;
    bool lost;
  };
  for (const Removal& r : {Removal{ours + 1, false, false}, Removal{ours, true, false}, Removal{ours, false, true}}) {
    AnnounceRemoval(r.id, r.capture);
    EXPECT_EQ(platform::AudioDeviceLost(), r.lost) << "device " << r.id << " capture " << r.capture;
  }

  platform::SleepMs(100);
  const std::uint64_t position = platform::AudioPosition();
  const std::int32_t before = MUSIC_GetTime(module);
  platform::SleepMs(600);
  EXPECT_EQ(platform::AudioPosition(), position) << "a removed device plays no more";
  const std::int32_t after = MUSIC_GetTime(module);
  EXPECT_GT(after - before, 300) << "600 ms of wall clock move the music clock on";
  EXPECT_LT(after - before, 900);

  MUSIC_FreeSong(module);
  AUDIO_Close();
  EXPECT_FALSE(platform::AudioDeviceLost()) << "a closed device is no longer reported lost";
}

}  // namespace

// The sound device going away while the song plays (SDL announces it with
// SDL_AUDIODEVICEREMOVED): the platform layer reports the loss only for our own output
// device, the device position stops, and the music clock goes on by the wall clock, so the
// demo neither freezes nor loses its end.
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
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
  // The wall clock between the two readings is measured, not taken from the sleep, which a
  // busy machine may stretch: at least `shortest`, at most `longest`.
  using WallClock = std::chrono::steady_clock;
  const auto first_asked = WallClock::now();
  const std::int32_t before = MUSIC_GetTime(module);
  const auto first_read = WallClock::now();
  platform::SleepMs(600);
  EXPECT_EQ(platform::AudioPosition(), position) << "a removed device plays no more";
  const auto second_asked = WallClock::now();
  const std::int32_t after = MUSIC_GetTime(module);
  const auto second_read = WallClock::now();
  const auto ms = [](WallClock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
  };
  const long long shortest = ms(second_asked - first_read), longest = ms(second_read - first_asked);
  // Frozen, the clock would not move; at the device's pace, it moves by the wall clock, give or
  // take the feeder's turn and a block either way.
  EXPECT_GT(after - before, shortest / 2) << shortest << " ms of wall clock move the music clock on";
  EXPECT_LT(after - before, longest + 100) << "in " << longest << " ms of wall clock at most";

  MUSIC_FreeSong(module);
  AUDIO_Close();
  EXPECT_FALSE(platform::AudioDeviceLost()) << "a closed device is no longer reported lost";
}

}  // namespace

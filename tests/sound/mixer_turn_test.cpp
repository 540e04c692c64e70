// A ping-pong voice whose cursor stands a hair short of its loop end when a mix starts (closer
// than the boundary division resolves) turns at the end like any other and stays in its loop,
// instead of being thrown out of it by turns that come too early and then spinning in turns
// that throw it further out (the first case took the mixer billions of turns). Between mixes
// a cursor may stand up to one step beyond the loop, with its turn still to come.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "player/music.h"
#include "sound/mixer.h"
#include "sound/output.h"

namespace {

struct Case {
  std::uint32_t loop_length;
  std::uint32_t position;
  std::uint32_t fraction;  // 2^32 - fraction is below 256: within 2^-24 of the end
  std::uint32_t step;
};

TEST(PingPongTurn, ACursorAHairShortOfTheEndTurnsThereAndStaysInTheLoop) {
  ASSERT_EQ(AUDIO_InitOffline(44100), 1);
  for (const Case& c : {Case{1, 0, 0xFFFFFFFFu, 255}, Case{16, 15, 0xFFFFFF80u, 3}, Case{300, 299, 0xFFFFFFF0u, 7}}) {
    std::vector<std::int16_t> data(400 + 8, 1000);
    MUSIC_SAMPLE sample{};
    sample.data = data.data();
    sample.length = 400;
    sample.loop_start = 0;
    sample.loop_length = c.loop_length;
    sample.loop_mode = LOOP_BIDI;
    AUDIO_Voice voice{};
    voice.sample = &sample;
    voice.position = c.position;
    voice.position_fraction = c.fraction;
    voice.step = c.step;
    voice.direction = 1;
    std::vector<float> out(2 * 600, 0.0f);
    for (int call = 0; call < 4; ++call) {
      AUDIO_Mixer_FPU_Ramp_ASM(&voice, out.data(), 150, out.data() + 2 * 150);
      const bool near = voice.position <= c.loop_length + c.step || voice.position >= 0xFFFFFFFFu - c.step;
      ASSERT_TRUE(near) << "loop " << c.loop_length << ", call " << call << ": cursor at " << voice.position;
    }
  }
}

}  // namespace

// Every mixer path rounds each product and each sum on its own. Fusing the interpolation's
// product into its sum, or the gain's product into the output's sum (as a compiler may when the
// instruction set has fused multiply-adds), changes these frames' last bit; random voices
// almost never show it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "player/music.h"
#include "sound/mixer.h"
#include "sound/mixer_path.h"
#include "sound/output.h"

namespace {

struct Frame {
  std::uint32_t fraction;  // of the cursor, between samples a and b
  std::int16_t a;
  std::int16_t b;
  std::int32_t volume;
  float before;  // the output frame's value before the voice is added
  float after;   // its value after, each product and sum rounded on its own
};

// Found by search: the first three change when the interpolation is fused, the last three
// when the gain's product is fused into the output's sum.
const Frame kFrames[] = {
    {0x8a5c65c6, 22529, -13047, 113, -0x1.75ca3p+10f, -0x1.f6477ap+4f},
    {0xf9f5fd09, -23628, 11642, 201, -0x1.09a20cp+13f, 0x1.1ac0c4p+4f},
    {0xdaaf9ee0, 21868, 820, 241, -0x1.cb95eep+11f, -0x1.b9763cp-2f},
    {0xdde4421e, 21721, 6945, 248, -0x1.319e98p+13f, -0x1.156028p+10f},
    {0xd44dcf2c, -26616, -18318, 203, 0x1.eaf56p+13f, -0x1.a0088p-7f},
    {0x24da6082, -24554, -25677, 241, 0x1.6ce262p+14f, -0x1.875c1p+2f},
};

TEST(MixerRounding, NoPathFusesAProductIntoItsSum) {
  ASSERT_EQ(AUDIO_InitOffline(44100), 1);
  // 19 frames: two full steps of the widest path and a masked tail.
  constexpr int kFramesMixed = 19;
  for (const AUDIO_MixerPath path :
       {AUDIO_MixerPath::Scalar, AUDIO_MixerPath::Sse2, AUDIO_MixerPath::Avx2, AUDIO_MixerPath::Avx512}) {
    if (!AUDIO_MixerUsePath(path)) continue;
    for (const Frame& frame : kFrames) {
      std::vector<std::int16_t> data = {frame.a, frame.b, 0, 0, 0, 0, 0, 0, 0, 0};
      MUSIC_SAMPLE sample{};
      sample.data = data.data();
      sample.length = 2;
      sample.loop_length = 2;
      sample.loop_mode = LOOP_OFF;
      // A step of 0 reads every frame at the same cursor.
      AUDIO_Voice voice{};
      voice.sample = &sample;
      voice.direction = 1;
      voice.position_fraction = frame.fraction;
      voice.left_volume = voice.right_volume = frame.volume;
      voice.ramp_goal_left = voice.ramp_goal_right = frame.volume;
      voice.ramp_level_left = voice.ramp_level_right = frame.volume * 256;
      std::vector<float> out(2 * kFramesMixed, frame.before);
      AUDIO_Mixer_FPU_Ramp_ASM(&voice, out.data(), kFramesMixed, out.data() + out.size());
      for (int k = 0; k < 2 * kFramesMixed; ++k) {
        ASSERT_EQ(out[std::size_t(k)], frame.after)
            << AUDIO_MixerPathName(path) << ", fraction " << frame.fraction << ", sample " << k;
      }
    }
  }
  AUDIO_MixerUsePath(AUDIO_MixerPath::Scalar);
}

}  // namespace

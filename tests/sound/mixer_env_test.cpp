// Run with TARVELON_MIXER=scalar in the environment: the mixer takes the scalar path even on a
// CPU with a faster one, as the demo, xmrender and capture do under that setting.
#include <gtest/gtest.h>

#include <vector>

#include "sound/mixer.h"
#include "sound/mixer_path.h"
#include "sound/output.h"

TEST(MixerEnvironment, ScalarSettingForcesTheScalarPath) {
  ASSERT_EQ(AUDIO_InitOffline(44100), 1);
  std::vector<float> out(64, 0.0f);
  AUDIO_Mixer_FPU_Ramp(out.data(), 32, 0);
  EXPECT_EQ(AUDIO_MixerActivePath(), AUDIO_MixerPath::Scalar) << "best here: " << AUDIO_MixerPathName(AUDIO_MixerBestPath());
}

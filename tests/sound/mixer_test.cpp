// The voice mixer and the clip copy: interpolation, loops, ramps and 16-bit conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "player/music.h"
#include "sound/clipcopy.h"
#include "sound/mixer.h"
#include "sound/output.h"

namespace {

// Sample data with the loader's 8 spare samples, and room before it to catch stray reads.
struct TestSample {
  std::vector<std::int16_t> storage;
  MUSIC_SAMPLE sample{};
  static constexpr int kGuard = 16;

  TestSample(std::vector<std::int16_t> values, std::uint32_t loop_start, std::uint32_t loop_length,
             std::uint8_t mode) {
    storage.assign(kGuard + values.size() + 8, 0);
    // Whatever sits before the data is loud and wrong, so reading it shows in the output.
    for (int i = 0; i < kGuard; ++i) storage[std::size_t(i)] = -30000;
    std::copy(values.begin(), values.end(), storage.begin() + kGuard);
    sample.data = storage.data() + kGuard;
    sample.length = std::uint32_t(values.size());
    sample.loop_start = loop_start;
    sample.loop_length = loop_length;
    sample.loop_mode = mode;
  }
  std::int16_t* data() { return sample.data; }
};

// A voice already playing at full level (no ramp pending) from position 0, step 1.
AUDIO_Voice SteadyVoice(MUSIC_SAMPLE* sample, std::int32_t left, std::int32_t right) {
  AUDIO_Voice voice{};
  voice.sample = sample;
  voice.step = 1;
  voice.direction = 1;
  voice.left_volume = left;
  voice.right_volume = right;
  voice.ramp_goal_left = left;
  voice.ramp_goal_right = right;
  voice.ramp_level_left = left * 256;
  voice.ramp_level_right = right * 256;
  return voice;
}

void Mix(AUDIO_Voice* voice, std::vector<float>* out, int frames) {
  out->assign(std::size_t(frames) * 2, 0.0f);
  AUDIO_Mixer_FPU_Ramp_ASM(voice, out->data(), frames, out->data() + frames * 2);
}

std::vector<std::int16_t> Clip(const std::vector<float>& floats) {
  std::vector<std::int16_t> out(floats.size());
  AUDIO_MixerClipCopy_Float32(out.data(), floats.data(), std::int32_t(floats.size() / 2));
  return out;
}

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

class Mixer : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(AUDIO_InitOffline(44100), 1); }
};

TEST(ClipCopy, RoundsToNearestEvenAndSaturates) {
  const std::vector<float> in = {32767.4f, 32767.6f, -40000.0f, 2.5f, 3.5f, -0.5f,
                                 -32768.4f, -32768.6f, 1.0e10f, -2.5f, 0.49999997f, -1.0e10f};
  const std::vector<std::int16_t> expect = {32767, 32767, -32768, 2, 4, 0, -32768, -32768, 32767, -2, 0, -32768};
  std::vector<std::int16_t> out(in.size(), 123);
  AUDIO_MixerClipCopy_Float32(out.data(), in.data(), std::int32_t(in.size() / 2));
  EXPECT_EQ(out, expect);
}

TEST(ClipCopy, EmptyOrNullArgumentsCopyNothing) {
  const float in[2] = {5.0f, 6.0f};
  std::int16_t out[2] = {7, 7};
  AUDIO_MixerClipCopy_Float32(out, in, 0);
  AUDIO_MixerClipCopy_Float32(out, in, -3);
  AUDIO_MixerClipCopy_Float32(out, nullptr, 1);
  AUDIO_MixerClipCopy_Float32(nullptr, in, 1);
  EXPECT_EQ(out[0], 7);
  EXPECT_EQ(out[1], 7);
}

TEST(MixConstants, HaveTheirExactSinglePrecisionValues) {
  EXPECT_EQ(Bits(mix_1over2gig), 0x2FFFF910u);
  EXPECT_FLOAT_EQ(mix_1over255, 0.0039215684f);
  EXPECT_EQ(Bits(mix_1over255), Bits(1.0f / 255.0f));
  EXPECT_EQ(mix_1over256, 0.00390625f);
  EXPECT_LT(double(mix_1over2gig), std::ldexp(1.0, -31));
}

TEST_F(Mixer, StepOneReproducesTheData) {
  std::vector<std::int16_t> values;
  for (int i = 0; i < 300; ++i) values.push_back(std::int16_t((i * 7919) % 60000 - 30000));
  TestSample s(values, 0, 300, LOOP_OFF);
  AUDIO_Voice voice = SteadyVoice(&s.sample, 255, 255);
  std::vector<float> out;
  Mix(&voice, &out, 300);
  const std::vector<std::int16_t> clipped = Clip(out);
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(clipped[std::size_t(2 * i)], values[std::size_t(i)]) << "frame " << i;
    ASSERT_EQ(clipped[std::size_t(2 * i + 1)], values[std::size_t(i)]) << "frame " << i;
    ASSERT_NEAR(out[std::size_t(2 * i)], values[std::size_t(i)], 0.002);
  }
}

TEST_F(Mixer, HalfStepInterpolatesBetweenNeighbours) {
  TestSample s({0, 1000, 3000, 3000}, 0, 4, LOOP_OFF);
  AUDIO_Voice voice = SteadyVoice(&s.sample, 255, 0);
  voice.step = 0;
  voice.step_fraction = 0x80000000u;
  std::vector<float> out;
  Mix(&voice, &out, 4);
  // The weight of a half is (2^31 >> 1) x mix_1over2gig, a hair below 0.5.
  EXPECT_NEAR(out[2], 500.0f, 0.1);
  EXPECT_LT(out[2], 500.0f);
  EXPECT_NEAR(out[6], 2000.0f, 0.2);
  EXPECT_EQ(out[1], 0.0f);
  EXPECT_EQ(voice.position, 2u);
  EXPECT_EQ(voice.position_fraction, 0u);
}

TEST_F(Mixer, OneShotSampleMixesExactlyItsLengthAndEnds) {
  std::vector<std::int16_t> values(100, 1200);
  TestSample s(values, 0, 100, LOOP_OFF);
  AUDIO_Voice voice = SteadyVoice(&s.sample, 200, 100);
  std::vector<float> out;
  Mix(&voice, &out, 150);
  EXPECT_NE(out[2 * 99], 0.0f);
  for (int i = 100; i < 150; ++i) ASSERT_EQ(out[std::size_t(2 * i)], 0.0f) << "frame " << i;
  EXPECT_EQ(voice.sample, nullptr);
  EXPECT_EQ(voice.position, 0u);
  EXPECT_EQ(voice.position_fraction, 0u);
}

TEST_F(Mixer, BoundaryOfAFractionalStepIsFoundByDivision) {
  std::vector<std::int16_t> values(100, 1000);
  TestSample s(values, 0, 100, LOOP_OFF);
  AUDIO_Voice voice = SteadyVoice(&s.sample, 255, 255);
  voice.step_fraction = 0x80000000u;  // 1.5 samples per frame: ceil(100 / 1.5) = 67 frames
  std::vector<float> out;
  Mix(&voice, &out, 100);
  EXPECT_NE(out[2 * 66], 0.0f);
  EXPECT_EQ(out[2 * 67], 0.0f);
  EXPECT_EQ(voice.sample, nullptr);
}

TEST_F(Mixer, ForwardLoopWrapsFromTheEndToTheStart) {
  std::vector<std::int16_t> values;
  for (int i = 0; i < 16; ++i) values.push_back(std::int16_t(100 * i + 1));
  values[15] = values[5];  // the sample at the loop end repeats the loop start
  TestSample s(values, 5, 10, LOOP_NORMAL);
  AUDIO_Voice voice = SteadyVoice(&s.sample, 255, 255);
  std::vector<float> out;
  Mix(&voice, &out, 40);
  const std::vector<std::int16_t> clipped = Clip(out);
  for (int i = 0; i < 40; ++i) {
    const int index = i < 15 ? i : 5 + (i - 15) % 10;
    ASSERT_EQ(clipped[std::size_t(2 * i)], values[std::size_t(index)]) << "frame " << i;
  }
  EXPECT_EQ(voice.position, 5u + (40 - 15) % 10);
  EXPECT_EQ(voice.direction, 1);
  ASSERT_NE(voice.sample, nullptr);
}

TEST_F(Mixer, PingPongTurnsAtTheEndAndAtTheStart) {
  std::vector<std::int16_t> values;
  for (int i = 0; i < 16; ++i) values.push_back(std::int16_t(100 * i + 1));
  values[15] = values[14];  // the sample at the loop end repeats the one before
  TestSample s(values, 5, 10, LOOP_BIDI);
  AUDIO_Voice voice = SteadyVoice(&s.sample, 255, 255);
  std::vector<float> out;
  Mix(&voice, &out, 15);
  EXPECT_EQ(voice.position, 14u);
  EXPECT_EQ(voice.position_fraction, 0xFFFFFFFFu);
  EXPECT_EQ(voice.direction, 2);
  Mix(&voice, &out, 10);
  // Backwards at 14.99..., 13.99..., ... 5.99...; each value rounds to the upper neighbour.
  const std::vector<std::int16_t> back = Clip(out);
  for (int i = 0; i < 10; ++i) ASSERT_EQ(back[std::size_t(2 * i)], values[std::size_t(i == 0 ? 14 : 15 - i)]) << i;
  // (4, 0xFFFFFFFE) mirrored at 5 is (5, 1), moving forwards again.
  EXPECT_EQ(voice.position, 5u);
  EXPECT_EQ(voice.position_fraction, 1u);
  EXPECT_EQ(voice.direction, 1);
}

TEST_F(Mixer, PingPongLoopFromSampleZeroNeverReadsBeforeTheData) {
  std::vector<std::int16_t> values;
  for (int i = 0; i < 10; ++i) values.push_back(std::int16_t(1000 + 100 * i));
  TestSample s(values, 0, 10, LOOP_BIDI);
  s.storage[TestSample::kGuard + 10] = values[9];
  AUDIO_Voice voice = SteadyVoice(&s.sample, 255, 255);
  voice.position = 3;
  voice.direction = 2;
  std::vector<float> out;
  Mix(&voice, &out, 3);  // 3, 2, 1, then exactly on the loop start
  EXPECT_EQ(voice.position, 0xFFFFFFFFu);
  EXPECT_EQ(voice.position_fraction, 0xFFFFFFFFu);
  EXPECT_EQ(voice.direction, 1);
  Mix(&voice, &out, 3);
  const double gain = 255.0 * double(mix_1over255);
  EXPECT_EQ(out[0], float(1000.0 * gain)) << "the missing sample before the data counts as the first";
  EXPECT_EQ(voice.position, 2u);
  EXPECT_NEAR(out[2], 1100.0, 0.1);
}

TEST_F(Mixer, NewNoteRampsInOver128FramesThenHoldsTheTarget) {
  std::vector<std::int16_t> values(400, 10000);
  TestSample s(values, 0, 400, LOOP_NORMAL);
  s.storage[TestSample::kGuard + 400] = 10000;
  AUDIO_Voice voice{};
  voice.sample = &s.sample;
  voice.step = 1;
  voice.direction = 1;
  voice.left_volume = 255;
  voice.right_volume = 255;
  std::vector<float> out;
  Mix(&voice, &out, 300);  // the ramp ends mid-chunk; the same call goes on at full gain
  EXPECT_EQ(out[0], 0.0f);
  for (int i = 1; i < 128; ++i) {
    ASSERT_NEAR(out[std::size_t(2 * i)], 10000.0 * i / 128.0, 0.02) << "frame " << i;
    ASSERT_EQ(out[std::size_t(2 * i)], out[std::size_t(2 * i + 1)]);
  }
  const float full = float(10000.0 * (255.0 * double(mix_1over255)));
  for (int i = 128; i < 300; ++i) ASSERT_EQ(out[std::size_t(2 * i)], full) << "frame " << i;
  EXPECT_EQ(voice.ramp_level_left, 65280);
  EXPECT_EQ(voice.ramp_level_right, 65280);
  EXPECT_EQ(voice.ramp_remaining, 0);
  EXPECT_EQ(voice.ramp_delta_left, 0.0f);
  EXPECT_EQ(voice.position, 300u);

  // A drop to silence fades over 128 frames, then adds exact zeros while the cursor moves.
  voice.left_volume = 0;
  voice.right_volume = 0;
  Mix(&voice, &out, 300);
  EXPECT_EQ(out[0], full);
  for (int i = 1; i < 128; ++i) ASSERT_NEAR(out[std::size_t(2 * i)], 10000.0 * (128 - i) / 128.0, 0.1) << i;
  for (int i = 128; i < 300; ++i) {
    ASSERT_EQ(out[std::size_t(2 * i)], 0.0f) << "frame " << i;
    ASSERT_FALSE(std::signbit(out[std::size_t(2 * i)]));
  }
  EXPECT_EQ(voice.ramp_level_left, 0);
  EXPECT_EQ(voice.position, 200u);  // 600 frames through a 400-sample loop
  EXPECT_NE(voice.sample, nullptr);
}

TEST_F(Mixer, RampCarriesAcrossCallsAndReplansOnANewTarget) {
  std::vector<std::int16_t> values(400, 8000);
  TestSample s(values, 0, 400, LOOP_NORMAL);
  AUDIO_Voice voice{};
  voice.sample = &s.sample;
  voice.step = 1;
  voice.direction = 1;
  voice.left_volume = 255;
  voice.right_volume = 0;
  std::vector<float> out;
  Mix(&voice, &out, 64);
  EXPECT_EQ(voice.ramp_remaining, 64);
  EXPECT_EQ(voice.ramp_level_left, 32640);  // half way up, as 256 x gain
  EXPECT_EQ(voice.ramp_level_right, 0);
  Mix(&voice, &out, 64);
  EXPECT_NEAR(out[0], 4000.0, 0.05);
  EXPECT_EQ(voice.ramp_remaining, 0);
  EXPECT_EQ(voice.ramp_level_left, 65280);

  voice.left_volume = 51;  // a fifth of full: a new ramp from the level reached
  Mix(&voice, &out, 32);
  EXPECT_EQ(voice.ramp_remaining, 96);
  EXPECT_NEAR(out[2 * 16], 8000.0 * (1.0 - 0.8 * 16 / 128.0), 0.05);
  voice.right_volume = 255;  // a change mid-ramp plans again from where the levels are
  Mix(&voice, &out, 1);
  EXPECT_EQ(voice.ramp_remaining, 127);
  EXPECT_EQ(voice.ramp_goal_right, 255);
}

TEST_F(Mixer, OnlyVoicesZeroTo63AreMixed) {
  std::vector<std::int16_t> values(100, 1000);
  TestSample s(values, 0, 100, LOOP_NORMAL);
  for (AUDIO_Voice& voice : AUDIO_Channel) voice.sample = nullptr;
  AUDIO_Channel[63] = SteadyVoice(&s.sample, 255, 255);
  AUDIO_Channel[64] = SteadyVoice(&s.sample, 255, 255);
  std::vector<float> out(20, 0.0f);
  AUDIO_Mixer_FPU_Ramp(out.data(), 10, 0);
  EXPECT_NEAR(out[0], 1000.0, 0.01);
  EXPECT_EQ(AUDIO_Channel[63].position, 10u);
  EXPECT_EQ(AUDIO_Channel[64].position, 0u);
  AUDIO_Mixer_FPU_Ramp(out.data(), 0, 0);
  AUDIO_Mixer_FPU_Ramp(out.data(), -4, 0);
  EXPECT_EQ(AUDIO_Channel[63].position, 10u);
  AUDIO_Channel[63].sample = nullptr;
  AUDIO_Channel[64].sample = nullptr;
}

TEST_F(Mixer, SilentOrMissingVoicesContributeNothing) {
  std::vector<float> out(8, 1.5f);
  AUDIO_Mixer_FPU_Ramp_ASM(nullptr, out.data(), 4, out.data() + 8);
  AUDIO_Voice silent{};
  silent.step = 1;
  silent.left_volume = 255;
  AUDIO_Mixer_FPU_Ramp_ASM(&silent, out.data(), 4, out.data() + 8);
  for (float value : out) EXPECT_EQ(value, 1.5f);
  EXPECT_EQ(silent.ramp_goal_left, 0);
}

// A voice faded to silence skips the mixing but not a single step of its cursor: over short
// and long loops of every kind, forwards and backwards, it ends each block where the same
// voice heard at the lowest gain ends it, turned the same way, or ended alike; also when the
// whole mix moves it on beside another faded voice at another pitch.
TEST_F(Mixer, ASilentVoiceMovesExactlyAsAHeardOne) {
  std::vector<std::int16_t> values(300);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = std::int16_t(i * 37);
  const struct {
    std::uint32_t loop_start, loop_length;
    std::uint8_t mode;
  } loops[] = {{0, 300, LOOP_OFF}, {260, 40, LOOP_NORMAL}, {0, 3, LOOP_NORMAL}, {200, 40, LOOP_BIDI}, {0, 5, LOOP_BIDI}};
  const std::uint32_t steps[][2] = {{0, 0x2F000001u}, {1, 0x12345679u}, {3, 0xFFFFFFFFu}, {9, 0x80000001u}};
  for (const auto& loop : loops) {
    TestSample s(values, loop.loop_start, loop.loop_length, loop.mode);
    for (const auto& step : steps) {
      AUDIO_Voice heard = SteadyVoice(&s.sample, 1, 0);
      heard.step = step[0];
      heard.step_fraction = step[1];
      heard.position = loop.loop_start + loop.loop_length / 2;
      heard.position_fraction = 0x9E3779B9u;
      heard.direction = loop.mode == LOOP_BIDI ? 2 : 1;
      AUDIO_Voice silent = heard;
      silent.left_volume = silent.ramp_goal_left = silent.ramp_level_left = 0;
      for (AUDIO_Voice& voice : AUDIO_Channel) voice.sample = nullptr;
      AUDIO_Channel[5] = silent;
      AUDIO_Channel[5].step = 0;
      AUDIO_Channel[5].step_fraction = 0x2F000001u;
      AUDIO_Channel[9] = silent;
      std::vector<float> out;
      for (const int frames : {1, 37, 300, 882, 4096}) {
        Mix(&heard, &out, frames);
        out.assign(std::size_t(frames) * 2, 0.0f);
        AUDIO_Mixer_FPU_Ramp(out.data(), frames, 0);
        for (float value : out) ASSERT_EQ(value, 0.0f);
        const AUDIO_Voice beside = AUDIO_Channel[9];
        Mix(&silent, &out, frames);
        for (float value : out) ASSERT_EQ(value, 0.0f);
        const std::string where = "loop " + std::to_string(loop.loop_start) + "+" + std::to_string(loop.loop_length) +
                                  " mode " + std::to_string(loop.mode) + ", step " + std::to_string(step[0]) + ", block of " +
                                  std::to_string(frames);
        ASSERT_EQ(silent.sample, heard.sample) << where;
        ASSERT_EQ(silent.position, heard.position) << where;
        ASSERT_EQ(silent.position_fraction, heard.position_fraction) << where;
        ASSERT_EQ(silent.direction, heard.direction) << where;
        ASSERT_EQ(beside.sample, heard.sample) << where << ", in the mix";
        ASSERT_EQ(beside.position, heard.position) << where << ", in the mix";
        ASSERT_EQ(beside.position_fraction, heard.position_fraction) << where << ", in the mix";
        ASSERT_EQ(beside.direction, heard.direction) << where << ", in the mix";
      }
      for (AUDIO_Voice& voice : AUDIO_Channel) voice.sample = nullptr;
    }
  }
}

TEST_F(Mixer, ACursorPastTheEndIsTreatedAsTheEnd) {
  std::vector<std::int16_t> values(50, 500);
  TestSample s(values, 0, 50, LOOP_OFF);
  AUDIO_Voice voice = SteadyVoice(&s.sample, 255, 255);
  voice.position = 5000;  // an offset far beyond the data
  std::vector<float> out;
  Mix(&voice, &out, 10);
  for (float value : out) EXPECT_EQ(value, 0.0f);
  EXPECT_EQ(voice.sample, nullptr);
}

TEST(RampGeometry, FollowsTheRate) {
  ASSERT_EQ(AUDIO_InitOffline(22050), 1);
  EXPECT_EQ(mix_volumerampsteps, 64);
  EXPECT_EQ(mix_1overvolumerampsteps, 0.015625f);
  ASSERT_EQ(AUDIO_InitOffline(48000), 1);
  EXPECT_EQ(mix_volumerampsteps, 139);
  EXPECT_EQ(mix_1overvolumerampsteps, 1.0f / 139.0f);
  ASSERT_EQ(AUDIO_InitOffline(44100), 1);
  EXPECT_EQ(mix_volumerampsteps, 128);
  EXPECT_EQ(mix_1overvolumerampsteps, 0.0078125f);
}

}  // namespace

#include "sound/test_song.h"

#include <cmath>

#include "sound/output.h"
#include "sound/voice.h"

namespace testsong {

int g_updates = 0;
std::vector<int> g_update_blocks;
std::vector<int> g_update_real_blocks;

namespace {

MUSIC_SAMPLE* g_sample = nullptr;

void Update(MUSIC_MODULE* module) {
  ++g_updates;
  g_update_blocks.push_back(AUDIO_Software_FillBlock);
  g_update_real_blocks.push_back(AUDIO_Software_RealBlock.load());
  if (module->tick == 0 && g_sample) {
    const std::int32_t row = module->row + 16 * module->order;
    AUDIO_Voice& on = AUDIO_Channel[(row & 1) ? 32 : 0];
    AUDIO_Voice& off = AUDIO_Channel[(row & 1) ? 0 : 32];
    off.left_volume = 0;
    off.right_volume = 0;
    on.sample = g_sample;
    on.position = 0;
    on.position_fraction = 0;
    on.direction = 1;
    on.ramp_level_left = 0;
    on.ramp_level_right = 0;
    on.ramp_remaining = 0;
    on.step = 1 + std::uint32_t(row % 3);
    on.step_fraction = std::uint32_t(row) * 0x12345679u;
    on.left_volume = 255 - (row * 37) % 200;
    on.right_volume = 55 + (row * 53) % 200;
  }
  if (++module->tick >= module->speed) {
    module->tick = 0;
    if (++module->row >= 16) {
      module->row = 0;
      ++module->order;
    }
  }
}

}  // namespace

void ResetCounters() {
  g_updates = 0;
  g_update_blocks.clear();
  g_update_real_blocks.clear();
}

void Make(Song* song, std::int16_t bpm) {
  // A looping wave of 200 samples with the loader's guarantees: the sample after the loop
  // end repeats the loop start, and 8 spare samples follow.
  const std::uint32_t length = 200;
  song->data.assign(length + 8, 0);
  for (std::uint32_t i = 0; i < length; ++i) {
    song->data[i] = std::int16_t(std::lrint(9000.0 * std::sin(i * 0.0942477) + 3000.0 * std::sin(i * 0.7)));
  }
  song->sample = MUSIC_SAMPLE{};
  song->sample.data = song->data.data();
  song->sample.length = length;
  song->sample.loop_start = 40;
  song->sample.loop_length = length - 40;
  song->sample.loop_mode = LOOP_NORMAL;
  song->data[length] = song->data[40];

  song->module = MUSIC_MODULE{};
  song->module.channel_count = 2;
  song->module.song_length = 1;
  song->module.default_speed = 3;
  song->module.default_bpm = bpm;
  song->module.default_global_volume = 64;
  song->module.update = Update;
  g_sample = &song->sample;
}

}  // namespace testsong

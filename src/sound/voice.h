// The mixer's voices: what the note engine sets once per tick and the mixer plays between ticks.
#pragma once

#include <cstdint>

struct MUSIC_SAMPLE;

struct AUDIO_Voice {
  std::int32_t slot;  // index in AUDIO_Channel; the note engine finds the twin voice from it
  std::int32_t volume;
  std::int32_t frequency;
  std::int32_t pan;
  std::int32_t mix_volume;
  std::int32_t mix_pan;
  std::uint32_t start_offset;
  MUSIC_SAMPLE* sample;  // null: silent
  std::int32_t left_volume;   // target gains 0..255
  std::int32_t right_volume;
  std::uint32_t position;  // 32.32 cursor
  std::uint32_t position_fraction;
  std::uint32_t step_fraction;  // 32.32 advance per frame
  std::uint32_t step;
  std::int32_t direction;  // 1 forwards, otherwise backwards
  std::int32_t ramp_goal_left;
  std::int32_t ramp_goal_right;
  std::int32_t ramp_level_left;  // 256 x gain reached, 0..65,280
  std::int32_t ramp_level_right;
  float ramp_delta_left;
  float ramp_delta_right;
  std::int32_t ramp_remaining;
};

// 256 voices; 0..63 are mixed. Music channel c plays on voice c or its twin c + 32.
extern AUDIO_Voice AUDIO_Channel[256];

// The XM tick engine: per-channel playback state, row and note processing, effects.
#pragma once

#include <cstdint>

#include "player/music.h"

struct AUDIO_FileHandle;

// What the end of a tick pushes from a channel to its voice.
enum : std::uint8_t {
  UPDATE_FREQUENCY = 1,
  UPDATE_VOLUME = 2,
  UPDATE_PAN = 4,
  UPDATE_TRIGGER = 8,
  UPDATE_REWIND = 0x20,
};

struct MUSIC_CHANNEL {
  std::uint8_t note;
  std::uint8_t update_flags;
  AUDIO_Voice* voice;
  std::int32_t period;
  std::int32_t volume;
  std::int32_t pan;
  std::int32_t volume_offset;
  std::int32_t period_offset;
  std::int32_t volume_env_tick;
  std::int32_t volume_env_point;
  std::int32_t volume_env_fixed;
  std::int32_t volume_env_value;
  std::int32_t volume_env_delta;
  std::uint8_t volume_env_done;
  std::int32_t pan_env_tick;
  std::int32_t pan_env_point;
  std::int32_t pan_env_fixed;
  std::int32_t pan_env_value;
  std::int32_t pan_env_delta;
  std::uint8_t pan_env_done;
  std::int32_t fade_volume;
  std::int32_t autovibrato_position;
  std::int32_t autovibrato_sweep_count;
  std::uint8_t key_off;
  std::uint8_t instrument_index;
  std::uint8_t real_note;
  std::int32_t note_period;
  std::uint8_t last_effect;
  std::int32_t offset_memory;
  std::uint8_t porta_down_memory;
  std::uint8_t porta_up_memory;
  std::uint8_t xfine_down_memory;
  std::uint8_t xfine_up_memory;
  std::uint8_t volume_slide_memory;
  std::uint8_t pan_slide_memory;
  std::uint8_t retrig_volume_change;
  std::uint8_t retrig_interval;
  std::int32_t porta_target;
  std::uint8_t porta_speed;
  std::int8_t vib_position;
  std::uint8_t vib_speed;
  std::uint8_t vib_depth;
  std::int8_t trem_position;
  std::uint8_t trem_speed;
  std::uint8_t trem_depth;
  std::uint8_t tremor_position;
  std::uint8_t tremor_on;
  std::uint8_t tremor_off;
  std::int32_t loop_row;
  std::int32_t loop_count;
  std::uint8_t wave_control;
  std::uint8_t fine_volume_memory;
  std::uint8_t fine_up_memory;
  std::uint8_t fine_down_memory;
};

extern MUSIC_CHANNEL MUSIC_Channel[32];

// Loader (fills a zeroed module; 1 loaded, 0 rejected).
int MUSIC_LoadXM(MUSIC_MODULE* module, AUDIO_FileHandle* file);

// Row and note engine.
void MUSIC_UpdateXM(MUSIC_MODULE* module);
void MUSIC_UpdateXMNote(MUSIC_MODULE* module);
void MUSIC_XM_Resetcptr(MUSIC_CHANNEL* channel, MUSIC_SAMPLE* sample);
std::int32_t MUSIC_XM_GetAmigaPeriod(std::int32_t note, std::int32_t finetune);
void MUSIC_XM_UpdateFlags(MUSIC_CHANNEL* channel, MUSIC_SAMPLE* sample, MUSIC_MODULE* module);

// Effects, volume column, envelopes and vibratos.
void MUSIC_UpdateXMEffects(MUSIC_MODULE* module);

// The module player: an XM song in memory, its tick engine and its public controls.
//
// Glossary
//   frame   one stereo output instant: a left and a right sample.
//   sample  one value of a mono sample's PCM (MUSIC_SAMPLE data), or of one output side.
//   tick    the player's time step: 2.5 / bpm seconds, `mix_samples_per_tick` frames; effects
//           act once per tick.
//   row     one line of a pattern; it lasts `speed` ticks (plus any pattern delay).
//   order   an index into the order table, which names the pattern played there.
//   block   1/100 of the output ring (884 frames at 44,100 Hz), the unit the feeder refills
//           and for which the position (order, row, milliseconds) is recorded.
#pragma once

#include <cstdint>

struct AUDIO_Voice;
struct MUSIC_MODULE;

// Sample loop modes.
enum : std::uint8_t { LOOP_OFF = 1, LOOP_NORMAL = 2, LOOP_BIDI = 4 };

// One sample, always signed 16-bit once loaded; `data` carries 8 spare samples past `length`.
struct MUSIC_SAMPLE {
  std::int16_t* data;
  std::uint32_t length;       // samples
  std::uint32_t loop_start;   // 0 when not looping
  std::uint32_t loop_length;  // `length` when not looping: loop_start + loop_length is the end
  std::uint8_t default_volume;
  std::int8_t finetune;  // 1/128 semitone
  std::int32_t default_pan;
  std::uint8_t bits;
  std::uint8_t loop_mode;
  std::int8_t relative_note;
};

struct MUSIC_ENVELOPE_POINT {
  std::uint16_t tick;
  std::uint16_t value;
};

struct MUSIC_INSTRUMENT {
  std::int32_t sample_count;
  MUSIC_SAMPLE* samples[16];
  std::uint8_t sample_for_note[96];
  MUSIC_ENVELOPE_POINT volume_points[20];
  MUSIC_ENVELOPE_POINT pan_points[20];
  std::uint8_t volume_point_count;
  std::uint8_t pan_point_count;
  std::uint8_t volume_sustain;
  std::uint8_t volume_loop_start;
  std::uint8_t volume_loop_end;
  std::uint8_t pan_sustain;
  std::uint8_t pan_loop_start;
  std::uint8_t pan_loop_end;
  std::uint8_t volume_envelope_flags;  // bit 0 on, bit 1 sustain, bit 2 loop
  std::uint8_t pan_envelope_flags;
  std::uint8_t autovibrato_type;
  std::uint8_t autovibrato_sweep;
  std::uint8_t autovibrato_depth;
  std::uint8_t autovibrato_rate;
  std::uint16_t fadeout;  // twice the file's value
};

// One pattern cell.
struct MUSIC_NOTE {
  std::uint8_t note;  // 0 none, 1..96, 255 key off
  std::uint8_t instrument;
  std::uint8_t volume_column;
  std::uint8_t effect;
  std::uint8_t effect_param;
};

struct MUSIC_PATTERN {
  std::int32_t row_count;
  MUSIC_NOTE* notes;  // row-major: row r, channel c at r * channel_count + c
};

typedef void (*MUSIC_ModuleFunction)(MUSIC_MODULE* module);
typedef void (*MUSIC_SampleLoadCallback)(void* buffer, std::int32_t bytes, std::int32_t bits,
                                         std::int32_t instrument, std::int32_t sample);

struct MUSIC_MODULE {
  MUSIC_PATTERN* patterns;
  MUSIC_INSTRUMENT* instruments;
  std::int32_t mix_samples_left;
  std::int32_t mix_samples_per_tick;
  std::int16_t song_length;
  std::int16_t restart_order;
  std::int16_t channel_count;
  std::int32_t used_pattern_count;
  std::int32_t pattern_count;
  std::int16_t instrument_count;
  std::uint16_t song_flags;  // bit 0: linear frequency table
  std::int16_t default_speed;
  std::int16_t default_bpm;
  std::uint8_t order_table[256];
  std::uint8_t default_global_volume;
  std::int32_t global_volume;
  std::uint8_t global_volume_slide;
  std::int32_t tick;
  std::int32_t speed;
  std::int32_t bpm;
  std::int32_t row;
  std::int32_t order;
  std::int32_t pattern_delay;
  std::int32_t next_row;
  std::int32_t next_order;
  std::int32_t time_ms;
  MUSIC_ModuleFunction play_callback;
  MUSIC_ModuleFunction update;
  MUSIC_SampleLoadCallback sample_load_callback;
};

// The position recorded for one output block.
struct MUSIC_TIMEINFO {
  std::uint8_t order;
  std::uint8_t row;
  std::int32_t time_ms;
};

extern MUSIC_INSTRUMENT MUSIC_DummyInstrument;
extern MUSIC_SAMPLE MUSIC_DummySample;

// Loading (null on failure) and freeing.
MUSIC_MODULE* MUSIC_LoadSong(const void* name, MUSIC_SampleLoadCallback sample_load_callback);
int MUSIC_FreeSong(MUSIC_MODULE* module);

// Song controls and position queries.
void MUSIC_SetBPM(MUSIC_MODULE* module, std::int32_t bpm);
std::int32_t MUSIC_PlaySong(MUSIC_MODULE* module);
std::int32_t MUSIC_StopSong(MUSIC_MODULE* module);
std::int32_t MUSIC_GetOrder(MUSIC_MODULE* module);
std::int32_t MUSIC_GetRow(MUSIC_MODULE* module);
std::int32_t MUSIC_GetTime(MUSIC_MODULE* module);

// The seams between the row engine (xm_engine.cpp) and the effects (xm_effects*.cpp).
//
// The row engine runs tick 0 of every row and calls the functions below at fixed steps of a
// channel's row processing; the effects files implement them, together with the later ticks
// (MUSIC_UpdateXMEffects, declared in xm.h). Everything runs on the one thread that mixes.
#pragma once

#include <cstdint>

#include "player/xm.h"

// What the effects of the row being processed decided about the song position, beyond the
// module's next_order / next_row. The row engine clears it before the first channel of every
// row and reads it once the row is done.
struct MUSIC_XM_ROWJUMP {
  std::uint8_t position_jumped;  // a position jump (B) ran: a later pattern break keeps its order
  std::int32_t loop_row;         // -1, or the row a pattern loop (E6y) sends play back to
};

// One channel's cell on tick 0, with what the row engine resolved for it.
struct MUSIC_XM_CELL {
  const MUSIC_NOTE* note;         // the pattern cell
  MUSIC_INSTRUMENT* instrument;   // the channel's instrument, or &MUSIC_DummyInstrument
  MUSIC_SAMPLE* sample;           // the sample for the channel's note, or &MUSIC_DummySample
  std::int32_t volume_before;     // volume, period and pan before this row touched them;
  std::int32_t period_before;     // the note delay puts them back
  std::int32_t pan_before;
};

// ---- Provided by the row engine (xm_engine.cpp) ----

// The channel's instrument and the sample its current note maps to; an instrument number
// beyond the module's instruments, or an empty slot, gives the dummy records.
MUSIC_SAMPLE* MUSIC_XM_ResolveSample(MUSIC_MODULE* module, MUSIC_CHANNEL* channel,
                                     MUSIC_INSTRUMENT** instrument);

// ---- Provided by the effects (xm_effects*.cpp) ----

// Tick 0 of the effect column for one channel (row step "the effect's tick-0 action").
void MUSIC_XM_EffectTick0(MUSIC_MODULE* module, MUSIC_CHANNEL* channel, const MUSIC_XM_CELL* cell,
                          MUSIC_XM_ROWJUMP* jump);

// Tick 0 of the volume column; a byte of 0 does nothing.
void MUSIC_XM_ProcessVolumeByte(MUSIC_CHANNEL* channel, std::uint8_t byte);

// Advances one envelope by one tick. The per-channel arguments are the matching envelope fields
// of the channel (volume_env_* or pan_env_*); flag_bit is UPDATE_VOLUME or UPDATE_PAN.
void MUSIC_XM_ProcessEnvelope(MUSIC_CHANNEL* channel, std::int32_t* point, std::int32_t* tick,
                              std::uint8_t flags, std::uint8_t point_count,
                              const MUSIC_ENVELOPE_POINT* points, std::uint8_t loop_end,
                              std::uint8_t loop_start, std::uint8_t sustain, std::int32_t* value,
                              std::int32_t* fixed, std::uint8_t* done, std::int32_t* delta,
                              std::uint8_t flag_bit);

// One tick of the instrument's volume or pan envelope, while it is on and not finished.
void MUSIC_XM_StepVolumeEnvelope(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument);
void MUSIC_XM_StepPanEnvelope(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument);

// The fadeout step of a released note (every tick while key_off is set).
void MUSIC_XM_Fadeout(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument);

// The instrument's automatic vibrato, every tick for every channel, after the effect.
void MUSIC_XM_InstrumentVibrato(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument);

// Oscillators and slides shared by tick 0 and the later ticks.
void MUSIC_XM_Vibrato(MUSIC_CHANNEL* channel);
void MUSIC_XM_Tremolo(MUSIC_CHANNEL* channel);
void MUSIC_XM_Portamento(MUSIC_CHANNEL* channel);
void MUSIC_XM_Tremor(MUSIC_CHANNEL* channel);

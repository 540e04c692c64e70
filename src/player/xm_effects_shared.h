// Pieces the effect files share: the slides and memories that more than one effect column or
// tick uses, and the later-tick half of the volume column.
#pragma once

#include <cstdint>

#include "player/xm_effects.h"

// Volume slide of effects 5, 6 and A on later ticks, from the shared memory.
void MUSIC_XM_VolumeSlide(MUSIC_CHANNEL* channel);

// Moves the vibrato phase on by its speed, wrapping within -32..31.
void MUSIC_XM_AdvanceVibrato(MUSIC_CHANNEL* channel);

// Later ticks of the volume column; a byte of 0 does nothing.
void MUSIC_XM_VolumeByteTick(MUSIC_CHANNEL* channel, std::uint8_t byte);

// Effect L: moves the volume envelope to envelope tick `position`.
void MUSIC_XM_SetEnvelopePosition(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument,
                                  std::int32_t position);

// The multi-retrig volume change for code 1..15 (0 leaves the volume alone); not clamped.
std::int32_t MUSIC_XM_RetrigVolume(std::int32_t volume, std::uint8_t code);

// Volume clamped into 0..64 after a slide (only the slides that the player clamps use it).
inline std::int32_t MUSIC_XM_AtMost64(std::int32_t volume) { return volume > 64 ? 64 : volume; }
inline std::int32_t MUSIC_XM_AtLeast0(std::int32_t volume) { return volume < 0 ? 0 : volume; }

// Effect numbers as the XM format has them; letters are the trackers' names from 10 on.
enum : std::uint8_t {
  XM_ARPEGGIO = 0,
  XM_PORTA_UP = 1,
  XM_PORTA_DOWN = 2,
  XM_TONE_PORTA = 3,
  XM_VIBRATO = 4,
  XM_TONE_PORTA_VOLSLIDE = 5,
  XM_VIBRATO_VOLSLIDE = 6,
  XM_TREMOLO = 7,
  XM_SET_PANNING = 8,
  XM_SAMPLE_OFFSET = 9,
  XM_VOLUME_SLIDE = 10,     // A
  XM_POSITION_JUMP = 11,    // B
  XM_SET_VOLUME = 12,       // C
  XM_PATTERN_BREAK = 13,    // D
  XM_EXTENDED = 14,         // E
  XM_SET_SPEED = 15,        // F
  XM_GLOBAL_VOLUME = 16,    // G
  XM_GLOBAL_VOLSLIDE = 17,  // H
  XM_KEY_OFF = 20,          // K
  XM_ENVELOPE_POS = 21,     // L
  XM_PANNING_SLIDE = 25,    // P
  XM_MULTI_RETRIG = 27,     // R
  XM_TREMOR = 29,           // T
  XM_EXTRA_FINE_PORTA = 33  // X
};

// Extended effects (E0..EF) on tick 0 and on the later ticks; `sample` is the one the row
// engine resolved for the channel.
void MUSIC_XM_ExtendedTick0(MUSIC_MODULE* module, MUSIC_CHANNEL* channel,
                            const MUSIC_XM_CELL* cell, MUSIC_XM_ROWJUMP* jump);
void MUSIC_XM_ExtendedTick(MUSIC_MODULE* module, MUSIC_CHANNEL* channel, const MUSIC_NOTE* note,
                           MUSIC_SAMPLE* sample);

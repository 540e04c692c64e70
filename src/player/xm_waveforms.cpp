// The oscillators and slides that run on a channel tick after tick: instrument vibrato,
// vibrato, tremolo, tone portamento and tremor. Waveforms are computed on every use; no tables.
#include <cmath>
#include <cstdlib>

#include "player/xm_effects_shared.h"

namespace {

// The player's pi is a single-precision 3.141592; the phase arithmetic is single precision too
// and only the sine itself is taken in double, so the peaks stay just below 64 and 256.
constexpr float kPi = 3.141592f;

// Sine of a phase out of `steps` steps per cycle.
double PhaseSine(std::int32_t phase, std::int32_t steps) {
  const float angle = 2 * phase * kPi / static_cast<float>(steps);
  return std::sin(static_cast<double>(angle));
}

// Depth 0..255 of vibrato and tremolo for phase p in -32..31: a ramp from the low five bits,
// mirrored in the negative half.
std::int32_t RampWave(std::int8_t p) {
  const std::uint8_t ramp = static_cast<std::uint8_t>((p & 31) * 8);
  return p < 0 ? 255 - ramp : ramp;
}

std::int32_t SineWave(std::int8_t p) {
  return static_cast<std::int32_t>(std::fabs(PhaseSine(p, 64)) * 256);
}

// Instrument vibrato waveform for position 0..255, -64..64.
std::int32_t InstrumentWave(std::uint8_t type, std::int32_t pos) {
  switch (type) {
    case 0:  // sine
      return static_cast<std::int32_t>(PhaseSine(pos, 256) * 64);
    case 1:  // square
      return pos > 127 ? -64 : 64;
    case 2:  // ramp down
      return (128 - ((pos + 128) % 256)) >> 1;
    case 3:  // ramp up
      return (128 - ((384 - pos) % 256)) >> 1;
    default:
      return 0;
  }
}

// Adds 8-bit signed and wraps a phase back into -32..31.
std::int8_t AdvancePhase(std::int8_t position, std::uint8_t speed) {
  std::int8_t next = static_cast<std::int8_t>(position + speed);
  if (next > 31) next = static_cast<std::int8_t>(next - 64);
  return next;
}

}  // namespace

// Instrument (automatic) vibrato.
void MUSIC_XM_InstrumentVibrato(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument) {
  if (!channel || !instrument) return;
  std::int32_t w = InstrumentWave(instrument->autovibrato_type, channel->autovibrato_position);
  w *= instrument->autovibrato_depth;
  if (instrument->autovibrato_sweep != 0) {
    w = w * channel->autovibrato_sweep_count / instrument->autovibrato_sweep;
  }
  channel->period_offset += w >> 6;
  channel->autovibrato_sweep_count += 1;
  if (channel->autovibrato_sweep_count > instrument->autovibrato_sweep) {
    channel->autovibrato_sweep_count = instrument->autovibrato_sweep;
  }
  channel->autovibrato_position += instrument->autovibrato_rate;
  if (channel->autovibrato_position > 255) channel->autovibrato_position -= 256;
  channel->update_flags |= UPDATE_FREQUENCY;
}

// Vibrato step at the current phase (replaces the period offset).
void MUSIC_XM_Vibrato(MUSIC_CHANNEL* channel) {
  if (!channel) return;
  const std::int8_t p = channel->vib_position;
  std::int32_t w = 255;  // square, waveforms 2 and 3
  switch (channel->wave_control & 3) {
    case 0:
      w = SineWave(p);
      break;
    case 1:
      w = RampWave(p);
      break;
  }
  const std::int32_t offset = ((w * channel->vib_depth) >> 7) * 4;
  channel->period_offset = p >= 0 ? -offset : offset;
  channel->update_flags |= UPDATE_FREQUENCY;
}

// Vibrato phase advance, on later ticks only.
void MUSIC_XM_AdvanceVibrato(MUSIC_CHANNEL* channel) {
  channel->vib_position = AdvancePhase(channel->vib_position, channel->vib_speed);
}

// Tremolo step: a temporary volume deviation kept inside 0..64, then the phase moves on.
void MUSIC_XM_Tremolo(MUSIC_CHANNEL* channel) {
  if (!channel) return;
  const std::int8_t p = channel->trem_position;
  std::int32_t w = 0;
  switch ((channel->wave_control >> 4) & 3) {
    case 1:
      w = RampWave(p);
      break;
    case 2:
      w = 255;
      break;
    default:  // 0 and 3: sine
      w = SineWave(p);
      break;
  }
  w = (w * channel->trem_depth) >> 6;
  if (p >= 0) {
    if (channel->volume + w > 64) w = 64 - channel->volume;
    channel->volume_offset = w;
  } else {
    if (channel->volume - w < 0) w = channel->volume;
    channel->volume_offset = -w;
  }
  channel->trem_position = AdvancePhase(channel->trem_position, channel->trem_speed);
  channel->update_flags |= UPDATE_VOLUME;
}

// Tone portamento step toward the target, never past it.
void MUSIC_XM_Portamento(MUSIC_CHANNEL* channel) {
  if (!channel) return;
  const std::int32_t step = channel->porta_speed * 4;
  if (channel->period < channel->porta_target) {
    channel->period += step;
    if (channel->period > channel->porta_target) channel->period = channel->porta_target;
  } else if (channel->period > channel->porta_target) {
    channel->period -= step;
    if (channel->period < channel->porta_target) channel->period = channel->porta_target;
  }
  channel->update_flags |= UPDATE_FREQUENCY;
}

// Tremor step: `tremor_on` ticks of sound, then `tremor_off` ticks of silence, across rows.
void MUSIC_XM_Tremor(MUSIC_CHANNEL* channel) {
  if (!channel) return;
  if (channel->tremor_position >= channel->tremor_on) channel->volume_offset = -channel->volume;
  channel->tremor_position += 1;
  // A cycle shortened by a new parameter would otherwise count on to 255 before it wraps.
  if (channel->tremor_position >= channel->tremor_on + channel->tremor_off) {
    channel->tremor_position = 0;
  }
  channel->update_flags |= UPDATE_VOLUME;
}

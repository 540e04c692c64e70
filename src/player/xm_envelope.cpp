// Volume and pan envelopes (16.16 fixed point between points, sustain and loop), the
// set-envelope-position effect and the fadeout of released notes.
#include <cstdint>

#include "player/xm_effects_shared.h"

namespace {

// Points the instrument record can hold. A point count from a damaged file is cut so that the
// next point after the last one in use is still inside the record.
constexpr std::int32_t kPointSlots =
    static_cast<std::int32_t>(sizeof(MUSIC_INSTRUMENT::volume_points) / sizeof(MUSIC_ENVELOPE_POINT));

std::int32_t UsablePointCount(std::uint8_t point_count) {
  return point_count < kPointSlots ? point_count : kPointSlots - 1;
}

// 16.16 change per tick from point k to point k + 1; 0 when both sit on the same tick.
std::int32_t SegmentDelta(const MUSIC_ENVELOPE_POINT* points, std::int32_t k) {
  const std::int32_t ticks = points[k + 1].tick - points[k].tick;
  if (ticks == 0) return 0;
  const std::int64_t rise = static_cast<std::int64_t>(points[k + 1].value - points[k].value) * 65536;
  return static_cast<std::int32_t>(rise / ticks);
}

// A point's value in 16.16.
std::int32_t FixedValue(const MUSIC_ENVELOPE_POINT& point) {
  return static_cast<std::int32_t>(static_cast<std::int64_t>(point.value) * 65536);
}

// Envelopes whose point ticks do not increase keep adding their last delta for ever; the sum
// wraps in 32 bits instead of overflowing.
std::int32_t WrappingAdd(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace

// Envelope step: one tick of a volume or pan envelope.
void MUSIC_XM_ProcessEnvelope(MUSIC_CHANNEL* channel, std::int32_t* point, std::int32_t* tick,
                              std::uint8_t flags, std::uint8_t point_count,
                              const MUSIC_ENVELOPE_POINT* points, std::uint8_t loop_end,
                              std::uint8_t loop_start, std::uint8_t sustain, std::int32_t* value,
                              std::int32_t* fixed, std::uint8_t* done, std::int32_t* delta,
                              std::uint8_t flag_bit) {
  if (!channel || !point || !tick || !points || !value || !fixed || !done || !delta) return;
  const std::int32_t n = UsablePointCount(point_count);
  std::int32_t k = *point;
  if (k >= 0 && k < n) {
    if (*tick == points[k].tick) {
      if ((flags & 4) && k == loop_end && loop_start < kPointSlots - 1) {
        k = loop_start;
        *tick = points[k].tick;
      }
      if (k == n - 1) {
        *point = k;
        *value = points[k].value;
        *done = 1;
        channel->update_flags |= flag_bit;
        return;
      }
      if ((flags & 2) && k == sustain && channel->key_off == 0) {
        // Held at the sustain point until the note is released.
        *point = k;
        *value = points[k].value;
        channel->update_flags |= flag_bit;
        return;
      }
      *delta = SegmentDelta(points, k);
      *fixed = FixedValue(points[k]);
      k += 1;
    } else {
      *fixed = WrappingAdd(*fixed, *delta);
    }
  }
  *point = k;
  *value = static_cast<std::int16_t>(static_cast<std::uint32_t>(*fixed) >> 16);
  *tick += 1;
  channel->update_flags |= flag_bit;
}

void MUSIC_XM_StepVolumeEnvelope(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument) {
  if (!(instrument->volume_envelope_flags & 1) || channel->volume_env_done) return;
  MUSIC_XM_ProcessEnvelope(channel, &channel->volume_env_point, &channel->volume_env_tick,
                           instrument->volume_envelope_flags, instrument->volume_point_count,
                           instrument->volume_points, instrument->volume_loop_end,
                           instrument->volume_loop_start, instrument->volume_sustain,
                           &channel->volume_env_value, &channel->volume_env_fixed,
                           &channel->volume_env_done, &channel->volume_env_delta, UPDATE_VOLUME);
}

void MUSIC_XM_StepPanEnvelope(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument) {
  if (!(instrument->pan_envelope_flags & 1) || channel->pan_env_done) return;
  MUSIC_XM_ProcessEnvelope(channel, &channel->pan_env_point, &channel->pan_env_tick,
                           instrument->pan_envelope_flags, instrument->pan_point_count,
                           instrument->pan_points, instrument->pan_loop_end,
                           instrument->pan_loop_start, instrument->pan_sustain,
                           &channel->pan_env_value, &channel->pan_env_fixed,
                           &channel->pan_env_done, &channel->pan_env_delta, UPDATE_PAN);
}

// Set envelope position (effect L) on the volume envelope.
void MUSIC_XM_SetEnvelopePosition(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument,
                                  std::int32_t position) {
  const MUSIC_ENVELOPE_POINT* p = instrument->volume_points;
  const std::int32_t n = UsablePointCount(instrument->volume_point_count);
  std::int32_t k = 0;
  if (position > p[1].tick) {
    k = 1;
    while (k < n && position > p[k + 1].tick) k += 1;
  }
  channel->volume_env_point = k;
  if (k >= n - 1) {
    channel->volume_env_value = n > 0 ? p[n - 1].value : 0;
    channel->volume_env_done = 1;
    return;
  }
  channel->volume_env_done = 0;
  channel->volume_env_tick = position;
  channel->volume_env_delta = SegmentDelta(p, k);
  channel->volume_env_fixed = WrappingAdd(
      static_cast<std::int32_t>(static_cast<std::int64_t>(position - p[k].tick) * channel->volume_env_delta),
      FixedValue(p[k]));
  channel->volume_env_value = channel->volume_env_fixed >> 16;
  channel->volume_env_point = k + 1;
}

// Fadeout step of a released note.
void MUSIC_XM_Fadeout(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument) {
  if (!channel || !instrument) return;
  channel->fade_volume -= instrument->fadeout;
  if (channel->fade_volume < 0) channel->fade_volume = 0;
  channel->update_flags |= UPDATE_VOLUME;
}

// The volume column: one byte per cell, high nibble the command and low nibble its value.
// Its slides act on every tick of the row, tick 0 included; its fine slides only on tick 0.
#include "player/xm_effects_shared.h"

namespace {

// Set volume (0x10..0x50), not clamped beyond the byte's own range.
void SetVolume(MUSIC_CHANNEL* channel, std::uint8_t byte) {
  channel->volume = byte - 16;
  channel->update_flags |= UPDATE_VOLUME;
}

// Volume slide down (0x6y) and fine volume slide down (0x8y).
void SlideVolumeDown(MUSIC_CHANNEL* channel, std::uint8_t y) {
  channel->volume = MUSIC_XM_AtLeast0(channel->volume - y);
  channel->update_flags |= UPDATE_VOLUME;
}

// Volume slide up (0x7y) and fine volume slide up (0x9y).
void SlideVolumeUp(MUSIC_CHANNEL* channel, std::uint8_t y) {
  channel->volume = MUSIC_XM_AtMost64(channel->volume + y);
  channel->update_flags |= UPDATE_VOLUME;
}

// Set panning (0xCy).
void SetPanning(MUSIC_CHANNEL* channel, std::uint8_t y) {
  channel->pan = y * 16;
  channel->update_flags |= UPDATE_PAN;
}

// Panning slide left (0xDy) and right (0xEy, negative y), unclamped: the push clamps.
void SlidePanning(MUSIC_CHANNEL* channel, std::int32_t amount) {
  channel->pan += amount;
  channel->update_flags |= UPDATE_PAN;
}

// Tone portamento (0xFy) on tick 0: the target is the last note given.
void StartTonePortamento(MUSIC_CHANNEL* channel, std::uint8_t y) {
  if (y != 0) channel->porta_speed = static_cast<std::uint8_t>(y * 16);
  channel->porta_target = channel->note_period;
  channel->update_flags &= static_cast<std::uint8_t>(~UPDATE_TRIGGER);
}

}  // namespace

// Volume column, tick 0.
void MUSIC_XM_ProcessVolumeByte(MUSIC_CHANNEL* channel, std::uint8_t byte) {
  if (!channel) return;
  const std::uint8_t y = byte & 15;
  if (byte >= 0x10 && byte <= 0x50) {
    SetVolume(channel, byte);
    return;
  }
  switch (byte >> 4) {
    case 0x6:
    case 0x8:
      SlideVolumeDown(channel, y);
      break;
    case 0x7:
    case 0x9:
      SlideVolumeUp(channel, y);
      break;
    case 0xA:  // set vibrato speed
      channel->vib_speed = y;
      break;
    case 0xB:  // vibrato depth; the vibrato itself runs on the later ticks
      channel->vib_depth = y;
      break;
    case 0xC:
      SetPanning(channel, y);
      break;
    case 0xD:
      SlidePanning(channel, -y);
      break;
    case 0xE:
      SlidePanning(channel, y);
      break;
    case 0xF:
      StartTonePortamento(channel, y);
      break;
    default:  // 0x01..0x0F and 0x51..0x5F do nothing
      break;
  }
}

// Volume column, later ticks.
void MUSIC_XM_VolumeByteTick(MUSIC_CHANNEL* channel, std::uint8_t byte) {
  const std::uint8_t y = byte & 15;
  switch (byte >> 4) {
    case 0x6:
      SlideVolumeDown(channel, y);
      break;
    case 0x7:
      SlideVolumeUp(channel, y);
      break;
    case 0xB:  // vibrato
      channel->vib_depth = y;
      MUSIC_XM_Vibrato(channel);
      MUSIC_XM_AdvanceVibrato(channel);
      break;
    case 0xD:
      SlidePanning(channel, -y);
      break;
    case 0xE:
      SlidePanning(channel, y);
      break;
    case 0xF:
      MUSIC_XM_Portamento(channel);
      break;
    default:
      break;
  }
}

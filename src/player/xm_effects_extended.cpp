// The extended effects E0..EF (effect 14, sub-command in the high nibble), on tick 0 and on the
// later ticks of their row.
#include "player/xm_effects_shared.h"

namespace {

// The flags a tick pushes to the voice for its frequency, volume, pan and trigger.
constexpr std::uint8_t kPushBits = UPDATE_FREQUENCY | UPDATE_VOLUME | UPDATE_PAN | UPDATE_TRIGGER;

// Fine portamento up (E1).
void FinePortaUpTick0(MUSIC_CHANNEL* channel, std::uint8_t y) {
  if (y != 0) channel->fine_up_memory = y;
  channel->period -= channel->fine_up_memory * 4;
}

// Fine portamento down (E2).
void FinePortaDownTick0(MUSIC_CHANNEL* channel, std::uint8_t y) {
  if (y != 0) channel->fine_down_memory = y;
  channel->period += channel->fine_down_memory * 4;
}

// Vibrato waveform (E4).
void VibratoWaveformTick0(MUSIC_CHANNEL* channel, std::uint8_t y) {
  channel->wave_control = static_cast<std::uint8_t>((channel->wave_control & 0xF0) | y);
}

// Set finetune (E5): changes the sample record itself, so only later notes hear it.
void SetFinetuneTick0(MUSIC_SAMPLE* sample, std::uint8_t y) {
  if (sample) sample->finetune = static_cast<std::int8_t>(y);
}

// Pattern loop (E6): E60 marks the start, E6y plays back to it y more times.
void PatternLoopTick0(const MUSIC_MODULE* module, MUSIC_CHANNEL* channel, std::uint8_t y,
                      MUSIC_XM_ROWJUMP* jump) {
  if (y == 0) {
    channel->loop_row = module->row;
    return;
  }
  if (channel->loop_count == 0) {
    channel->loop_count = y;
  } else {
    channel->loop_count -= 1;
  }
  if (channel->loop_count != 0) jump->loop_row = channel->loop_row;
}

// Tremolo waveform (E7).
void TremoloWaveformTick0(MUSIC_CHANNEL* channel, std::uint8_t y) {
  channel->wave_control = static_cast<std::uint8_t>((channel->wave_control & 0x0F) | (y << 4));
}

// Set panning, coarse (E8).
void CoarsePanningTick0(MUSIC_CHANNEL* channel, std::uint8_t y) {
  channel->pan = y * 16;
  channel->update_flags |= UPDATE_PAN;
}

// Fine volume slide up (EA); the memory is shared with EB.
void FineVolumeUpTick0(MUSIC_CHANNEL* channel, std::uint8_t y) {
  if (y != 0) channel->fine_volume_memory = y;
  channel->volume = MUSIC_XM_AtMost64(channel->volume + channel->fine_volume_memory);
  channel->update_flags |= UPDATE_VOLUME;
}

// Fine volume slide down (EB).
void FineVolumeDownTick0(MUSIC_CHANNEL* channel, std::uint8_t y) {
  if (y != 0) channel->fine_volume_memory = y;
  channel->volume = MUSIC_XM_AtLeast0(channel->volume - channel->fine_volume_memory);
  channel->update_flags |= UPDATE_VOLUME;
}

// Note delay (ED) on tick 0: undo what the cell did to volume, pitch and pan, and start nothing.
void NoteDelayTick0(MUSIC_CHANNEL* channel, const MUSIC_XM_CELL* cell) {
  channel->volume = cell->volume_before;
  channel->period = cell->period_before;
  channel->pan = cell->pan_before;
  channel->update_flags &= static_cast<std::uint8_t>(~kPushBits);
}

// Pattern delay (EE): y more rows' worth of ticks at the current speed.
void PatternDelayTick0(MUSIC_MODULE* module, std::uint8_t y) { module->pattern_delay = y * module->speed; }

// Retrigger (E9) on a later tick: restart the note every y ticks.
void RetriggerTick(const MUSIC_MODULE* module, MUSIC_CHANNEL* channel, std::uint8_t y) {
  if (y != 0 && module->tick % y == 0) {
    channel->update_flags |= UPDATE_FREQUENCY | UPDATE_VOLUME | UPDATE_TRIGGER;
  }
}

// Note cut (EC) on a later tick.
void NoteCutTick(const MUSIC_MODULE* module, MUSIC_CHANNEL* channel, std::uint8_t y) {
  if (module->tick == y) {
    channel->volume = 0;
    channel->update_flags |= UPDATE_VOLUME;
  }
}

// Note delay (ED) on a later tick: the note starts on tick y; until then the voice is left alone.
void NoteDelayTick(const MUSIC_MODULE* module, MUSIC_CHANNEL* channel, const MUSIC_NOTE* note,
                   MUSIC_SAMPLE* sample, std::uint8_t y) {
  if (module->tick != y) {
    channel->update_flags &= static_cast<std::uint8_t>(~kPushBits);
    return;
  }
  MUSIC_XM_Resetcptr(channel, sample);
  channel->period = channel->note_period;
  channel->update_flags |= UPDATE_FREQUENCY;
  if (note->volume_column != 0) MUSIC_XM_ProcessVolumeByte(channel, note->volume_column);
  channel->update_flags |= UPDATE_TRIGGER;
}

}  // namespace

// Extended effects, tick 0.
void MUSIC_XM_ExtendedTick0(MUSIC_MODULE* module, MUSIC_CHANNEL* channel,
                            const MUSIC_XM_CELL* cell, MUSIC_XM_ROWJUMP* jump) {
  const std::uint8_t y = cell->note->effect_param & 15;
  switch (cell->note->effect_param >> 4) {
    case 0x1:
      FinePortaUpTick0(channel, y);
      break;
    case 0x2:
      FinePortaDownTick0(channel, y);
      break;
    case 0x4:
      VibratoWaveformTick0(channel, y);
      break;
    case 0x5:
      SetFinetuneTick0(cell->sample, y);
      break;
    case 0x6:
      PatternLoopTick0(module, channel, y, jump);
      break;
    case 0x7:
      TremoloWaveformTick0(channel, y);
      break;
    case 0x8:
      CoarsePanningTick0(channel, y);
      break;
    case 0xA:
      FineVolumeUpTick0(channel, y);
      break;
    case 0xB:
      FineVolumeDownTick0(channel, y);
      break;
    case 0xD:
      NoteDelayTick0(channel, cell);
      break;
    case 0xE:
      PatternDelayTick0(module, y);
      break;
    default:  // E0 filter, E3 glissando, E9/EC act later, EF nothing
      break;
  }
}

// Extended effects, later ticks.
void MUSIC_XM_ExtendedTick(MUSIC_MODULE* module, MUSIC_CHANNEL* channel, const MUSIC_NOTE* note,
                           MUSIC_SAMPLE* sample) {
  const std::uint8_t y = note->effect_param & 15;
  switch (note->effect_param >> 4) {
    case 0x9:
      RetriggerTick(module, channel, y);
      break;
    case 0xC:
      NoteCutTick(module, channel, y);
      break;
    case 0xD:
      NoteDelayTick(module, channel, note, sample, y);
      break;
    default:
      break;
  }
}

// Tick 0 of the effect column: what each effect does when its row starts. Most effects only
// take their parameter into a memory here and act on the later ticks.
#include "player/xm_effects_shared.h"
#include "sound/voice.h"

namespace {

constexpr std::uint8_t kNoFrequencyNoTrigger =
    static_cast<std::uint8_t>(~(UPDATE_FREQUENCY | UPDATE_TRIGGER));

// Portamento up (1): remember the speed.
void PortaUpTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  if (param != 0) channel->porta_up_memory = param;
}

// Portamento down (2): remember the speed.
void PortaDownTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  if (param != 0) channel->porta_down_memory = param;
}

// Tone portamento (3): aim at the cell's note without starting it.
void TonePortaTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  if (param != 0) channel->porta_speed = param;
  channel->porta_target = channel->note_period;
  channel->update_flags &= kNoFrequencyNoTrigger;
}

// Vibrato (4): new speed and depth where given, then the vibrato at the current phase.
void VibratoTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  if ((param >> 4) != 0) channel->vib_speed = param >> 4;
  if ((param & 15) != 0) channel->vib_depth = param & 15;
  MUSIC_XM_Vibrato(channel);
}

// Tone portamento + volume slide (5).
void TonePortaVolumeSlideTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  channel->porta_target = channel->note_period;
  if (param != 0) channel->volume_slide_memory = param;
  channel->update_flags &= kNoFrequencyNoTrigger;
}

// Vibrato + volume slide (6).
void VibratoVolumeSlideTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  if (param != 0) channel->volume_slide_memory = param;
  MUSIC_XM_Vibrato(channel);
}

// Tremolo (7): new speed and depth where given.
void TremoloTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  if ((param >> 4) != 0) channel->trem_speed = param >> 4;
  if ((param & 15) != 0) channel->trem_depth = param & 15;
}

// Set panning (8).
void SetPanningTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  channel->pan = param;
  channel->update_flags |= UPDATE_PAN;
}

// Sample offset (9): where the next trigger starts; an offset past the end rewinds the sound
// that is playing instead of starting the new note.
void SampleOffsetTick0(MUSIC_CHANNEL* channel, const MUSIC_SAMPLE* sample, std::uint8_t param) {
  if (param != 0) channel->offset_memory = param;
  if (!sample) return;
  const std::uint32_t offset = static_cast<std::uint32_t>(channel->offset_memory) * 256;
  if (offset >= sample->loop_start + sample->loop_length) {
    channel->update_flags &= static_cast<std::uint8_t>(~UPDATE_TRIGGER);
    channel->update_flags |= UPDATE_REWIND;
  } else if (channel->voice) {
    channel->voice->start_offset = offset;
  }
}

// Volume slide (A): remember the parameter.
void VolumeSlideTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  if (param != 0) channel->volume_slide_memory = param;
}

// Position jump (B).
void PositionJumpTick0(MUSIC_MODULE* module, std::uint8_t param, MUSIC_XM_ROWJUMP* jump) {
  module->next_order = param < module->song_length ? param : 0;
  module->next_row = 0;
  jump->position_jumped = 1;
}

// Set volume (C), not clamped.
void SetVolumeTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  channel->volume = param;
  channel->update_flags |= UPDATE_VOLUME;
}

// Pattern break (D): the parameter is a decimal row number.
void PatternBreakTick0(MUSIC_MODULE* module, std::uint8_t param, const MUSIC_XM_ROWJUMP* jump) {
  const std::int32_t row = (param >> 4) * 10 + (param & 15);
  module->next_row = row > 63 ? 0 : row;
  if (!jump->position_jumped) module->next_order = module->order + 1;
  if (module->next_order >= module->song_length) module->next_order = 0;
}

// Set speed (up to 31, 0 included) or tempo (F).
void SetSpeedTick0(MUSIC_MODULE* module, std::uint8_t param) {
  if (param <= 31) {
    module->speed = param;
  } else {
    MUSIC_SetBPM(module, param);
  }
}

// Set global volume (G).
void SetGlobalVolumeTick0(MUSIC_MODULE* module, MUSIC_CHANNEL* channel, std::uint8_t param) {
  module->global_volume = param > 64 ? 64 : param;
  channel->update_flags |= UPDATE_VOLUME;
}

// Global volume slide (H): remember the parameter.
void GlobalVolumeSlideTick0(MUSIC_MODULE* module, std::uint8_t param) {
  if (param != 0) module->global_volume_slide = param;
}

// Set envelope position (L), only while the volume envelope is on.
void EnvelopePositionTick0(MUSIC_CHANNEL* channel, const MUSIC_INSTRUMENT* instrument,
                           std::uint8_t param) {
  if (instrument && (instrument->volume_envelope_flags & 1)) MUSIC_XM_SetEnvelopePosition(channel, instrument, param);
}

// Panning slide (P): remember the parameter.
void PanningSlideTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  if (param != 0) {
    channel->pan_slide_memory = param;
    channel->update_flags |= UPDATE_PAN;
  }
}

// Multi retrig (R): volume code and interval.
void MultiRetrigTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  if (param != 0) {
    channel->retrig_volume_change = param >> 4;
    channel->retrig_interval = param & 15;
  }
}

// Tremor (T): sound and silence lengths, then the tremor on this tick already.
void TremorTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  if (param != 0) {
    channel->tremor_on = static_cast<std::uint8_t>((param >> 4) + 1);
    channel->tremor_off = static_cast<std::uint8_t>((param & 15) + 1);
  }
  MUSIC_XM_Tremor(channel);
}

// Extra fine portamento (X1y up, X2y down): one period unit per step, unclamped.
void ExtraFinePortaTick0(MUSIC_CHANNEL* channel, std::uint8_t param) {
  const std::uint8_t y = param & 15;
  switch (param >> 4) {
    case 1:
      if (y != 0) channel->xfine_up_memory = y;
      channel->period -= channel->xfine_up_memory;
      break;
    case 2:
      if (y != 0) channel->xfine_down_memory = y;
      channel->period += channel->xfine_down_memory;
      break;
    default:
      break;
  }
}

}  // namespace

// The effect column on tick 0 of a row.
void MUSIC_XM_EffectTick0(MUSIC_MODULE* module, MUSIC_CHANNEL* channel, const MUSIC_XM_CELL* cell,
                          MUSIC_XM_ROWJUMP* jump) {
  if (!module || !channel || !cell || !cell->note || !jump) return;
  const std::uint8_t param = cell->note->effect_param;
  switch (cell->note->effect) {
    case XM_PORTA_UP:
      PortaUpTick0(channel, param);
      break;
    case XM_PORTA_DOWN:
      PortaDownTick0(channel, param);
      break;
    case XM_TONE_PORTA:
      TonePortaTick0(channel, param);
      break;
    case XM_VIBRATO:
      VibratoTick0(channel, param);
      break;
    case XM_TONE_PORTA_VOLSLIDE:
      TonePortaVolumeSlideTick0(channel, param);
      break;
    case XM_VIBRATO_VOLSLIDE:
      VibratoVolumeSlideTick0(channel, param);
      break;
    case XM_TREMOLO:
      TremoloTick0(channel, param);
      break;
    case XM_SET_PANNING:
      SetPanningTick0(channel, param);
      break;
    case XM_SAMPLE_OFFSET:
      SampleOffsetTick0(channel, cell->sample, param);
      break;
    case XM_VOLUME_SLIDE:
      VolumeSlideTick0(channel, param);
      break;
    case XM_POSITION_JUMP:
      PositionJumpTick0(module, param, jump);
      break;
    case XM_SET_VOLUME:
      SetVolumeTick0(channel, param);
      break;
    case XM_PATTERN_BREAK:
      PatternBreakTick0(module, param, jump);
      break;
    case XM_EXTENDED:
      MUSIC_XM_ExtendedTick0(module, channel, cell, jump);
      break;
    case XM_SET_SPEED:
      SetSpeedTick0(module, param);
      break;
    case XM_GLOBAL_VOLUME:
      SetGlobalVolumeTick0(module, channel, param);
      break;
    case XM_GLOBAL_VOLSLIDE:
      GlobalVolumeSlideTick0(module, param);
      break;
    case XM_ENVELOPE_POS:
      EnvelopePositionTick0(channel, cell->instrument, param);
      break;
    case XM_PANNING_SLIDE:
      PanningSlideTick0(channel, param);
      break;
    case XM_MULTI_RETRIG:
      MultiRetrigTick0(channel, param);
      break;
    case XM_TREMOR:
      TremorTick0(channel, param);
      break;
    case XM_EXTRA_FINE_PORTA:
      ExtraFinePortaTick0(channel, param);
      break;
    default:  // arpeggio and key off act elsewhere; unknown effects do nothing
      break;
  }
}

// The later ticks of a row (every tick but the first): envelopes, fadeout, the volume column,
// the effect column and the instrument vibrato, channel by channel, then the push to the voice.
#include "player/xm_effects_shared.h"

namespace {

constexpr std::int32_t kChannelSlots =
    static_cast<std::int32_t>(sizeof(MUSIC_Channel) / sizeof(MUSIC_Channel[0]));

bool LinearTable(const MUSIC_MODULE* module) { return (module->song_flags & 1) != 0; }

// Arpeggio (0): base note, +x, +y semitones by tick mod 3.
void ArpeggioTick(const MUSIC_MODULE* module, MUSIC_CHANNEL* channel, const MUSIC_SAMPLE* sample,
                  std::uint8_t param) {
  if (param == 0) return;
  std::int32_t semitones = 0;
  switch (module->tick % 3) {
    case 1:
      semitones = param >> 4;
      break;
    case 2:
      semitones = param & 15;
      break;
  }
  if (LinearTable(module)) {
    channel->period_offset = semitones * 64;
  } else {
    channel->period_offset = MUSIC_XM_GetAmigaPeriod(channel->real_note + semitones, sample->finetune) -
                             MUSIC_XM_GetAmigaPeriod(channel->real_note, sample->finetune);
  }
  channel->update_flags |= UPDATE_FREQUENCY;
}

// Portamento up (1): never above the pitch of period 56.
void PortaUpTick(MUSIC_CHANNEL* channel) {
  channel->period_offset = 0;
  channel->period -= channel->porta_up_memory * 4;
  if (channel->period < 56) channel->period = 56;
  channel->update_flags |= UPDATE_FREQUENCY;
}

// Portamento down (2): no lower bound on the pitch.
void PortaDownTick(MUSIC_CHANNEL* channel) {
  channel->period_offset = 0;
  channel->period += channel->porta_down_memory * 4;
  channel->update_flags |= UPDATE_FREQUENCY;
}

// Tone portamento (3).
void TonePortaTick(MUSIC_CHANNEL* channel) {
  channel->period_offset = 0;
  MUSIC_XM_Portamento(channel);
}

// Vibrato (4).
void VibratoTick(MUSIC_CHANNEL* channel) {
  MUSIC_XM_Vibrato(channel);
  MUSIC_XM_AdvanceVibrato(channel);
}

// Tone portamento + volume slide (5).
void TonePortaVolumeSlideTick(MUSIC_CHANNEL* channel) {
  TonePortaTick(channel);
  MUSIC_XM_VolumeSlide(channel);
}

// Vibrato + volume slide (6).
void VibratoVolumeSlideTick(MUSIC_CHANNEL* channel) {
  VibratoTick(channel);
  MUSIC_XM_VolumeSlide(channel);
}

// Global volume slide (H): no flag; voices take it at their next volume push.
void GlobalVolumeSlideTick(MUSIC_MODULE* module) {
  const std::uint8_t x = module->global_volume_slide >> 4;
  const std::uint8_t y = module->global_volume_slide & 15;
  if (x != 0) {
    module->global_volume = MUSIC_XM_AtMost64(module->global_volume + x);
  } else if (y != 0) {
    module->global_volume = MUSIC_XM_AtLeast0(module->global_volume - y);
  }
}

// Panning slide (P), clamped to 0..255.
void PanningSlideTick(MUSIC_CHANNEL* channel) {
  const std::uint8_t x = channel->pan_slide_memory >> 4;
  const std::uint8_t y = channel->pan_slide_memory & 15;
  if (x != 0) {
    channel->pan += x;
    if (channel->pan > 255) channel->pan = 255;
  } else if (y != 0) {
    channel->pan -= y;
    if (channel->pan < 0) channel->pan = 0;
  }
  channel->update_flags |= UPDATE_PAN;
}

// Multi retrig (R): every `retrig_interval` ticks, change the volume by its code and restart.
void MultiRetrigTick(const MUSIC_MODULE* module, MUSIC_CHANNEL* channel) {
  if (channel->retrig_interval == 0 || module->tick % channel->retrig_interval != 0) return;
  if (channel->retrig_volume_change != 0) {
    std::int32_t volume = MUSIC_XM_RetrigVolume(channel->volume, channel->retrig_volume_change);
    channel->volume = MUSIC_XM_AtMost64(MUSIC_XM_AtLeast0(volume));
    channel->update_flags |= UPDATE_VOLUME;
  }
  channel->update_flags |= UPDATE_TRIGGER;
}

// The effect column on a later tick.
void EffectTick(MUSIC_MODULE* module, MUSIC_CHANNEL* channel, const MUSIC_NOTE* note,
                MUSIC_SAMPLE* sample) {
  switch (note->effect) {
    case XM_ARPEGGIO:
      ArpeggioTick(module, channel, sample, note->effect_param);
      break;
    case XM_PORTA_UP:
      PortaUpTick(channel);
      break;
    case XM_PORTA_DOWN:
      PortaDownTick(channel);
      break;
    case XM_TONE_PORTA:
      TonePortaTick(channel);
      break;
    case XM_VIBRATO:
      VibratoTick(channel);
      break;
    case XM_TONE_PORTA_VOLSLIDE:
      TonePortaVolumeSlideTick(channel);
      break;
    case XM_VIBRATO_VOLSLIDE:
      VibratoVolumeSlideTick(channel);
      break;
    case XM_TREMOLO:
      MUSIC_XM_Tremolo(channel);
      break;
    case XM_VOLUME_SLIDE:
      MUSIC_XM_VolumeSlide(channel);
      break;
    case XM_EXTENDED:
      MUSIC_XM_ExtendedTick(module, channel, note, sample);
      break;
    case XM_GLOBAL_VOLSLIDE:
      GlobalVolumeSlideTick(module);
      break;
    case XM_PANNING_SLIDE:
      PanningSlideTick(channel);
      break;
    case XM_MULTI_RETRIG:
      MultiRetrigTick(module, channel);
      break;
    case XM_TREMOR:
      MUSIC_XM_Tremor(channel);
      break;
    default:  // the others act on tick 0 only, or not at all
      break;
  }
}

// The cells of the row being played, or null when its pattern has no cells.
const MUSIC_NOTE* CurrentRowCells(const MUSIC_MODULE* module) {
  if (!module->patterns || module->order < 0 || module->order > 255) return nullptr;
  const std::int32_t pattern = module->order_table[module->order];
  if (pattern >= module->pattern_count) return nullptr;
  const MUSIC_PATTERN& cells = module->patterns[pattern];
  if (!cells.notes || module->row < 0 || module->row >= cells.row_count) return nullptr;
  return cells.notes + static_cast<std::int64_t>(module->row) * module->channel_count;
}

}  // namespace

// Volume slide of effects 5, 6 and A.
void MUSIC_XM_VolumeSlide(MUSIC_CHANNEL* channel) {
  const std::uint8_t x = channel->volume_slide_memory >> 4;
  const std::uint8_t y = channel->volume_slide_memory & 15;
  if (x != 0) {
    channel->volume = MUSIC_XM_AtMost64(channel->volume + x);
  } else if (y != 0) {
    channel->volume = MUSIC_XM_AtLeast0(channel->volume - y);
  }
  channel->update_flags |= UPDATE_VOLUME;
}

// Multi-retrig volume codes.
std::int32_t MUSIC_XM_RetrigVolume(std::int32_t volume, std::uint8_t code) {
  switch (code) {
    case 1: return volume - 1;
    case 2: return volume - 2;
    case 3: return volume - 4;
    case 4: return volume - 8;
    case 5: return volume - 16;
    case 6: return volume * 2 / 3;
    case 7: return volume >> 1;
    case 9: return volume + 1;
    case 10: return volume + 2;
    case 11: return volume + 4;
    case 12: return volume + 8;
    case 13: return volume + 16;
    case 14: return volume * 3 / 2;
    case 15: return volume * 2;
    default: return volume;  // 0 and 8: no change
  }
}

// One later tick of the row for every channel.
void MUSIC_UpdateXMEffects(MUSIC_MODULE* module) {
  if (!module) return;
  const MUSIC_NOTE* row = CurrentRowCells(module);
  if (!row) return;
  const std::int32_t channels = module->channel_count < kChannelSlots ? module->channel_count : kChannelSlots;
  for (std::int32_t c = 0; c < channels; ++c) {
    MUSIC_CHANNEL* channel = &MUSIC_Channel[c];
    const MUSIC_NOTE* note = &row[c];
    MUSIC_INSTRUMENT* instrument = &MUSIC_DummyInstrument;
    MUSIC_SAMPLE* sample = MUSIC_XM_ResolveSample(module, channel, &instrument);
    if (!sample) sample = &MUSIC_DummySample;
    if (!instrument) instrument = &MUSIC_DummyInstrument;

    channel->volume_offset = 0;
    channel->period_offset = 0;
    channel->update_flags = 0;

    MUSIC_XM_StepVolumeEnvelope(channel, instrument);
    MUSIC_XM_StepPanEnvelope(channel, instrument);
    if (channel->key_off) MUSIC_XM_Fadeout(channel, instrument);
    if (note->volume_column != 0) MUSIC_XM_VolumeByteTick(channel, note->volume_column);
    EffectTick(module, channel, note, sample);
    MUSIC_XM_InstrumentVibrato(channel, instrument);
    MUSIC_XM_UpdateFlags(channel, sample, module);
  }
}

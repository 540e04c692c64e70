// The XM tick engine: row sequencing, note triggering, periods for both frequency tables,
// twin voices, and the push of a channel's volume, pan and frequency to its mixer voice.
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "player/xm.h"
#include "player/xm_effects.h"
#include "sound/mixer.h"
#include "sound/output.h"
#include "sound/voice.h"

namespace {

constexpr std::int32_t kLinearBasePeriod = 7680;
constexpr std::int32_t kLinearMiddlePeriod = 4608;  // plays at the reference rate
constexpr double kReferenceRate = 8363.0;
constexpr std::int32_t kAmigaClock = 14317056;
constexpr std::int32_t kMinimumStepFrequency = 100;
constexpr int kTwinDistance = 32;
constexpr std::int64_t kMaxStepSamples = 256;

// What the effects of the row being processed decided beyond next_order / next_row.
MUSIC_XM_ROWJUMP row_jump = {0, -1};

bool LinearTable(const MUSIC_MODULE* module) { return (module->song_flags & 1) != 0; }

bool PlaysNote(std::uint8_t note) { return note != 0 && note != 255; }

std::int32_t NotePeriod(const MUSIC_MODULE* module, std::uint8_t real_note, std::int8_t finetune) {
  if (LinearTable(module)) return kLinearBasePeriod - real_note * 64 - finetune / 2;
  return MUSIC_XM_GetAmigaPeriod(real_note, finetune);
}

// Periods far outside the note range (wrapped notes, endless slides) give frequencies that no
// longer fit; they saturate instead of overflowing.
std::int32_t SaturateToInt32(double value) {
  if (!(value > -2147483648.0)) return INT32_MIN;
  if (value >= 2147483647.0) return INT32_MAX;
  return static_cast<std::int32_t>(value);
}

std::int32_t AmigaTablePeriod(std::int32_t note) {
  return SaturateToInt32(13.375 * std::pow(2.0, (132 - note) / 12.0));
}

std::int32_t PanWithEnvelope(const MUSIC_CHANNEL* channel) {
  std::int32_t pan = channel->pan;
  std::int32_t room = (128 - std::abs(pan - 128)) / 32;
  std::int32_t p = pan + (channel->pan_env_value - 32) * room;
  if (p < 0) return 0;
  if (p > 255) return 255;
  return p;
}

AUDIO_Voice* TwinOf(const AUDIO_Voice* voice) {
  std::int32_t slot = static_cast<std::int32_t>(voice - AUDIO_Channel);
  return &AUDIO_Channel[slot < kTwinDistance ? slot + kTwinDistance : slot - kTwinDistance];
}

void MoveToTwinVoice(MUSIC_CHANNEL* channel) {
  AUDIO_Voice* old_voice = channel->voice;
  AUDIO_Voice* twin = TwinOf(old_voice);
  *twin = *old_voice;
  twin->slot = static_cast<std::int32_t>(twin - AUDIO_Channel);
  // The mixer ramps the old note out from where it was.
  old_voice->volume = 0;
  old_voice->mix_volume = 0;
  old_voice->left_volume = 0;
  old_voice->right_volume = 0;
  channel->voice = twin;
}

// The voice a trigger left behind on the channel's twin is heard only while the mixer fades it
// out; after that nothing hears or reads it until a trigger copies the channel's voice over it.
// Let go then, it costs the mixer nothing; kept, it would be walked silently through its loop
// block after block (most of the voices of a busy song are such twins).
void LetGoOfFadedTwin(const MUSIC_CHANNEL* channel) {
  // By address: a voice outside the twins' slots has no twin to let go.
  const std::uintptr_t offset =
      reinterpret_cast<std::uintptr_t>(channel->voice) - reinterpret_cast<std::uintptr_t>(AUDIO_Channel);
  if (offset >= sizeof(AUDIO_Voice) * 2 * kTwinDistance) return;
  AUDIO_Voice* twin = TwinOf(channel->voice);
  if (twin->sample && AUDIO_MixerVoiceFadedOut(twin)) twin->sample = nullptr;
}

void StartSample(AUDIO_Voice* voice, MUSIC_SAMPLE* sample) {
  voice->sample = sample;
  if (voice->start_offset >= sample->loop_start + sample->loop_length) voice->start_offset = 0;
  voice->position = voice->start_offset;
  voice->position_fraction = 0;
  voice->direction = 1;
  voice->start_offset = 0;
  voice->ramp_level_left = 0;
  voice->ramp_level_right = 0;
  voice->ramp_remaining = 0;
}

void PushFrequency(const MUSIC_MODULE* module, const MUSIC_CHANNEL* channel, AUDIO_Voice* voice) {
  std::int64_t frequency;
  if (LinearTable(module)) {
    double exponent = (kLinearMiddlePeriod - static_cast<double>(channel->period) + channel->period_offset) / 768;
    frequency = SaturateToInt32(kReferenceRate * std::pow(2.0, exponent));
  } else {
    std::int64_t period = static_cast<std::int64_t>(channel->period) + channel->period_offset;
    frequency = kAmigaClock / period;
  }
  voice->frequency = static_cast<std::int32_t>(frequency);
  std::int64_t rate = AUDIO_MixRate;
  if (rate <= 0) return;
  if (frequency < kMinimumStepFrequency) frequency = kMinimumStepFrequency;
  // The mixer finds its loop boundaries with steps below 256 samples a frame; notes pitched
  // beyond that (wrapped notes, periods slid to almost 0) advance at the fastest step it takes.
  const std::int64_t fastest = kMaxStepSamples * rate - 1;
  if (frequency > fastest) frequency = fastest;
  std::uint32_t step = static_cast<std::uint32_t>(frequency / rate);
  voice->step = step;
  voice->step_fraction = static_cast<std::uint32_t>(
      ((static_cast<std::uint64_t>(frequency % rate) << 32) + step) / static_cast<std::uint64_t>(rate));
}

}  // namespace

std::int32_t MUSIC_XM_GetAmigaPeriod(std::int32_t note, std::int32_t finetune) {
  std::int32_t p0 = AmigaTablePeriod(note);
  if (finetune < 0 && note != 0) {
    std::int32_t lower = AmigaTablePeriod(note - 1);
    return p0 - static_cast<std::int32_t>((static_cast<std::int64_t>(p0) - lower) * -finetune / 128);
  }
  std::int32_t higher = AmigaTablePeriod(note + 1);
  return p0 + static_cast<std::int32_t>((static_cast<std::int64_t>(higher) - p0) * finetune / 128);
}

MUSIC_SAMPLE* MUSIC_XM_ResolveSample(MUSIC_MODULE* module, MUSIC_CHANNEL* channel,
                                     MUSIC_INSTRUMENT** instrument) {
  if (channel->instrument_index >= module->instrument_count) {
    MUSIC_DummySample.data = nullptr;
    *instrument = &MUSIC_DummyInstrument;
    return &MUSIC_DummySample;
  }
  *instrument = &module->instruments[channel->instrument_index];
  std::uint8_t slot = (*instrument)->sample_for_note[channel->note];
  if (slot > 15 || (*instrument)->samples[slot] == nullptr) return &MUSIC_DummySample;
  return (*instrument)->samples[slot];
}

void MUSIC_XM_Resetcptr(MUSIC_CHANNEL* channel, MUSIC_SAMPLE* sample) {
  channel->volume = sample->default_volume;
  channel->pan = sample->default_pan;
  channel->volume_env_value = 64;
  channel->volume_env_point = 0;
  channel->volume_env_tick = 0;
  channel->volume_env_delta = 0;
  channel->volume_env_done = 0;
  channel->pan_env_value = 32;
  channel->pan_env_point = 0;
  channel->pan_env_tick = 0;
  channel->pan_env_delta = 0;
  channel->pan_env_done = 0;
  channel->key_off = 0;
  channel->fade_volume = 65536;
  channel->autovibrato_sweep_count = 0;
  channel->autovibrato_position = 0;
  if ((channel->wave_control & 0x0f) <= 3) channel->vib_position = 0;
  if ((channel->wave_control >> 4) <= 3) channel->trem_position = 0;
  channel->tremor_position = 0;
  channel->update_flags |= UPDATE_VOLUME | UPDATE_PAN;
}

void MUSIC_XM_UpdateFlags(MUSIC_CHANNEL* channel, MUSIC_SAMPLE* sample, MUSIC_MODULE* module) {
  if (static_cast<std::int64_t>(channel->period) + channel->period_offset == 0)
    channel->update_flags &= static_cast<std::uint8_t>(~UPDATE_FREQUENCY);
  const std::uint8_t flags = channel->update_flags;

  // Before a trigger here makes a new twin: a voice left behind is kept for a tick at least.
  LetGoOfFadedTwin(channel);
  if (flags & UPDATE_TRIGGER) {
    if (channel->voice->sample != nullptr) MoveToTwinVoice(channel);
    StartSample(channel->voice, sample);
  }
  AUDIO_Voice* voice = channel->voice;
  if (flags & UPDATE_VOLUME) {
    double product = static_cast<double>(channel->volume_env_value) *
                     (static_cast<double>(channel->volume) + channel->volume_offset) *
                     channel->fade_volume * module->global_volume * 255.0;
    std::int32_t gain = SaturateToInt32(product / 34359738368.0);  // 2^35
    voice->mix_volume = gain;
    voice->volume = gain;
    voice->left_volume = static_cast<std::int32_t>(static_cast<std::int64_t>(gain) * voice->mix_pan / 255);
    voice->right_volume = static_cast<std::int32_t>(static_cast<std::int64_t>(gain) * (255 - voice->mix_pan) / 255);
  }
  if (flags & UPDATE_PAN) {
    std::int32_t pan = PanWithEnvelope(channel);
    voice->mix_pan = pan;
    voice->pan = pan;
    voice->left_volume = static_cast<std::int32_t>(static_cast<std::int64_t>(voice->mix_volume) * pan / 255);
    voice->right_volume = static_cast<std::int32_t>(static_cast<std::int64_t>(voice->mix_volume) * (255 - pan) / 255);
  }
  if (flags & UPDATE_FREQUENCY) PushFrequency(module, channel, voice);
  if (flags & UPDATE_REWIND) {
    voice->position_fraction = 0;
    voice->position = 0;
    voice->start_offset = 0;
  }
}

void MUSIC_UpdateXMNote(MUSIC_MODULE* module) {
  module->next_order = -1;
  module->next_row = -1;
  row_jump.position_jumped = 0;
  row_jump.loop_row = -1;
  const MUSIC_PATTERN* pattern = &module->patterns[module->order_table[module->order]];
  if (pattern->notes == nullptr) return;
  const MUSIC_NOTE* cells = pattern->notes + static_cast<std::size_t>(module->row) * module->channel_count;

  for (int c = 0; c < module->channel_count; ++c) {
    MUSIC_CHANNEL* channel = &MUSIC_Channel[c];
    const MUSIC_NOTE* cell = &cells[c];
    const bool porta = cell->effect == 3 || cell->effect == 5;
    if (cell->instrument != 0 && !porta) channel->instrument_index = static_cast<std::uint8_t>(cell->instrument - 1);
    if (PlaysNote(cell->note) && !porta) channel->note = static_cast<std::uint8_t>(cell->note - 1);

    MUSIC_INSTRUMENT* instrument;
    MUSIC_SAMPLE* sample = MUSIC_XM_ResolveSample(module, channel, &instrument);
    MUSIC_XM_CELL context = {cell, instrument, sample, channel->volume, channel->period, channel->pan};

    if (channel->last_effect == 7 && cell->effect != 7) channel->volume += channel->volume_offset;
    channel->last_effect = cell->effect;
    channel->volume_offset = 0;
    channel->update_flags = 0;

    if (PlaysNote(cell->note)) {
      channel->real_note = static_cast<std::uint8_t>(cell->note + sample->relative_note - 1);
      channel->note_period = NotePeriod(module, channel->real_note, sample->finetune);
      if (!porta) channel->period = channel->note_period;
      channel->update_flags = UPDATE_TRIGGER;
    }
    channel->period_offset = 0;
    channel->update_flags |= UPDATE_FREQUENCY | UPDATE_VOLUME;
    if (cell->instrument != 0) MUSIC_XM_Resetcptr(channel, sample);
    if (cell->volume_column != 0) MUSIC_XM_ProcessVolumeByte(channel, cell->volume_column);
    if (cell->note == 255 || cell->effect == 20) channel->key_off = 1;

    if (instrument->volume_envelope_flags & 1) {
      MUSIC_XM_StepVolumeEnvelope(channel, instrument);
    } else if (channel->key_off) {
      channel->volume_env_value = 0;  // released without an envelope: silent at once
    }
    MUSIC_XM_StepPanEnvelope(channel, instrument);
    if (channel->key_off) MUSIC_XM_Fadeout(channel, instrument);

    MUSIC_XM_EffectTick0(module, channel, &context, &row_jump);
    MUSIC_XM_InstrumentVibrato(channel, instrument);
    MUSIC_XM_UpdateFlags(channel, sample, module);
  }
}

void MUSIC_UpdateXM(MUSIC_MODULE* module) {
  if (module->tick == 0) {
    if (module->next_order >= 0) module->order = module->next_order;
    if (module->next_row >= 0) module->row = module->next_row;
    // A break into a shorter pattern would name a row it does not have; play its first row.
    if (module->row >= module->patterns[module->order_table[module->order]].row_count) module->row = 0;
    MUSIC_UpdateXMNote(module);
    if (module->next_row == -1) {
      std::int32_t next_row = row_jump.loop_row >= 0 ? row_jump.loop_row : module->row + 1;
      module->next_row = next_row;
      if (next_row >= module->patterns[module->order_table[module->order]].row_count) {
        module->next_order = module->order + 1;
        if (module->next_order >= module->song_length) module->next_order = module->restart_order;
        module->next_row = 0;
      }
    }
  } else {
    MUSIC_UpdateXMEffects(module);
  }
  module->tick += 1;
  if (module->tick >= module->speed + module->pattern_delay) {
    module->pattern_delay = 0;
    module->tick = 0;
  }
}

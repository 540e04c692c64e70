#include "sound/mixer.h"

#include <cmath>
#include <cstdint>

#include "player/music.h"
#include "sound/mixer_frame.h"
#include "sound/mixer_kernels.h"
#include "sound/mixer_planning.h"

AUDIO_Voice AUDIO_Channel[256];

std::int32_t mix_volumerampsteps = 128;
float mix_1overvolumerampsteps = 0.0078125f;

const float mix_255 = 255.0f;
const float mix_256 = 256.0f;
const float mix_1over255 = 1.0f / 255.0f;
const float mix_1over256 = 0.00390625f;
const float mix_1over2gig = 0x1.fff22p-32f;  // bits 0x2FFFF910

namespace {

using mixer_frame::kBeforeFirstSample;

constexpr std::uint64_t Fixed(std::uint32_t integer, std::uint32_t fraction) {
  return (std::uint64_t(integer) << 32) | fraction;
}

// The cursor reflected at the loop end E: 2E - cursor - 2^-32.
inline std::uint64_t MirrorAtEnd(std::uint64_t cursor, std::uint32_t end) {
  return Fixed(end, 0) - cursor + Fixed(end - 1, 0xFFFFFFFFu);
}

// The cursor reflected at the loop start S: 2S - cursor - 2^-32.
inline std::uint64_t MirrorAtStart(std::uint64_t cursor, std::uint32_t start) {
  return Fixed(start - 1, 0xFFFFFFFFu) - cursor + Fixed(start, 0);
}

inline void StoreCursor(AUDIO_Voice* voice, std::uint64_t cursor) {
  voice->position = std::uint32_t(cursor >> 32);
  voice->position_fraction = std::uint32_t(cursor);
}

// The steps between two passes of a voice, inlined into both pass loops: a voice on a short
// loop runs a pass every few dozen frames, and calls there would cost more than the work.
#define PASS_STEP inline __attribute__((always_inline))

// What each mixed voice's boundary searches share while its step stays: the step's reciprocal
// and the count the last search gave. The last entry serves voices outside AUDIO_Channel.
struct StepSearch {
  std::uint32_t step = 0;  // 0: none made yet (a step of 0 is never searched with)
  double reciprocal = 0.0;
  std::uint64_t last_frames = 0;
};
StepSearch g_searches[kMixedVoiceCount + 1];

PASS_STEP StepSearch& SearchFor(const AUDIO_Voice* voice, std::uint32_t step) {
  // By address, since a voice of the caller's own is no element of AUDIO_Channel. An entry
  // only saves work: any voice may use any entry, as it is checked against the step.
  const std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(voice) - reinterpret_cast<std::uintptr_t>(AUDIO_Channel);
  const std::uintptr_t slot = offset / sizeof(AUDIO_Voice);
  StepSearch& entry = g_searches[slot < std::uintptr_t(kMixedVoiceCount) ? slot : kMixedVoiceCount];
  if (entry.step != step) {
    entry.step = step;
    entry.reciprocal = mixer_planning::Reciprocal(step);
    entry.last_frames = 0;
  }
  return entry;
}

// Frames until the cursor reaches the boundary `distance` (32.32) away, or `limit` + 1 when
// the boundary is too far to be worth finding in this pass.
PASS_STEP std::uint64_t FramesToBoundary(std::uint64_t distance, const AUDIO_Voice* voice, std::uint64_t limit) {
  std::uint64_t scaled = 0;
  if (!mixer_planning::SearchDistance(distance, &scaled)) return limit + 1;
  const std::uint32_t step = mixer_planning::SearchStep(voice->step, voice->step_fraction);
  if (step == 0) return limit + 1;
  StepSearch& search = SearchFor(voice, step);
  std::uint64_t frames = 0;
  if (!mixer_planning::FramesNear(scaled, search.last_frames, step, &frames)) {
    frames = mixer_planning::FramesByReciprocal(scaled, step, search.reciprocal);
  }
  search.last_frames = frames;
  return frames;
}

// How far a pass goes from `cursor`: to the end of the output (`remaining` frames) or to the
// loop or sample boundary.
struct PassPlan {
  std::uint64_t frames;
  bool end_reached;
};

PASS_STEP PassPlan PlanPass(const AUDIO_Voice* voice, const MUSIC_SAMPLE* sample, std::uint64_t cursor, bool forwards,
                            std::uint64_t remaining) {
  const std::uint32_t loop_start = sample->loop_start;
  const std::uint32_t loop_end = sample->loop_start + sample->loop_length;
  const std::uint32_t index = std::uint32_t(cursor >> 32);
  const std::uint32_t fraction = std::uint32_t(cursor);
  // A turn made a hair early (the boundary division drops the low bits of the distance)
  // leaves a backwards cursor just above the loop end; it is inside, with one more sample
  // to travel, not past the start: turning it there again would throw it out of the loop.
  const bool outside = forwards ? (index >= loop_end && index != kBeforeFirstSample)
                                : (index < loop_start || index > loop_end);
  // A cursor put past the boundary by its owner is at the boundary now, so no frame of this
  // pass can read outside the data.
  if (outside) return {0, true};
  const std::uint64_t distance = forwards ? (std::uint64_t(loop_end - index) << 32) - fraction
                                          : (std::uint64_t(index - loop_start) << 32) + fraction;
  const std::uint64_t to_boundary = FramesToBoundary(distance, voice, remaining);
  if (to_boundary <= remaining) return {to_boundary, true};
  return {remaining, false};
}

// The voice's advance per frame, negated for a backwards voice.
PASS_STEP std::uint64_t SignedAdvance(const AUDIO_Voice* voice, bool forwards) {
  const std::uint64_t advance = Fixed(voice->step, voice->step_fraction);
  return forwards ? advance : 0 - advance;
}

// The cursor at the boundary a pass reached: looped, turned, or (false) the voice has ended,
// its sample let go.
PASS_STEP bool PassBoundary(AUDIO_Voice* voice, const MUSIC_SAMPLE* sample, std::uint64_t* cursor,
                            std::int32_t* direction) {
  const bool loops = sample->loop_length != 0 &&
                     (sample->loop_mode == LOOP_NORMAL || sample->loop_mode == LOOP_BIDI);
  if (!loops) {
    // An empty loop could never be left, so it ends the voice like a sample without one.
    voice->position = 0;
    voice->position_fraction = 0;
    voice->sample = nullptr;
    return false;
  }
  const std::uint32_t loop_start = sample->loop_start;
  const std::uint32_t loop_end = sample->loop_start + sample->loop_length;
  if (sample->loop_mode == LOOP_NORMAL) {
    std::uint32_t position = std::uint32_t(*cursor >> 32);
    // Compared with sign: a cursor that ends a hair short of the end of a loop starting at
    // 0 wraps to just before the data, which must stop the subtraction.
    position -= sample->loop_length;
    if (std::int32_t(position) >= std::int32_t(loop_end)) {
      // A step longer than the loop crossed it more than once: the rest of the subtractions
      // at once. Signed, the position only falls until it is below the end.
      const std::int64_t beyond = std::int64_t(std::int32_t(position)) - std::int64_t(std::int32_t(loop_end));
      position -= std::uint32_t(beyond / sample->loop_length + 1) * sample->loop_length;
    }
    *cursor = Fixed(position, std::uint32_t(*cursor));
  } else if (*direction == 1) {
    *cursor = MirrorAtEnd(*cursor, loop_end);
    *direction = 2;
    if (std::int32_t(*cursor >> 32) < std::int32_t(loop_start)) {
      *cursor = MirrorAtStart(*cursor, loop_start);
      *direction = 1;
    }
  } else {
    *cursor = MirrorAtStart(*cursor, loop_start);
    *direction = 1;
    if (std::int32_t(*cursor >> 32) >= std::int32_t(loop_end)) {
      *cursor = MirrorAtEnd(*cursor, loop_end);
      *direction = 2;
    }
  }
  return true;
}

// Whether the voice is silent and stays so: no ramp running or due, both gains at zero.
bool SettledSilent(const AUDIO_Voice* voice) {
  return voice->ramp_remaining == 0 && voice->left_volume == 0 && voice->right_volume == 0 &&
         (voice->ramp_level_left >> 8) == 0 && (voice->ramp_level_right >> 8) == 0;
}

// A settled silent voice over `frames` frames: its passes only move the cursor, boundary after
// boundary, exactly as MixVoice's would, with the cursor kept at hand between them. The ramp
// plan of such a pass only records that nothing is due.
void AdvanceSilently(AUDIO_Voice* voice, std::uint64_t frames) {
  voice->ramp_goal_left = 0;
  voice->ramp_goal_right = 0;
  voice->ramp_delta_left = 0.0f;
  voice->ramp_delta_right = 0.0f;
  const MUSIC_SAMPLE* sample = voice->sample;
  std::uint64_t cursor = Fixed(voice->position, voice->position_fraction);
  std::int32_t direction = voice->direction;
  while (frames > 0) {
    const bool forwards = direction == 1;
    const PassPlan pass = PlanPass(voice, sample, cursor, forwards, frames);
    const std::uint64_t advance = SignedAdvance(voice, forwards);
    cursor = mixer_frame::AdvanceFrames(cursor, advance, pass.frames);
    frames -= pass.frames;
    if (!pass.end_reached) break;
    if (!PassBoundary(voice, sample, &cursor, &direction)) return;
  }
  voice->direction = direction;
  StoreCursor(voice, cursor);
}

}  // namespace

namespace {

// One voice over the frames out ... end - 1, on the given kernels.
void MixVoice(AUDIO_Voice* voice, const MixKernels& kernels, float* out, float* end) {
  while (out < end) {
    const MUSIC_SAMPLE* sample = voice->sample;
    if (!sample || !sample->data) return;
    const bool forwards = voice->direction == 1;
    const std::uint64_t remaining = std::uint64_t(end - out) / 2;
    if (SettledSilent(voice)) {
      // A voice faded to silence adds zeros, which leave every sum as it was; only its cursor
      // moves on. Half the voices of a busy song are twins faded out like this.
      AdvanceSilently(voice, remaining);
      return;
    }

    // 1. How far this pass goes: to the end of the output or to the loop / sample boundary.
    std::uint64_t cursor = Fixed(voice->position, voice->position_fraction);
    const PassPlan pass = PlanPass(voice, sample, cursor, forwards, remaining);
    std::uint64_t frames = pass.frames;

    // 2. Ramp plan: go on with the running ramp, or plan a new one towards changed targets.
    const std::uint64_t frames_before_ramp = frames;
    std::int32_t ramp_frames = 0;
    if (voice->ramp_remaining != 0 && voice->left_volume == voice->ramp_goal_left &&
        voice->right_volume == voice->ramp_goal_right) {
      ramp_frames = voice->ramp_remaining;
    } else {
      voice->ramp_goal_left = voice->left_volume;
      const std::int32_t left_change = voice->left_volume - (voice->ramp_level_left >> 8);
      if (left_change != 0) {
        voice->ramp_delta_left =
            float(double(left_change) * double(mix_1over255) * double(mix_1overvolumerampsteps));
        ramp_frames = mix_volumerampsteps;
      } else {
        voice->ramp_delta_left = 0.0f;
      }
      voice->ramp_goal_right = voice->right_volume;
      const std::int32_t right_change = voice->right_volume - (voice->ramp_level_right >> 8);
      if (right_change != 0) {
        voice->ramp_delta_right =
            float(double(right_change) * double(mix_1over255) * double(mix_1overvolumerampsteps));
        ramp_frames = mix_volumerampsteps;
      } else {
        voice->ramp_delta_right = 0.0f;
      }
    }
    const bool ramping = ramp_frames > 0;
    if (ramping) {
      voice->ramp_remaining = ramp_frames;
      if (frames > std::uint64_t(ramp_frames)) frames = std::uint64_t(ramp_frames);
    }

    // 3. The signed advance; the gains follow with the frames.
    const std::uint64_t advance = SignedAdvance(voice, forwards);
    const MixRun run{out, frames, sample->data, cursor, advance};
    out += frames * 2;

    // 4. Resample and add.
    if (ramping) {
      RampGains gains{double(voice->ramp_level_left) * double(mix_1over256) * double(mix_1over255),
                      double(voice->ramp_level_right) * double(mix_1over256) * double(mix_1over255),
                      voice->ramp_delta_left, voice->ramp_delta_right};
      cursor = kernels.ramp(run, &gains);
      // 5. Ramp bookkeeping.
      voice->ramp_level_left = std::int32_t(std::nearbyint(gains.left * double(mix_255) * double(mix_256)));
      voice->ramp_level_right = std::int32_t(std::nearbyint(gains.right * double(mix_255) * double(mix_256)));
      ramp_frames -= std::int32_t(frames);
      voice->ramp_remaining = ramp_frames;
      if (ramp_frames == 0) {
        voice->ramp_delta_left = 0.0f;
        voice->ramp_delta_right = 0.0f;
        voice->ramp_level_left = voice->left_volume * 256;
        voice->ramp_level_right = voice->right_volume * 256;
        if (frames != frames_before_ramp) {
          StoreCursor(voice, cursor);
          continue;
        }
      }
    } else if (voice->left_volume == 0 && voice->right_volume == 0) {
      // Silent in this pass (a ramp left unfinished may still be due later): zeros to add.
      cursor = mixer_frame::AdvanceFrames(cursor, advance, frames);
    } else {
      cursor = kernels.steady(run, double(voice->left_volume) * double(mix_1over255),
                              double(voice->right_volume) * double(mix_1over255));
    }

    // 6. The boundary: loop, turn, or end the voice.
    if (!pass.end_reached) {
      StoreCursor(voice, cursor);
      return;
    }
    std::int32_t direction = voice->direction;
    if (!PassBoundary(voice, sample, &cursor, &direction)) return;
    voice->direction = direction;
    StoreCursor(voice, cursor);
  }
}

}  // namespace

void AUDIO_Mixer_FPU_Ramp_ASM(AUDIO_Voice* voice, float* buffer, std::int32_t, float* end) {
  if (!voice || !buffer || !end) return;
  MixVoice(voice, ActiveKernels(), buffer, end);
}

void AUDIO_Mixer_FPU_Ramp(float* buffer, std::int32_t count, std::int32_t) {
  if (!buffer || count <= 0) return;
  float* end = buffer + std::ptrdiff_t(count) * 2;
  // Most of the 64 voices are silent at any time: they cost a look at their sample only.
  const MixKernels& kernels = ActiveKernels();
  for (int voice = 0; voice < kMixedVoiceCount; ++voice) {
    if (AUDIO_Channel[voice].sample) MixVoice(&AUDIO_Channel[voice], kernels, buffer, end);
  }
}

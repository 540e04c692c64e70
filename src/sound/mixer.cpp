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

// What every pass of a voice shares while it is mixed, read once: its sample's loop, its
// advance and its boundary search, with the search's last count kept at hand (a voice on a
// short loop plans a pass every few dozen frames, and each plan waits for the last).
struct VoiceTrack {
  std::uint32_t loop_start;
  std::uint32_t loop_end;
  std::uint32_t loop_length;
  std::uint8_t loop_mode;
  bool loops;                  // a normal or ping-pong loop that is not empty
  std::uint64_t advance;       // per frame, forwards
  std::uint32_t search_step;   // the step as the boundary search sees it; 0: never searched
  StepSearch* search;          // the step's entry, when there is a step to search with
  std::uint64_t last_frames;   // the count the last search gave

  PASS_STEP VoiceTrack(const AUDIO_Voice* voice, const MUSIC_SAMPLE* sample)
      : loop_start(sample->loop_start),
        loop_end(sample->loop_start + sample->loop_length),
        loop_length(sample->loop_length),
        loop_mode(sample->loop_mode),
        loops(sample->loop_length != 0 && (sample->loop_mode == LOOP_NORMAL || sample->loop_mode == LOOP_BIDI)),
        advance(Fixed(voice->step, voice->step_fraction)),
        search_step(mixer_planning::SearchStep(voice->step, voice->step_fraction)),
        search(search_step != 0 ? &SearchFor(voice, search_step) : nullptr),
        last_frames(search ? search->last_frames : 0) {}
  // Hands the last count back for the voice's next call.
  PASS_STEP void Keep() const {
    if (search) search->last_frames = last_frames;
  }
};

// Frames until the cursor reaches the boundary `distance` (32.32) away, or `limit` + 1 when
// the boundary is too far to be worth finding in this pass.
PASS_STEP std::uint64_t FramesToBoundary(std::uint64_t distance, VoiceTrack& track, std::uint64_t limit) {
  std::uint64_t scaled = 0;
  if (!mixer_planning::SearchDistance(distance, &scaled) || !track.search) return limit + 1;
  std::uint64_t frames = 0;
  if (!mixer_planning::FramesNear(scaled, track.last_frames, track.search_step, &frames)) {
    frames = mixer_planning::FramesByReciprocal(scaled, track.search_step, track.search->reciprocal);
  }
  track.last_frames = frames;
  return frames;
}

// How far a pass goes from `cursor`: to the end of the output (`remaining` frames) or to the
// loop or sample boundary.
struct PassPlan {
  std::uint64_t frames;
  bool end_reached;
};

PASS_STEP PassPlan PlanPass(VoiceTrack& track, std::uint64_t cursor, bool forwards, std::uint64_t remaining) {
  const std::uint32_t index = std::uint32_t(cursor >> 32);
  const std::uint32_t fraction = std::uint32_t(cursor);
  // A turn made a hair early (the boundary division drops the low bits of the distance)
  // leaves a backwards cursor just above the loop end; it is inside, with one more sample
  // to travel, not past the start: turning it there again would throw it out of the loop.
  const bool outside = forwards ? (index >= track.loop_end && index != kBeforeFirstSample)
                                : (index < track.loop_start || index > track.loop_end);
  // A cursor put past the boundary by its owner is at the boundary now, so no frame of this
  // pass can read outside the data.
  if (outside) return {0, true};
  const std::uint64_t distance = forwards ? (std::uint64_t(track.loop_end - index) << 32) - fraction
                                          : (std::uint64_t(index - track.loop_start) << 32) + fraction;
  const std::uint64_t to_boundary = FramesToBoundary(distance, track, remaining);
  if (to_boundary <= remaining) return {to_boundary, true};
  return {remaining, false};
}

// The voice's advance per frame, negated for a backwards voice.
PASS_STEP std::uint64_t SignedAdvance(const VoiceTrack& track, bool forwards) {
  return forwards ? track.advance : 0 - track.advance;
}

// The cursor at the boundary a pass reached: looped, turned, or (false) the voice has ended,
// its sample let go.
PASS_STEP bool PassBoundary(AUDIO_Voice* voice, const VoiceTrack& track, std::uint64_t* cursor,
                            std::int32_t* direction) {
  if (!track.loops) {
    // An empty loop could never be left, so it ends the voice like a sample without one.
    voice->position = 0;
    voice->position_fraction = 0;
    voice->sample = nullptr;
    return false;
  }
  const std::uint32_t loop_start = track.loop_start;
  const std::uint32_t loop_end = track.loop_end;
  if (track.loop_mode == LOOP_NORMAL) {
    std::uint32_t position = std::uint32_t(*cursor >> 32);
    // Compared with sign: a cursor that ends a hair short of the end of a loop starting at
    // 0 wraps to just before the data, which must stop the subtraction.
    position -= track.loop_length;
    if (std::int32_t(position) >= std::int32_t(loop_end)) {
      // A step longer than the loop crossed it more than once: the rest of the subtractions
      // at once. Signed, the position only falls until it is below the end.
      const std::int64_t beyond = std::int64_t(std::int32_t(position)) - std::int64_t(std::int32_t(loop_end));
      position -= std::uint32_t(beyond / track.loop_length + 1) * track.loop_length;
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
// plan of such a pass only records that nothing is due. The walk keeps its own copy of the
// voice's track, so that nothing it reads between passes can change under it and all of it
// may stay in registers.
class SilentWalk {
 public:
  PASS_STEP SilentWalk(AUDIO_Voice* voice, const VoiceTrack& track, std::uint64_t frames)
      : voice_(voice),
        track_(track),
        cursor_(Fixed(voice->position, voice->position_fraction)),
        frames_(frames),
        direction_(voice->direction) {
    voice->ramp_goal_left = 0;
    voice->ramp_goal_right = 0;
    voice->ramp_delta_left = 0.0f;
    voice->ramp_delta_right = 0.0f;
  }

  PASS_STEP bool Moving() const { return frames_ > 0; }

  // One pass: to the boundary, or through the frames left (which ends the walk).
  PASS_STEP void Pass() {
    const bool forwards = direction_ == 1;
    const PassPlan pass = PlanPass(track_, cursor_, forwards, frames_);
    cursor_ = mixer_frame::AdvanceFrames(cursor_, SignedAdvance(track_, forwards), pass.frames);
    frames_ -= pass.frames;
    if (pass.end_reached && !PassBoundary(voice_, track_, &cursor_, &direction_)) {
      ended_ = true;  // the sample is let go
      frames_ = 0;
    }
  }

  // Stores the cursor; returns the track's last count.
  PASS_STEP std::uint64_t Finish() {
    if (!ended_) {
      voice_->direction = direction_;
      StoreCursor(voice_, cursor_);
    }
    return track_.last_frames;
  }

 private:
  AUDIO_Voice* voice_;
  VoiceTrack track_;
  std::uint64_t cursor_;
  std::uint64_t frames_;
  std::int32_t direction_;
  bool ended_ = false;
};

void AdvanceSilently(AUDIO_Voice* voice, VoiceTrack& track, std::uint64_t frames) {
  SilentWalk walk(voice, track, frames);
  while (walk.Moving()) walk.Pass();
  track.last_frames = walk.Finish();
}

// Two settled silent voices with samples over `frames` frames, each exactly as AdvanceSilently
// moves it. A walk is a chain of dependent steps that keeps the processor waiting; one pass of
// each in turn, the two chains run side by side.
void AdvanceTwoSilently(AUDIO_Voice* first_voice, AUDIO_Voice* second_voice, std::uint64_t frames) {
  VoiceTrack first_track(first_voice, first_voice->sample);
  VoiceTrack second_track(second_voice, second_voice->sample);
  SilentWalk first(first_voice, first_track, frames);
  SilentWalk second(second_voice, second_track, frames);
  while (first.Moving() && second.Moving()) {
    first.Pass();
    second.Pass();
  }
  while (first.Moving()) first.Pass();
  while (second.Moving()) second.Pass();
  first_track.last_frames = first.Finish();
  second_track.last_frames = second.Finish();
  first_track.Keep();
  second_track.Keep();
}

}  // namespace

namespace {

// A voice at fixed gains from its pass `run` to the end of the output. Its passes are planned a
// batch at a time and then mixed, so that the chain of plans (each pass starts where the last
// one's cursor ends) runs apart from the mixing instead of waiting between kernels. No ramp is
// due in the rest of the output once a pass is steady: target gains only change between calls.
void MixSteadyPasses(AUDIO_Voice* voice, VoiceTrack& track, const MixKernels& kernels, MixRun run, bool end_reached,
                     const float* end) {
  constexpr int kBatch = 64;
  MixRun runs[kBatch];
  int count = 0;
  const double gain_left = double(voice->left_volume) * double(mix_1over255);
  const double gain_right = double(voice->right_volume) * double(mix_1over255);
  std::int32_t direction = voice->direction;
  for (;;) {
    runs[count++] = run;
    std::uint64_t cursor = mixer_frame::AdvanceFrames(run.cursor, run.advance, run.frames);
    float* out = run.out + run.frames * 2;
    const bool ended = end_reached && !PassBoundary(voice, track, &cursor, &direction);
    const bool done = ended || !end_reached || out >= end;
    if (done || count == kBatch) {
      for (int i = 0; i < count; ++i) kernels.steady(runs[i], gain_left, gain_right);
      count = 0;
    }
    if (ended) return;  // the sample is let go
    if (done) {
      voice->direction = direction;
      StoreCursor(voice, cursor);
      return;
    }
    const bool forwards = direction == 1;
    const PassPlan pass = PlanPass(track, cursor, forwards, std::uint64_t(end - out) / 2);
    run = MixRun{out, pass.frames, run.data, cursor, SignedAdvance(track, forwards)};
    end_reached = pass.end_reached;
  }
}

// The passes of a voice with a sample over the frames out ... end - 1, on the given kernels.
void MixPasses(AUDIO_Voice* voice, VoiceTrack& track, const std::int16_t* data, const MixKernels& kernels, float* out,
               float* end) {
  while (out < end) {
    const bool forwards = voice->direction == 1;
    const std::uint64_t remaining = std::uint64_t(end - out) / 2;
    if (SettledSilent(voice)) {
      // A voice faded to silence adds zeros, which leave every sum as it was; only its cursor
      // moves on.
      AdvanceSilently(voice, track, remaining);
      return;
    }

    // 1. How far this pass goes: to the end of the output or to the loop / sample boundary.
    std::uint64_t cursor = Fixed(voice->position, voice->position_fraction);
    const PassPlan pass = PlanPass(track, cursor, forwards, remaining);
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
    const std::uint64_t advance = SignedAdvance(track, forwards);
    const MixRun run{out, frames, data, cursor, advance};
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
      // Steady now, so steady to the end of the output.
      MixSteadyPasses(voice, track, kernels, run, pass.end_reached, end);
      return;
    }

    // 6. The boundary: loop, turn, or end the voice.
    if (!pass.end_reached) {
      StoreCursor(voice, cursor);
      return;
    }
    std::int32_t direction = voice->direction;
    if (!PassBoundary(voice, track, &cursor, &direction)) return;
    voice->direction = direction;
    StoreCursor(voice, cursor);
  }
}

// One voice over the frames out ... end - 1, on the given kernels.
void MixVoice(AUDIO_Voice* voice, const MixKernels& kernels, float* out, float* end) {
  const MUSIC_SAMPLE* sample = voice->sample;
  if (!sample || !sample->data || out >= end) return;
  VoiceTrack track(voice, sample);
  MixPasses(voice, track, sample->data, kernels, out, end);
  track.Keep();
}

}  // namespace

bool AUDIO_MixerVoiceFadedOut(const AUDIO_Voice* voice) { return voice && SettledSilent(voice); }

void AUDIO_Mixer_FPU_Ramp_ASM(AUDIO_Voice* voice, float* buffer, std::int32_t, float* end) {
  if (!voice || !buffer || !end) return;
  MixVoice(voice, ActiveKernels(), buffer, end);
}

void AUDIO_Mixer_FPU_Ramp(float* buffer, std::int32_t count, std::int32_t) {
  if (!buffer || count <= 0) return;
  float* end = buffer + std::ptrdiff_t(count) * 2;
  // Most of the 64 voices are silent at any time: those without a sample cost a look at it
  // only. Those with one that are faded out add nothing, so they are moved on after the others,
  // two at a time.
  const MixKernels& kernels = ActiveKernels();
  AUDIO_Voice* silent[kMixedVoiceCount];
  int silent_count = 0;
  for (int slot = 0; slot < kMixedVoiceCount; ++slot) {
    AUDIO_Voice* voice = &AUDIO_Channel[slot];
    if (!voice->sample) continue;
    if (voice->sample->data && SettledSilent(voice)) {
      silent[silent_count++] = voice;
    } else {
      MixVoice(voice, kernels, buffer, end);
    }
  }
  int i = 0;
  for (; i + 1 < silent_count; i += 2) AdvanceTwoSilently(silent[i], silent[i + 1], std::uint64_t(count));
  if (i < silent_count) MixVoice(silent[i], kernels, buffer, end);
}

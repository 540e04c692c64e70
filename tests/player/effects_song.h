// A small song built record by record for the effect tests, played tick by tick without a
// device: one looping sample in one instrument, empty patterns to write cells into, and the
// per-tick state of a channel as the row engine leaves it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/music.h"
#include "player/xm.h"
#include "sound/voice.h"

namespace effects_test {

// One tick of one channel, as left by MUSIC_UpdateXM.
struct TickState {
  std::int32_t order, row, tick;
  std::int32_t period, period_offset;
  std::int32_t volume, volume_offset;
  std::int32_t pan;
  std::int32_t voice;  // index of the sounding voice in AUDIO_Channel
  std::string Line() const;
};

class Song {
 public:
  // `channels` channels, `pattern_count` patterns of `rows` rows each, played in order 0, 1, ...
  Song(int channels, int pattern_count, int rows = 64, bool linear = true);
  ~Song();
  Song(const Song&) = delete;
  Song& operator=(const Song&) = delete;

  MUSIC_NOTE& Cell(int pattern, int row, int channel);
  // Note (1..96, 255 key off), instrument, volume column, effect and parameter in one go.
  void Put(int pattern, int row, int channel, std::uint8_t note, std::uint8_t instrument,
           std::uint8_t volume_column, std::uint8_t effect, std::uint8_t param);
  void SetOrders(const std::vector<std::uint8_t>& orders);

  MUSIC_MODULE& Module() { return module_; }
  MUSIC_INSTRUMENT& Instrument() { return instrument_; }
  MUSIC_SAMPLE& Sample() { return sample_; }

  // Resets the playback state as starting the song does, without a device.
  void Start(int speed = 6, int bpm = 125);
  // One tick; returns the state of `channel` after it.
  TickState Tick(int channel = 0);
  // The state of `channel` after the last tick.
  TickState State(int channel) const;
  // `count` ticks of `channel`.
  std::vector<TickState> Ticks(int count, int channel = 0);

 private:
  MUSIC_MODULE module_{};
  std::vector<MUSIC_PATTERN> patterns_;
  std::vector<std::vector<MUSIC_NOTE>> cells_;
  MUSIC_INSTRUMENT instrument_{};
  MUSIC_SAMPLE sample_{};
  std::vector<std::int16_t> pcm_;
  std::int32_t last_tick_ = 0;
};

// One field of a trace, tick by tick.
std::vector<std::int32_t> Volumes(const std::vector<TickState>& trace);
std::vector<std::int32_t> EffectiveVolumes(const std::vector<TickState>& trace);
std::vector<std::int32_t> Periods(const std::vector<TickState>& trace);
std::vector<std::int32_t> PeriodOffsets(const std::vector<TickState>& trace);
std::vector<std::int32_t> Rows(const std::vector<TickState>& trace);

}  // namespace effects_test

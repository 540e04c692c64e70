#include "effects_song.h"

#include <cstring>
#include <sstream>

#include "sound/output.h"

namespace effects_test {

std::string TickState::Line() const {
  std::ostringstream out;
  out << "o" << order << " r" << row << " t" << tick << " period " << period << "+" << period_offset
      << " volume " << volume << "+" << volume_offset << " pan " << pan << " voice " << voice;
  return out.str();
}

Song::Song(int channels, int pattern_count, int rows, bool linear)
    : patterns_(pattern_count), cells_(pattern_count), pcm_(1000 + 8) {
  module_.channel_count = static_cast<std::int16_t>(channels);
  module_.song_flags = linear ? 1 : 0;
  module_.default_global_volume = 64;
  module_.pattern_count = pattern_count;
  module_.used_pattern_count = pattern_count;
  for (int p = 0; p < pattern_count; ++p) {
    cells_[p].assign(static_cast<std::size_t>(rows) * channels, MUSIC_NOTE{});
    patterns_[p].row_count = rows;
    patterns_[p].notes = cells_[p].data();
  }
  module_.patterns = patterns_.data();
  std::vector<std::uint8_t> orders;
  for (int p = 0; p < pattern_count; ++p) orders.push_back(static_cast<std::uint8_t>(p));
  SetOrders(orders);

  for (std::size_t i = 0; i < pcm_.size(); ++i) pcm_[i] = static_cast<std::int16_t>((i % 50) * 100);
  sample_.data = pcm_.data();
  sample_.length = 1000;
  sample_.loop_start = 0;
  sample_.loop_length = 1000;
  sample_.default_volume = 32;
  sample_.default_pan = 128;
  sample_.bits = 16;
  sample_.loop_mode = LOOP_OFF;
  instrument_.sample_count = 1;
  for (auto& slot : instrument_.samples) slot = &MUSIC_DummySample;
  instrument_.samples[0] = &sample_;
  module_.instruments = &instrument_;
  module_.instrument_count = 1;
  module_.update = MUSIC_UpdateXM;
}

Song::~Song() {
  // The voices keep pointers to this song's sample; leave nothing behind for the next test.
  std::memset(AUDIO_Channel, 0, sizeof(AUDIO_Channel));
  std::memset(MUSIC_Channel, 0, sizeof(MUSIC_Channel));
}

MUSIC_NOTE& Song::Cell(int pattern, int row, int channel) {
  return cells_[pattern][static_cast<std::size_t>(row) * module_.channel_count + channel];
}

void Song::Put(int pattern, int row, int channel, std::uint8_t note, std::uint8_t instrument,
               std::uint8_t volume_column, std::uint8_t effect, std::uint8_t param) {
  Cell(pattern, row, channel) = MUSIC_NOTE{note, instrument, volume_column, effect, param};
}

void Song::SetOrders(const std::vector<std::uint8_t>& orders) {
  std::memset(module_.order_table, 0, sizeof(module_.order_table));
  std::memcpy(module_.order_table, orders.data(), orders.size());
  module_.song_length = static_cast<std::int16_t>(orders.size());
}

void Song::Start(int speed, int bpm) {
  AUDIO_MixRate = 44100;
  std::memset(AUDIO_Channel, 0, sizeof(AUDIO_Channel));
  for (int v = 0; v < 256; ++v) AUDIO_Channel[v].slot = v;
  module_.default_speed = static_cast<std::int16_t>(speed);
  module_.default_bpm = static_cast<std::int16_t>(bpm);
  module_.global_volume = module_.default_global_volume;
  module_.speed = speed;
  module_.row = 0;
  module_.order = 0;
  module_.next_order = -1;
  module_.next_row = -1;
  module_.mix_samples_left = 0;
  module_.tick = 0;
  module_.pattern_delay = 0;
  module_.time_ms = 0;
  MUSIC_SetBPM(&module_, bpm);
  std::memset(MUSIC_Channel, 0, sizeof(MUSIC_Channel));
  for (int c = 0; c < module_.channel_count; ++c) MUSIC_Channel[c].voice = &AUDIO_Channel[c];
}

TickState Song::Tick(int channel) {
  last_tick_ = module_.tick;
  MUSIC_UpdateXM(&module_);
  return State(channel);
}

TickState Song::State(int channel) const {
  const MUSIC_CHANNEL& ch = MUSIC_Channel[channel];
  return TickState{module_.order,
                   module_.row,
                   last_tick_,
                   ch.period,
                   ch.period_offset,
                   ch.volume,
                   ch.volume_offset,
                   ch.pan,
                   static_cast<std::int32_t>(ch.voice - AUDIO_Channel)};
}

std::vector<TickState> Song::Ticks(int count, int channel) {
  std::vector<TickState> trace;
  for (int i = 0; i < count; ++i) trace.push_back(Tick(channel));
  return trace;
}

namespace {
template <typename Field>
std::vector<std::int32_t> Column(const std::vector<TickState>& trace, Field field) {
  std::vector<std::int32_t> values;
  for (const TickState& state : trace) values.push_back(field(state));
  return values;
}
}  // namespace

std::vector<std::int32_t> Volumes(const std::vector<TickState>& trace) {
  return Column(trace, [](const TickState& s) { return s.volume; });
}
std::vector<std::int32_t> EffectiveVolumes(const std::vector<TickState>& trace) {
  return Column(trace, [](const TickState& s) { return s.volume + s.volume_offset; });
}
std::vector<std::int32_t> Periods(const std::vector<TickState>& trace) {
  return Column(trace, [](const TickState& s) { return s.period; });
}
std::vector<std::int32_t> PeriodOffsets(const std::vector<TickState>& trace) {
  return Column(trace, [](const TickState& s) { return s.period_offset; });
}
std::vector<std::int32_t> Rows(const std::vector<TickState>& trace) {
  return Column(trace, [](const TickState& s) { return s.row; });
}

}  // namespace effects_test

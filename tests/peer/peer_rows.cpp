#include "peer_rows.h"

#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "byte_source.h"
#include "player/music.h"
#include "player/xm.h"
#include "sound/output.h"

namespace peer {

namespace {

constexpr std::int32_t kOurRate = 44100;
// libopenmpt renders at a low rate in short steps, so that a row's start is known to within a
// small part of a tick (a tick is at least 8000 * 2.5 / 255 = 78 frames).
constexpr std::int32_t kPeerRate = 8000;
constexpr std::size_t kPeerStep = 8;

}  // namespace

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  std::uint8_t chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(file);
  return bytes;
}

RowTrace OurRows(const std::vector<std::uint8_t>& file, const Stretch& stretch) {
  RowTrace trace;
  if (file.empty()) return trace;
  bytesource::Install(file.data(), file.size());
  MUSIC_MODULE* module = MUSIC_LoadSong(file.data(), nullptr);
  if (!module) return trace;
  trace.loaded = true;
  if (!AUDIO_InitOffline(kOurRate) || !MUSIC_PlaySong(module)) {
    MUSIC_FreeSong(module);
    trace.loaded = false;
    return trace;
  }
  const double frame_limit = stretch.max_seconds * kOurRate;
  double frames = 0;
  RowPlay current{0, 0, 0};
  bool started = false;
  // A song of speed 0 starts a row on every tick; the tick bound keeps any song finite.
  const std::int64_t tick_limit = static_cast<std::int64_t>(stretch.max_rows) * 64 * 32;
  for (std::int64_t t = 0; t < tick_limit && frames < frame_limit; ++t) {
    const bool row_start = module->tick == 0;
    MUSIC_UpdateXM(module);
    if (row_start) {
      if (started) {
        trace.rows.push_back(current);
        if (static_cast<std::int32_t>(trace.rows.size()) >= stretch.max_rows) break;
      }
      current = RowPlay{module->order, module->row, 0};
      started = true;
    }
    current.ticks += 1;
    frames += module->mix_samples_per_tick;
  }
  MUSIC_StopSong(module);
  MUSIC_FreeSong(module);
  return trace;
}

RowTrace PeerRows(const std::vector<std::uint8_t>& file, const Stretch& stretch) {
  RowTrace trace;
  if (file.empty()) return trace;
  openmpt_module* mod = openmpt_module_create_from_memory2(file.data(), file.size(), nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr, nullptr);
  if (!mod) return trace;
  trace.loaded = true;
  openmpt_module_set_repeat_count(mod, -1);
  std::int16_t buffer[kPeerStep];
  const double frame_limit = stretch.max_seconds * kPeerRate;
  double frames = 0;
  double row_start = 0;
  std::int32_t order = -1, row = -1, tempo = 0;
  // A song of one row played over and over shows no change of order or row; its song position
  // passes another multiple of the song's length each time play returns to the row.
  const bool one_row_song = openmpt_module_get_num_orders(mod) == 1 &&
                            openmpt_module_get_pattern_num_rows(mod, openmpt_module_get_order_pattern(mod, 0)) == 1;
  const double song_seconds = openmpt_module_get_duration_seconds(mod);
  double passes = 0;
  bool started = false;
  while (frames < frame_limit) {
    const std::size_t got = openmpt_module_read_mono(mod, kPeerRate, kPeerStep, buffer);
    if (got == 0) break;
    const std::int32_t now_order = openmpt_module_get_current_order(mod);
    const std::int32_t now_row = openmpt_module_get_current_row(mod);
    const std::int32_t now_tempo = openmpt_module_get_current_tempo(mod);
    bool returned = false;
    if (one_row_song && song_seconds > 0) {
      const double now_passes = std::floor(openmpt_module_get_position_seconds(mod) / song_seconds + 1e-9);
      returned = now_passes != passes;
      passes = now_passes;
    }
    // The step in which the row changed holds the new row's first tick, which starts at the
    // step's beginning to within the step's length.
    if (now_order != order || now_row != row || returned) {
      if (started) {
        const double tick_frames = kPeerRate * 2.5 / (tempo > 0 ? tempo : 125);
        const double ticks = (frames - row_start) / tick_frames;
        trace.rows.push_back(RowPlay{order, row, static_cast<std::int32_t>(std::lround(ticks))});
        if (static_cast<std::int32_t>(trace.rows.size()) >= stretch.max_rows) break;
      }
      order = now_order;
      row = now_row;
      row_start = frames;
      started = true;
    }
    tempo = now_tempo;
    frames += static_cast<double>(got);
  }
  openmpt_module_destroy(mod);
  return trace;
}

Comparison Compare(const RowTrace& ours, const RowTrace& peer) {
  Comparison result;
  if (ours.loaded && peer.loaded && ours.rows.empty() != peer.rows.empty()) {
    result.detail = ours.rows.empty() ? "we play no rows" : "peer plays no rows";
    return result;
  }
  if (!ours.loaded || !peer.loaded) {
    result.agree = ours.loaded == peer.loaded;
    result.detail = ours.loaded ? "peer rejects the module" : (peer.loaded ? "we reject the module" : "both reject");
    return result;
  }
  const std::size_t n = ours.rows.size() < peer.rows.size() ? ours.rows.size() : peer.rows.size();
  result.compared = static_cast<std::int32_t>(n);
  for (std::size_t i = 0; i < n; ++i) {
    if (ours.rows[i] == peer.rows[i]) continue;
    const RowPlay& a = ours.rows[i];
    const RowPlay& b = peer.rows[i];
    std::ostringstream detail;
    detail << "row " << i << ": ours " << a.order << "/" << a.row << " x" << a.ticks << ", peer " << b.order
           << "/" << b.row << " x" << b.ticks;
    result.first_diff = static_cast<std::int32_t>(i);
    result.detail = detail.str();
    return result;
  }
  result.agree = true;
  return result;
}

}  // namespace peer

// Our player beside libxmp and libopenmpt: each renders the same seconds of the same modules
// at 44,100 Hz stereo 16-bit in this process, with linear interpolation (libopenmpt also
// without volume ramping), ours on every mixer path the CPU has; the table gives times real
// time by CPU time and each path's ratios to the peers, and each path's worst row.
//   peer_bench [SECONDS] [REPEATS]
//   peer_bench --write-dense FILE.xm   (writes the made module, to try it elsewhere)
// Modules: a sparse 4-channel and an 8-channel song from the shared corpus, a 24-channel one,
// and one of 32 busy channels made here. Each figure is the best of REPEATS runs, players taking turns, so that a noisy
// machine slows them alike.
#include <xmp.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <libopenmpt/libopenmpt.hpp>
#include <string>
#include <vector>

#include "byte_source.h"
#include "dense_module.h"
#include "player/music.h"
#include "sound/mixer_path.h"
#include "sound/output.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChunkFrames = 1024;

double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// CPU seconds to render `frames` frames, or a negative value when the player refuses the file.
using Renderer = std::function<double(const std::vector<std::uint8_t>&, std::int64_t frames)>;

double RenderOurs(const std::vector<std::uint8_t>& bytes, std::int64_t frames, AUDIO_MixerPath path) {
  if (!AUDIO_MixerUsePath(path)) return -1;
  bytesource::Install(bytes.data(), bytes.size());
  MUSIC_MODULE* module = MUSIC_LoadSong(bytes.data(), nullptr);
  if (!module) return -1;
  double seconds = -1;
  if (AUDIO_InitOffline(kRate) && MUSIC_PlaySong(module)) {
    const double start = ThreadSeconds();
    for (std::int64_t done = 0; done < frames; done += AUDIO_BlockSize) {
      if (!AUDIO_Offline_FillNext(nullptr)) break;
    }
    seconds = ThreadSeconds() - start;
    MUSIC_StopSong(module);
  }
  MUSIC_FreeSong(module);
  return seconds;
}

double RenderLibxmp(const std::vector<std::uint8_t>& bytes, std::int64_t frames) {
  xmp_context context = xmp_create_context();
  double seconds = -1;
  if (xmp_load_module_from_memory(context, bytes.data(), long(bytes.size())) == 0) {
    if (xmp_start_player(context, kRate, 0) == 0) {
      xmp_set_player(context, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR);
      std::vector<std::int16_t> buffer(kChunkFrames * 2);
      const double start = ThreadSeconds();
      for (std::int64_t done = 0; done < frames; done += kChunkFrames) {
        // 0: loop the song for ever, so every player renders the same length.
        if (xmp_play_buffer(context, buffer.data(), int(buffer.size() * 2), 0) != 0) break;
      }
      seconds = ThreadSeconds() - start;
      xmp_end_player(context);
    }
    xmp_release_module(context);
  }
  xmp_free_context(context);
  return seconds;
}

double RenderLibopenmpt(const std::vector<std::uint8_t>& bytes, std::int64_t frames) {
  try {
    openmpt::module module(bytes.data(), bytes.data() + bytes.size());
    module.set_repeat_count(-1);
    module.set_render_param(openmpt::module::RENDER_INTERPOLATIONFILTER_LENGTH, 2);
    module.set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, 0);
    std::vector<std::int16_t> buffer(kChunkFrames * 2);
    const double start = ThreadSeconds();
    for (std::int64_t done = 0; done < frames; done += kChunkFrames) {
      if (module.read_interleaved_stereo(kRate, kChunkFrames, buffer.data()) == 0) break;
    }
    return ThreadSeconds() - start;
  } catch (const openmpt::exception&) {
    return -1;
  }
}

struct Workload {
  std::string name;
  int channels;
  std::vector<std::uint8_t> bytes;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--write-dense") {
    const std::vector<std::uint8_t> bytes = DenseModule(32);
    std::FILE* file = std::fopen(argv[2], "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (file && std::fclose(file) != 0) return 1;
    return written ? 0 : 1;
  }
  const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
  const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  if (!(seconds > 0)) {
    std::fprintf(stderr, "usage: peer_bench [SECONDS] [REPEATS]\n");
    return 2;
  }
  const std::string corpus = std::string(TARVELON_SHARED_DIR) + "/xm/modules/";
  std::vector<Workload> workloads = {
      {"mpt_PatLoop-Nested.xm", 4, ReadFile(corpus + "mpt_PatLoop-Nested.xm")},
      {"xmp_read_event_ft2.xm", 8, ReadFile(corpus + "xmp_read_event_ft2.xm")},
      {"libxm_xmprocdemo_mus.xm", 24, ReadFile(corpus + "libxm_xmprocdemo_mus.xm")},
      {"made here, 32 busy channels", 32, DenseModule(32)},
  };

  // Ours on every mixer path the CPU has, then the peers; each row's ratios are ours on a
  // path against each peer, and each path's worst row is its headline.
  struct Player {
    std::string name;
    Renderer render;
  };
  std::vector<Player> players;
  for (const AUDIO_MixerPath path :
       {AUDIO_MixerPath::Scalar, AUDIO_MixerPath::Sse2, AUDIO_MixerPath::Avx2, AUDIO_MixerPath::Avx512}) {
    if (!AUDIO_MixerUsePath(path)) continue;
    players.push_back({AUDIO_MixerPathName(path), [path](const std::vector<std::uint8_t>& b, std::int64_t f) {
                         return RenderOurs(b, f, path);
                       }});
  }
  const std::size_t ours = players.size();
  players.push_back({"libxmp", RenderLibxmp});
  players.push_back({"libopenmpt", RenderLibopenmpt});
  const std::size_t xmp = ours;
  const std::size_t mpt = ours + 1;

  const std::int64_t frames = std::int64_t(seconds * kRate);
  std::printf("x real time (audio seconds per CPU second of the rendering thread), %.0f s rendered, best of %d,\n"
              "players taking turns; ratios: ours on a path / libxmp, ours / libopenmpt\n\n",
              seconds, repeats);
  std::printf("%-28s %3s", "module", "ch");
  for (const Player& player : players) std::printf(" %10s", player.name.c_str());
  for (std::size_t p = 0; p < ours; ++p) std::printf(" %13s", (players[p].name + " xmp/mpt").c_str());
  std::printf("\n");
  struct Worst {
    double ratio = 1e30;
    std::string module;
  };
  std::vector<Worst> worst_xmp(ours), worst_mpt(ours);
  for (const Workload& workload : workloads) {
    if (workload.bytes.empty()) {
      std::printf("%-28s missing\n", workload.name.c_str());
      continue;
    }
    std::vector<double> best_seconds(players.size(), 1e30);
    for (int r = 0; r < repeats; ++r) {
      for (std::size_t p = 0; p < players.size(); ++p) {
        const double used = players[p].render(workload.bytes, frames);
        best_seconds[p] = used < 0 ? -1 : std::min(best_seconds[p], used);
      }
    }
    std::vector<double> speed(players.size());
    std::printf("%-28s %3d", workload.name.c_str(), workload.channels);
    for (std::size_t p = 0; p < players.size(); ++p) {
      speed[p] = best_seconds[p] > 0 ? seconds / best_seconds[p] : 0;
      std::printf(" %9.0fx", speed[p]);
    }
    for (std::size_t p = 0; p < ours; ++p) {
      const double to_xmp = speed[xmp] > 0 ? speed[p] / speed[xmp] : 0.0;
      const double to_mpt = speed[mpt] > 0 ? speed[p] / speed[mpt] : 0.0;
      std::printf("   %5.2f/%5.2f", to_xmp, to_mpt);
      if (to_xmp < worst_xmp[p].ratio) worst_xmp[p] = {to_xmp, workload.name};
      if (to_mpt < worst_mpt[p].ratio) worst_mpt[p] = {to_mpt, workload.name};
    }
    std::printf("\n");
  }
  std::printf("\nworst row per path:\n");
  for (std::size_t p = 0; p < ours; ++p) {
    std::printf("  %-7s %5.2fx libxmp (%s), %5.2fx libopenmpt (%s)\n", players[p].name.c_str(), worst_xmp[p].ratio,
                worst_xmp[p].module.c_str(), worst_mpt[p].ratio, worst_mpt[p].module.c_str());
  }
  return 0;
}

// xmrender FILE.xm OUT.wav [--seconds N] [--rate R] [--rows]
//
// Renders an XM module with the player and mixer the demo uses, offline through the same block
// fill as the device, into a 16-bit stereo WAV. Without --seconds it stops when the song has
// played through once: when play moves to an order it has already left (the wrap to the
// restart order, or a jump backwards), or after 10 minutes. --rows prints every row played
// (order, pattern, row, speed, BPM and the output frame where the row starts) for comparison
// with other players.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "file_source.h"
#include "player/music.h"
#include "player/xm.h"
#include "sound/output.h"
#include "wav_writer.h"

namespace {

constexpr double kMaxSeconds = 600.0;

struct Options {
  std::string input;
  std::string output;
  double seconds = 0;  // 0: until the song has played through
  std::int32_t rate = 44100;
  bool rows = false;
};

// What the tick hook sees; the module's update takes nothing else.
struct Tracker {
  bool print_rows = false;
  bool stop_at_repeat = false;
  std::int64_t tick_frame = 0;      // frame at which the coming tick starts
  std::int64_t end_frame = -1;      // frame where the song began to repeat, or -1
  bool left_order[256] = {};
};
Tracker tracker;

void TrackedUpdate(MUSIC_MODULE* module) {
  const bool row_start = module->tick == 0;
  const std::int32_t previous_order = module->order;
  const std::int32_t pending_order = module->next_order;
  const std::int64_t frame = tracker.tick_frame;
  MUSIC_UpdateXM(module);
  tracker.tick_frame += module->mix_samples_per_tick > 0 ? module->mix_samples_per_tick : 0;
  if (!row_start) return;
  if (pending_order >= 0) {
    // Moving to an order, even the same one again, leaves the one that was playing.
    tracker.left_order[previous_order & 0xff] = true;
    if (tracker.left_order[module->order & 0xff] && tracker.end_frame < 0) tracker.end_frame = frame;
  }
  if (tracker.print_rows && (tracker.end_frame < 0 || !tracker.stop_at_repeat)) {
    std::printf("%d %d %d %d %d %lld\n", module->order, module->order_table[module->order & 0xff],
                module->row, module->speed, module->bpm, static_cast<long long>(frame));
  }
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "xmrender: %s\n", message.c_str());
  return 1;
}

bool ParseNumber(const char* text, double* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtod(text, &end);
  return errno == 0 && end != text && *end == '\0';
}

// 0 on success; otherwise the exit code, after a usage line.
int ParseOptions(int argc, char** argv, Options* options) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    double value = 0;
    if (arg == "--rows") {
      options->rows = true;
    } else if (arg == "--seconds" && i + 1 < argc) {
      if (!ParseNumber(argv[++i], &value) || !(value > 0) || value > 24 * 3600.0) {
        std::fprintf(stderr, "xmrender: --seconds needs a positive number\n");
        return 2;
      }
      options->seconds = value;
    } else if (arg == "--rate" && i + 1 < argc) {
      if (!ParseNumber(argv[++i], &value) || value < 8000 || value > 192000 || value != static_cast<std::int32_t>(value)) {
        std::fprintf(stderr, "xmrender: --rate needs a whole number from 8000 to 192000\n");
        return 2;
      }
      options->rate = static_cast<std::int32_t>(value);
    } else if (arg.size() > 1 && arg[0] == '-') {
      positional.clear();
      break;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) {
    std::fprintf(stderr, "usage: xmrender FILE.xm OUT.wav [--seconds N] [--rate R] [--rows]\n");
    return 2;
  }
  options->input = positional[0];
  options->output = positional[1];
  return 0;
}

// The loader answers only loaded or not; the signature tells a foreign file from a broken one.
bool HasXmSignature(const std::string& path, std::string* why) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *why = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  char signature[17] = {};
  std::size_t got = std::fread(signature, 1, sizeof signature, f);
  std::fclose(f);
  if (got != sizeof signature || std::memcmp(signature, "Extended Module: ", 17) != 0) {
    *why = path + " is not an XM module";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (int code = ParseOptions(argc, argv, &options)) return code;

  std::string why;
  if (!HasXmSignature(options.input, &why)) return Fail(why);
  InstallFileSource();
  MUSIC_MODULE* module = MUSIC_LoadSong(options.input.c_str(), nullptr);
  if (module == nullptr) return Fail(options.input + " is a damaged or unsupported XM module");
  if (!AUDIO_InitOffline(options.rate)) return Fail("cannot set up offline output");

  WavWriter wav;
  if (!wav.Open(options.output, options.rate)) {
    MUSIC_FreeSong(module);
    return Fail("cannot create " + options.output + ": " + std::strerror(errno));
  }

  tracker.print_rows = options.rows;
  tracker.stop_at_repeat = options.seconds == 0;
  module->update = TrackedUpdate;
  if (!MUSIC_PlaySong(module)) {
    MUSIC_FreeSong(module);
    return Fail("cannot start the song");
  }

  const double seconds = options.seconds > 0 ? options.seconds : kMaxSeconds;
  const std::int64_t limit = static_cast<std::int64_t>(seconds * options.rate);
  const bool progress = isatty(STDERR_FILENO) != 0;
  std::int64_t written = 0;
  std::int64_t last_progress = -options.rate;
  bool ok = true;
  while (written < limit && ok) {
    MUSIC_TIMEINFO info{};
    const std::int16_t* frames = AUDIO_Offline_FillNext(&info);
    if (frames == nullptr) {
      ok = false;
      break;
    }
    std::int64_t count = AUDIO_BlockSize;
    if (written + count > limit) count = limit - written;
    if (tracker.stop_at_repeat && tracker.end_frame >= 0 && written + count > tracker.end_frame)
      count = tracker.end_frame - written;
    ok = wav.Write(frames, count);
    written += count;
    if (tracker.stop_at_repeat && tracker.end_frame >= 0 && written >= tracker.end_frame) break;
    if (progress && written - last_progress >= options.rate) {
      last_progress = written;
      std::fprintf(stderr, "\rorder %3d  row %3d  %6.1f s", module->order, module->row,
                   static_cast<double>(written) / options.rate);
    }
  }
  if (progress) std::fprintf(stderr, "\n");
  std::fflush(stdout);
  MUSIC_StopSong(module);
  MUSIC_FreeSong(module);
  AUDIO_Close();
  if (!ok || !wav.Finish()) return Fail("writing " + options.output + " failed");
  return 0;
}

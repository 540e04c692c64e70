// xmrender [--seconds N] [--rate R] [--rows] [--quiet] FILE.xm OUT.wav|-
//
// Renders an XM module with the player and mixer the demo uses, offline through the same block
// fill as the device, into a 16-bit stereo WAV. Without --seconds it stops when the song has
// played through once: when play moves to an order it has already left (the wrap to the
// restart order, or a jump backwards), or after 10 minutes. --rows prints every row played
// (order, pattern, row, speed, BPM and the output frame where the row starts) for comparison
// with other players. OUT.wav may be - for standard output.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "binary_stdout.h"
#include "command_line.h"
#include "file_source.h"
#include "player/music.h"
#include "player/xm.h"
#include "shell/window.h"
#include "sound/output.h"
#include "wav_writer.h"

namespace {

constexpr double kMaxSeconds = 600.0;

struct Options {
  std::string input;
  std::string output;
  double seconds = 0;  // 0: until the song has played through
  std::int32_t rate = kDeviceRate;  // what the demo plays
  bool rows = false;
  bool quiet = false;
};

// Frames to render: the --seconds asked for, or at most kMaxSeconds when the song decides.
std::int64_t FrameLimit(const Options& options) {
  const double seconds = options.seconds > 0 ? options.seconds : kMaxSeconds;
  return static_cast<std::int64_t>(seconds * options.rate);
}

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

constexpr const char* kProgram = "xmrender";
const std::string kHelp =
    "usage: xmrender [OPTIONS] FILE.xm OUT.wav\n"
    "\n"
    "Renders an XM module with Tarvelon's player into a 16-bit stereo WAV; OUT.wav may be -\n"
    "for standard output. Without --seconds it ends when the song has played through once.\n"
    "\n"
    "  --seconds N  render N seconds (the WAV must stay under 4 GiB)\n"
    "  --rate R     frames per second, a whole number from 8000 to 192000 (default " +
    std::to_string(kDeviceRate) + ", the demo's)\n"
    "  --rows       print every row played to standard output: order, pattern, row, speed,\n"
    "               BPM and the frame where the row starts (not with - as OUT.wav)\n"
    "  --quiet      no progress line, not even on a terminal\n"
    "  -h, --help   print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Exit status: 0 when the WAV is written; 1 when the module cannot be read or played or\n"
    "the WAV cannot be written; 2 when the command line is wrong.\n";

// The largest data chunk a WAV header can give.
constexpr std::int64_t kMaxWavDataBytes = 0xffffffffLL - 36;

int Fail(const std::string& message) { return tool::InputError(kProgram, message); }

// The exit code when the command line already decides the outcome (--help, --version, or a
// usage error after its one-line message); nothing when there is work to do.
std::optional<int> ParseOptions(int argc, char** argv, Options* options) {
  if (std::optional<int> code = tool::AnswerHelpOrVersion(argc, argv, kProgram, kHelp.c_str())) return code;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    double value = 0;
    const bool takes_value = arg == "--seconds" || arg == "--rate";
    if (takes_value && i + 1 >= argc) return tool::UsageError(kProgram, arg + " needs a value");
    if (arg == "--rows") {
      options->rows = true;
    } else if (arg == "--quiet") {
      options->quiet = true;
    } else if (arg == "--seconds") {
      if (!tool::ParseNumber(argv[++i], &value) || !(value > 0) || value > 24 * 3600.0)
        return tool::UsageError(kProgram, "--seconds needs a positive number");
      options->seconds = value;
    } else if (arg == "--rate") {
      if (!tool::ParseNumber(argv[++i], &value) || value < 8000 || value > 192000 || value != static_cast<std::int32_t>(value))
        return tool::UsageError(kProgram, "--rate needs a whole number from 8000 to 192000");
      options->rate = static_cast<std::int32_t>(value);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return tool::UsageError(kProgram, "unknown option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return tool::UsageError(kProgram, "needs FILE.xm and OUT.wav");
  options->input = positional[0];
  options->output = positional[1];
  if (options->rows && options->output == "-")
    return tool::UsageError(kProgram, "--rows prints to standard output, where the WAV goes");
  if (options->seconds > 0 && FrameLimit(*options) * 4 > kMaxWavDataBytes)
    return tool::UsageError(kProgram, "--seconds at this rate makes a WAV over 4 GiB");
  return std::nullopt;
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

struct SongFree {
  void operator()(MUSIC_MODULE* module) const { MUSIC_FreeSong(module); }
};
using Song = std::unique_ptr<MUSIC_MODULE, SongFree>;

Song Load(const Options& options) { return Song(MUSIC_LoadSong(options.input.c_str(), nullptr)); }

// Plays a freshly loaded song once, as the device would, handing every frame to `wav` (or only
// counting them when there is none). 0 with the frame count, or the exit code after a message.
int PlayOnce(const Options& options, MUSIC_MODULE* module, bool print_rows, bool progress, WavWriter* wav,
             std::int64_t* played) {
  if (!AUDIO_InitOffline(options.rate)) return Fail("cannot set up offline output");
  tracker = Tracker{};
  tracker.print_rows = print_rows;
  tracker.stop_at_repeat = options.seconds == 0;
  module->update = TrackedUpdate;
  if (!MUSIC_PlaySong(module)) {
    AUDIO_Close();
    return Fail("cannot start the song");
  }

  const std::int64_t limit = FrameLimit(options);
  // Blocks come out of the ring in order, one after another in memory, each valid until the
  // ring has gone round once more: the file gets them a lap at a time, straight from the ring.
  const std::int16_t* lap = nullptr;
  std::int64_t lap_frames = 0;
  const auto write_lap = [&]() {
    const bool lap_ok = wav == nullptr || lap_frames == 0 || wav->Write(lap, lap_frames);
    lap = nullptr;
    lap_frames = 0;
    return lap_ok;
  };
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
    if (lap != nullptr && frames != lap + lap_frames * 2) ok = write_lap();
    if (lap == nullptr) lap = frames;
    lap_frames += count;
    // The ring's last block: the next one mixed overwrites the lap's first.
    const bool ring_end = frames + std::int64_t(AUDIO_BlockSize) * 2 == AUDIO_MixBlock.data + std::int64_t(AUDIO_BufferSize) * 2;
    if (ring_end || count < AUDIO_BlockSize) ok = write_lap() && ok;
    written += count;
    if (tracker.stop_at_repeat && tracker.end_frame >= 0 && written >= tracker.end_frame) break;
    if (progress && written - last_progress >= options.rate) {
      last_progress = written;
      std::fprintf(stderr, "\rorder %3d  row %3d  %6.1f s", module->order, module->row,
                   static_cast<double>(written) / options.rate);
    }
  }
  ok = write_lap() && ok;
  if (progress) std::fprintf(stderr, "\n");
  std::fflush(stdout);
  MUSIC_StopSong(module);
  AUDIO_Close();
  if (!ok) return Fail("writing " + options.output + " failed");
  *played = written;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (std::optional<int> code = ParseOptions(argc, argv, &options)) return *code;

  std::string why;
  if (!HasXmSignature(options.input, &why)) return Fail(why);
  InstallFileSource();
  const std::string damaged = options.input + " is a damaged or unsupported XM module";
  Song song = Load(options);
  if (!song) return Fail(damaged);

  WavWriter wav;
  std::int64_t frames = FrameLimit(options);
  if (options.output == "-") {
    // A pipe cannot be rewound to fill in the sizes, so they go first: the length asked for,
    // or, when the song decides, the length that a silent first play finds.
    if (options.seconds == 0) {
      if (int code = PlayOnce(options, song.get(), false, false, nullptr, &frames)) return code;
      song = Load(options);
      if (!song) return Fail(damaged);
    }
    if (!tool::SetStdoutBinary() || !wav.OpenStream(stdout, options.rate, frames))
      return Fail("cannot write to standard output");
  } else if (!wav.Open(options.output, options.rate)) {
    return Fail("cannot create " + options.output + ": " + std::strerror(errno));
  }
  const bool progress = !options.quiet && isatty(STDERR_FILENO) != 0;
  if (int code = PlayOnce(options, song.get(), options.rows, progress, &wav, &frames)) return code;
  if (!wav.Finish()) return Fail("writing " + options.output + " failed");
  return 0;
}

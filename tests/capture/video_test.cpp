// capture video, checked from the outside: the file is decoded with ffmpeg and compared with
// the song played offline here, block by block, with the clock each block reports.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "content.h"
#include "player/music.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"
#include "support/run_program.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFps = 30;
constexpr double kFrom = 14.5, kTo = 17.5;  // around the cut to the room at clock 15,000 ms
constexpr std::size_t kFrameBytes = 800 * 600 * 3;

using testsupport::RunProgram;

std::string Capture(const fs::path& out, double from, double to) {
  char options[96];
  std::snprintf(options, sizeof options, " --fps %d --from %g --to %g", kFps, from, to);
  return std::string(CAPTURE_PROGRAM) + " video '" + out.string() + "'" + options;
}

std::string Decode(const fs::path& video, const std::string& format) {
  return RunProgram("ffmpeg -v error -i '" + video.string() + "' " + format + " -").out;
}

// The song as the demo plays it: every block's samples and the clock reported while it plays.
struct Song {
  std::vector<std::int16_t> samples;
  std::vector<std::int32_t> clock;
};

Song PlayOffline(double seconds) {
  Song song;
  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  EXPECT_TRUE(AUDIO_InitOffline(44100));
  MUSIC_MODULE* module = MUSIC_LoadSong(muzik, nullptr);
  EXPECT_TRUE(module && MUSIC_PlaySong(module));
  while (song.samples.size() < seconds * 44100 * 2) {
    const std::int16_t* block = AUDIO_Offline_FillNext(nullptr);
    if (!block) break;
    song.samples.insert(song.samples.end(), block, block + AUDIO_BlockSize * 2);
    song.clock.push_back(MUSIC_GetTime(module));
  }
  MUSIC_StopSong(module);
  MUSIC_FreeSong(module);
  AUDIO_Close();
  return song;
}

// How one signal of what was heard (a channel, or the difference between the channels) lines
// up with the same signal of the render: the lag, in sample frames, at which the two agree
// best, and how well they agree there (normalised correlation, 1 when equal).
struct Alignment {
  int lag = 0;
  double correlation = -1;
};

// A signal of interleaved stereo: left * weights[0] + right * weights[1].
struct Signal {
  const char* name;
  double left, right;
  double At(const std::int16_t* stereo, std::size_t frame) const {
    return left * stereo[frame * 2] + right * stereo[frame * 2 + 1];
  }
};

// `heard` starts at frame `first` of `rendered`. The window is `frames` frames from `offset`
// into what was heard; the lags searched reach `reach` frames either way.
Alignment Align(const Signal& signal, const std::int16_t* heard, const std::int16_t* rendered, std::size_t first,
                std::size_t offset, std::size_t frames, int reach) {
  Alignment best;
  double heard_energy = 0;
  for (std::size_t i = offset; i < offset + frames; ++i) heard_energy += signal.At(heard, i) * signal.At(heard, i);
  for (int lag = -reach; lag <= reach; ++lag) {
    double product = 0, energy = 0;
    const std::int16_t* moved = rendered + std::ptrdiff_t(first + offset) * 2 + std::ptrdiff_t(lag) * 2;
    for (std::size_t i = 0; i < frames; ++i) {
      const double r = signal.At(moved, i);
      product += signal.At(heard, offset + i) * r;
      energy += r * r;
    }
    const double correlation = product / std::sqrt(heard_energy * energy);
    if (correlation > best.correlation) best = {lag, correlation};
  }
  return best;
}

class CutCapture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (RunProgram("{ command -v ffmpeg && command -v ffprobe; }").out.find("ffprobe") == std::string::npos) return;
    char pattern[] = "/tmp/capture-video-XXXXXX";
    directory_ = mkdtemp(pattern);
    video_ = directory_ / "cut.mp4";
    made_ = RunProgram(Capture(video_, kFrom, kTo)).exit_code == 0;
  }
  static void TearDownTestSuite() {
    if (!directory_.empty()) fs::remove_all(directory_);
  }
  void SetUp() override {
    if (directory_.empty()) GTEST_SKIP() << "ffmpeg and ffprobe are needed (Debian package ffmpeg)";
    ASSERT_TRUE(made_) << "capture video failed";
  }
  static fs::path directory_, video_;
  static bool made_;
};
fs::path CutCapture::directory_, CutCapture::video_;
bool CutCapture::made_ = false;

TEST_F(CutCapture, IsAnMp4EveryPlayerOpens) {
  const struct {
    const char* stream;
    const char* entries;
    const char* expected;
  } cases[] = {
      {"v:0", "codec_name,width,height,pix_fmt", "codec_name=h264\nwidth=800\nheight=600\npix_fmt=yuv420p\n"},
      {"a:0", "codec_name,sample_rate,channels", "codec_name=aac\nsample_rate=44100\nchannels=2\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RunProgram(std::string("ffprobe -v error -select_streams ") + c.stream + " -show_entries stream=" + c.entries +
                    " -of default=nw=1 '" + video_.string() + "'")
                  .out,
              c.expected);
  }
  for (const char* stream : {"v:0", "a:0"}) {
    const double seconds = std::atof(
        RunProgram(std::string("ffprobe -v error -select_streams ") + stream + " -show_entries stream=duration -of csv=p=0 '" +
              video_.string() + "'")
            .out.c_str());
    EXPECT_NEAR(seconds, kTo - kFrom, 0.03) << stream;
  }
  // The index before the media, so a player can start before the whole file has arrived.
  std::ifstream file(video_, std::ios::binary);
  std::string head(1 << 16, '\0');
  file.read(head.data(), std::streamsize(head.size()));
  EXPECT_LT(head.find("moov"), head.find("mdat"));
}

// Each channel on its own, sample by sample: swapped channels, or sound moved against the
// picture by a few milliseconds, both fail. The MP4's edit list takes the AAC encoder's
// priming back out, so the best lag is 0; a lost edit list would show as a lag of 1024.
TEST_F(CutCapture, EachChannelIsTheOfflineRenderAtLagZero) {
  constexpr int kReach = 2048;            // two AAC frames either way
  constexpr int kTolerance = 2;           // sample frames
  constexpr std::size_t kOffset = 22050;  // half a second in, one second long
  constexpr std::size_t kWindow = 44100;
  const Song song = PlayOffline(kTo + 1);
  const std::string decoded = Decode(video_, "-f s16le -ac 2 -ar 44100");
  const auto* heard = reinterpret_cast<const std::int16_t*>(decoded.data());
  ASSERT_GE(decoded.size() / 4, kOffset + kWindow + kReach);
  const std::size_t first = std::size_t(kFrom * 44100);
  // The two channels are much alike here (correlation 0.98 with each other), so their
  // difference is checked too: swapped channels turn it over.
  const struct {
    Signal signal;
    double least;  // correlation at the best lag
  } cases[] = {{{"left", 1, 0}, 0.995}, {{"right", 0, 1}, 0.995}, {{"left minus right", 1, -1}, 0.95}};
  for (const auto& c : cases) {
    const Alignment found = Align(c.signal, heard, song.samples.data(), first, kOffset, kWindow, kReach);
    EXPECT_LE(std::abs(found.lag), kTolerance) << c.signal.name << " agrees best " << found.lag << " frames away";
    EXPECT_GE(found.correlation, c.least) << c.signal.name;
  }
}

TEST_F(CutCapture, PictureCutsOnTheFrameTheClockReaches15s) {
  const Song song = PlayOffline(kTo);
  long expected = -1;
  for (long frame = 0; expected < 0 && frame < long((kTo - kFrom) * kFps); ++frame) {
    const long sample = (long(kFrom * kFps) + frame) * 44100 / kFps;
    if (song.clock[std::size_t(sample / 884)] >= 15000) expected = frame;
  }
  // At the cut a white flash comes over the new window: the only frame far brighter than the
  // one before it.
  const std::string gray = Decode(video_, "-f rawvideo -pix_fmt gray");
  std::vector<long> brighter;
  double previous = -1;
  for (std::size_t at = 0; at + 800 * 600 <= gray.size(); at += 800 * 600) {
    double mean = 0;
    for (std::size_t i = at; i < at + 800 * 600; ++i) mean += static_cast<unsigned char>(gray[i]);
    mean /= 800 * 600;
    if (previous >= 0 && mean - previous > 64) brighter.push_back(long(at / (800 * 600)));
    previous = mean;
  }
  ASSERT_EQ(brighter.size(), 1u);
  EXPECT_NEAR(brighter[0], expected, 1);
}

// The second capture reads its frames back on the spot instead of through pixel buffers: the
// same frames either way.
TEST_F(CutCapture, SecondCaptureDecodesToTheSameFrames) {
  const fs::path again = directory_ / "again.mp4";
  const testsupport::ProgramRun run = RunProgram("CAPTURE_READBACK=direct " + Capture(again, kFrom, kTo));
  ASSERT_EQ(run.exit_code, 0);
  EXPECT_NE(run.out.find("on the spot"), std::string::npos) << run.out;
  const std::string first = Decode(video_, "-f rawvideo -pix_fmt rgb24");
  ASSERT_EQ(first.size(), kFrameBytes * std::size_t((kTo - kFrom) * kFps));
  EXPECT_TRUE(first == Decode(again, "-f rawvideo -pix_fmt rgb24"));
}

// Without a working ffmpeg (missing, failing, or hanging until it is killed): one line naming it,
// a failing exit code, and nothing left behind.
TEST(CaptureWithoutFfmpeg, SaysSoInOneLineAndLeavesNoFile) {
  char pattern[] = "/tmp/capture-no-ffmpeg-XXXXXX";
  const fs::path directory = mkdtemp(pattern);
  const fs::path bin = directory / "bin", out = directory / "out";
  fs::create_directories(bin);
  fs::create_directories(out);
  std::ofstream(bin / "ffmpeg-failing") << "#!/bin/sh\necho 'Unknown encoder libx264' >&2\nexit 1\n";
  // Stops reading and ignores SIGTERM: only SIGKILL ends it.
  std::ofstream(bin / "ffmpeg-hanging") << "#!/bin/sh\ntrap '' TERM\nexec 0<&-\nexec /bin/sleep 600\n";
  // Takes a few frames, then fails, while frames are still queued for it.
  std::ofstream(bin / "ffmpeg-dying") << "#!/bin/sh\n/usr/bin/head -c 5000000 >/dev/null\necho 'Conversion failed!' >&2\nexit 1\n";
  for (const char* name : {"ffmpeg-failing", "ffmpeg-hanging", "ffmpeg-dying"})
    fs::permissions(bin / name, fs::perms::owner_all);
  const struct {
    const char* name;
    const char* path_entry;  // what PATH holds as ffmpeg
  } cases[] = {{"missing", ""}, {"failing", "ffmpeg-failing"}, {"hanging", "ffmpeg-hanging"}, {"dying", "ffmpeg-dying"}};
  for (const auto& c : cases) {
    fs::remove(bin / "ffmpeg");
    if (*c.path_entry) fs::copy_file(bin / c.path_entry, bin / "ffmpeg");
    // A capture that waited on its encoder for ever would be ended by timeout (124, or 137).
    const testsupport::ProgramRun run =
        RunProgram("PATH='" + bin.string() + "' /usr/bin/timeout -k 5 60 " + Capture(out / "demo.mp4", 0, 0.5));
    const std::string said = run.out + run.err;
    EXPECT_EQ(run.exit_code, 1) << c.name;
    EXPECT_NE(said.find("ffmpeg"), std::string::npos) << c.name << ": " << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << c.name << ": " << said;
    EXPECT_TRUE(fs::is_empty(out)) << c.name;
  }
  fs::remove_all(directory);
}

// Waits up to `seconds` for `done`; false when the time ran out.
template <typename Done>
bool Within(double seconds, Done done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Stopped while it draws: exit code 1, its message, and nothing left beside the output, as
// when a signal reaches the capture alone or, as Ctrl+C does, its whole process group.
TEST(CaptureInterrupted, ExitsWithItsMessageAndLeavesNothing) {
  if (RunProgram("command -v ffmpeg").out.empty()) GTEST_SKIP() << "ffmpeg is needed (Debian package ffmpeg)";
  const struct {
    const char* name;
    int signal;
    bool whole_group;
  } cases[] = {{"SIGINT", SIGINT, false}, {"SIGTERM", SIGTERM, false}, {"Ctrl+C", SIGINT, true}};
  for (const auto& c : cases) {
    char pattern[] = "/tmp/capture-interrupted-XXXXXX";
    const fs::path directory = mkdtemp(pattern), out = directory / "out";
    fs::create_directories(out);
    const std::string video = (out / "demo.mp4").string(), said = (directory / "said").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);  // its own group, as a shell job
    const char* argv[] = {CAPTURE_PROGRAM, "video", video.c_str(), "--from", "20", nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, CAPTURE_PROGRAM, &actions, &attributes, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    // Under way: ffmpeg has started the file in the capture's working directory.
    const bool started = Within(120, [&] {
      for (const auto& entry : fs::directory_iterator(out))
        if (fs::exists(entry.path() / "video.mp4")) return true;
      return false;
    });
    EXPECT_TRUE(started) << c.name << ": ffmpeg never started a file within 120 s";
    kill(c.whole_group ? -pid : pid, c.signal);
    int status = 0;
    const bool ended = Within(30, [&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
    }
    EXPECT_TRUE(ended) << c.name << ": capture did not end within 30 s of the signal";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.name << ": status " << status;
    std::ifstream message(said);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(message), {}), "capture: interrupted; no video written\n")
        << c.name;
    const bool left_nothing = fs::is_empty(out);
    EXPECT_TRUE(left_nothing) << c.name << " left " << (left_nothing ? "" : fs::directory_iterator(out)->path().string());
    fs::remove_all(directory);
  }
}

}  // namespace

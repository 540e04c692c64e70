// capture video, checked from the outside: the file is decoded with ffmpeg and compared with
// the song played offline here, block by block, with the clock each block reports.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
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

std::vector<double> RmsPer100Ms(const std::int16_t* samples, std::size_t count) {
  std::vector<double> rms;
  for (std::size_t at = 0; at + 8820 <= count; at += 8820) {
    double sum = 0;
    for (std::size_t i = at; i < at + 8820; ++i) sum += double(samples[i]) * samples[i];
    rms.push_back(std::sqrt(sum / 8820));
  }
  return rms;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const std::size_t n = std::min(a.size(), b.size());
  double ma = 0, mb = 0;
  for (std::size_t i = 0; i < n; ++i) ma += a[i] / n, mb += b[i] / n;
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t i = 0; i < n; ++i) {
    ab += (a[i] - ma) * (b[i] - mb);
    aa += (a[i] - ma) * (a[i] - ma);
    bb += (b[i] - mb) * (b[i] - mb);
  }
  return ab / std::sqrt(aa * bb);
}

class CutCapture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (RunProgram("command -v ffmpeg && command -v ffprobe").out.find("ffprobe") == std::string::npos) return;
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

TEST_F(CutCapture, SoundIsTheOfflineRender) {
  const Song song = PlayOffline(kTo + 1);
  const std::string decoded = Decode(video_, "-f s16le -ac 2 -ar 44100");
  const auto* heard = reinterpret_cast<const std::int16_t*>(decoded.data());
  const std::size_t first = std::size_t(kFrom * 44100) * 2, count = std::size_t((kTo - kFrom) * 44100) * 2;
  ASSERT_GE(decoded.size() / 2, count);
  const std::vector<double> rendered = RmsPer100Ms(song.samples.data() + first, count);
  EXPECT_GE(Correlation(RmsPer100Ms(heard, count), rendered), 0.99);
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

TEST_F(CutCapture, SecondCaptureDecodesToTheSameFrames) {
  const fs::path again = directory_ / "again.mp4";
  ASSERT_EQ(RunProgram(Capture(again, kFrom, kTo)).exit_code, 0);
  const std::string first = Decode(video_, "-f rawvideo -pix_fmt rgb24");
  ASSERT_EQ(first.size(), kFrameBytes * std::size_t((kTo - kFrom) * kFps));
  EXPECT_TRUE(first == Decode(again, "-f rawvideo -pix_fmt rgb24"));
}

// Without a working ffmpeg: one line naming it, a failing exit code, and nothing left behind.
TEST(CaptureWithoutFfmpeg, SaysSoInOneLineAndLeavesNoFile) {
  char pattern[] = "/tmp/capture-no-ffmpeg-XXXXXX";
  const fs::path directory = mkdtemp(pattern);
  const fs::path bin = directory / "bin", out = directory / "out";
  fs::create_directories(bin);
  fs::create_directories(out);
  std::ofstream(bin / "ffmpeg-failing") << "#!/bin/sh\necho 'Unknown encoder libx264' >&2\nexit 1\n";
  fs::permissions(bin / "ffmpeg-failing", fs::perms::owner_all);
  const struct {
    const char* name;
    const char* path_entry;  // what PATH holds as ffmpeg
  } cases[] = {{"missing", ""}, {"failing", "ffmpeg-failing"}};
  for (const auto& c : cases) {
    fs::remove(bin / "ffmpeg");
    if (*c.path_entry) fs::copy_file(bin / c.path_entry, bin / "ffmpeg");
    const testsupport::ProgramRun run =
        RunProgram("PATH='" + bin.string() + "' " + Capture(out / "demo.mp4", 0, 0.5));
    const std::string said = run.out + run.err;
    EXPECT_EQ(run.exit_code, 1) << c.name;
    EXPECT_NE(said.find("ffmpeg"), std::string::npos) << c.name << ": " << said;
    EXPECT_EQ(said.find('\n'), said.size() - 1) << c.name << ": " << said;
    EXPECT_TRUE(fs::is_empty(out)) << c.name;
  }
  fs::remove_all(directory);
}

}  // namespace

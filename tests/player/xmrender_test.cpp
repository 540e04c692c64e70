// xmrender as a program: the WAV it writes (to a file or standard output), the row trace, the
// end of a song, and its errors with their exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "support/gl_context.h"
#include "support/run_program.h"
#include "xm_builder.h"

namespace {

namespace fs = std::filesystem;

using RunResult = testsupport::ProgramRun;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class XmRender : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("xmrender_test_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  RunResult Render(const std::string& arguments) { return testsupport::RunProgram(std::string(XMRENDER_PATH) + " " + arguments); }

  fs::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  fs::path dir_;
};

std::uint32_t Le32(const std::string& s, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}

// Orders 0, 1, 0 of two 4-row patterns, restarting at order 1, at speed 3 and 125 BPM: one
// play-through is orders 0, 1, 0 and ends where order 1 would come again.
std::vector<std::uint8_t> ThreeOrderSong() {
  xmtest::Song song;
  song.song_length = 3;
  song.restart = 1;
  song.orders = {0, 1, 0};
  song.speed = 3;
  song.patterns = {xmtest::Pattern{4, {}}, xmtest::Pattern{4, {}}};
  return xmtest::Build(song);
}

TEST_F(XmRender, PlaysTheSongThroughOnceAndTracesItsRows) {
  fs::path xm = Write("three.xm", ThreeOrderSong());
  RunResult run = Render(xm.string() + " " + (dir_ / "a.wav").string() + " --rows");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");  // no progress line when stderr is not a terminal
  // 882 frames a tick at 125 BPM, 3 ticks a row.
  std::ostringstream expected;
  int line = 0;
  for (int order : {0, 1, 2})
    for (int row = 0; row < 4; ++row, ++line)
      expected << order << " " << (order == 1 ? 1 : 0) << " " << row << " 3 125 " << line * 3 * 882 << "\n";
  EXPECT_EQ(run.out, expected.str());

  std::string wav = Slurp(dir_ / "a.wav");
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le32(wav, 24), 44100u);
  EXPECT_EQ(Le32(wav, 28), 44100u * 4);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(Le32(wav, 40), 12u * 3 * 882 * 4);
  EXPECT_EQ(wav.size(), 44u + 12 * 3 * 882 * 4);
  EXPECT_EQ(Le32(wav, 4), wav.size() - 8);
}

TEST_F(XmRender, SecondsAndRateOptions) {
  fs::path xm = Write("three.xm", ThreeOrderSong());
  RunResult run = Render(xm.string() + " " + (dir_ / "b.wav").string() + " --seconds 2.5 --rate 22050");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  std::string wav = Slurp(dir_ / "b.wav");
  EXPECT_EQ(Le32(wav, 24), 22050u);
  EXPECT_EQ(Le32(wav, 40), 55125u * 4);  // past the song's end: --seconds decides
}

TEST_F(XmRender, WavOnStandardOutputEqualsTheFile) {
  const std::string xm = Write("three.xm", ThreeOrderSong()).string();
  // Played to the song's end (the length found first) and for a length asked for.
  for (const std::string options : {"", " --seconds 1.5 --rate 22050"}) {
    ASSERT_EQ(Render(xm + " " + (dir_ / "file.wav").string() + options).exit_code, 0);
    // Through a pipe, which cannot be rewound to mend the header afterwards.
    RunResult piped = Render(xm + " -" + options + " | cat");
    EXPECT_GT(piped.out.size(), 44u);
    EXPECT_EQ(piped.out, Slurp(dir_ / "file.wav")) << options;
  }
}

TEST_F(XmRender, ErrorsAreOneLineWithTheirExitCode) {
  struct Case {
    std::string arguments;
    int exit_code;  // 1: the input or output failed; 2: the command line is wrong
    std::string message;
  };
  xmtest::Song too_wide;
  too_wide.channels = 33;
  const std::string song = Write("three.xm", ThreeOrderSong()).string();
  const std::vector<Case> cases = {
      {(dir_ / "missing.xm").string() + " x.wav", 1, "cannot open"},
      {Write("text.xm", {'h', 'e', 'l', 'l', 'o'}).string() + " x.wav", 1, "is not an XM module"},
      {Write("wide.xm", xmtest::Build(too_wide)).string() + " x.wav", 1, "damaged or unsupported"},
      {song + " " + (dir_ / "no-such-dir" / "x.wav").string(), 1, "cannot create"},
      {"only-one-argument.xm", 2, "needs FILE.xm and OUT.wav"},
      {"a.xm b.wav --seconds -1", 2, "--seconds"},
      {"a.xm b.wav --rate", 2, "--rate needs a value"},
      {"a.xm b.wav --loud", 2, "unknown option --loud"},
      {"a.xm - --rows", 2, "--rows"},
      {"a.xm b.wav --seconds 30000 --rate 192000", 2, "4 GiB"},
  };
  for (const Case& c : cases) {
    RunResult run = Render(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

}  // namespace

// The embedded song as a peer player (libopenmpt, test-only) reads and plays it.
#include <libopenmpt/libopenmpt.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "content.h"
#include "rendered_song_checks.h"

namespace {

void Collect(const char* message, void* user) {
  static_cast<std::vector<std::string>*>(user)->push_back(message ? message : "");
}

struct Opened {
  openmpt_module* module = nullptr;
  std::vector<std::string> log;
  ~Opened() {
    if (module) openmpt_module_destroy(module);
  }
};

bool Open(Opened* o) {
  int error = 0;
  const char* message = nullptr;
  o->module = openmpt_module_create_from_memory2(muzik, muzik_length, Collect, &o->log, nullptr, nullptr,
                                                 &error, &message, nullptr);
  if (message) openmpt_free_string(message);
  return o->module != nullptr;
}

TEST(SongInPeerPlayer, OpensCleanlyWithTheDemosForm) {
  Opened o;
  ASSERT_TRUE(Open(&o));
  for (const auto& line : o.log) ADD_FAILURE() << "loader said: " << line;
  EXPECT_EQ(openmpt_module_get_num_channels(o.module), 6);
  EXPECT_EQ(openmpt_module_get_current_speed(o.module), 6);
  EXPECT_EQ(openmpt_module_get_current_tempo(o.module), 140);
  EXPECT_GE(openmpt_module_get_duration_seconds(o.module), 75.0);
  const char* type = openmpt_module_get_metadata(o.module, "type");
  EXPECT_STREQ(type, "xm");
  openmpt_free_string(type);
  // The linear frequency table is bit 0 of the header flags.
  ASSERT_GT(muzik_length, 80u);
  EXPECT_EQ(muzik[74] & 1, 1);
}

TEST(SongInPeerPlayer, RendersAsMusicOnAllSixChannels) {
  Opened o;
  ASSERT_TRUE(Open(&o));
  // Linear interpolation, and the level our mixer plays at: a full voice in the middle gets
  // 63/255 of full scale there, 0.1875 in this player, which is 2.4 dB quieter.
  openmpt_module_set_render_param(o.module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, 2);
  openmpt_module_set_render_param(o.module, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, 240);
  songcheck::Pcm pcm;
  pcm.rate = 44100;
  pcm.channels = 2;
  std::vector<float> loudest(6, 0.0f);
  std::vector<std::int16_t> chunk(2 * 441);
  while (pcm.Seconds() < 80.0) {
    const std::size_t frames = openmpt_module_read_interleaved_stereo(o.module, 44100, 441, chunk.data());
    if (frames == 0) break;
    pcm.samples.insert(pcm.samples.end(), chunk.begin(), chunk.begin() + long(2 * frames));
    for (int c = 0; c < 6; ++c) {
      loudest[std::size_t(c)] = std::max(loudest[std::size_t(c)], openmpt_module_get_current_channel_vu_mono(o.module, c));
    }
  }
  for (int c = 0; c < 6; ++c) EXPECT_GT(loudest[std::size_t(c)], 0.05f) << "channel " << c + 1 << " stays silent";
  songcheck::ExpectSoundsLikeTheSong(pcm);
}

#ifdef OPENMPT123_PROGRAM
std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
  pclose(p);
  return out;
}

TEST(SongInPeerPlayer, Openmpt123InfoShowsNoWarnings) {
  const auto path = std::filesystem::temp_directory_path() / ("tarvelon_song_" + std::to_string(::getpid()) + ".xm");
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(muzik), std::streamsize(muzik_length));
  }
  const std::string info = RunCommand(std::string(OPENMPT123_PROGRAM) + " --info '" + path.string() + "' 2>&1");
  std::filesystem::remove(path);
  EXPECT_NE(info.find("Channels...: 6"), std::string::npos) << info;
  EXPECT_NE(info.find("Type.......: xm"), std::string::npos) << info;
  std::string lower = info;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  EXPECT_EQ(lower.find("warning"), std::string::npos) << info;
  EXPECT_EQ(lower.find("error"), std::string::npos) << info;
  const std::size_t at = info.find("Duration...: ");
  ASSERT_NE(at, std::string::npos) << info;
  int minutes = 0;
  double seconds = 0;
  ASSERT_EQ(std::sscanf(info.c_str() + at + 13, "%d:%lf", &minutes, &seconds), 2) << info;
  EXPECT_GE(minutes * 60 + seconds, 75.0);
}
#endif

}  // namespace

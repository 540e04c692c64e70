// Every module of the shared corpus (tracker test cases by others, and deliberately malformed
// files) either loads or is rejected, and what loads plays 10 seconds offline with the song
// position always inside the song. The sanitizer build runs this too.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "byte_source.h"
#include "player/music.h"
#include "sound/output.h"
#include "support/gl_context.h"

namespace {

constexpr std::int32_t kRate = 44100;
constexpr std::int32_t kSeconds = 10;

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// File name -> category ("test", "song", "fuzz", ...) from the corpus manifest.
std::map<std::string, std::string> ReadManifest() {
  std::map<std::string, std::string> categories;
  std::ifstream in(testsupport::SharedPath("xm/MANIFEST.tsv"));
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string file, category;
    if (std::getline(fields, file, '\t') && std::getline(fields, category, '\t')) categories[file] = category;
  }
  return categories;
}

std::vector<std::string> CorpusFiles() {
  std::vector<std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(testsupport::SharedPath("xm/modules"), error))
    if (entry.path().extension() == ".xm") files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  return files;
}

class CorpusModule : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusModule, LoadsOrIsRejectedAndPlaysInsideTheSong) {
  static const std::map<std::string, std::string> manifest = ReadManifest();
  const std::string name = GetParam();
  auto category = manifest.find(name);
  ASSERT_NE(category, manifest.end()) << "not in the manifest";

  std::vector<std::uint8_t> bytes = ReadFile(testsupport::SharedPath("xm/modules/" + name));
  ASSERT_FALSE(bytes.empty());
  bytesource::Install(bytes.data(), bytes.size());
  MUSIC_MODULE* module = MUSIC_LoadSong(bytes.data(), nullptr);
  EXPECT_EQ(bytesource::CloseCount(), bytesource::OpenCount());
  if (module == nullptr) {
    // Only the deliberately malformed files may be turned away.
    EXPECT_EQ(category->second, "fuzz");
    return;
  }
  ASSERT_EQ(AUDIO_InitOffline(kRate), 1);
  ASSERT_EQ(MUSIC_PlaySong(module), 1);
  std::int64_t frames = 0;
  while (frames < std::int64_t{kRate} * kSeconds) {
    ASSERT_NE(AUDIO_Offline_FillNext(nullptr), nullptr);
    frames += AUDIO_BlockSize;
    ASSERT_GE(module->order, 0);
    ASSERT_LT(module->order, module->song_length);
    const MUSIC_PATTERN& pattern = module->patterns[module->order_table[module->order]];
    ASSERT_GE(module->row, 0);
    ASSERT_LT(module->row, pattern.row_count);
  }
  // The music clock drops each chunk's fraction of a millisecond, so it may lag a little.
  EXPECT_GT(module->time_ms, kSeconds * 1000 * 9 / 10);
  MUSIC_StopSong(module);
  EXPECT_EQ(MUSIC_FreeSong(module), 1);
  AUDIO_Close();
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = info.param.substr(0, info.param.size() - 3);
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Shared, CorpusModule, ::testing::ValuesIn(CorpusFiles()), TestName);

TEST(Corpus, IsComplete) {
  EXPECT_EQ(CorpusFiles().size(), 189u);
}

}  // namespace

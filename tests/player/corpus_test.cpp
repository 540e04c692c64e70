// Every module of the shared corpus (tracker test cases by others, and deliberately malformed
// files) either loads or is rejected, and what loads plays 10 seconds offline with the song
// position always inside the song, to the very bits of its reference render (a hash of the
// PCM kept in corpus_renders.tsv). The sanitizer build runs this too. After a deliberate change
// of the sound, TARVELON_PRINT_RENDER_HASHES=1 prints the table's new lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
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

// File name -> hash of its first 10 s as rendered when the table was made.
std::map<std::string, std::string> ReadReferenceRenders() {
  std::map<std::string, std::string> hashes;
  std::ifstream in(testsupport::SourcePath("tests/player/corpus_renders.tsv"));
  std::string file, hash;
  while (in >> file >> hash) hashes[file] = hash;
  return hashes;
}

// 64-bit FNV-1a over the rendered samples, each as its two bytes, low byte first.
struct PcmHash {
  std::uint64_t value = 14695981039346656037ull;
  void Add(const std::int16_t* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      const auto sample = std::uint16_t(samples[i]);
      for (const std::uint8_t byte : {std::uint8_t(sample & 0xFF), std::uint8_t(sample >> 8)}) {
        value = (value ^ byte) * 1099511628211ull;
      }
    }
  }
  std::string Hex() const {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
  }
};

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
  PcmHash rendered;
  while (frames < std::int64_t{kRate} * kSeconds) {
    const std::int16_t* block = AUDIO_Offline_FillNext(nullptr);
    ASSERT_NE(block, nullptr);
    rendered.Add(block, std::size_t(AUDIO_BlockSize) * 2);
    frames += AUDIO_BlockSize;
    ASSERT_GE(module->order, 0);
    ASSERT_LT(module->order, module->song_length);
    const MUSIC_PATTERN& pattern = module->patterns[module->order_table[module->order]];
    ASSERT_GE(module->row, 0);
    ASSERT_LT(module->row, pattern.row_count);
  }
  // The music clock drops each chunk's fraction of a millisecond, so it may lag a little.
  EXPECT_GT(module->time_ms, kSeconds * 1000 * 9 / 10);
  static const std::map<std::string, std::string> references = ReadReferenceRenders();
  const auto reference = references.find(name);
  if (std::getenv("TARVELON_PRINT_RENDER_HASHES")) std::printf("%s\t%s\n", name.c_str(), rendered.Hex().c_str());
  EXPECT_TRUE(reference != references.end() && reference->second == rendered.Hex())
      << "rendered " << rendered.Hex() << ", reference "
      << (reference == references.end() ? std::string("missing") : reference->second);
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

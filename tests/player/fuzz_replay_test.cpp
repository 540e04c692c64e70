// Replays every file in tests/data/fuzz-regressions through the fuzzer's entry: each once
// crashed the loader or the engine, and must now load and play, or be rejected, cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/gl_context.h"
#include "xm_fuzz_entry.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(FuzzRegressions, EveryFileLoadsOrIsRejectedCleanly) {
  std::filesystem::path dir = testsupport::SourcePath("tests/data/fuzz-regressions");
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    SCOPED_TRACE(path.filename().string());
    std::vector<std::uint8_t> bytes = ReadFile(path);
    // The outcome differs from file to file; what counts is that the sanitizers stay quiet.
    int loaded = FuzzLoadAndRender(bytes.data(), bytes.size());
    EXPECT_TRUE(loaded == 0 || loaded == 1);
  }
}

TEST(FuzzRegressions, EmptyAndTinyInputsAreRejected) {
  EXPECT_EQ(FuzzLoadAndRender(nullptr, 0), 0);
  const std::uint8_t signature_only[] = "Extended Module: ";
  EXPECT_EQ(FuzzLoadAndRender(signature_only, 17), 0);
}

}  // namespace

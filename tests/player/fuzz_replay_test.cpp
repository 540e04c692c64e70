// Replays every file in tests/data/fuzz-regressions through the fuzzer's entry: inputs that
// crashed the fuzzer, and malformed modules that would index out of range without the
// loader's repairs, must now load and play, or be rejected, cleanly.
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

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A file's name says what it must do: "...-plays.xm" loads and plays, "...-rejected.xm" is
// turned away. Under the sanitizers any out-of-bounds access fails the run as well.
TEST(FuzzRegressions, EveryFileLoadsOrIsRejectedCleanly) {
  std::filesystem::path dir = testsupport::SourcePath("tests/data/fuzz-regressions");
  ASSERT_TRUE(std::filesystem::is_directory(dir)) << dir;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());
  for (const auto& path : files) {
    const std::string name = path.filename().string();
    SCOPED_TRACE(name);
    const bool plays = EndsWith(name, "-plays.xm");
    ASSERT_TRUE(plays || EndsWith(name, "-rejected.xm")) << "name the expected outcome";
    std::vector<std::uint8_t> bytes = ReadFile(path);
    EXPECT_EQ(FuzzLoadAndRender(bytes.data(), bytes.size()), plays ? 1 : 0);
  }
}

TEST(FuzzRegressions, EmptyAndTinyInputsAreRejected) {
  EXPECT_EQ(FuzzLoadAndRender(nullptr, 0), 0);
  const std::uint8_t signature_only[] = "Extended Module: ";
  EXPECT_EQ(FuzzLoadAndRender(signature_only, 17), 0);
}

}  // namespace

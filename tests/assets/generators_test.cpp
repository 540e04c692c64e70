// artgen as the build runs it: every generator makes the size the demo reads, makes the same
// bytes on every run, and those bytes are what the demo has embedded.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "content.h"

namespace {

struct Output {
  int status = -1;
  std::vector<unsigned char> bytes;
};

std::string TempPath(const std::string& name) {
  return ::testing::TempDir() + "artgen_" + std::to_string(::getpid()) + "_" + name;
}

Output RunArtgen(const std::string& kind, const std::string& font, const std::string& name) {
  const std::string path = TempPath(name);
  std::remove(path.c_str());
  std::string command = std::string("'") + ARTGEN_PATH + "' " + kind + " '" + path + "'";
  if (!font.empty()) command += " --font '" + font + "'";
  Output out;
  out.status = std::system(command.c_str());
  std::ifstream in(path, std::ios::binary);
  out.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  return out;
}

struct Case {
  const char* kind;
  const char* font;
  std::size_t size;
  const void* embedded;
};

const Case kCases[] = {
    {"logo", ARTGEN_LOGO_FONT, 196608, tarvelondoku}, {"lava", "", 196608, lavasdoku},
    {"font", ARTGEN_GLYPH_FONT, 196608, bitmapfont},  {"box", "", 1152, kutu},
    {"room", "", 180864, odamodel},
};

TEST(Artgen, EveryGeneratorIsRepeatableSizedAndEmbeddedAsMade) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.kind);
    const Output first = RunArtgen(c.kind, c.font, std::string(c.kind) + "_1");
    const Output second = RunArtgen(c.kind, c.font, std::string(c.kind) + "_2");
    ASSERT_EQ(first.status, 0);
    ASSERT_EQ(second.status, 0);
    ASSERT_EQ(first.bytes.size(), c.size);
    EXPECT_TRUE(first.bytes == second.bytes) << "two runs made different bytes";
    EXPECT_EQ(std::memcmp(first.bytes.data(), c.embedded, c.size), 0) << "the embedded array differs from the generator's output";
  }
}

TEST(Artgen, FailsCleanlyWithoutItsFontOrWithAnUnknownKind) {
  EXPECT_NE(RunArtgen("logo", "", "nofont").status, 0);
  EXPECT_NE(RunArtgen("font", "/nonexistent/face.ttf", "badfont").status, 0);
  EXPECT_NE(RunArtgen("teapot", "", "unknown").status, 0);
}

}  // namespace

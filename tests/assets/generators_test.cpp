// artgen as the build runs it: every generator makes the size the demo reads, makes the same
// bytes on every run, and those bytes are what the demo has embedded; the icon is the logo.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <zlib.h>

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

std::uint32_t Be32(const std::vector<unsigned char>& b, std::size_t at) {
  return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// The desktop icon: the logo's band as it is embedded, transparent above and below it.
TEST(Artgen, TheIconIsTheLogoBandOnTransparency) {
  const Output first = RunArtgen("icon", ARTGEN_LOGO_FONT, "icon_1");
  const Output second = RunArtgen("icon", ARTGEN_LOGO_FONT, "icon_2");
  ASSERT_EQ(first.status, 0);
  EXPECT_TRUE(first.bytes == second.bytes) << "two runs made different bytes";
  // Signature, IHDR (256x256, 8-bit RGBA), then the one IDAT chunk the writer makes.
  ASSERT_GT(first.bytes.size(), 41u);
  ASSERT_EQ(std::memcmp(first.bytes.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  EXPECT_EQ(Be32(first.bytes, 16), 256u);
  EXPECT_EQ(Be32(first.bytes, 20), 256u);
  EXPECT_EQ(first.bytes[25], 6);  // RGBA
  const std::uint32_t idat = Be32(first.bytes, 33);
  ASSERT_EQ(std::memcmp(&first.bytes[37], "IDAT", 4), 0);
  std::vector<unsigned char> rows(256 * (1 + 256 * 4));
  uLongf size = rows.size();
  ASSERT_EQ(uncompress(rows.data(), &size, &first.bytes[41], idat), Z_OK);
  ASSERT_EQ(size, rows.size());
  const auto* logo = static_cast<const unsigned char*>(tarvelondoku);
  for (int y : {0, 79, 80, 128, 175, 176, 255}) {
    SCOPED_TRACE(y);
    const bool in_band = y >= 80 && y < 176;
    for (int x : {0, 128, 255}) {
      const unsigned char* icon = &rows[std::size_t(y) * (1 + 256 * 4) + 1 + std::size_t(x) * 4];
      EXPECT_EQ(icon[3], in_band ? 255 : 0);
      if (in_band) {
        EXPECT_EQ(std::memcmp(icon, &logo[(std::size_t(255 - y) * 256 + std::size_t(x)) * 3], 3), 0);
      }
    }
  }
}

TEST(Artgen, FailsCleanlyWithoutItsFontOrWithAnUnknownKind) {
  EXPECT_NE(RunArtgen("logo", "", "nofont").status, 0);
  EXPECT_NE(RunArtgen("font", "/nonexistent/face.ttf", "badfont").status, 0);
  EXPECT_NE(RunArtgen("teapot", "", "unknown").status, 0);
}

}  // namespace

// artsheet renders the content headless and writes PNG pictures of it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

unsigned BigEndian32(const std::vector<unsigned char>& bytes, std::size_t at) {
  return unsigned(bytes[at]) << 24 | unsigned(bytes[at + 1]) << 16 | unsigned(bytes[at + 2]) << 8 | unsigned(bytes[at + 3]);
}

TEST(ContactSheet, WritesTheSheetAndEveryPartAsPng) {
  const std::string dir = ::testing::TempDir() + "artsheet_" + std::to_string(::getpid());
  ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
  const std::string sheet = dir + "/sheet.png";
  ASSERT_EQ(std::system((std::string("'") + ARTSHEET_PATH + "' '" + sheet + "' '" + dir + "'").c_str()), 0);

  const struct {
    const char* name;
    unsigned width, height;
  } expected[] = {{"sheet.png", 1024, 928}, {"logo.png", 256, 256},         {"lava.png", 256, 256},
                  {"glyphs.png", 256, 256}, {"text.png", 1024, 96},         {"box.png", 1024, 192},
                  {"room-inside.png", 1024, 192}, {"room-outside.png", 1024, 192}};
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const std::vector<unsigned char> png = Read(dir + "/" + e.name);
    ASSERT_GT(png.size(), 33u);
    EXPECT_TRUE(std::equal(signature, signature + 8, png.begin()));
    EXPECT_EQ(BigEndian32(png, 16), e.width);
    EXPECT_EQ(BigEndian32(png, 20), e.height);
    std::remove((dir + "/" + e.name).c_str());
  }
  std::remove(dir.c_str());
}

}  // namespace

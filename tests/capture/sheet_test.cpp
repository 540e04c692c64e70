// capture sheet, checked from the outside: the picture is decoded with ffmpeg and each of its
// twelve panels looked at.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/run_program.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunProgram;

// The picture the help states: 1630x996, four panels of 400x300 to a row with a 24-pixel label
// strip under each, 6 pixels apart and from the edges.
constexpr int kWidth = 1630, kHeight = 996;
constexpr int kPanelWidth = 400, kPanelHeight = 300, kLabel = 24, kGap = 6;

TEST(CaptureSheet, IsThePictureOfTheStatedSizeWithTwelveDrawnPanels) {
  if (RunProgram("{ command -v ffmpeg && command -v ffprobe; }").out.find("ffprobe") == std::string::npos)
    GTEST_SKIP() << "ffmpeg and ffprobe are needed (Debian package ffmpeg)";
  char pattern[] = "/tmp/capture-sheet-XXXXXX";
  const fs::path directory = mkdtemp(pattern);
  const std::string sheet = (directory / "sheet.png").string();
  const testsupport::ProgramRun run = RunProgram(std::string(CAPTURE_PROGRAM) + " sheet '" + sheet + "'");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, sheet + "\n");
  EXPECT_EQ(RunProgram("ffprobe -v error -show_entries stream=width,height -of csv=p=0 '" + sheet + "'").out,
            std::to_string(kWidth) + "," + std::to_string(kHeight) + "\n");
  const std::string rgb = RunProgram("ffmpeg -v error -i '" + sheet + "' -f rawvideo -pix_fmt rgb24 -").out;
  fs::remove_all(directory);
  ASSERT_EQ(rgb.size(), std::size_t(kWidth) * kHeight * 3);
  const auto pixel = [&](int x, int y) { return rgb.substr((std::size_t(y) * kWidth + std::size_t(x)) * 3, 3); };
  for (int panel = 0; panel < 12; ++panel) {
    const int left = kGap + (panel % 4) * (kPanelWidth + kGap);
    const int top = kGap + (panel / 4) * (kPanelHeight + kLabel + kGap);
    // A drawn frame has many colours; a blank one (the clear colour, or nothing) has one.
    std::set<std::string> colours;
    for (int y = top; y < top + kPanelHeight; y += 3)
      for (int x = left; x < left + kPanelWidth; x += 3) colours.insert(pixel(x, y));
    EXPECT_GE(colours.size(), 50u) << "panel " << panel;
    // Its clock is written in the strip under it: some lit pixels on black.
    long lit = 0;
    for (int y = top + kPanelHeight; y < top + kPanelHeight + kLabel; ++y)
      for (int x = left; x < left + kPanelWidth; ++x) lit += pixel(x, y) != std::string(3, '\0');
    EXPECT_GT(lit, 200) << "label of panel " << panel;
  }
}

}  // namespace

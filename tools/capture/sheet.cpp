// The timeline sheet: the scene's key moments side by side, each the first frame the demo shows
// once its clock has reached the moment, with that clock and the time it is heard written
// underneath in the demo's own font.
#include "sheet.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "arguments.h"
#include "command_line.h"
#include "content.h"
#include "demo_sound.h"
#include "png_writer.h"
#include "scene_surface.h"

namespace {

// Moments in milliseconds of clock: the opening, the falling box, the cut to the room, the box
// field, its scatter, the final background, and points between.
constexpr std::uint32_t kMoments[] = {0, 4000, 7500, 11000, 15000, 20000, 28000, 35000, 46000, 57000, 57500, 61000};
constexpr int kColumns = 4;
constexpr int kCellWidth = kFrameWidth / 2, kCellHeight = kFrameHeight / 2;
constexpr int kLabelHeight = 24;
constexpr int kGap = 6;

// Glyphs of the demo's font: 16x16 cells in a 16x16 grid counted from the top of the glyph
// sheet, whose rows are stored bottom first; the pen moves 10 pixels a glyph.
constexpr int kGlyph = 16, kAdvance = 10, kSheetSide = 256;

struct Canvas {
  int width, height;
  std::vector<unsigned char> rgb;
  Canvas(int w, int h) : width(w), height(h), rgb(std::size_t(w) * std::size_t(h) * 3, 0) {}
  unsigned char* At(int x, int y) { return &rgb[(std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3]; }
};

// A frame (top row first) halved by averaging each 2x2 square.
void PasteHalved(const std::vector<unsigned char>& frame, Canvas* canvas, int left, int top) {
  for (int y = 0; y < kCellHeight; ++y) {
    for (int x = 0; x < kCellWidth; ++x) {
      for (int c = 0; c < 3; ++c) {
        const auto texel = [&](int dx, int dy) {
          return int(frame[(std::size_t(2 * y + dy) * kFrameWidth + std::size_t(2 * x + dx)) * 3 + std::size_t(c)]);
        };
        canvas->At(left + x, top + y)[c] = static_cast<unsigned char>((texel(0, 0) + texel(1, 0) + texel(0, 1) + texel(1, 1) + 2) / 4);
      }
    }
  }
}

// Glyphs overlap their neighbours; the brighter texel wins, as black adds nothing.
void Write(const std::string& text, Canvas* canvas, int left, int top) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int code = static_cast<unsigned char>(text[i]);
    const int column = code % 16, row = code / 16;
    for (int y = 0; y < kGlyph; ++y) {
      const int sheet_row = kSheetSide - 1 - (row * kGlyph + y);
      for (int x = 0; x < kGlyph; ++x) {
        const int px = left + int(i) * kAdvance + x, py = top + y;
        if (px >= canvas->width || py >= canvas->height) continue;
        const unsigned char* texel = &bitmapfont[(std::size_t(sheet_row) * kSheetSide + std::size_t(column * kGlyph + x)) * 3];
        unsigned char* pixel = canvas->At(px, py);
        for (int c = 0; c < 3; ++c) pixel[c] = texel[c] > pixel[c] ? texel[c] : pixel[c];
      }
    }
  }
}

}  // namespace

int CaptureSheet(int count, char** arguments) {
  if (count != 1) return tool::UsageError(kProgram, "sheet needs one OUT.png");
  const std::string output = arguments[0];
  constexpr std::uint32_t kLastMoment = kMoments[sizeof kMoments / sizeof kMoments[0] - 1];
  DemoSound sound;
  if (!RenderDemoSound(kLastMoment, 0, &sound)) return tool::InputError(kProgram, "cannot play the embedded song");
  if (!OpenScene()) return tool::InputError(kProgram, "no GL window");
  constexpr int kCount = int(sizeof kMoments / sizeof kMoments[0]);
  constexpr int kRows = (kCount + kColumns - 1) / kColumns;
  Canvas canvas(kColumns * (kCellWidth + kGap) + kGap, kRows * (kCellHeight + kLabelHeight + kGap) + kGap);
  for (int i = 0; i < kCount; ++i) {
    // The first block the device plays with the clock at or past the moment.
    std::size_t block = 0;
    while (block + 1 < sound.block_clock.size() && sound.block_clock[block] < kMoments[i]) ++block;
    const std::uint32_t clock = sound.block_clock[block];
    DrawAt(float(std::int64_t(clock)));
    const int left = kGap + (i % kColumns) * (kCellWidth + kGap);
    const int top = kGap + (i / kColumns) * (kCellHeight + kLabelHeight + kGap);
    PasteHalved(ReadFrame(), &canvas, left, top);
    char label[64];
    std::snprintf(label, sizeof label, "clock %u ms, heard at %.2f s", unsigned(clock),
                  double(block) * sound.block_frames / sound.rate);
    Write(label, &canvas, left, top + kCellHeight + (kLabelHeight - kGlyph) / 2);
  }
  if (!tool::WritePng(output, canvas.width, canvas.height, canvas.rgb))
    return tool::InputError(kProgram, "cannot write " + output);
  std::printf("%s\n", output.c_str());
  return 0;
}

// The three embedded pictures: 256x256 RGB, bottom row first.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "content.h"
#include "glyph_sheet.h"
#include "logo.h"

namespace {

constexpr int kSide = 256;

// Texel of a picture by its column and its row counted from the top of the picture.
struct Texel {
  int r, g, b;
  int Max() const { return std::max(r, std::max(g, b)); }
};

Texel At(const unsigned char* picture, int x, int row_from_top) {
  const unsigned char* p = picture + (std::size_t(kSide - 1 - row_from_top) * kSide + std::size_t(x)) * 3;
  return {p[0], p[1], p[2]};
}

TEST(LogoPicture, IsPureBlackOutsideItsBandAndCarriesBrightLetteringInside) {
  int outside_lit = 0, bright = 0, golden = 0, bluish = 0;
  double golden_rows = 0, bluish_rows = 0;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const Texel t = At(tarvelondoku, x, y);
      if (y < art::kLogoBandTop || y >= art::kLogoBandBottom) {
        outside_lit += t.Max() != 0;
        continue;
      }
      bright += t.Max() > 200;
      if (t.r > 150 && t.b < t.r - 60) ++golden, golden_rows += y;
      if (t.b > 150 && t.r < t.b - 40) ++bluish, bluish_rows += y;
    }
  }
  EXPECT_EQ(outside_lit, 0);
  // The lettering: a few thousand bright texels, with both the sky and the gold of the metal.
  EXPECT_GT(bright, 1500);
  EXPECT_GT(golden, 500);
  EXPECT_GT(bluish, 300);
  // Upright: the sky in the metal lies above its gold (rows counted from the top).
  EXPECT_LT(bluish_rows / std::max(bluish, 1), golden_rows / std::max(golden, 1) - 5);
}

TEST(LogoPicture, BandEdgesJoinUnderRepeatWrap) {
  // The strip scrolls horizontally: the left and right columns must match closely.
  int worst = 0;
  for (int y = art::kLogoBandTop; y < art::kLogoBandBottom; ++y) {
    const Texel left = At(tarvelondoku, 0, y), right = At(tarvelondoku, kSide - 1, y);
    worst = std::max({worst, std::abs(left.r - right.r), std::abs(left.g - right.g), std::abs(left.b - right.b)});
  }
  EXPECT_LE(worst, 8);
}

double MeanStep(int dx, int dy, bool across_wrap) {
  double sum = 0;
  int count = 0;
  for (int i = 0; i < kSide; ++i) {
    for (int k = 0; k < (across_wrap ? 1 : kSide - 1); ++k) {
      const int x0 = dx ? (across_wrap ? kSide - 1 : k) : i, y0 = dy ? (across_wrap ? kSide - 1 : k) : i;
      const int x1 = (x0 + dx) % kSide, y1 = (y0 + dy) % kSide;
      const Texel a = At(lavasdoku, x0, y0), b = At(lavasdoku, x1, y1);
      sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
      ++count;
    }
  }
  return sum / count;
}

TEST(LavaPicture, TilesWithoutASeam) {
  // Across the wrap, neighbouring texels differ no more than neighbours inside the picture.
  const double inside_x = MeanStep(1, 0, false), wrap_x = MeanStep(1, 0, true);
  const double inside_y = MeanStep(0, 1, false), wrap_y = MeanStep(0, 1, true);
  EXPECT_GT(inside_x, 1.0);
  EXPECT_LT(wrap_x, inside_x * 1.6);
  EXPECT_LT(wrap_y, inside_y * 1.6);
}

TEST(LavaPicture, RunsFromBlackThroughRedAndOrangeToYellow) {
  int off_palette = 0, dark = 0, red = 0, yellow = 0;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const Texel t = At(lavasdoku, x, y);
      off_palette += !(t.r >= t.g && t.g >= t.b);
      dark += t.Max() < 30;
      red += t.r > 120 && t.g < 50;
      yellow += t.r > 230 && t.g > 180;
    }
  }
  EXPECT_EQ(off_palette, 0);
  const int total = kSide * kSide;
  EXPECT_GT(dark, total / 20);
  EXPECT_GT(red, total / 50);
  EXPECT_GT(yellow, total / 500);
}

// Ink of one glyph cell: count of lit texels and the columns and rows they span.
struct Ink {
  int lit = 0, brightest = 0, min_x = 99, max_x = -1, min_y = 99, max_y = -1;
};

Ink CellInk(int code) {
  Ink ink;
  const int cx = (code % 16) * art::kGlyphCell, cy = (code / 16) * art::kGlyphCell;
  for (int y = 0; y < art::kGlyphCell; ++y) {
    for (int x = 0; x < art::kGlyphCell; ++x) {
      const int value = At(bitmapfont, cx + x, cy + y).Max();
      ink.brightest = std::max(ink.brightest, value);
      if (value > 24) {
        ++ink.lit;
        ink.min_x = std::min(ink.min_x, x), ink.max_x = std::max(ink.max_x, x);
        ink.min_y = std::min(ink.min_y, y), ink.max_y = std::max(ink.max_y, y);
      }
    }
  }
  return ink;
}

TEST(GlyphSheet, EveryPrintableCharacterHasLightInkAndTheSpaceHasNone) {
  EXPECT_EQ(CellInk(' ').brightest, 0);
  for (int code = 33; code < 127; ++code) {
    SCOPED_TRACE(code);
    const Ink ink = CellInk(code);
    EXPECT_GT(ink.brightest, 200) << "glyphs are light";
    EXPECT_GE(ink.lit, 2);
  }
}

TEST(GlyphSheet, InkStaysInsideItsCellAwayFromTheEdgesTheFilterBlends) {
  // Column 0 and row 0 border the previous cell; column 15 and row 15 the next: linear
  // filtering at a quad's edge would pull ink across them.
  for (int code = 0; code < 256; ++code) {
    SCOPED_TRACE(code);
    const int cx = (code % 16) * art::kGlyphCell, cy = (code / 16) * art::kGlyphCell;
    for (int i = 0; i < art::kGlyphCell; ++i) {
      EXPECT_EQ(At(bitmapfont, cx + art::kGlyphCell - 1, cy + i).Max(), 0);
      EXPECT_EQ(At(bitmapfont, cx + i, cy + art::kGlyphCell - 1).Max(), 0);
      EXPECT_EQ(At(bitmapfont, cx, cy + i).Max(), 0);
    }
  }
}

TEST(GlyphSheet, GlyphsAreAboutTenTexelsWideOnACommonBaseline) {
  // Wide letters fill the 10-unit advance; capitals share top and baseline.
  for (int code : {'M', 'W', 'm', 'w', '@'}) {
    const Ink ink = CellInk(code);
    EXPECT_GE(ink.max_x - ink.min_x + 1, 8) << char(code);
    EXPECT_LE(ink.max_x - ink.min_x + 1, 11) << char(code);
  }
  const Ink h = CellInk('H'), e = CellInk('E');
  EXPECT_EQ(h.max_y, e.max_y);
  EXPECT_EQ(h.min_y, e.min_y);
  EXPECT_GE(h.max_y - h.min_y + 1, 9);
  // Descenders go below the capitals' baseline.
  EXPECT_GT(CellInk('g').max_y, h.max_y + 1);
}

}  // namespace

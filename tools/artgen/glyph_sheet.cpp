// The glyph sheet: printable ASCII from a bold monospaced face, light on black. The ink is a
// cool white that grows a touch bluer towards the baseline, so credits read as lit metal
// without losing contrast under the font's colour-squared blending.
#include "art.h"
#include "generators.h"
#include "glyph_sheet.h"
#include "typeface.h"

namespace art {

std::vector<unsigned char> MakeGlyphSheet(const std::string& font_file, std::string* error) {
  Typeface face;
  if (!face.Open(font_file, error)) return {};
  if (!face.SetPixelSize(kGlyphPixelWidth, kGlyphPixelHeight)) {
    *error = "cannot size the face";
    return {};
  }
  const int side = kGlyphCell * kGlyphColumns;
  Canvas canvas(side, side);
  for (unsigned code = 33; code < 127; ++code) {
    Coverage cell(kGlyphCell, kGlyphCell);
    if (face.DrawGlyph(code, kGlyphLeft, kGlyphBaseline, true, &cell) < 0) {
      *error = "the face lacks the character " + std::to_string(code);
      return {};
    }
    const int cell_x = int(code % kGlyphColumns) * kGlyphCell;
    const int cell_y = int(code / kGlyphColumns) * kGlyphCell;
    for (int y = 0; y < kGlyphCell; ++y) {
      const double depth = double(y) / (kGlyphCell - 1);
      const Vec3 ink = Mix(Vec3{1.0, 1.0, 1.0}, Vec3{0.78, 0.88, 1.0}, depth * depth);
      for (int x = 0; x < kGlyphCell; ++x) {
        // A slight lift of the edge coverage keeps thin strokes bright when magnified.
        const double coverage = std::pow(cell.at(x, y), 0.8);
        canvas.at(cell_x + x, cell_y + y) = ink * coverage;
      }
    }
  }
  return ToTextureBytes(canvas);
}

}  // namespace art

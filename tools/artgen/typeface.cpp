#include "typeface.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace art {

Typeface::~Typeface() {
  if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
  if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool Typeface::Open(const std::string& file, std::string* error) {
  if (file.empty()) {
    *error = "no font file given (--font FILE)";
    return false;
  }
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    *error = "FreeType did not start";
    return false;
  }
  library_ = library;
  FT_Face face = nullptr;
  if (FT_New_Face(library, file.c_str(), 0, &face) != 0) {
    *error = "cannot read the font file " + file;
    return false;
  }
  face_ = face;
  return true;
}

bool Typeface::SetPixelSize(int width, int height) {
  return face_ && FT_Set_Pixel_Sizes(static_cast<FT_Face>(face_), FT_UInt(width), FT_UInt(height)) == 0;
}

int Typeface::DrawGlyph(unsigned code, int pen_x, int baseline, bool light_hinting, Coverage* target) const {
  FT_Face face = static_cast<FT_Face>(face_);
  if (!face) return -1;
  const FT_UInt index = FT_Get_Char_Index(face, code);
  if (index == 0) return -1;
  const FT_Int32 flags = FT_LOAD_RENDER | (light_hinting ? FT_LOAD_TARGET_LIGHT : FT_LOAD_NO_HINTING);
  if (FT_Load_Glyph(face, index, flags) != 0) return -1;
  const FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    for (unsigned col = 0; col < bitmap.width; ++col) {
      const int x = pen_x + slot->bitmap_left + int(col);
      const int y = baseline - slot->bitmap_top + int(row);
      if (x < 0 || y < 0 || x >= target->width || y >= target->height) continue;
      const unsigned char value = bitmap.buffer[std::ptrdiff_t(row) * bitmap.pitch + std::ptrdiff_t(col)];
      double& cell = target->ref(x, y);
      cell += value / 255.0;
      if (cell > 1.0) cell = 1.0;
    }
  }
  return int((slot->advance.x + 32) >> 6);
}

int Typeface::Kerning(unsigned left, unsigned right) const {
  FT_Face face = static_cast<FT_Face>(face_);
  if (!face || !FT_HAS_KERNING(face)) return 0;
  FT_Vector delta{0, 0};
  FT_Get_Kerning(face, FT_Get_Char_Index(face, left), FT_Get_Char_Index(face, right), FT_KERNING_DEFAULT, &delta);
  return int(delta.x >> 6);
}

int Typeface::LineWidth(const std::string& text, int tracking) const {
  Coverage scratch(1, 1);
  return DrawLine(text, 0, -100000, tracking, &scratch);
}

int Typeface::DrawLine(const std::string& text, int pen_x, int baseline, int tracking, Coverage* target) const {
  unsigned previous = 0;
  for (unsigned char c : text) {
    if (previous) pen_x += Kerning(previous, c) + tracking;
    const int advance = DrawGlyph(c, pen_x, baseline, false, target);
    if (advance > 0) pen_x += advance;
    previous = c;
  }
  return pen_x;
}

}  // namespace art

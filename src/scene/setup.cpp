#include "content.h"
#include "models/font.h"
#include "scene/setup.h"

namespace {

constexpr int kImageSize = 256;
constexpr unsigned long kTrilinear = 1;
constexpr unsigned long kLinear = 0;

}  // namespace

bool Sahneinit() {
  Dokuyukle(metald, tarvelondoku, kImageSize, kImageSize, kTrilinear);
  Dokuyukle(lava2d, lavasdoku, kImageSize, kImageSize, kTrilinear);
  font.Giris();
  // Glyphs are drawn near their own size, so the font needs no mipmap filtering.
  Dokuyukle(font.texture, bitmapfont, kImageSize, kImageSize, kLinear);
  vec3d(&kpos);
  vec3d(&apos);
  // The font's texture stays bound; every effect binds its own before drawing.
  return true;
}

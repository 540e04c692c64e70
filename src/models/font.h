// The textured bitmap font: one compiled display list per character code over a 16x16 grid of
// 16x16-texel glyph cells. Each glyph is a 16x16-unit quad; the pen then moves 10 units right.
#pragma once

#include <GL/gl.h>

class CFONT {
 public:
  GLuint listBase;  // list listBase + c draws character code c

  // Deletes the 256 glyph lists.
  void Kapat();
};

class CFONTDOKU : public CFONT {
 public:
  GLuint texture;  // made from the glyph sheet by the scene set-up

  // Compiles the 256 glyph lists; needs a current GL context.
  void Giris();

  // Draws `text` byte for byte (no format expansion; trailing arguments are ignored) with its
  // first glyph's lower-left corner at (x, y), scaled. Blending is on while it draws, off after.
  void vPrint(float x, float y, float scaleX, float scaleY, float scaleZ, const char* text, ...);

  // 1 enters a width x height orthographic 2D mode, 0 leaves it, anything else does nothing.
  void Ekrana2BCizimyap(int mode, int width, int height);

  // Prints at (x, y) with y measured down from the top of a 2D space `screenHeight` units high,
  // at a scale chosen by `style` and `size`. Texts far off screen are skipped without any state change.
  void Yaz(int screenHeight, float x, float y, unsigned long style, float size, const char* text);
};

// The one font of the program; zero until the scene set-up fills it.
extern CFONTDOKU font;

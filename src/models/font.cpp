#include "models/font.h"

#include <cstring>

CFONTDOKU font;

namespace {

constexpr int kGlyphCount = 256;
constexpr int kGridSize = 16;
constexpr float kCell = 0.0625f;  // one grid cell in texture coordinates
constexpr int kGlyphUnits = 16;
constexpr double kAdvance = 10.0;  // glyphs overlap their neighbours by 6 units

// The window of texts worth drawing; outside it Yaz leaves the pipeline untouched.
constexpr float kLeftLimit = -1200.0f;
constexpr float kRightLimit = 2500.0f;

}  // namespace

void CFONT::Kapat() { glDeleteLists(listBase, kGlyphCount); }

void CFONTDOKU::Giris() {
  listBase = glGenLists(kGlyphCount);
  for (int c = 0; c < kGlyphCount; ++c) {
    const int column = c % kGridSize;
    const int row = c / kGridSize;
    // Grid rows count from the top of the picture, texture t from its bottom.
    const float s0 = static_cast<float>(column) * kCell;
    const float top = 1.0f - static_cast<float>(row) * kCell;
    const float bottom = top - kCell;
    const float s1 = s0 + kCell;
    glNewList(listBase + c, GL_COMPILE);
    glBegin(GL_QUADS);
    glTexCoord2f(s0, bottom);
    glVertex2i(0, 0);
    glTexCoord2f(s1, bottom);
    glVertex2i(kGlyphUnits, 0);
    glTexCoord2f(s1, top);
    glVertex2i(kGlyphUnits, kGlyphUnits);
    glTexCoord2f(s0, top);
    glVertex2i(0, kGlyphUnits);
    glEnd();
    glTranslated(kAdvance, 0.0, 0.0);
    glEndList();
  }
}

void CFONTDOKU::vPrint(float x, float y, float scaleX, float scaleY, float scaleZ, const char* text, ...) {
  if (!text) return;
  // glyph * glyph + background * (1 - glyph): black texels leave the background as it was.
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glPushMatrix();
  glLoadIdentity();
  glTranslated(x, y, 0.0);
  glScalef(scaleX, scaleY, scaleZ);
  glListBase(listBase);
  glCallLists(static_cast<GLsizei>(std::strlen(text)), GL_UNSIGNED_BYTE, text);
  glPopMatrix();
  glDisable(GL_BLEND);
}

void CFONTDOKU::Ekrana2BCizimyap(int mode, int width, int height) {
  if (mode == 1) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glOrtho(0.0, width, 0.0, height, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_LIGHTING);
  } else if (mode == 0) {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
  }
}

void CFONTDOKU::Yaz(int screenHeight, float x, float y, unsigned long style, float size, const char* text) {
  const float height = static_cast<float>(screenHeight);
  if (!(x > kLeftLimit && x < kRightLimit && y < height)) return;

  glBindTexture(GL_TEXTURE_2D, texture);
  glColor4ub(255, 255, 255, 255);

  if (size > 0.8f) size = 0.8f;
  if (size < -0.5f) size = -0.5f;

  float scaleX = 1.7f;
  float scaleY = 1.7f;
  float scaleZ = 1.7f;
  switch (style) {
    case 0:
      scaleX = scaleY = scaleZ = size + 0.9f;
      break;
    case 1:
      scaleX = scaleY = scaleZ = 2.5f - size;
      break;
    case 4:
      scaleX = 1.0f;
      scaleY = scaleZ = size + 0.5f;
      break;
    default:
      break;
  }
  vPrint(x, height - y, scaleX, scaleY, scaleZ, text);
}

// artsheet: pictures of the embedded content for people to look at.
//
//   artsheet SHEET.png [DIRECTORY]
//
// Writes one contact sheet (the three pictures, a line of text in the demo's font, the box and
// the room from several sides, rendered headless with the fixed-function pipeline and a
// directional light) and, when DIRECTORY is given, each picture and each row as its own PNG.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "content.h"
#include "platform/platform.h"
#include "png_writer.h"

namespace {

constexpr int kSheetWidth = 1024;
constexpr int kImageSide = 256;
constexpr int kTileWidth = 256, kTileHeight = 192;
constexpr int kTextHeight = 96;

// A picture held top row first, 3 bytes per pixel.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;

  Picture(int w, int h) : width(w), height(h), rgb(std::size_t(w) * std::size_t(h) * 3, 0) {}
  void Paste(const Picture& other, int x, int y) {
    for (int row = 0; row < other.height && y + row < height; ++row) {
      for (int col = 0; col < other.width && x + col < width; ++col) {
        for (int c = 0; c < 3; ++c) {
          rgb[(std::size_t(y + row) * std::size_t(width) + std::size_t(x + col)) * 3 + std::size_t(c)] =
              other.rgb[(std::size_t(row) * std::size_t(other.width) + std::size_t(col)) * 3 + std::size_t(c)];
        }
      }
    }
  }
};

// The embedded layout is bottom row first.
Picture FromTexture(const unsigned char* texels) {
  Picture picture(kImageSide, kImageSide);
  for (int y = 0; y < kImageSide; ++y) {
    const unsigned char* row = texels + std::size_t(kImageSide - 1 - y) * kImageSide * 3;
    std::copy(row, row + kImageSide * 3, picture.rgb.begin() + std::ptrdiff_t(y) * kImageSide * 3);
  }
  return picture;
}

GLuint MakeTexture(const unsigned char* texels) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gluBuild2DMipmaps(GL_TEXTURE_2D, 3, kImageSide, kImageSide, GL_RGB, GL_UNSIGNED_BYTE, texels);
  return name;
}

// Renders into the lower-left corner of the window and reads the pixels back.
Picture Render(int width, int height, const std::function<void()>& draw) {
  glViewport(0, 0, width, height);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  draw();
  glFinish();
  std::vector<unsigned char> bottom_up(std::size_t(width) * std::size_t(height) * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottom_up.data());
  Picture picture(width, height);
  for (int y = 0; y < height; ++y) {
    std::copy(bottom_up.begin() + std::ptrdiff_t(height - 1 - y) * width * 3, bottom_up.begin() + std::ptrdiff_t(height - y) * width * 3,
              picture.rgb.begin() + std::ptrdiff_t(y) * width * 3);
  }
  return picture;
}

// The demo's light and material, with the light turned a little towards the viewer so that
// walls facing the camera show their relief too.
void SetUpLighting() {
  const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1.0f}, diffuse[] = {0.8f, 0.8f, 0.7f, 1.0f};
  const GLfloat specular[] = {0.5f, 0.5f, 0.5f, 1.0f}, direction[] = {-0.35f, 0.8f, 0.5f, 0.0f};
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
  glLightfv(GL_LIGHT0, GL_POSITION, direction);
  glEnable(GL_LIGHT0);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  const GLfloat material[] = {0.9f, 0.9f, 0.8f, 1.0f}, shine[] = {0.2f, 0.2f, 0.2f, 1.0f}, emission[] = {0.1f, 0.1f, 0.1f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, shine);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 64.0f);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
  glEnable(GL_COLOR_MATERIAL);
  glEnable(GL_NORMALIZE);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glShadeModel(GL_SMOOTH);
  glFrontFace(GL_CCW);
}

// Draws a vertex array the way the demo's mesh routine does: texture coordinate, normal,
// optionally the normal as colour, position.
void DrawMesh(const float* vertices, int count, bool colour_from_normals) {
  glBegin(GL_TRIANGLES);
  for (int i = 0; i < count; ++i) {
    const float* v = vertices + std::size_t(i) * 8;
    glTexCoord2f(v[6], v[7]);
    glNormal3f(v[3], v[4], v[5]);
    if (colour_from_normals) glColor3f(v[3], v[4], v[5]);
    glVertex3f(v[0], v[1], v[2]);
  }
  glEnd();
}

void Perspective(double fov, double aspect) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(fov, aspect, 5.0, 10000.0);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

// One pass of the demo's font: a 16-unit quad per byte, 10 units apart, blended so that black
// texels leave the background alone.
void PrintText(GLuint font, double x, double y, double scale, const std::string& text) {
  glBindTexture(GL_TEXTURE_2D, font);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR);
  glColor3f(1, 1, 1);
  glBegin(GL_QUADS);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned code = static_cast<unsigned char>(text[i]);
    const float s0 = float(code % 16) * 0.0625f, top = 1.0f - float(code / 16) * 0.0625f;
    const float s1 = s0 + 0.0625f, bottom = top - 0.0625f;
    const double left = x + 10.0 * scale * double(i), right = left + 16.0 * scale, up = y + 16.0 * scale;
    glTexCoord2f(s0, bottom), glVertex2d(left, y);
    glTexCoord2f(s1, bottom), glVertex2d(right, y);
    glTexCoord2f(s1, top), glVertex2d(right, up);
    glTexCoord2f(s0, top), glVertex2d(left, up);
  }
  glEnd();
  glDisable(GL_BLEND);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: artsheet SHEET.png [DIRECTORY]\n");
    return 2;
  }
  const std::string sheet_path = argv[1], directory = argc == 3 ? argv[2] : "";
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (!platform::OpenWindow("Tarvelon content", kSheetWidth, 768) || !platform::CreateGLContext(24, 24, 8)) {
    std::fprintf(stderr, "artsheet: no GL context\n");
    return 1;
  }
  SetUpLighting();
  const GLuint logo = MakeTexture(tarvelondoku), lava = MakeTexture(lavasdoku), font = MakeTexture(bitmapfont);

  // Row 1: the pictures as they are, and the lava tiled twice each way at half size.
  const Picture logo_picture = FromTexture(tarvelondoku), lava_picture = FromTexture(lavasdoku), font_picture = FromTexture(bitmapfont);
  Picture tiled(kImageSide, kImageSide);
  for (int y = 0; y < kImageSide; ++y) {
    for (int x = 0; x < kImageSide; ++x) {
      const int sx = (x * 2) % kImageSide, sy = (y * 2) % kImageSide;
      for (int c = 0; c < 3; ++c) {
        tiled.rgb[(std::size_t(y) * kImageSide + std::size_t(x)) * 3 + std::size_t(c)] =
            lava_picture.rgb[(std::size_t(sy) * kImageSide + std::size_t(sx)) * 3 + std::size_t(c)];
      }
    }
  }

  // Row 2: the font at the demo's two print scales over darkened lava.
  const Picture text = Render(kSheetWidth, kTextHeight, [&] {
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kSheetWidth, 0, kTextHeight, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, lava);
    glColor3f(0.45f, 0.45f, 0.45f);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2i(0, 0);
    glTexCoord2f(4, 0), glVertex2i(kSheetWidth, 0);
    glTexCoord2f(4, 0.375f), glVertex2i(kSheetWidth, kTextHeight);
    glTexCoord2f(0, 0.375f), glVertex2i(0, kTextHeight);
    glEnd();
    PrintText(font, 16, 48, 2.5, "Tarvelon 2006");
    PrintText(font, 420, 58, 1.7, "Gfx :  <{[(0123456789)]}> @#$%&*");
    PrintText(font, 16, 12, 1.7, "Music      : The quick brown fox jumps over the lazy dog!");
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
  });

  // Row 3: the box from four sides: logo, logo, lava, colour from its normals.
  Picture box_row(kSheetWidth, kTileHeight);
  for (int view = 0; view < 4; ++view) {
    box_row.Paste(Render(kTileWidth, kTileHeight, [&] {
      Perspective(50.0, double(kTileWidth) / kTileHeight);
      glTranslated(0, 0, -3000);
      glRotated(24, 1, 0, 0);
      glRotated(35 + 90 * view, 0, 1, 0);
      if (view < 3) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, view < 2 ? logo : lava);
        glColor3f(1, 1, 1);
      } else {
        glDisable(GL_TEXTURE_2D);
      }
      DrawMesh(kutu, 36, view == 3);
      glDisable(GL_TEXTURE_2D);
    }), kTileWidth * view, 0);
  }

  // Row 4: the room from its middle, looking round: plain stone to show the shapes, then
  // lava-textured as in the demo.
  Picture room_inside(kSheetWidth, kTileHeight);
  for (int view = 0; view < 4; ++view) {
    room_inside.Paste(Render(kTileWidth, kTileHeight, [&] {
      Perspective(80.0, double(kTileWidth) / kTileHeight);
      glRotated(-8, 1, 0, 0);
      glRotated(90 * view + 20, 0, 1, 0);
      glTranslated(0, -60, -120);
      if (view >= 2) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, lava);
        glColor3f(1, 1, 1);
      } else {
        glColor3f(0.62f, 0.58f, 0.52f);
      }
      DrawMesh(odamodel, 5652, false);
      glDisable(GL_TEXTURE_2D);
    }), kTileWidth * view, 0);
  }

  // Row 5: the room from above and outside, turning; the walls nearest the eye show their
  // backs and are culled, so the inside lies open.
  Picture room_outside(kSheetWidth, kTileHeight);
  for (int view = 0; view < 4; ++view) {
    room_outside.Paste(Render(kTileWidth, kTileHeight, [&] {
      Perspective(50.0, double(kTileWidth) / kTileHeight);
      const double pitch[4] = {30, 42, 58, 88}, yaw[4] = {20, 50, 80, 0};
      glTranslated(0, 0, -1950);
      glRotated(pitch[view], 1, 0, 0);
      glRotated(yaw[view], 0, 1, 0);
      glEnable(GL_CULL_FACE);
      glCullFace(GL_BACK);
      glColor3f(0.62f, 0.58f, 0.52f);
      DrawMesh(odamodel, 5652, false);
      glDisable(GL_CULL_FACE);
    }), kTileWidth * view, 0);
  }

  Picture sheet(kSheetWidth, kImageSide + kTextHeight + 3 * kTileHeight);
  sheet.Paste(logo_picture, 0, 0);
  sheet.Paste(lava_picture, kImageSide, 0);
  sheet.Paste(font_picture, 2 * kImageSide, 0);
  sheet.Paste(tiled, 3 * kImageSide, 0);
  sheet.Paste(text, 0, kImageSide);
  sheet.Paste(box_row, 0, kImageSide + kTextHeight);
  sheet.Paste(room_inside, 0, kImageSide + kTextHeight + kTileHeight);
  sheet.Paste(room_outside, 0, kImageSide + kTextHeight + 2 * kTileHeight);

  bool ok = tool::WritePng(sheet_path, sheet.width, sheet.height, sheet.rgb);
  if (!directory.empty()) {
    const struct {
      const char* name;
      const Picture* picture;
    } parts[] = {{"logo.png", &logo_picture}, {"lava.png", &lava_picture},       {"glyphs.png", &font_picture},
                 {"text.png", &text},          {"box.png", &box_row},             {"room-inside.png", &room_inside},
                 {"room-outside.png", &room_outside}};
    for (const auto& part : parts) {
      ok = tool::WritePng(directory + "/" + part.name, part.picture->width, part.picture->height, part.picture->rgb) && ok;
    }
  }
  // The window and the context end with the process: tearing them down here makes the driver
  // leave allocations behind that leak checkers report, for nothing gained.
  if (!ok) {
    std::fprintf(stderr, "artsheet: could not write the pictures\n");
    return 1;
  }
  return 0;
}

// Yazilar: the 2D layer of a frame in a 1024 x 768 space over the whole window.
#include <GL/gl.h>

#include <cmath>

#include "models/font.h"
#include "scene/box_effects.h"
#include "scene/overlays.h"
#include "scene/scene.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct CreditLine {
  float y;
  const char* text;
};

// Labels are twelve characters with the colon last; names start after thirteen spaces.
constexpr CreditLine kCredits[] = {
    {300.0f, "Programing :"},
    {350.0f, "             Vurtami"},
    {400.0f, "Gfx        :"},
    {450.0f, "             Pelvora_Sintek"},
    {500.0f, "Music      :"},
    {550.0f, "             Nim_Taroske"},
    {600.0f, "Tarvelon   :"},
    {650.0f, "            www.tarvelon.example"},
};

struct Flash {
  float start;
  float end;
};

// Each ends 500 ms after a cut of the timeline, and the last one with the run.
constexpr Flash kFlashes[] = {
    {14500.0f, 15500.0f}, {34500.0f, 35500.0f}, {57500.0f, 58500.0f}, {60000.0f, 61000.0f}, {69000.0f, 70000.0f},
};

void BlendGlow() {
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_COLOR, GL_ONE);
}

// The group line circles clockwise on a 100 x 50 ellipse, one turn in 3.6 s.
void GroupLine() {
  const float pi = 3.1415927f;
  const float theta = (mytime / 10.0f) * pi / 180.0f;
  const float x = static_cast<float>(400.0 + 100.0 * std::cos(static_cast<double>(theta)));
  const float y = static_cast<float>(100.0 + 50.0 * std::sin(static_cast<double>(theta)));
  font.Yaz(kHeight, x, y, 1, 0.0f, "Tarvelon 2006");
}

}  // namespace

void Yazilar() {
  Ekrana2BCizimyap(1, kWidth, kHeight);

  if (zaman(15000.0f, 58000.0f)) GroupLine();

  if (zaman(59000.0f, 70000.0f)) {
    BlendGlow();
    Kutuciz2d(metald, kHeight, 170.0f, 50.0f, 650.0f, 150.0f);
    glDisable(GL_BLEND);
  }

  if (zaman(60500.0f, 70000.0f)) {
    for (const CreditLine& line : kCredits) font.Yaz(kHeight, 50.0f, line.y, 3, 0.0f, line.text);
  }

  BlendGlow();
  for (const Flash& flash : kFlashes) FadeBeyaz(flash.start, flash.end);
  glDisable(GL_BLEND);

  Ekrana2BCizimyap(0, kWidth, kHeight);
}

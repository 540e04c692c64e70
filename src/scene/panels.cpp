// EkranEfek: picture-in-picture panels. Each panel draws the 3D scene again over the finished
// frame; the projection is left alone, so every panel shows the whole 4:3 view squeezed.
#include <GL/gl.h>

#include <cstddef>

#include "scene/overlays.h"
#include "scene/timeline.h"
#include "scene/scene.h"

namespace {

enum class Rule { Mod3Is2, Mod5AtLeast2, Mod7AtLeast2 };

// Whether a panel shows in second k of the music.
bool Shows(Rule rule, int k) {
  switch (rule) {
    case Rule::Mod3Is2: return k % 3 == 2;
    case Rule::Mod5AtLeast2: return k % 5 >= 2;
    case Rule::Mod7AtLeast2: return k % 7 >= 2;
  }
  return false;
}

// kFrameTint stands for the frame's own colour selector.
constexpr long kFrameTint = -1;

struct Panel {
  Rule rule;
  int x;
  int y;
  long tint;
};

constexpr int kQuarterWidth = 400;
constexpr int kQuarterHeight = 300;
constexpr Panel kQuarterPanels[] = {
    {Rule::Mod3Is2, 0, 0, 1},
    {Rule::Mod5AtLeast2, 400, 300, 2},
    {Rule::Mod3Is2, 0, 300, 3},
    {Rule::Mod7AtLeast2, 400, 0, kFrameTint},
};

constexpr int kSmallWidth = 200;
constexpr int kSmallHeight = 100;
constexpr Panel kSmallPanels[] = {
    {Rule::Mod3Is2, 0, 0, 1},          {Rule::Mod5AtLeast2, 200, 100, 2},
    {Rule::Mod7AtLeast2, 0, 100, 3},   {Rule::Mod7AtLeast2, 200, 0, kFrameTint},
    {Rule::Mod7AtLeast2, 600, 500, 1}, {Rule::Mod3Is2, 600, 400, 2},
    {Rule::Mod5AtLeast2, 400, 500, 3}, {Rule::Mod3Is2, 400, 400, kFrameTint},
};

template <std::size_t N>
void DrawPanels(const Panel (&panels)[N], int width, int height, int k, unsigned long frameTint) {
  for (const Panel& panel : panels) {
    if (!Shows(panel.rule, k)) continue;
    glViewport(panel.x, panel.y, width, height);
    // Clearing ignores the viewport: the depth of the whole window goes, the colours stay.
    glClear(GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    Kamera();
    Sahne_Ciz(panel.tint == kFrameTint ? frameTint : static_cast<unsigned long>(panel.tint), true);
  }
}

}  // namespace

void EkranEfek(unsigned long tint) {
  const int k = static_cast<int>(mytime / 1000.0f);
  if (mytime < 15000.0f) {
    DrawPanels(kQuarterPanels, kQuarterWidth, kQuarterHeight, k, tint);
  } else if (mytime <= 35000.0f) {
    DrawPanels(kSmallPanels, kSmallWidth, kSmallHeight, k, tint);
  }
}

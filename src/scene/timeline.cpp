// Sahne and Sahne_Ciz. The windows are closed intervals tested in a fixed order, so on a
// boundary instant both neighbours draw, the earlier one first.
#include "scene/timeline.h"

#include <GL/gl.h>

#include "models/modeller.h"
#include "scene/box_effects.h"
#include "scene/overlays.h"
#include "scene/wave.h"
#include "scene/scene.h"

void Sahne(MUSIC_MODULE* module, unsigned long tint) {
  SesGuncelle(module);
  Sahne_Kare(tint);
  // The frame just drawn is still presented; the quit takes effect at the next loop turn.
  Pencereyi_Kapat();
}

void Sahne_Kare(unsigned long tint) {
  Kamera();
  Sahne_Ciz(tint, false);
  Yazilar();
  EkranEfek(tint);
}

void Sahne_Ciz(unsigned long tint, bool inset) {
  const float t = mytime;

  if (zaman(0.0f, 15000.0f)) {
    ArkaKutu(true, 2.0f, tint, false, inset);
    if (t <= 7500.0f) MinikKutular(tint, true);
    // The falling box belongs to the main picture only.
    if (!inset && t >= 7500.0f && t <= 15000.0f) ReklamGel(tint);
  }

  if (zaman(15000.0f, 35000.0f)) {
    ArkaKutu(false, 1.0f, tint, false, inset);
    if (inset) {
      KutularCiz(3.0f, 100.0f, false, false, 0.0f, true);
    } else {
      glColor3f(1.0f, 1.0f, 1.0f);
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, lava2d);
      Oda(0.0f, -100.0f, 0.0f, SinWave(360.0f, t / 8000.0f), 1.0f, 1.0f, 1.0f, false, 0.0f, false);
      MinikKutular(tint, false);
    }
  }

  if (zaman(35000.0f, 57000.0f)) {
    KutularCiz(4.0f, (t - 35000.0f) / 100.0f + 100.0f, true, false, 0.0f, false);
    AraKutular(false, 0.0f, true);
    ArkaKutu(true, 1.0f, tint, true, inset);
  }

  if (zaman(57000.0f, 58000.0f)) {
    const float amount = t - 57000.0f;
    KutularCiz(4.0f, 300.0f, true, true, amount, false);
    AraKutular(true, amount, true);
    glColor3f(1.0f, 1.0f, 1.0f);
    ArkaKutu(true, 1.0f, tint, true, inset);
  }

  if (zaman(58000.0f, 100000.0f)) {
    glColor3f(1.0f, 1.0f, 1.0f);
    ArkaKutu(true, 1.0f, tint, true, inset);
  }
}

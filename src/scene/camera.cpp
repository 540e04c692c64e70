#include "scene/camera.h"

#include <GL/gl.h>

#include <cmath>

#include "scene/clock.h"
#include "scene/setup.h"

float artikx = 0.0f;
float artiky = 0.0f;
float artikz = 0.0f;

namespace {

// The four one-second jolt windows of a repetition and the offset each adds in x and y.
struct JoltWindow {
  float start;
  float shift;
};
constexpr JoltWindow kJolts[4] = {{27000.0f, 5.0f}, {31000.0f, 7.0f}, {34000.0f, 5.0f}, {38000.0f, 9.0f}};
constexpr int kRepetitions = 5;
constexpr float kRepetitionPeriod = 41500.0f;
constexpr float kJoltLength = 1000.0f;

constexpr float kFixedViewEnd = 15000.0f;
constexpr float kViewX = -70.0f;
constexpr float kViewDistance = -300.0f;
constexpr float kCircleRadius = 50.0f;

}  // namespace

void Kamera() {
  artikx = 0.0f;
  artiky = 0.0f;
  artikz = 0.0f;
  const float t = mytime;
  const float u = t / 1000.0f;

  for (int k = 0; k < kRepetitions; ++k) {
    const float offset = kRepetitionPeriod * static_cast<float>(k);
    for (const JoltWindow& window : kJolts) {
      if (zaman(window.start + offset, window.start + kJoltLength + offset)) {
        artikx = 50.0f * std::sin(u) + window.shift;
        artiky = 70.0f * std::cos(u) + window.shift;
        artikz = 20.0f * std::tan(u) + 5.0f;
      }
    }
  }

  if (0.0f <= t && t <= kFixedViewEnd) {
    glTranslatef(kViewX, 0.0f, kViewDistance);
    return;
  }

  // One turn every pi seconds around (-70, 0); the jump onto the circle at 15 s is intended.
  const float v = t / 500.0f;
  glTranslatef(artikx + kCircleRadius * std::cos(v) + kViewX - kpos.x, artiky + kCircleRadius * std::sin(v) - kpos.y,
               artikz + kViewDistance - kpos.z);
}

#include "scene/clock.h"

#include "platform/platform.h"

float mytime = 0.0f;

namespace {

constexpr float kRunSeconds = 70.0f;

}  // namespace

float saniye(float milliseconds) { return milliseconds / 1000.0f; }

bool zaman(float from, float to) { return from <= mytime && mytime <= to; }

void Pencereyi_Kapat() {
  if (saniye(mytime) > kRunSeconds) platform::PostQuit(0);
}

bool Kapat() {
  platform::PostQuit(0);
  return true;
}

#include "scene/clock.h"

#include "platform/platform.h"

float mytime = 0.0f;

float saniye(float milliseconds) { return milliseconds / 1000.0f; }

bool zaman(float from, float to) { return from <= mytime && mytime <= to; }

bool PastTheEnd(float milliseconds) { return saniye(milliseconds) > kRunSeconds; }

void Pencereyi_Kapat() {
  if (PastTheEnd(mytime)) platform::PostQuit(0);
}

bool Kapat() {
  platform::PostQuit(0);
  return true;
}

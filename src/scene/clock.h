// The music clock and the time helpers every effect tests its window with.
#pragma once

struct MUSIC_MODULE;

// Milliseconds of music time; written once at the start of each frame, read by every effect.
extern float mytime;

// mytime = the song's playback time, converted exactly to the nearest float.
void SesGuncelle(MUSIC_MODULE* module);

// Milliseconds to seconds.
float saniye(float milliseconds);

// True when from <= mytime <= to, both ends included.
bool zaman(float from, float to);

// The timeline's end: the demo stops on the first frame whose clock is past it.
inline constexpr float kRunSeconds = 70.0f;

// True once `milliseconds` of clock is past the timeline's end.
bool PastTheEnd(float milliseconds);

// Asks to quit with code 0 once the clock is past the timeline's end.
void Pencereyi_Kapat();

// Asks to quit with code 0; returns true.
bool Kapat();

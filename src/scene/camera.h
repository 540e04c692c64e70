// The camera path: one translation of the modelview matrix, from the music clock alone.
#pragma once

// The jolt offsets of the last Kamera call (0 outside the jolt windows).
extern float artikx;
extern float artiky;
extern float artikz;

// Multiplies the view translation for the current mytime onto the modelview matrix, which is
// expected to be current and to hold the identity.
void Kamera();

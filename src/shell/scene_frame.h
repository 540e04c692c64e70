// The picture's half of the set-up, and one frame at a clock the caller chooses: what the demo,
// the capture tool and the browser's still at a moment share.
#pragma once

// The window's GL context with its fixed state, the light, the material and the scene's
// textures, font and positions, for a drawable of width x height.
void PrepareScene(int width, int height, int bits);

// One frame as the message loop draws it, but with mytime = `milliseconds` instead of the
// playing song's clock, and without ending the run or presenting the frame.
void DrawSceneAt(float milliseconds);

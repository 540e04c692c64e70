// What the timeline tests share: a GL context in the demo's render state with the scene set
// up, and a feedback-mode recorder that returns the primitives a drawing produced.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace timeline_test {

// Window coordinates (pixels, depth 0..1), colour after lighting and texture coordinate.
struct FeedbackVertex {
  float x, y, z;
  float r, g, b, a;
  float s, t;
};

struct Primitive {
  std::vector<FeedbackVertex> vertices;
};

using Primitives = std::vector<Primitive>;

// Opens the context once, sets the fixed render state the shell sets at start and runs the
// scene set-up; false with a reason when there is no GL.
bool PrepareScene(std::string* why);

// Back to the state a frame starts in: full viewport, the demo's perspective, modelview
// identity, and the switches the effects turn (texturing, blending, culling, sphere mapping,
// lighting, depth test) as the shell leaves them before the first frame; colour white.
void ResetFrameState();

// A projection that shows every model of the scene whole and unclipped: an orthographic box of
// +-10000 x +-7500 x +-10000 units over the 800x600 window, with the modelview at identity.
void UseWideOrtho();

// Records what `draw` produces in feedback mode. Fails the test if the buffer overflows.
Primitives Capture(const std::function<void()>& draw);

// Every index at which `needle` appears in `haystack` as consecutive primitives with the same
// vertex positions (within `tolerance` window units).
std::vector<size_t> FindAll(const Primitives& haystack, const Primitives& needle, float tolerance = 0.02f);

// The current GL colour.
std::array<float, 4> CurrentColour();

bool IsEnabled(unsigned int capability);
int GetInt(unsigned int name);

// The scene-wide clock every effect reads.
void SetClock(float milliseconds);

}  // namespace timeline_test

// Skips the test when there is no GL context.
#define REQUIRE_SCENE()                                                \
  do {                                                                 \
    std::string why_;                                                  \
    if (!timeline_test::PrepareScene(&why_)) GTEST_SKIP() << why_;     \
    timeline_test::ResetFrameState();                                  \
  } while (0)

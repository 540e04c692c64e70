// Browser backend: the GL surface is a WebGL 1 context on the canvas, drawn through our GL 1.1
// layer. Presenting a frame means handing control back to the browser until its next
// animation frame: the program's loop sleeps there (its stack kept) and goes on from the swap.
#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/platform.h"
#include "platform/web/audio.h"
#include "platform/web/gl/webgl11.h"

namespace platform {
namespace {

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE g_context = 0;
bool g_presented = false;

// The animation frame runs before the browser paints; the page hears of the first frame once
// that paint has happened.
// tarvelonFrames counts the frames handed to the browser (the page's benchmark reads it).
EM_ASYNC_JS(void, WebAwaitNextFrame, (int first), {
  globalThis.tarvelonFrames = (globalThis.tarvelonFrames | 0) + 1;
  await new Promise((resolve) => requestAnimationFrame(() => resolve()));
  if (first && Module["onFirstFrame"]) setTimeout(Module["onFirstFrame"], 0);
});

}  // namespace

bool CreateGLContext(int, int depth_bits, int stencil_bits) {
  ReleaseGLContext();
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.alpha = EM_FALSE;
  attributes.depth = depth_bits > 0;
  // Asked for by the program, used by nothing: WebGL is spared it.
  (void)stencil_bits;
  attributes.stencil = EM_FALSE;
  attributes.antialias = EM_FALSE;
  // Effects draw over what the previous frame left, as a window's back buffer keeps it.
  attributes.preserveDrawingBuffer = EM_TRUE;
  attributes.majorVersion = 1;
  attributes.minorVersion = 0;
  g_context = emscripten_webgl_create_context("#canvas", &attributes);
  if (g_context <= 0) {
    g_context = 0;
    return false;
  }
  if (emscripten_webgl_make_context_current(g_context) != EMSCRIPTEN_RESULT_SUCCESS) {
    ReleaseGLContext();
    return false;
  }
  webgl11::Init();
  return true;
}

void SwapGLBuffers() {
  WebAwaitNextFrame(g_presented ? 0 : 1);
  g_presented = true;
  // The audio side drives the feeder; a look from here as well keeps the clock going should
  // the audio side ever fall silent.
  web::DriveFeeder();
}

void ReleaseGLContext() {
  if (!g_context) return;
  emscripten_webgl_make_context_current(0);
  emscripten_webgl_destroy_context(g_context);
  g_context = 0;
}

}  // namespace platform

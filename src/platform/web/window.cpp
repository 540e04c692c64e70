// Browser backend: the window is the page's 800x600 canvas (#canvas), whose drawing buffer
// keeps the size it is given whatever size the page shows it at. The display mode is the
// canvas's: a change to its own size succeeds and there is nothing to restore. The error box
// is a modal dialog in the page that the program waits for without holding up the browser.
#include <emscripten.h>
#include <emscripten/html5.h>

#include "platform/platform.h"
#include "platform/web/events.h"

namespace platform {
namespace {

constexpr char kCanvas[] = "#canvas";
bool g_open = false;

// Sleeps (the browser goes on) until the dialog's OK button, Enter or Escape dismisses it.
// Keys pressed in the dialog stay in it: they are answers to the dialog, not to the program.
EM_ASYNC_JS(void, WebShowDialog, (const char* caption, const char* text), {
  const title = UTF8ToString(caption);
  const body = UTF8ToString(text);
  console.log(title + ": " + body);
  await new Promise((resolve) => {
    const dialog = document.createElement("dialog");
    dialog.className = "tarvelon-error";
    const heading = document.createElement("h2");
    heading.textContent = title;
    const message = document.createElement("p");
    message.textContent = body;
    const ok = document.createElement("button");
    ok.textContent = "OK";
    ok.onclick = () => dialog.close();
    dialog.append(heading, message, ok);
    dialog.addEventListener("keydown", (event) => event.stopPropagation());
    dialog.addEventListener("close", () => { dialog.remove(); resolve(); });
    document.body.appendChild(dialog);
    dialog.showModal();
    ok.focus();
  });
});

EM_JS(void, WebSetCursorHidden, (int hidden), {
  const canvas = document.querySelector("#canvas");
  if (canvas) canvas.style.cursor = hidden ? "none" : "";
});

EM_JS(void, WebFocusCanvas, (), {
  const canvas = document.querySelector("#canvas");
  if (canvas) {
    if (!canvas.hasAttribute("tabindex")) canvas.setAttribute("tabindex", "-1");
    canvas.focus();
  }
});

}  // namespace

// The page names its window itself.
void RegisterWindowClass(const char*) {}

bool OpenWindow(const char*, int width, int height) {
  if (g_open) return true;
  if (emscripten_set_canvas_element_size(kCanvas, width, height) != EMSCRIPTEN_RESULT_SUCCESS) return false;
  web::ListenForEvents();
  g_open = true;
  return true;
}

bool WindowExists() { return g_open; }

void GetWindowRect(int* x, int* y, int* width, int* height) {
  int w = 0, h = 0;
  if (g_open) emscripten_get_canvas_element_size(kCanvas, &w, &h);
  if (x) *x = 0;
  if (y) *y = 0;
  if (width) *width = w;
  if (height) *height = h;
}

void CloseWindow() {
  if (!g_open) return;
  web::StopListening();
  g_open = false;
}

void FocusWindow() {
  if (g_open) WebFocusCanvas();
}

bool ChangeDisplayMode(int width, int height, int) {
  int w = 0, h = 0;
  if (emscripten_get_canvas_element_size(kCanvas, &w, &h) != EMSCRIPTEN_RESULT_SUCCESS) return false;
  return w == width && h == height;
}

void RestoreDisplayMode() {}

void ShowCursor(bool visible) { WebSetCursorHidden(visible ? 0 : 1); }

void ShowErrorBox(const char* caption, const char* text) { WebShowDialog(caption ? caption : "", text ? text : ""); }

}  // namespace platform

// SDL2 backend: window, display mode, cursor, error box, event queue and GL surface.
#include <SDL.h>

#include <cstdio>

#include "platform/event_queue.h"
#include "platform/platform.h"

namespace platform {
namespace {

SDL_Window* g_window = nullptr;
SDL_GLContext g_context = nullptr;
bool g_fullscreen = false;


bool EnsureVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  // One window: closing it is a close request for us to answer, not an automatic quit.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

void RequestSurface(int color_bits, int depth_bits, int stencil_bits) {
  const int red = color_bits <= 16 ? 5 : 8, green = color_bits <= 16 ? 6 : 8, blue = red;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, red);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, green);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, blue);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencil_bits);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
}

// Win32 virtual-key codes for the keys the program may see; letters and digits are ASCII.
int KeyCode(SDL_Keycode key) {
  if (key >= 'a' && key <= 'z') return int(key - 'a' + 'A');
  if ((key >= '0' && key <= '9') || key == SDLK_SPACE || key == SDLK_ESCAPE) return int(key);
  switch (key) {
    case SDLK_RETURN: case SDLK_KP_ENTER: return 13;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    case SDLK_F4: return 115;
    default: return 0xFF;  // a key the program has no name for
  }
}

// Moves what SDL has waiting into our queue, in arrival order.
void Pump() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    Event ev;
    switch (e.type) {
      case SDL_KEYDOWN:
        ev.kind = EventKind::KeyDown;
        ev.key = KeyCode(e.key.keysym.sym);
        break;
      case SDL_QUIT:
        ev.kind = EventKind::Close;
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
          ev.kind = EventKind::Close;
        } else if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          ev.kind = EventKind::Size;
          ev.width = e.window.data1;
          ev.height = e.window.data2;
        }
        break;
      default:
        break;
    }
    queue::Push(ev);
  }
}

}  // namespace

void RegisterWindowClass(const char* class_name) {
  // X11 reads the class name once, when the video subsystem starts; later calls are too late.
  if (class_name && !SDL_WasInit(SDL_INIT_VIDEO)) SDL_setenv("SDL_VIDEO_X11_WMCLASS", class_name, 1);
}

bool OpenWindow(const char* title, int width, int height) {
  if (g_window) return true;
  if (!EnsureVideo()) return false;
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN;
  // The surface is chosen with the window; a display without a stencil-capable 16-bit
  // visual still gets a window, only without the stencil that nothing uses.
  const int stencils[] = {8, 0};
  for (int stencil : stencils) {
    RequestSurface(16, 16, stencil);
    g_window = SDL_CreateWindow(title, 0, 0, width, height, flags);
    if (g_window) break;
  }
  if (!g_window) return false;
  SDL_SetWindowPosition(g_window, 0, 0);
  return true;
}

bool WindowExists() { return g_window != nullptr; }

void GetWindowRect(int* x, int* y, int* width, int* height) {
  int px = 0, py = 0, w = 0, h = 0;
  if (g_window) {
    SDL_GetWindowPosition(g_window, &px, &py);
    SDL_GetWindowSize(g_window, &w, &h);
  }
  if (x) *x = px;
  if (y) *y = py;
  if (width) *width = w;
  if (height) *height = h;
}

void FocusWindow() {
  if (!g_window) return;
  SDL_ShowWindow(g_window);
  SDL_RaiseWindow(g_window);
}

void CloseWindow() {
  if (!g_window) return;
  SDL_DestroyWindow(g_window);
  g_window = nullptr;
}

bool ChangeDisplayMode(int width, int height, int /*bits*/) {
  if (!EnsureVideo()) return false;
  SDL_DisplayMode desktop;
  if (SDL_GetDesktopDisplayMode(0, &desktop) != 0) return false;
  if (desktop.w == width && desktop.h == height) return true;  // already the requested size
  // Otherwise the display must really offer the size, and switch to it.
  const int modes = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < modes; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(0, i, &mode) != 0 || mode.w != width || mode.h != height) continue;
    if (!g_window || SDL_SetWindowDisplayMode(g_window, &mode) != 0) return false;
    if (SDL_SetWindowFullscreen(g_window, SDL_WINDOW_FULLSCREEN) != 0) return false;
    g_fullscreen = true;
    return true;
  }
  return false;
}

void RestoreDisplayMode() {
  if (g_fullscreen && g_window) SDL_SetWindowFullscreen(g_window, 0);
  g_fullscreen = false;
}

void ShowCursor(bool visible) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void ShowErrorBox(const char* caption, const char* text) {
  // Where no box can be shown (no display), the message still reaches the user.
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) != 0) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
}

bool PollEvent(Event* event) {
  if (!event) return false;
  Pump();
  return queue::Take(event);
}

void PostQuit(int exit_code) { queue::PostQuit(exit_code); }

void PushEvent(const Event& event) { queue::Push(event); }

bool CreateGLContext(int color_bits, int depth_bits, int stencil_bits) {
  if (!g_window) return false;
  ReleaseGLContext();
  RequestSurface(color_bits, depth_bits, stencil_bits);
  g_context = SDL_GL_CreateContext(g_window);
  if (!g_context) return false;
  return SDL_GL_MakeCurrent(g_window, g_context) == 0;
}

void SwapGLBuffers() {
  if (g_window) SDL_GL_SwapWindow(g_window);
}

void ReleaseGLContext() {
  if (!g_context) return;
  SDL_GL_MakeCurrent(g_window, nullptr);
  SDL_GL_DeleteContext(g_context);
  g_context = nullptr;
}

}  // namespace platform

// Win32 backend: the GL surface through WGL on the window's own device context.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/window_state.h"

namespace platform {
namespace {

HDC g_dc = nullptr;
HGLRC g_context = nullptr;
HWND g_dc_window = nullptr;  // the window g_dc belongs to

}  // namespace

bool CreateGLContext(int color_bits, int depth_bits, int stencil_bits) {
  const HWND window = Win32Window();
  if (!window) return false;
  ReleaseGLContext();
  g_dc = GetDC(window);
  g_dc_window = window;
  if (!g_dc) return false;
  PIXELFORMATDESCRIPTOR format{};
  format.nSize = sizeof(format);
  format.nVersion = 1;
  format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  format.iPixelType = PFD_TYPE_RGBA;
  format.cColorBits = BYTE(color_bits);
  format.cDepthBits = BYTE(depth_bits);
  format.cStencilBits = BYTE(stencil_bits);
  format.iLayerType = PFD_MAIN_PLANE;
  // A window takes one pixel format for life: a second SetPixelFormat fails and the first
  // format stays, which is the one wanted anyway.
  SetPixelFormat(g_dc, ChoosePixelFormat(g_dc, &format), &format);
  g_context = wglCreateContext(g_dc);
  if (!g_context) return false;
  return wglMakeCurrent(g_dc, g_context) != FALSE;
}

void SwapGLBuffers() {
  if (g_dc) SwapBuffers(g_dc);
}

void ReleaseGLContext() {
  if (g_context) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(g_context);
    g_context = nullptr;
  }
  if (g_dc) {
    ReleaseDC(g_dc_window, g_dc);
    g_dc = nullptr;
    g_dc_window = nullptr;
  }
}

}  // namespace platform

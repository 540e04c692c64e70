// Win32 backend: window class and window, display mode, cursor and error box. The class's
// window procedure turns the messages the program cares about into events.
#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/window_state.h"

namespace platform {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW;

HWND g_window = nullptr;
std::string g_class_name;
bool g_class_registered = false;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Event event;
  switch (message) {
    case WM_KEYDOWN:
      event.kind = EventKind::KeyDown;
      event.key = int(wparam);  // the virtual-key code: Escape is 27, letters upper-case ASCII
      break;
    case WM_CLOSE:
      // Left to the program: the default would destroy the window here and now.
      event.kind = EventKind::Close;
      break;
    case WM_SIZE:
      event.kind = EventKind::Size;
      event.width = LOWORD(lparam);
      event.height = HIWORD(lparam);
      break;
    default:
      return DefWindowProcA(window, message, wparam, lparam);
  }
  PushEvent(event);
  return 0;
}

bool EnsureClass() {
  if (g_class_registered) return true;
  if (g_class_name.empty()) g_class_name = "Tarvelon";
  WNDCLASSA window_class{};
  // GL draws into the window through one device context for its whole life.
  window_class.style = CS_OWNDC;
  window_class.lpfnWndProc = WindowProcedure;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
  window_class.lpszClassName = g_class_name.c_str();
  g_class_registered = RegisterClassA(&window_class) != 0;
  return g_class_registered;
}

}  // namespace

HWND Win32Window() { return g_window; }

void RegisterWindowClass(const char* class_name) {
  if (!class_name || g_class_registered) return;
  g_class_name = class_name;
  EnsureClass();
}

bool OpenWindow(const char* title, int width, int height) {
  if (g_window) return true;
  if (!EnsureClass()) return false;
  RECT rect{0, 0, width, height};
  AdjustWindowRectEx(&rect, kStyle, FALSE, kExStyle);
  g_window = CreateWindowExA(kExStyle, g_class_name.c_str(), title ? title : "", kStyle, 0, 0,
                             rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  return g_window != nullptr;
}

bool WindowExists() { return g_window != nullptr; }

void GetWindowRect(int* x, int* y, int* width, int* height) {
  RECT rect{0, 0, 0, 0};
  if (g_window) ::GetWindowRect(g_window, &rect);
  if (x) *x = rect.left;
  if (y) *y = rect.top;
  if (width) *width = rect.right - rect.left;
  if (height) *height = rect.bottom - rect.top;
}

void FocusWindow() {
  if (!g_window) return;
  ShowWindow(g_window, SW_SHOWNORMAL);
  UpdateWindow(g_window);
  SetFocus(g_window);
  SetForegroundWindow(g_window);
}

void CloseWindow() {
  if (!g_window) return;
  DestroyWindow(g_window);
  g_window = nullptr;
}

bool ChangeDisplayMode(int width, int height, int bits) {
  DEVMODEA mode{};
  mode.dmSize = sizeof(mode);
  mode.dmBitsPerPel = DWORD(bits);
  mode.dmPelsWidth = DWORD(width);
  mode.dmPelsHeight = DWORD(height);
  mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

// Back to the mode in the registry; harmless when nothing was changed.
void RestoreDisplayMode() { ChangeDisplaySettingsA(nullptr, 0); }

void ShowCursor(bool visible) { ::ShowCursor(visible ? TRUE : FALSE); }

void ShowErrorBox(const char* caption, const char* text) {
  MessageBoxA(nullptr, text ? text : "", caption ? caption : "", MB_OK | MB_ICONERROR);
}

}  // namespace platform

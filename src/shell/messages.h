// The window messages the shell's window procedure is told about: an id and two parameters,
// made from the platform's events, with the ids and key codes the demo was written against.
#pragma once

#include <cstdint>

using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr UINT WM_NULL = 0x0000;  // anything the shell has no name for
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;

constexpr WPARAM VK_ESCAPE = 27;

struct MSG {
  UINT message = WM_NULL;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// Size messages carry the client width in the low word and the height in the high word.
constexpr LPARAM MakeSizeParam(int width, int height) {
  return LPARAM((std::uint32_t(height) & 0xFFFFu) << 16 | (std::uint32_t(width) & 0xFFFFu));
}
constexpr int LowWord(LPARAM value) { return int(std::uint32_t(value) & 0xFFFFu); }
constexpr int HighWord(LPARAM value) { return int((std::uint32_t(value) >> 16) & 0xFFFFu); }

// Takes the next message without blocking; false when nothing is waiting. WM_QUIT comes only
// once every other message has been taken.
bool PeekMessage(MSG* msg);

// Hands a message to the window procedure and returns its result.
LRESULT DispatchMessage(const MSG& msg);

// Asks for WM_QUIT carrying `exit_code` as its wParam.
void PostQuitMessage(int exit_code);

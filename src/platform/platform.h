// Our small platform layer: the window, display mode, GL surface, event queue, audio device
// and threads that the shell and the sound output need. Shaped by their needs, not by
// any one system; the Linux backend (sdl/) serves it with SDL2, the Windows one (win32/) with
// the Win32, WGL and waveOut calls, the browser one (web/) with a canvas, WebGL and WebAudio.
#pragma once

#include <cstdint>

namespace platform {

// ---- Window -------------------------------------------------------------------------------
// Names the class of the window made next (on X11 its WM_CLASS), so the window system and
// its tools can tell the program's window apart.
void RegisterWindowClass(const char* class_name);

// One borderless window with a client area of width x height at the top-left corner of the
// screen, visible from creation. The GL surface format is fixed when the window is made.
bool OpenWindow(const char* title, int width, int height);
bool WindowExists();
void GetWindowRect(int* x, int* y, int* width, int* height);
void CloseWindow();
// Brings the window to the front and gives it the keyboard focus.
void FocusWindow();

// A temporary display-mode change. Succeeds only when the display already has, or can switch
// to, the requested size; RestoreDisplayMode undoes whatever the change did.
bool ChangeDisplayMode(int width, int height, int bits);
void RestoreDisplayMode();

void ShowCursor(bool visible);

// A blocking error box (the window title is the caption); returns once dismissed.
void ShowErrorBox(const char* caption, const char* text);

// ---- Events ---------------------------------------------------------------------------------
constexpr int kKeyEscape = 27;

enum class EventKind { KeyDown, Close, Size, Quit, Other };

struct Event {
  EventKind kind = EventKind::Other;
  int key = 0;        // KeyDown: the key code (Escape is 27, letters are upper-case ASCII)
  int width = 0;      // Size: the new client width
  int height = 0;     // Size: the new client height
  int exit_code = 0;  // Quit: the code given to PostQuit
};

// Takes the next event without blocking; false when the queue is empty (or `event` is null,
// which takes nothing).
bool PollEvent(Event* event);

// Asks for a Quit event. It is handed out once, and only when no other event is queued.
void PostQuit(int exit_code);

// Queues an event as if the window system had sent it (tests and the window procedure's peers).
void PushEvent(const Event& event);

// ---- GL surface -----------------------------------------------------------------------------
// A double-buffered RGBA context (compatibility profile, fixed-function calls work) made
// current on the calling thread. There is one context: making a new one releases the old.
bool CreateGLContext(int color_bits, int depth_bits, int stencil_bits);
void SwapGLBuffers();
void ReleaseGLContext();

// ---- Audio device ---------------------------------------------------------------------------
// Signed 16-bit little-endian stereo at `rate` on the default device. Fails cleanly (false)
// when there is no usable device. There is one device: opening again closes the old one.
bool AudioOpen(int rate);
// Plays `bytes` bytes at `data` in an endless loop until reset. The buffer stays the caller's
// and must live until AudioReset or AudioClose.
bool AudioPlayLooping(const void* data, std::uint32_t bytes);
// Bytes handed to the device since the loop started.
std::uint64_t AudioPosition();
// True once the audio device has gone away for good (unplugged, driver gone); the position
// stops then.
bool AudioDeviceLost();
// Called after writing into the looping buffer while it plays: the device's next read sees
// everything written so far.
void AudioPublish();
// The sound output's feeder step: refills every block of the looping buffer that the device
// has left behind. The blocks are `block_bytes` long, so after a step every block but the one
// holding the play position holds what the device plays next, and the device may read that far
// ahead. A device that calls the step itself each time it moves into another block keeps it
// and answers true; the sound output then runs no thread for it. False: the device does not
// call it, and a thread of the sound output must. AudioReset forgets the step.
using FeederStep = void (*)();
bool AudioDriveFeeder(FeederStep step, std::uint32_t block_bytes);
// Stops playing and forgets the buffer; the position goes back to 0.
void AudioReset();
void AudioClose();

// ---- Threads --------------------------------------------------------------------------------
// Best effort: raises the calling thread to the highest priority the system allows.
void SetThreadTimeCritical();
void SleepMs(int milliseconds);

}  // namespace platform

// The demo's window: its class, creation with everything the frames depend on, the
// display-mode change and the destruction at shutdown.
#pragma once

inline constexpr char kWindowClassName[] = "SolvaTorn";
inline constexpr char kWindowTitle[] = "OpenGL Deneme";
inline constexpr char kErrorCaption[] = "Hata";
inline constexpr char kErrorText[] = "Pencere kapatilacak.";
// The rate the sound device is opened at, in sample frames per second.
inline constexpr int kDeviceRate = 44100;

// Creates the window, changes the display mode and sets up the GL context and the fixed
// render state. Always true: whatever fails has already posted its quit request.
bool Olustur(int width, int height, int bits);

// The display-mode change. On failure the error box is shown (and waited for) and the result
// is false.
bool Tamekran(int width, int height, int bits);

// Tells the window procedure the window is going, then closes the window.
void DestroyWindow();

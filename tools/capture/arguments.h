// What every capture command shares on its command line: the program's name in its messages,
// and music times given in seconds.
#pragma once

inline constexpr char kProgram[] = "capture";

// A music time: a finite number of seconds, 0 or more (and below a million).
bool ParseSeconds(const char* text, double* seconds);

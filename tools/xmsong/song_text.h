// The song's readable source.
//
// instruments.txt: blocks that start with `instrument NN name` (NN hex, 01..80) and hold
//   sample key=value ...      synthesis rate, length, bits, base pitch, loop, drive, peak ...
//   layer key=value ...       one oscillator or noise source with its envelope and filter
//   volume N | pan N | fadeout N
//   volenv T:V ... [sustain=i] [loop=a-b]      (the same for panenv)
//   vibrato type=N sweep=N depth=N rate=N
// song.txt: `name`, `channels`, `speed`, `bpm`, `restart PATTERN_OR_INDEX`, `order NAME ...`,
//   then `pattern NAME ROWS` followed by ROWS row lines. A row holds one column per channel,
//   separated by `|`; a column holds, in any order, a note (C-4, C#4, === for key off), a
//   two-digit hex instrument, a volume-column command (vXX set, dXX/uXX slide down/up, pXX pan,
//   gXX glide, sXX/bXX vibrato speed/depth, lXX/rXX pan slide) and an effect (three characters
//   as trackers show them: A0F, 037, E61). `.`, `..`, `...` and `---` are empty fields.
// Everything after `;` is a comment; blank lines are ignored, also inside patterns.
#pragma once

#include <string>
#include <vector>

#include "synth.h"
#include "xm_file.h"

namespace xmsong {

struct InstrumentSource {
  int number = 0;  // 1-based, as patterns name it
  Instrument instrument;  // everything but the sample data
  SampleRecipe recipe;
};

// Parses instruments.txt. On failure returns false and says where in `error`.
bool ParseInstruments(const std::string& text, std::vector<InstrumentSource>* out, std::string* error);

// Parses song.txt into `module` (patterns, orders, header values; no instruments).
bool ParseSong(const std::string& text, Module* module, std::string* error);

// Parses one pattern column, e.g. "C#4 0A v30 E61". Returns false for a token it cannot read.
bool ParseCell(const std::string& column, Cell* cell, std::string* error);

// Builds the whole module: song, instruments, synthesised samples.
bool BuildModule(const std::string& song_text, const std::string& instrument_text, Module* module,
                 std::string* error);

}  // namespace xmsong

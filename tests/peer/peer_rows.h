// Row timing of a module as our engine plays it and as a peer player (libopenmpt) plays it:
// the (order, row) sequence and each row's length in ticks, over a bounded stretch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace peer {

struct RowPlay {
  std::int32_t order;
  std::int32_t row;
  std::int32_t ticks;
  bool operator==(const RowPlay& other) const {
    return order == other.order && row == other.row && ticks == other.ticks;
  }
};

struct RowTrace {
  bool loaded = false;  // the player accepted the module
  std::vector<RowPlay> rows;  // complete rows only
};

// How much of a song to compare: whichever limit comes first.
struct Stretch {
  std::int32_t max_rows = 2000;
  double max_seconds = 180.0;
};

std::vector<std::uint8_t> ReadFile(const std::string& path);

// Our engine, ticked directly (no mixing) after the song controls' own start.
RowTrace OurRows(const std::vector<std::uint8_t>& file, const Stretch& stretch);

// libopenmpt, rendered in small steps; a row's ticks are its rendered length over the tick
// length at the row's tempo, rounded.
RowTrace PeerRows(const std::vector<std::uint8_t>& file, const Stretch& stretch);

struct Comparison {
  bool agree = false;
  std::int32_t compared = 0;     // rows compared (the shorter trace's length)
  std::int32_t first_diff = -1;  // index of the first differing row, -1 when none
  std::string detail;            // what differs there, for the table
};

Comparison Compare(const RowTrace& ours, const RowTrace& peer);

}  // namespace peer

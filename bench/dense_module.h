// A busy 32-channel XM module made on the spot, for the peer comparison: every channel plays
// all the time, on looping samples (forward and ping-pong), with pitch and volume moving.
#pragma once

#include <cstdint>
#include <vector>

std::vector<std::uint8_t> DenseModule(int channels);

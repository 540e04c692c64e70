// What the XM fuzzer does with one input, shared with the regression replay in the test build:
// load the bytes as an XM module through the file-callback layer and, when they load, play a
// bounded number of ticks at a low mix rate. The ticks reach every effect's later-tick path,
// pattern jumps, breaks and loops; the low rate keeps the mixing between them short.
#pragma once

#include <cstddef>
#include <cstdint>

// Ticks played of every module that loads, and the rate they are mixed at.
constexpr int kFuzzTicks = 512;
constexpr std::int32_t kFuzzMixRate = 2000;

// 1 when the bytes loaded and played, 0 when the loader rejected them.
int FuzzLoadAndRender(const std::uint8_t* data, std::size_t size);

// What the fuzzer does with one input, shared with the regression replay in the test build:
// load the bytes as an XM module through the file-callback layer and, when they load, render
// one second offline.
#pragma once

#include <cstddef>
#include <cstdint>

// 1 when the bytes loaded and played, 0 when the loader rejected them.
int FuzzLoadAndRender(const std::uint8_t* data, std::size_t size);

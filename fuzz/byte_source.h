// A file source over a caller's byte buffer, for loading modules that exist only in memory
// (tests, the fuzzer). It behaves like the in-memory source: seeks clamp to the end.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bytesource {

// Installs the callbacks and makes `data` what the next open returns. The bytes must stay
// alive until the file is closed. `name` is ignored by the open, as with the in-memory source.
void Install(const std::uint8_t* data, std::size_t size);

// Opens since Install, and closes; a loader must close every open.
int OpenCount();
int CloseCount();

}  // namespace bytesource

// The in-memory source: serves the embedded song `muzik` through the file-callback layer.
// Installed as AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell).
#pragma once

#include <cstdint>

#include "sound/file_access.h"

// The record behind an in-memory user handle (the handle is its address).
struct memfile {
  std::int32_t length;    // bytes in the copy: the module's own size, not the padded array's
  std::int32_t position;  // 0 <= position <= length after every operation
  std::uint8_t* data;     // a private copy, so reading never touches the embedded bytes
};

// Opens a fresh copy of the embedded module; the name is ignored. 0 when memory is short.
AUDIO_UserHandle memopen(const void* name);
void memclose(AUDIO_UserHandle handle);
// Delivers at most what remains; 0 at the end, for a null handle or a non-positive size.
std::int32_t memread(void* buffer, std::int32_t size, AUDIO_UserHandle handle);
// Modes 0 (start), 1 (current), 2 (end); other modes change nothing. The result is clamped
// into 0 ... length. Returns the new position.
std::int32_t memseek(AUDIO_UserHandle handle, std::int32_t offset, std::int8_t mode);
std::int32_t memtell(AUDIO_UserHandle handle);

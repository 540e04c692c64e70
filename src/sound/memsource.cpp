#include "sound/memsource.h"

#include <cstdlib>
#include <cstring>

#include "content.h"
#include "sound/allocation.h"

namespace {

memfile* Record(AUDIO_UserHandle handle) { return reinterpret_cast<memfile*>(handle); }

}  // namespace

AUDIO_UserHandle memopen(const void*) {
  auto* file = static_cast<memfile*>(AUDIO_Calloc(1, sizeof(memfile)));
  if (!file) return 0;
  file->length = static_cast<std::int32_t>(muzik_length);
  file->data = static_cast<std::uint8_t*>(AUDIO_Calloc(muzik_length ? muzik_length : 1, 1));
  if (!file->data) {
    std::free(file);
    return 0;
  }
  file->position = 0;
  std::memcpy(file->data, muzik, muzik_length);
  return reinterpret_cast<AUDIO_UserHandle>(file);
}

void memclose(AUDIO_UserHandle handle) {
  memfile* file = Record(handle);
  if (!file) return;
  std::free(file->data);
  std::free(file);
}

std::int32_t memread(void* buffer, std::int32_t size, AUDIO_UserHandle handle) {
  memfile* file = Record(handle);
  if (!file || !buffer || size <= 0) return 0;
  std::int32_t count = size;
  if (std::int64_t(file->position) + size >= file->length) count = file->length - file->position;
  if (count <= 0) return 0;
  std::memcpy(buffer, file->data + file->position, std::size_t(count));
  file->position += count;
  return count;
}

std::int32_t memseek(AUDIO_UserHandle handle, std::int32_t offset, std::int8_t mode) {
  memfile* file = Record(handle);
  if (!file) return 0;
  std::int64_t position = file->position;  // wide, so no sum of two 32-bit values can wrap
  switch (mode) {
    case 0: position = offset; break;
    case 1: position += offset; break;
    case 2: position = std::int64_t(file->length) + offset; break;
    default: break;
  }
  if (position > file->length) position = file->length;
  // Below the start no read could stay inside the copy, so the position stops at 0.
  if (position < 0) position = 0;
  file->position = static_cast<std::int32_t>(position);
  return file->position;
}

std::int32_t memtell(AUDIO_UserHandle handle) {
  memfile* file = Record(handle);
  return file ? file->position : 0;
}

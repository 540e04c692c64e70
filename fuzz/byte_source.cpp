#include "byte_source.h"

#include <cstring>

#include "sound/file_access.h"

namespace bytesource {
namespace {

// One open file at a time is all a loader needs.
struct ByteFile {
  const std::uint8_t* data = nullptr;
  std::int64_t size = 0;
  std::int64_t position = 0;
  bool open = false;
};

const std::uint8_t* source_data = nullptr;
std::size_t source_size = 0;
ByteFile file;
int opens = 0;
int closes = 0;
constexpr AUDIO_UserHandle kHandle = 1;

AUDIO_UserHandle Open(const void*) {
  if (file.open) return 0;
  file.data = source_data;
  file.size = static_cast<std::int64_t>(source_size);
  file.position = 0;
  file.open = true;
  ++opens;
  return kHandle;
}

void Close(AUDIO_UserHandle handle) {
  if (handle != kHandle) return;
  file.open = false;
  ++closes;
}

std::int32_t Read(void* buffer, std::int32_t size, AUDIO_UserHandle handle) {
  if (handle != kHandle || !file.open || size <= 0) return 0;
  std::int64_t count = size;
  if (file.position + count > file.size) count = file.size - file.position;
  if (count <= 0) return 0;
  std::memcpy(buffer, file.data + file.position, static_cast<std::size_t>(count));
  file.position += count;
  return static_cast<std::int32_t>(count);
}

std::int32_t Seek(AUDIO_UserHandle handle, std::int32_t offset, std::int8_t mode) {
  if (handle != kHandle || !file.open) return -1;
  std::int64_t target = file.position;
  if (mode == 0) target = offset;
  if (mode == 1) target = file.position + offset;
  if (mode == 2) target = file.size + offset;
  if (target < 0) target = 0;
  if (target > file.size) target = file.size;
  file.position = target;
  return 0;
}

std::int32_t Tell(AUDIO_UserHandle handle) {
  if (handle != kHandle || !file.open) return 0;
  return static_cast<std::int32_t>(file.position);
}

}  // namespace

void Install(const std::uint8_t* data, std::size_t size) {
  source_data = data;
  source_size = size;
  file = ByteFile{};
  opens = 0;
  closes = 0;
  AUDIO_File_SetCallbacks(Open, Close, Read, Seek, Tell);
}

int OpenCount() { return opens; }
int CloseCount() { return closes; }

}  // namespace bytesource

#include "file_source.h"

#include <cstdint>
#include <cstdio>
#include <new>

#include "sound/file_access.h"

namespace {

struct DiskFile {
  std::FILE* stream;
  std::int64_t length;
  std::int64_t position;
};

DiskFile* FromHandle(AUDIO_UserHandle handle) { return reinterpret_cast<DiskFile*>(handle); }

AUDIO_UserHandle Open(const void* name) {
  if (name == nullptr) return 0;
  std::FILE* stream = std::fopen(static_cast<const char*>(name), "rb");
  if (stream == nullptr) return 0;
  long length = -1;
  if (std::fseek(stream, 0, SEEK_END) == 0) length = std::ftell(stream);
  if (length < 0 || length > 0x7fffffffL || std::fseek(stream, 0, SEEK_SET) != 0) {
    std::fclose(stream);
    return 0;
  }
  auto* file = new (std::nothrow) DiskFile{stream, length, 0};
  if (file == nullptr) {
    std::fclose(stream);
    return 0;
  }
  return reinterpret_cast<AUDIO_UserHandle>(file);
}

void Close(AUDIO_UserHandle handle) {
  DiskFile* file = FromHandle(handle);
  if (file == nullptr) return;
  std::fclose(file->stream);
  delete file;
}

std::int32_t Read(void* buffer, std::int32_t size, AUDIO_UserHandle handle) {
  DiskFile* file = FromHandle(handle);
  if (file == nullptr || size <= 0) return 0;
  std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(size), file->stream);
  file->position += static_cast<std::int64_t>(got);
  return static_cast<std::int32_t>(got);
}

std::int32_t Seek(AUDIO_UserHandle handle, std::int32_t offset, std::int8_t mode) {
  DiskFile* file = FromHandle(handle);
  if (file == nullptr) return -1;
  std::int64_t target = file->position;
  if (mode == 0) target = offset;
  if (mode == 1) target = file->position + offset;
  if (mode == 2) target = file->length + offset;
  if (target < 0) target = 0;
  if (target > file->length) target = file->length;
  if (std::fseek(file->stream, static_cast<long>(target), SEEK_SET) != 0) return -1;
  file->position = target;
  return static_cast<std::int32_t>(target);
}

std::int32_t Tell(AUDIO_UserHandle handle) {
  DiskFile* file = FromHandle(handle);
  return file == nullptr ? 0 : static_cast<std::int32_t>(file->position);
}

}  // namespace

void InstallFileSource() { AUDIO_File_SetCallbacks(Open, Close, Read, Seek, Tell); }

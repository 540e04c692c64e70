#include "player/xm_reader.h"

#include <cstring>

#include "sound/file_access.h"

namespace {
constexpr std::int64_t kMaxPosition = 0x7fffffff;
constexpr std::int32_t kMaxChunk = 1 << 30;
}  // namespace

void XmReader::Read(void* buffer, std::int64_t size) {
  auto* out = static_cast<std::uint8_t*>(buffer);
  std::memset(out, 0, static_cast<std::size_t>(size));
  while (size > 0) {
    std::int32_t chunk = size > kMaxChunk ? kMaxChunk : static_cast<std::int32_t>(size);
    std::int32_t got = AUDIO_File_Read(out, chunk, file_);
    if (got < 0 || got > chunk) {
      // A source that reports more than it was asked for cannot be trusted with the rest.
      std::memset(out, 0, static_cast<std::size_t>(chunk));
      failed_ = true;
      return;
    }
    if (got < chunk) {
      failed_ = true;
      return;
    }
    out += chunk;
    size -= chunk;
  }
}

std::uint8_t XmReader::U8() {
  std::uint8_t b = 0;
  Read(&b, 1);
  return b;
}

std::uint16_t XmReader::U16() {
  std::uint8_t b[2];
  Read(b, 2);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t XmReader::U32() {
  std::uint8_t b[4];
  Read(b, 4);
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

void XmReader::SeekTo(std::int64_t position) {
  if (position < 0 || position > kMaxPosition) {
    failed_ = true;
    return;
  }
  AUDIO_File_Seek(file_, static_cast<std::int32_t>(position), 0);
}

void XmReader::Skip(std::int64_t bytes) {
  if (bytes < 0) {
    failed_ = true;
    return;
  }
  SeekTo(Tell() + bytes);
}

std::int64_t XmReader::Tell() { return AUDIO_File_Tell(file_); }

std::int64_t XmReader::SkipAvailable(std::int64_t bytes) {
  std::int64_t start = Tell();
  std::int64_t target = start + bytes;
  if (bytes < 0 || target > kMaxPosition) target = kMaxPosition;
  AUDIO_File_Seek(file_, static_cast<std::int32_t>(target), 0);
  std::int64_t reached = Tell();
  if (reached < start) return 0;
  return reached - start;
}

// A bounds-checked reader over the file-callback layer, for the XM loader.
//
// Every read either delivers all the bytes asked for or delivers zeros for what is missing
// and sets a sticky error, so the loader can read a whole header and test once afterwards.
#pragma once

#include <cstdint>

struct AUDIO_FileHandle;

class XmReader {
 public:
  explicit XmReader(AUDIO_FileHandle* file) : file_(file) {}

  // Fills size bytes; whatever the source does not deliver is zero and marks the error.
  void Read(void* buffer, std::int64_t size);
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();

  // Absolute and forward moves; a target outside 0..2^31-1 marks the error.
  void SeekTo(std::int64_t position);
  void Skip(std::int64_t bytes);
  std::int64_t Tell();

  // Moves forward by up to `bytes` and says how far the source really went (less at its end).
  std::int64_t SkipAvailable(std::int64_t bytes);

  bool failed() const { return failed_; }
  void ClearError() { failed_ = false; }

 private:
  AUDIO_FileHandle* file_;
  bool failed_ = false;
};

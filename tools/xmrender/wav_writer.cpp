#include "wav_writer.h"

#include <cstring>

namespace {

void Put16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t v) {
  Put16(p, v & 0xffff);
  Put16(p + 2, v >> 16);
}

void FillHeader(std::uint8_t* h, std::int32_t rate, std::uint32_t data_bytes) {
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, 36 + data_bytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, 2);
  Put32(h + 24, static_cast<std::uint32_t>(rate));
  Put32(h + 28, static_cast<std::uint32_t>(rate) * 4);
  Put16(h + 32, 4);
  Put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, data_bytes);
}

constexpr int kHeaderBytes = 44;

}  // namespace

WavWriter::~WavWriter() {
  if (file_ != nullptr && owns_file_) std::fclose(file_);
}

bool WavWriter::Open(const std::string& path, std::int32_t rate) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = OpenStream(file, rate, 0);
  owns_file_ = true;
  return ok;
}

bool WavWriter::OpenStream(std::FILE* stream, std::int32_t rate, std::int64_t frames) {
  file_ = stream;
  owns_file_ = false;
  announced_frames_ = frames;
  std::uint8_t header[kHeaderBytes];
  FillHeader(header, rate, static_cast<std::uint32_t>(frames * 4));
  ok_ = std::fwrite(header, 1, kHeaderBytes, file_) == kHeaderBytes;
  rate_ = rate;
  return ok_;
}

bool WavWriter::Write(const std::int16_t* frames, std::int64_t count) {
  if (file_ == nullptr || count <= 0) return ok_;
  const std::size_t bytes = static_cast<std::size_t>(count) * 4;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // Already the file's byte order. A run as long as a quarter of the batch goes to the file
  // straight from the caller's memory, saving a copy; small ones are gathered.
  const auto* raw = reinterpret_cast<const std::uint8_t*>(frames);
  if (bytes >= kFlushBytes / 4) {
    Flush();
    ok_ = ok_ && std::fwrite(raw, 1, bytes, file_) == bytes;
    frames_ += count;
    return ok_;
  }
  pending_.insert(pending_.end(), raw, raw + bytes);
#else
  const std::size_t start = pending_.size();
  pending_.resize(start + bytes);
  for (std::int64_t k = 0; k < count * 2; ++k) Put16(&pending_[start + std::size_t(k) * 2], static_cast<std::uint16_t>(frames[k]));
#endif
  frames_ += count;
  if (pending_.size() >= kFlushBytes) Flush();
  return ok_;
}

// Blocks are small (a fiftieth of a second); the file gets them a megabyte at a time.
void WavWriter::Flush() {
  if (pending_.empty()) return;
  ok_ = ok_ && std::fwrite(pending_.data(), 1, pending_.size(), file_) == pending_.size();
  pending_.clear();
}

bool WavWriter::Finish() {
  if (file_ == nullptr) return false;
  Flush();
  if (frames_ != announced_frames_) {
    std::uint8_t header[kHeaderBytes];
    FillHeader(header, rate_, static_cast<std::uint32_t>(frames_ * 4));
    ok_ = ok_ && std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(header, 1, kHeaderBytes, file_) == kHeaderBytes;
  }
  ok_ = (owns_file_ ? std::fclose(file_) : std::fflush(file_)) == 0 && ok_;
  file_ = nullptr;
  return ok_;
}

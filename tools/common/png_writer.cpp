#include "png_writer.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>

namespace tool {
namespace {

void Put32(std::vector<unsigned char>* out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<unsigned char>(value >> shift));
}

void Chunk(std::vector<unsigned char>* out, const char* type, const std::vector<unsigned char>& data) {
  Put32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out->size();
  out->insert(out->end(), type, type + 4);
  out->insert(out->end(), data.begin(), data.end());
  const uLong crc = crc32(0L, out->data() + start, static_cast<uInt>(out->size() - start));
  Put32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::vector<unsigned char> EncodePng(int width, int height, const std::vector<unsigned char>& pixels, int channels) {
  if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) ||
      pixels.size() != std::size_t(width) * std::size_t(height) * std::size_t(channels))
    return {};
  const std::ptrdiff_t row_bytes = std::ptrdiff_t(width) * channels;
  std::vector<unsigned char> raw;
  raw.reserve(pixels.size() + std::size_t(height));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    const auto row = pixels.begin() + std::ptrdiff_t(y) * row_bytes;
    raw.insert(raw.end(), row, row + row_bytes);
  }
  uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<unsigned char> packed(packed_size);
  if (compress2(packed.data(), &packed_size, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return {};
  packed.resize(packed_size);

  std::vector<unsigned char> header;
  Put32(&header, static_cast<std::uint32_t>(width));
  Put32(&header, static_cast<std::uint32_t>(height));
  const unsigned char colour_type = channels == 4 ? 6 : 2;  // RGBA or RGB
  header.insert(header.end(), {8, colour_type, 0, 0, 0});   // 8 bits, deflate, no filter set, no interlace

  std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Chunk(&file, "IHDR", header);
  Chunk(&file, "IDAT", packed);
  Chunk(&file, "IEND", {});
  return file;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
  const std::vector<unsigned char> file = EncodePng(width, height, rgb, 3);
  if (file.empty()) return false;
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  return std::fclose(out) == 0 && written;
}

}  // namespace tool

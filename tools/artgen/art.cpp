#include "art.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace art {

std::vector<unsigned char> ToTextureBytes(const Canvas& canvas) {
  std::vector<unsigned char> bytes;
  bytes.reserve(std::size_t(canvas.width) * std::size_t(canvas.height) * 3);
  for (int y = canvas.height - 1; y >= 0; --y) {
    for (int x = 0; x < canvas.width; ++x) {
      const Vec3& c = canvas.at(x, y);
      for (double channel : {c.x, c.y, c.z}) bytes.push_back(static_cast<unsigned char>(std::lround(Clamp01(channel) * 255.0)));
    }
  }
  return bytes;
}

bool WriteFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

void AppendFloat(std::vector<unsigned char>* out, float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<unsigned char>(bits >> shift));
}

}  // namespace art

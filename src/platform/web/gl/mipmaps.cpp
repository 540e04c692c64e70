#include "mipmaps.h"

#include <cstddef>

namespace webgl11 {

std::vector<MipLevel> BoxFilterChain(const unsigned char* pixels, int width, int height, int components) {
  std::vector<MipLevel> chain;
  if (!pixels || width <= 0 || height <= 0 || components <= 0) return chain;
  const std::size_t size = std::size_t(width) * std::size_t(height) * std::size_t(components);
  chain.push_back(MipLevel{width, height, std::vector<unsigned char>(pixels, pixels + size)});
  while (chain.back().width > 1 || chain.back().height > 1) {
    const MipLevel& above = chain.back();
    // A side already at 1 stays 1; the filter then averages two texels instead of four.
    const int w = above.width > 1 ? above.width / 2 : 1;
    const int h = above.height > 1 ? above.height / 2 : 1;
    const int dx = above.width > 1 ? 1 : 0;
    const int dy = above.height > 1 ? 1 : 0;
    MipLevel next{w, h, std::vector<unsigned char>(std::size_t(w) * std::size_t(h) * std::size_t(components))};
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const int x0 = 2 * x * dx, y0 = 2 * y * dy;
        for (int c = 0; c < components; ++c) {
          auto at = [&](int xx, int yy) {
            return int(above.pixels[(std::size_t(yy) * std::size_t(above.width) + std::size_t(xx)) * std::size_t(components) +
                                    std::size_t(c)]);
          };
          int value;
          if (dx && dy) {
            value = (at(x0, y0) + at(x0 + 1, y0) + at(x0, y0 + 1) + at(x0 + 1, y0 + 1) + 2) / 4;
          } else {
            value = (at(x0, y0) + at(x0 + dx, y0 + dy) + 1) / 2;
          }
          next.pixels[(std::size_t(y) * std::size_t(w) + std::size_t(x)) * std::size_t(components) + std::size_t(c)] =
              static_cast<unsigned char>(value);
        }
      }
    }
    chain.push_back(std::move(next));
  }
  return chain;
}

}  // namespace webgl11

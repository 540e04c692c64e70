// The icon a desktop menu shows for the demo: the logo itself, with the black rows above and
// below its band made transparent so the band stands on whatever the menu draws behind it.
#include "generators.h"
#include "logo.h"
#include "png_writer.h"

namespace art {

std::vector<unsigned char> MakeIcon(const std::string& font_file, std::string* error) {
  const std::vector<unsigned char> logo = MakeLogo(font_file, error);
  if (logo.empty()) return {};
  std::vector<unsigned char> rgba(std::size_t(kLogoSide) * kLogoSide * 4);
  for (int y = 0; y < kLogoSide; ++y) {
    const int texture_row = kLogoSide - 1 - y;  // the logo is stored bottom row first
    const bool in_band = y >= kLogoBandTop && y < kLogoBandBottom;
    for (int x = 0; x < kLogoSide; ++x) {
      const unsigned char* from = &logo[(std::size_t(texture_row) * kLogoSide + std::size_t(x)) * 3];
      unsigned char* to = &rgba[(std::size_t(y) * kLogoSide + std::size_t(x)) * 4];
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      to[3] = in_band ? 255 : 0;
    }
  }
  std::vector<unsigned char> png = tool::EncodePng(kLogoSide, kLogoSide, rgba, 4);
  if (png.empty()) *error = "cannot encode the icon";
  return png;
}

}  // namespace art

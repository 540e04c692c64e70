// The logo picture's layout: everything drawn lies in a horizontal band across the middle;
// the rows above and below it are pure black, so the picture adds nothing there.
#pragma once

namespace art {

constexpr int kLogoSide = 256;
constexpr int kLogoBandTop = 80;      // first row of the band, counted from the top
constexpr int kLogoBandBottom = 176;  // first row below the band
constexpr const char* kLogoText = "Tarvelon";

}  // namespace art

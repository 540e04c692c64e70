// A minimal PNG writer for the pictures our tools make (the README's sheets, the desktop icon,
// captured frames): 8-bit RGB or RGBA, one zlib stream, no filtering.
#pragma once

#include <string>
#include <vector>

namespace tool {

// The PNG file's bytes for `pixels`: width*height*channels bytes (3: RGB, 4: RGBA), top row
// first. Empty when the sizes do not match.
std::vector<unsigned char> EncodePng(int width, int height, const std::vector<unsigned char>& pixels, int channels);

// `rgb` holds width*height*3 bytes, top row first. False when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);

}  // namespace tool

// A minimal PNG writer: 8-bit RGB, one zlib stream, no filtering.
#pragma once

#include <string>
#include <vector>

namespace sheet {

// `rgb` holds width*height*3 bytes, top row first. False when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);

}  // namespace sheet

// The five content generators and the desktop icon. Each returns the finished bytes of one
// embedded array (or of the icon's PNG file), or an empty vector (and a reason in *error) when
// it cannot make them. Same inputs, same bytes.
#pragma once

#include <string>
#include <vector>

namespace art {

// 256x256 RGB pictures in the embedded layout.
std::vector<unsigned char> MakeLogo(const std::string& font_file, std::string* error);
std::vector<unsigned char> MakeLava(std::string* error);
std::vector<unsigned char> MakeGlyphSheet(const std::string& font_file, std::string* error);

// Triangle lists, 8 little-endian floats per vertex.
std::vector<unsigned char> MakeBox(std::string* error);
std::vector<unsigned char> MakeRoom(std::string* error);

// The application icon, a 256x256 RGBA PNG: the logo's band, transparent above and below.
std::vector<unsigned char> MakeIcon(const std::string& font_file, std::string* error);

}  // namespace art

// A small PNG writer for RGB frames: no compression (stored deflate blocks), so it needs no
// library and every frame of the same picture gives the same bytes.
#pragma once

#include <string>
#include <vector>

// Writes width x height RGB pixels, rows top first. False when the file cannot be written.
bool WritePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);

// artgen: makes the demo's pictures and shapes from source.
//
//   artgen logo  OUTPUT --font FILE   the logo picture (bold face for the lettering)
//   artgen lava  OUTPUT               the tileable lava picture
//   artgen font  OUTPUT --font FILE   the glyph sheet (monospaced face)
//   artgen box   OUTPUT               the box mesh
//   artgen room  OUTPUT               the room mesh
//   artgen icon  OUTPUT --font FILE   the desktop icon, a PNG made from the logo
#include <cstdio>
#include <string>
#include <vector>

#include "art.h"
#include "generators.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: artgen logo|lava|font|box|room|icon OUTPUT [--font FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string what = argv[1], output = argv[2];
  std::string font_file;
  for (int i = 3; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--font" && i + 1 < argc) {
      font_file = argv[++i];
    } else {
      return Usage();
    }
  }

  std::string error;
  std::vector<unsigned char> bytes;
  if (what == "logo") {
    bytes = art::MakeLogo(font_file, &error);
  } else if (what == "lava") {
    bytes = art::MakeLava(&error);
  } else if (what == "font") {
    bytes = art::MakeGlyphSheet(font_file, &error);
  } else if (what == "box") {
    bytes = art::MakeBox(&error);
  } else if (what == "room") {
    bytes = art::MakeRoom(&error);
  } else if (what == "icon") {
    bytes = art::MakeIcon(font_file, &error);
  } else {
    return Usage();
  }
  if (bytes.empty()) {
    std::fprintf(stderr, "artgen %s: %s\n", what.c_str(), error.c_str());
    return 1;
  }
  if (!art::WriteFile(output, bytes)) {
    std::fprintf(stderr, "artgen %s: cannot write %s\n", what.c_str(), output.c_str());
    return 1;
  }
  return 0;
}

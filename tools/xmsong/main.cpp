// xmsong: builds the song's XM file from its readable source.
//
//   xmsong SONG.txt INSTRUMENTS.txt OUT.xm
//
// The output is rewritten only when its bytes change.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "song_text.h"
#include "xm_file.h"

namespace {

bool ReadText(const char* path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: xmsong SONG.txt INSTRUMENTS.txt OUT.xm\n");
    return 1;
  }
  std::string song, instruments;
  if (!ReadText(argv[1], &song) || !ReadText(argv[2], &instruments)) {
    std::fprintf(stderr, "xmsong: cannot read the song source\n");
    return 1;
  }
  xmsong::Module module;
  std::string error;
  if (!xmsong::BuildModule(song, instruments, &module, &error)) {
    std::fprintf(stderr, "xmsong: %s\n", error.c_str());
    return 1;
  }
  const std::vector<std::uint8_t> bytes = xmsong::WriteXm(module);
  std::string old;
  if (ReadText(argv[3], &old) && old.size() == bytes.size() &&
      std::equal(bytes.begin(), bytes.end(), old.begin(),
                 [](std::uint8_t a, char b) { return a == std::uint8_t(b); })) {
    return 0;
  }
  std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "xmsong: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}

// pcm_match RECORDING.raw RENDER.wav MIN_SECONDS
// Checks that what the sound device played (raw 16-bit stereo from SDL's disk driver) is the
// offline render, frame for frame. The recording starts with the silence the device plays
// before the ring is handed over, and ends with the silence after the stop; both are
// trimmed, and the recording's first sound is lined up with the render's. It may be read
// while the device still writes it.
// Exit code: 0 a match of at least MIN_SECONDS; 1 a frame that differs; 3 no difference, but
// less than MIN_SECONDS of sound so far.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<std::uint32_t> ReadFrames(const char* path, std::size_t skip_bytes) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::uint32_t> frames;
  for (std::size_t i = skip_bytes; i + 4 <= bytes.size(); i += 4) {
    frames.push_back(std::uint32_t(std::uint8_t(bytes[i])) | std::uint32_t(std::uint8_t(bytes[i + 1])) << 8 |
                     std::uint32_t(std::uint8_t(bytes[i + 2])) << 16 | std::uint32_t(std::uint8_t(bytes[i + 3])) << 24);
  }
  return frames;
}

std::size_t FirstSound(const std::vector<std::uint32_t>& frames) {
  std::size_t i = 0;
  while (i < frames.size() && frames[i] == 0) ++i;
  return i;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: pcm_match RECORDING.raw RENDER.wav MIN_SECONDS\n");
    return 2;
  }
  std::vector<std::uint32_t> recording = ReadFrames(argv[1], 0);
  const std::vector<std::uint32_t> render = ReadFrames(argv[2], 44);
  const std::size_t minimum = std::size_t(std::atof(argv[3]) * 44100);

  while (!recording.empty() && recording.back() == 0) recording.pop_back();
  const std::size_t heard = FirstSound(recording), rendered = FirstSound(render);
  if (heard == recording.size() || rendered == render.size()) {
    std::printf("no sound: %zu frames recorded, %zu rendered\n", recording.size(), render.size());
    return 3;
  }
  if (heard < rendered) {
    std::printf("the recording sounds %zu frames before the render does\n", rendered - heard);
    return 1;
  }
  const std::size_t offset = heard - rendered;
  std::size_t count = recording.size() - offset;
  if (count > render.size()) count = render.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (recording[offset + i] != render[i]) {
      std::printf("frame %zu differs (block %zu): played %08x, rendered %08x\n", i, i / 884,
                  unsigned(recording[offset + i]), unsigned(render[i]));
      return 1;
    }
  }
  std::printf("%zu frames (%.2f s, %zu blocks) played exactly as rendered, after %zu frames of silence\n",
              count, count / 44100.0, count / 884, offset);
  if (count < minimum) {
    std::printf("but fewer than the %zu frames expected\n", minimum);
    return 3;
  }
  return 0;
}

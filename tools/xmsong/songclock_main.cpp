// songclock: prints where the picture's clock meets the audio and the song's rows.
//
//   songclock [BPM [SPEED [SECONDS_OF_CLOCK]]]     (defaults: 140 6 75)
//
// One line per whole half second of clock: clock ms, audio seconds at the end of the first
// block that reports it, and the row playing then (rows counted from the song's start).
#include <cstdio>
#include <cstdlib>

#include "shell/window.h"
#include "songclock.h"

int main(int argc, char** argv) {
  const int bpm = argc > 1 ? std::atoi(argv[1]) : 140;
  const int speed = argc > 2 ? std::atoi(argv[2]) : 6;
  const int seconds = argc > 3 ? std::atoi(argv[3]) : 75;
  const int rate = kDeviceRate;  // the demo's device
  if (bpm <= 0 || speed <= 0 || seconds <= 0) {
    std::fprintf(stderr, "usage: songclock [BPM [SPEED [SECONDS]]]\n");
    return 1;
  }
  const int blocks = (seconds + 10) * 60;
  const auto records = songclock::Replay(bpm, speed, rate, blocks);
  std::printf("bpm %d speed %d: %d frames per tick, %d frames per block, row = %.2f ms audio\n",
              bpm, speed, songclock::FramesPerTick(bpm, rate), songclock::BlockFrames(rate),
              1000.0 * songclock::FramesPerTick(bpm, rate) * speed / rate);
  std::printf("%9s %9s %6s\n", "clock_ms", "audio_s", "row");
  for (int ms = 0; ms <= seconds * 1000; ms += 500) {
    const int b = songclock::FirstBlockAt(records, ms);
    if (b < 0) break;
    std::printf("%9d %9.3f %6d\n", ms, double(records[std::size_t(b)].end_frame) / rate,
                records[std::size_t(b)].row);
  }
  return 0;
}

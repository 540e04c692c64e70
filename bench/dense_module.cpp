#include "dense_module.h"

#include <cmath>

#include "xm_file.h"

namespace {

// A bright tone of `length` samples whose loop covers all but the attack.
xmsong::Sample Tone(int length, int harmonics, xmsong::LoopMode loop) {
  xmsong::Sample sample;
  sample.sixteen_bit = true;
  for (int i = 0; i < length; ++i) {
    double value = 0;
    for (int h = 1; h <= harmonics; ++h) value += std::sin(6.283185307179586 * h * i / 100.0) / h;
    sample.pcm.push_back(std::int16_t(std::lround(9000.0 * value)));
  }
  sample.loop = loop;
  sample.loop_start = std::uint32_t(length / 4);
  sample.loop_length = std::uint32_t(length - length / 4);
  return sample;
}

xmsong::Instrument InstrumentOf(xmsong::Sample sample) {
  xmsong::Instrument instrument;
  instrument.samples.push_back(std::move(sample));
  return instrument;
}

}  // namespace

std::vector<std::uint8_t> DenseModule(int channels) {
  xmsong::Module module;
  module.name = "dense";
  module.channels = channels;
  module.instruments.push_back(InstrumentOf(Tone(4000, 6, xmsong::LoopMode::kForward)));
  module.instruments.push_back(InstrumentOf(Tone(2500, 3, xmsong::LoopMode::kPingPong)));
  for (int p = 0; p < 4; ++p) {
    xmsong::Pattern pattern;
    pattern.rows = 64;
    pattern.cells.resize(std::size_t(pattern.rows * channels));
    for (int row = 0; row < pattern.rows; ++row) {
      for (int c = 0; c < channels; ++c) {
        xmsong::Cell& cell = pattern.cells[std::size_t(row * channels + c)];
        if ((row + c) % 8 == 0) {
          // A new note every eight rows on every channel, staggered, over four octaves.
          cell.note = std::uint8_t(25 + (c * 7 + row / 8 * 5 + p * 3) % 48);
          cell.instrument = std::uint8_t(1 + c % 2);
          cell.volume = std::uint8_t(0x10 + 24 + (c * 13) % 40);
        } else if (c % 3 == 0) {
          cell.effect = 4;  // vibrato
          cell.param = 0x46;
        } else if (c % 3 == 1) {
          cell.effect = 0xA;  // volume slide down
          cell.param = 0x01;
        }
      }
    }
    module.patterns.push_back(std::move(pattern));
    module.orders.push_back(p);
  }
  return xmsong::WriteXm(module);
}

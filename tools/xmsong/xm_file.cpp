#include "xm_file.h"

#include <cstring>

namespace xmsong {
namespace {

constexpr std::uint32_t kModuleHeaderSize = 276;  // counted from the header-size field
constexpr std::uint32_t kInstrumentHeaderSize = 263;
constexpr std::uint32_t kSampleHeaderSize = 40;

class Writer {
 public:
  void U8(unsigned v) { bytes_.push_back(std::uint8_t(v)); }
  void U16(unsigned v) {
    U8(v & 0xFF);
    U8((v >> 8) & 0xFF);
  }
  void U32(std::uint32_t v) {
    U16(v & 0xFFFF);
    U16(v >> 16);
  }
  // A fixed-width text field, cut or padded with `fill`.
  void Text(const std::string& s, std::size_t width, char fill) {
    for (std::size_t i = 0; i < width; ++i) U8(std::uint8_t(i < s.size() ? s[i] : fill));
  }
  void Zeros(std::size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  void Append(const std::vector<std::uint8_t>& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
  }
  std::size_t Size() const { return bytes_.size(); }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

void WriteEnvelopePoints(Writer& w, const Envelope& e) {
  for (std::size_t i = 0; i < 12; ++i) {
    if (i < e.points.size()) {
      w.U16(e.points[i].tick);
      w.U16(e.points[i].value);
    } else {
      w.U32(0);
    }
  }
}

unsigned EnvelopeType(const Envelope& e) {
  unsigned t = 0;
  if (e.on && e.points.size() >= 2) t |= 1;
  if (e.sustain >= 0) t |= 2;
  if (e.loop_start >= 0 && e.loop_end >= 0) t |= 4;
  return t;
}

unsigned IndexOrZero(int i) { return i < 0 ? 0u : unsigned(i); }

// Sample data as the format stores it: each value minus the one before, wrapping.
void WriteSampleData(Writer& w, const Sample& s) {
  std::int32_t previous = 0;
  for (std::int16_t v : s.pcm) {
    if (s.sixteen_bit) {
      w.U16(std::uint16_t(std::int32_t(v) - previous));
    } else {
      w.U8(std::uint8_t(std::int32_t(v) - previous));
    }
    previous = v;
  }
}

bool EnvelopeFits(const Envelope& e, std::string& why) {
  if (e.points.size() > 12) {
    why = "envelope has more than 12 points";
    return false;
  }
  const int n = int(e.points.size());
  if (e.sustain >= n || e.loop_start >= n || e.loop_end >= n || e.loop_start > e.loop_end) {
    why = "envelope point index out of range";
    return false;
  }
  for (int i = 1; i < n; ++i) {
    if (e.points[std::size_t(i)].tick <= e.points[std::size_t(i - 1)].tick) {
      why = "envelope ticks must rise";
      return false;
    }
  }
  for (const auto& p : e.points) {
    if (p.value > 64) {
      why = "envelope value above 64";
      return false;
    }
  }
  return true;
}

}  // namespace

std::string Validate(const Module& m) {
  if (m.channels < 1 || m.channels > 32) return "channel count must be 1..32";
  if (m.orders.empty() || m.orders.size() > 256) return "order list must hold 1..256 entries";
  if (m.restart_order < 0 || std::size_t(m.restart_order) >= m.orders.size()) {
    return "restart order beyond the order list";
  }
  if (m.patterns.empty() || m.patterns.size() > 256) return "pattern count must be 1..256";
  for (int o : m.orders) {
    if (o < 0 || std::size_t(o) >= m.patterns.size()) return "order names a missing pattern";
  }
  for (const auto& p : m.patterns) {
    if (p.rows < 1 || p.rows > 256) return "pattern " + p.name + ": rows must be 1..256";
    if (p.cells.size() != std::size_t(p.rows) * std::size_t(m.channels)) {
      return "pattern " + p.name + ": cell count does not match rows x channels";
    }
    for (const auto& c : p.cells) {
      if (c.note > 97) return "pattern " + p.name + ": note above 97";
      if (c.instrument > m.instruments.size()) {
        return "pattern " + p.name + ": instrument " + std::to_string(c.instrument) + " not defined";
      }
      if (c.effect > 35) return "pattern " + p.name + ": effect above 35";
    }
  }
  if (m.instruments.size() > 128) return "more than 128 instruments";
  for (const auto& ins : m.instruments) {
    if (ins.samples.size() > 16) return "instrument " + ins.name + ": more than 16 samples";
    std::string why;
    if (!EnvelopeFits(ins.volume_envelope, why) || !EnvelopeFits(ins.pan_envelope, why)) {
      return "instrument " + ins.name + ": " + why;
    }
    for (std::uint8_t slot : ins.sample_for_note) {
      if (!ins.samples.empty() && slot >= ins.samples.size()) {
        return "instrument " + ins.name + ": note map names a missing sample";
      }
    }
    for (const auto& s : ins.samples) {
      if (s.volume > 64) return "sample " + s.name + ": volume above 64";
      if (s.loop != LoopMode::kNone &&
          (s.loop_length == 0 || std::uint64_t(s.loop_start) + s.loop_length > s.pcm.size())) {
        return "sample " + s.name + ": loop outside the sample";
      }
      if (!s.sixteen_bit) {
        for (std::int16_t v : s.pcm) {
          if (v < -128 || v > 127) return "sample " + s.name + ": 8-bit value out of range";
        }
      }
    }
  }
  return std::string();
}

std::vector<std::uint8_t> PackPattern(const Pattern& p, int channels) {
  Writer w;
  for (int r = 0; r < p.rows; ++r) {
    for (int ch = 0; ch < channels; ++ch) {
      const Cell& c = p.cells[std::size_t(r) * std::size_t(channels) + std::size_t(ch)];
      unsigned mask = 0;
      if (c.note) mask |= 1;
      if (c.instrument) mask |= 2;
      if (c.volume) mask |= 4;
      if (c.effect) mask |= 8;
      if (c.param) mask |= 16;
      if (mask == 31) {
        // A full cell is shorter unpacked: the note byte itself leads.
        w.U8(c.note);
        w.U8(c.instrument);
        w.U8(c.volume);
        w.U8(c.effect);
        w.U8(c.param);
        continue;
      }
      w.U8(0x80 | mask);
      if (mask & 1) w.U8(c.note);
      if (mask & 2) w.U8(c.instrument);
      if (mask & 4) w.U8(c.volume);
      if (mask & 8) w.U8(c.effect);
      if (mask & 16) w.U8(c.param);
    }
  }
  return w.Take();
}

std::vector<std::uint8_t> WriteXm(const Module& m) {
  Writer w;
  w.Text("Extended Module: ", 17, ' ');
  w.Text(m.name, 20, ' ');
  w.U8(0x1A);
  w.Text("Tarvelon xmsong", 20, ' ');
  w.U16(0x0104);
  w.U32(kModuleHeaderSize);
  w.U16(unsigned(m.orders.size()));
  w.U16(unsigned(m.restart_order));
  w.U16(unsigned(m.channels));
  w.U16(unsigned(m.patterns.size()));
  w.U16(unsigned(m.instruments.size()));
  w.U16(m.linear_frequencies ? 1u : 0u);
  w.U16(unsigned(m.speed));
  w.U16(unsigned(m.bpm));
  for (std::size_t i = 0; i < 256; ++i) w.U8(i < m.orders.size() ? unsigned(m.orders[i]) : 0u);

  for (const auto& p : m.patterns) {
    bool empty = true;
    for (const auto& c : p.cells) empty = empty && c.Empty();
    const std::vector<std::uint8_t> packed = empty ? std::vector<std::uint8_t>() : PackPattern(p, m.channels);
    w.U32(9);
    w.U8(0);
    w.U16(unsigned(p.rows));
    w.U16(unsigned(packed.size()));
    w.Append(packed);
  }

  for (const auto& ins : m.instruments) {
    const std::size_t start = w.Size();
    w.U32(ins.samples.empty() ? 29u : kInstrumentHeaderSize);
    w.Text(ins.name, 22, '\0');
    w.U8(0);
    w.U16(unsigned(ins.samples.size()));
    if (ins.samples.empty()) continue;
    w.U32(kSampleHeaderSize);
    for (std::uint8_t slot : ins.sample_for_note) w.U8(slot);
    WriteEnvelopePoints(w, ins.volume_envelope);
    WriteEnvelopePoints(w, ins.pan_envelope);
    w.U8(unsigned(ins.volume_envelope.points.size()));
    w.U8(unsigned(ins.pan_envelope.points.size()));
    w.U8(IndexOrZero(ins.volume_envelope.sustain));
    w.U8(IndexOrZero(ins.volume_envelope.loop_start));
    w.U8(IndexOrZero(ins.volume_envelope.loop_end));
    w.U8(IndexOrZero(ins.pan_envelope.sustain));
    w.U8(IndexOrZero(ins.pan_envelope.loop_start));
    w.U8(IndexOrZero(ins.pan_envelope.loop_end));
    w.U8(EnvelopeType(ins.volume_envelope));
    w.U8(EnvelopeType(ins.pan_envelope));
    w.U8(ins.vibrato_type);
    w.U8(ins.vibrato_sweep);
    w.U8(ins.vibrato_depth);
    w.U8(ins.vibrato_rate);
    w.U16(ins.fadeout);
    w.Zeros(start + kInstrumentHeaderSize - w.Size());

    for (const auto& s : ins.samples) {
      const std::uint32_t unit = s.sixteen_bit ? 2 : 1;
      const bool loops = s.loop != LoopMode::kNone;
      w.U32(std::uint32_t(s.pcm.size()) * unit);
      w.U32(loops ? s.loop_start * unit : 0);
      w.U32(loops ? s.loop_length * unit : 0);
      w.U8(s.volume);
      w.U8(std::uint8_t(s.finetune));
      w.U8(unsigned(s.loop) | (s.sixteen_bit ? 0x10u : 0u));
      w.U8(s.pan);
      w.U8(std::uint8_t(s.relative_note));
      w.U8(0);
      w.Text(s.name, 22, '\0');
    }
    for (const auto& s : ins.samples) WriteSampleData(w, s);
  }
  return w.Take();
}

}  // namespace xmsong

#include "song_text.h"

#include <cstdlib>
#include <map>
#include <sstream>

namespace xmsong {
namespace {

struct Line {
  int number;
  std::vector<std::string> tokens;
  std::string text;  // without the comment
};

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : s) {
    if (c == sep) {
      parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  parts.push_back(current);
  return parts;
}

std::vector<std::string> Words(const std::string& s) {
  std::istringstream in(s);
  std::vector<std::string> words;
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

std::vector<Line> Lines(const std::string& text) {
  std::vector<Line> lines;
  int number = 0;
  for (const std::string& raw : Split(text, '\n')) {
    ++number;
    std::string body = raw.substr(0, raw.find(';'));
    std::vector<std::string> tokens = Words(body);
    if (tokens.empty()) continue;
    lines.push_back({number, tokens, body});
  }
  return lines;
}

bool Fail(std::string* error, int line, const std::string& what) {
  if (error) *error = "line " + std::to_string(line) + ": " + what;
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Hex(const std::string& s, int* value) {
  if (s.empty()) return false;
  int v = 0;
  for (char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    v = v * 16 + d;
  }
  *value = v;
  return true;
}

bool Number(const std::string& s, double* value) {
  if (s.empty()) return false;
  char* end = nullptr;
  *value = std::strtod(s.c_str(), &end);
  return end && *end == '\0';
}

bool Integer(const std::string& s, int* value) {
  double d = 0;
  if (!Number(s, &d) || d != double(int(d))) return false;
  *value = int(d);
  return true;
}

bool IsPlaceholder(const std::string& t) {
  for (char c : t) {
    if (c != '.' && c != '-') return false;
  }
  return true;
}

bool ParseNote(const std::string& t, std::uint8_t* note) {
  if (t == "===" || t == "off") {
    *note = 97;
    return true;
  }
  if (t.size() != 3 || (t[1] != '-' && t[1] != '#') || t[2] < '0' || t[2] > '7') return false;
  static const int kSemitone[7] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  if (t[0] < 'A' || t[0] > 'G') return false;
  int semitone = kSemitone[t[0] - 'A'] + (t[1] == '#' ? 1 : 0);
  if (t[1] == '#' && (t[0] == 'E' || t[0] == 'B')) return false;
  const int value = (t[2] - '0') * 12 + semitone + 1;
  if (value < 1 || value > 96) return false;
  *note = std::uint8_t(value);
  return true;
}

bool ParseVolumeCommand(const std::string& t, std::uint8_t* volume) {
  int v = 0;
  if (t.size() != 3 || !Hex(t.substr(1), &v)) return false;
  switch (t[0]) {
    case 'v':
      if (v > 0x40) return false;
      *volume = std::uint8_t(0x10 + v);
      return true;
    case 'd': case 'u': case 'p': case 'g': case 's': case 'b': case 'l': case 'r': {
      if (v > 0xF) return false;
      static const std::map<char, int> kBase = {{'d', 0x60}, {'u', 0x70}, {'s', 0xA0}, {'b', 0xB0},
                                                {'p', 0xC0}, {'l', 0xD0}, {'r', 0xE0}, {'g', 0xF0}};
      *volume = std::uint8_t(kBase.at(t[0]) | v);
      return true;
    }
    default:
      return false;
  }
}

bool ParseEffect(const std::string& t, std::uint8_t* effect, std::uint8_t* param) {
  if (t.size() != 3) return false;
  int number = -1;
  if (t[0] >= '0' && t[0] <= '9') number = t[0] - '0';
  if (t[0] >= 'A' && t[0] <= 'Z') number = t[0] - 'A' + 10;
  int p = 0;
  if (number < 0 || !Hex(t.substr(1), &p)) return false;
  *effect = std::uint8_t(number);
  *param = std::uint8_t(p);
  return true;
}

// key=value pairs of a line after its keyword.
bool KeyValues(const Line& line, std::size_t first, std::map<std::string, std::string>* kv,
               std::string* error) {
  for (std::size_t i = first; i < line.tokens.size(); ++i) {
    const std::string& t = line.tokens[i];
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos || eq == 0) return Fail(error, line.number, "expected key=value, got " + t);
    (*kv)[t.substr(0, eq)] = t.substr(eq + 1);
  }
  return true;
}

class Reader {
 public:
  Reader(const std::map<std::string, std::string>& kv, int line, std::string* error)
      : kv_(kv), line_(line), error_(error) {}
  bool Real(const char* key, double* out) {
    auto it = kv_.find(key);
    if (it == kv_.end()) return true;
    used_[key] = true;
    if (!Number(it->second, out)) return Fail(error_, line_, std::string("bad number for ") + key);
    return true;
  }
  bool Whole(const char* key, int* out, int lo, int hi) {
    auto it = kv_.find(key);
    if (it == kv_.end()) return true;
    used_[key] = true;
    if (!Integer(it->second, out) || *out < lo || *out > hi) {
      return Fail(error_, line_, std::string("bad value for ") + key);
    }
    return true;
  }
  bool Word(const char* key, std::string* out) {
    auto it = kv_.find(key);
    if (it == kv_.end()) return true;
    used_[key] = true;
    *out = it->second;
    return true;
  }
  // Every key must have been asked for: a misspelt key is an error, not a silent default.
  bool AllUsed() {
    for (const auto& [key, value] : kv_) {
      if (!used_.count(key)) return Fail(error_, line_, "unknown key " + key);
    }
    return true;
  }

 private:
  const std::map<std::string, std::string>& kv_;
  std::map<std::string, bool> used_;
  int line_;
  std::string* error_;
};

bool ParseSampleLine(const Line& line, SampleRecipe* r, std::string* error) {
  std::map<std::string, std::string> kv;
  if (!KeyValues(line, 1, &kv, error)) return false;
  Reader rd(kv, line.number, error);
  int bits = 8;
  std::string loop = "none";
  if (!rd.Whole("bits", &bits, 8, 16) || (bits != 8 && bits != 16)) {
    return Fail(error, line.number, "bits must be 8 or 16");
  }
  if (!rd.Real("rate", &r->rate) || !rd.Real("length", &r->length) || !rd.Real("base", &r->base) ||
      !rd.Word("loop", &loop) || !rd.Real("loopstart", &r->loop_start) ||
      !rd.Real("looplength", &r->loop_length) || !rd.Real("drive", &r->drive) ||
      !rd.Real("peak", &r->peak) || !rd.Real("fade", &r->fade) || !rd.AllUsed()) {
    return false;
  }
  r->sixteen_bit = bits == 16;
  if (loop == "none") {
    r->loop = LoopMode::kNone;
  } else if (loop == "forward") {
    r->loop = LoopMode::kForward;
  } else if (loop == "pingpong") {
    r->loop = LoopMode::kPingPong;
  } else {
    return Fail(error, line.number, "loop must be none, forward or pingpong");
  }
  if (r->rate < 1000 || r->rate > 96000 || r->length <= 0 || r->length > 10 || r->peak <= 0 ||
      r->peak > 1) {
    return Fail(error, line.number, "rate, length or peak out of range");
  }
  if (r->loop != LoopMode::kNone && (r->loop_length <= 0 || r->loop_start + r->loop_length > r->length + 1e-9)) {
    return Fail(error, line.number, "loop must lie inside the sample");
  }
  return true;
}

bool ParseLayerLine(const Line& line, Layer* l, std::string* error) {
  std::map<std::string, std::string> kv;
  if (!KeyValues(line, 1, &kv, error)) return false;
  Reader rd(kv, line.number, error);
  std::string wave = "sine";
  std::string filter = "none";
  int seed = 1;
  if (!rd.Word("wave", &wave) || !rd.Real("ratio", &l->ratio) || !rd.Real("semis", &l->semis) ||
      !rd.Real("cents", &l->cents) || !rd.Real("hz", &l->hz) || !rd.Real("hzto", &l->hz_to) ||
      !rd.Real("hzglide", &l->hz_glide) || !rd.Real("amp", &l->amp) || !rd.Real("attack", &l->attack) ||
      !rd.Real("decay", &l->decay) || !rd.Real("sustain", &l->sustain) || !rd.Real("delay", &l->delay) ||
      !rd.Word("filter", &filter) || !rd.Real("cutoff", &l->cutoff) || !rd.Real("cutoffto", &l->cutoff_to) ||
      !rd.Real("cutoffglide", &l->cutoff_glide) || !rd.Real("q", &l->q) ||
      !rd.Whole("seed", &seed, 0, 1000000) || !rd.Real("phase", &l->phase) || !rd.AllUsed()) {
    return false;
  }
  l->seed = std::uint32_t(seed);
  static const std::map<std::string, Wave> kWaves = {{"sine", Wave::kSine}, {"saw", Wave::kSaw},
                                                     {"square", Wave::kSquare}, {"triangle", Wave::kTriangle},
                                                     {"noise", Wave::kNoise}};
  static const std::map<std::string, Filter> kFilters = {
      {"none", Filter::kNone}, {"lp", Filter::kLowPass}, {"hp", Filter::kHighPass}, {"bp", Filter::kBandPass}};
  if (!kWaves.count(wave)) return Fail(error, line.number, "unknown wave " + wave);
  if (!kFilters.count(filter)) return Fail(error, line.number, "unknown filter " + filter);
  l->wave = kWaves.at(wave);
  l->filter = kFilters.at(filter);
  if (l->q <= 0 || l->ratio <= 0) return Fail(error, line.number, "q and ratio must be positive");
  return true;
}

bool ParseEnvelopeLine(const Line& line, Envelope* e, std::string* error) {
  e->on = true;
  for (std::size_t i = 1; i < line.tokens.size(); ++i) {
    const std::string& t = line.tokens[i];
    int a = 0, b = 0;
    if (t.rfind("sustain=", 0) == 0) {
      if (!Integer(t.substr(8), &e->sustain)) return Fail(error, line.number, "bad sustain");
    } else if (t.rfind("loop=", 0) == 0) {
      const auto ab = Split(t.substr(5), '-');
      if (ab.size() != 2 || !Integer(ab[0], &a) || !Integer(ab[1], &b)) {
        return Fail(error, line.number, "loop wants start-end");
      }
      e->loop_start = a;
      e->loop_end = b;
    } else {
      const auto tv = Split(t, ':');
      if (tv.size() != 2 || !Integer(tv[0], &a) || !Integer(tv[1], &b) || a < 0 || a > 65535 || b < 0 ||
          b > 64) {
        return Fail(error, line.number, "envelope point wants tick:value, got " + t);
      }
      e->points.push_back({std::uint16_t(a), std::uint16_t(b)});
    }
  }
  return true;
}

}  // namespace

bool ParseCell(const std::string& column, Cell* cell, std::string* error) {
  *cell = Cell();
  for (const std::string& t : Words(column)) {
    if (IsPlaceholder(t)) continue;
    std::uint8_t note = 0, volume = 0, effect = 0, param = 0;
    int instrument = 0;
    if (ParseNote(t, &note)) {
      cell->note = note;
    } else if (t.size() == 2 && Hex(t, &instrument)) {
      if (instrument < 1 || instrument > 128) {
        if (error) *error = "instrument " + t + " out of range";
        return false;
      }
      cell->instrument = std::uint8_t(instrument);
    } else if (t[0] >= 'a' && t[0] <= 'z' && ParseVolumeCommand(t, &volume)) {
      cell->volume = volume;
    } else if (ParseEffect(t, &effect, &param)) {
      cell->effect = effect;
      cell->param = param;
    } else {
      if (error) *error = "cannot read '" + t + "'";
      return false;
    }
  }
  return true;
}

bool ParseInstruments(const std::string& text, std::vector<InstrumentSource>* out, std::string* error) {
  out->clear();
  InstrumentSource* current = nullptr;
  for (const Line& line : Lines(text)) {
    const std::string& key = line.tokens[0];
    if (key == "instrument") {
      int number = 0;
      if (line.tokens.size() < 2 || !Hex(line.tokens[1], &number) || number < 1 || number > 128) {
        return Fail(error, line.number, "instrument wants a hex number 01..80");
      }
      if (number != int(out->size()) + 1) return Fail(error, line.number, "instruments must be numbered in order");
      out->emplace_back();
      current = &out->back();
      current->number = number;
      current->instrument.name = line.tokens.size() > 2 ? line.tokens[2] : "";
      current->recipe.name = current->instrument.name;
      continue;
    }
    if (!current) return Fail(error, line.number, "'" + key + "' before any instrument");
    Instrument& ins = current->instrument;
    int value = 0;
    if (key == "sample") {
      if (!ParseSampleLine(line, &current->recipe, error)) return false;
    } else if (key == "layer") {
      Layer layer;
      layer.seed = std::uint32_t(current->number * 100 + int(current->recipe.layers.size()) + 1);
      if (!ParseLayerLine(line, &layer, error)) return false;
      current->recipe.layers.push_back(layer);
    } else if (key == "volume" || key == "pan" || key == "fadeout") {
      const int hi = key == "volume" ? 64 : key == "pan" ? 255 : 4095;
      if (line.tokens.size() != 2 || !Integer(line.tokens[1], &value) || value < 0 || value > hi) {
        return Fail(error, line.number, key + " out of range");
      }
      if (key == "volume") current->recipe.volume = std::uint8_t(value);
      if (key == "pan") current->recipe.pan = std::uint8_t(value);
      if (key == "fadeout") ins.fadeout = std::uint16_t(value);
    } else if (key == "volenv") {
      if (!ParseEnvelopeLine(line, &ins.volume_envelope, error)) return false;
    } else if (key == "panenv") {
      if (!ParseEnvelopeLine(line, &ins.pan_envelope, error)) return false;
    } else if (key == "vibrato") {
      std::map<std::string, std::string> kv;
      if (!KeyValues(line, 1, &kv, error)) return false;
      Reader rd(kv, line.number, error);
      int type = 0, sweep = 0, depth = 0, rate = 0;
      if (!rd.Whole("type", &type, 0, 3) || !rd.Whole("sweep", &sweep, 0, 255) ||
          !rd.Whole("depth", &depth, 0, 15) || !rd.Whole("rate", &rate, 0, 63) || !rd.AllUsed()) {
        return false;
      }
      ins.vibrato_type = std::uint8_t(type);
      ins.vibrato_sweep = std::uint8_t(sweep);
      ins.vibrato_depth = std::uint8_t(depth);
      ins.vibrato_rate = std::uint8_t(rate);
    } else {
      return Fail(error, line.number, "unknown instrument line '" + key + "'");
    }
  }
  for (const auto& src : *out) {
    if (src.recipe.layers.empty()) return Fail(error, 0, "instrument " + src.instrument.name + " has no layer");
  }
  return true;
}

bool ParseSong(const std::string& text, Module* m, std::string* error) {
  *m = Module();
  m->channels = 0;
  std::vector<std::string> order_names;
  std::string restart;
  std::map<std::string, int> pattern_index;
  const std::vector<Line> lines = Lines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    const std::string& key = line.tokens[0];
    const std::size_t n = line.tokens.size();
    if (key == "name") {
      const std::size_t at = line.text.find("name");
      m->name = Words(line.text.substr(at + 4)).empty() ? "" : line.text.substr(line.text.find_first_not_of(" \t", at + 4));
      while (!m->name.empty() && (m->name.back() == ' ' || m->name.back() == '\t' || m->name.back() == '\r')) m->name.pop_back();
    } else if (key == "channels" || key == "speed" || key == "bpm") {
      int v = 0;
      if (n != 2 || !Integer(line.tokens[1], &v)) return Fail(error, line.number, key + " wants a number");
      if (key == "channels") m->channels = v;
      if (key == "speed") m->speed = v;
      if (key == "bpm") m->bpm = v;
      if ((key == "channels" && (v < 1 || v > 32)) || (key == "speed" && (v < 1 || v > 31)) ||
          (key == "bpm" && (v < 32 || v > 255))) {
        return Fail(error, line.number, key + " out of range");
      }
    } else if (key == "amiga") {
      m->linear_frequencies = false;
    } else if (key == "restart") {
      if (n != 2) return Fail(error, line.number, "restart wants one order index");
      restart = line.tokens[1];
    } else if (key == "order") {
      order_names.insert(order_names.end(), line.tokens.begin() + 1, line.tokens.end());
    } else if (key == "pattern") {
      int rows = 0;
      if (n != 3 || !Integer(line.tokens[2], &rows) || rows < 1 || rows > 256) {
        return Fail(error, line.number, "pattern wants NAME ROWS (1..256)");
      }
      if (m->channels < 1) return Fail(error, line.number, "channels must come before the patterns");
      if (pattern_index.count(line.tokens[1])) return Fail(error, line.number, "pattern defined twice");
      Pattern p;
      p.name = line.tokens[1];
      p.rows = rows;
      for (int r = 0; r < rows; ++r) {
        if (++i >= lines.size()) return Fail(error, line.number, "pattern " + p.name + " ends early");
        const Line& row = lines[i];
        const std::vector<std::string> columns = Split(row.text, '|');
        if (int(columns.size()) != m->channels) {
          return Fail(error, row.number, "row has " + std::to_string(columns.size()) + " columns, want " +
                                            std::to_string(m->channels));
        }
        for (const std::string& column : columns) {
          Cell cell;
          std::string why;
          if (!ParseCell(column, &cell, &why)) return Fail(error, row.number, why);
          p.cells.push_back(cell);
        }
      }
      pattern_index[p.name] = int(m->patterns.size());
      m->patterns.push_back(std::move(p));
    } else {
      return Fail(error, line.number, "unknown song line '" + key + "'");
    }
  }
  for (const std::string& name : order_names) {
    if (!pattern_index.count(name)) return Fail(error, 0, "order names unknown pattern " + name);
    m->orders.push_back(pattern_index.at(name));
  }
  if (!restart.empty() && !Integer(restart, &m->restart_order)) {
    return Fail(error, 0, "restart wants an order index");
  }
  if (m->orders.empty()) return Fail(error, 0, "no order list");
  return true;
}

bool BuildModule(const std::string& song_text, const std::string& instrument_text, Module* module,
                 std::string* error) {
  std::string why;
  if (!ParseSong(song_text, module, &why)) {
    if (error) *error = "song: " + why;
    return false;
  }
  std::vector<InstrumentSource> sources;
  if (!ParseInstruments(instrument_text, &sources, &why)) {
    if (error) *error = "instruments: " + why;
    return false;
  }
  for (auto& src : sources) {
    Instrument ins = src.instrument;
    ins.samples.push_back(Synthesise(src.recipe));
    module->instruments.push_back(std::move(ins));
  }
  why = Validate(*module);
  if (!why.empty()) {
    if (error) *error = why;
    return false;
  }
  return true;
}

}  // namespace xmsong

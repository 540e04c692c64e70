// The XM loader. It decodes everything once (cells, 8-to-16-bit widening, delta coding, loop
// guard samples) and repairs or rejects at load what the engine would otherwise index out of
// range, so that the tick engine and the mixer never test their input again.
//
// What a file gets, besides the plain reading of the format:
//  rejected  signature mismatch; more than 32 channels; song length 0 or above 256; more than
//            256 patterns or instruments; a pattern with 0 rows or more than 1024; more than
//            16 samples in an instrument; a file that ends inside the module header or the
//            pattern data; out of memory.
//  bounded   a pattern's cells start after its header by the header's stated length and are
//            read from its packed size only; cells it leaves out stay empty (some trackers
//            write patterns cut short on a cell boundary).
//  repaired  cell notes 98..255 become "no note"; restart order not below the song length
//            becomes 0; order entries naming no pattern become 0; default tempo outside
//            32..255 is clamped into it; envelope point counts above 12 become 12, values
//            above 64 become 64, points whose tick does not increase end the envelope, and
//            loop or sustain indices past the last point switch that part off; loop points
//            beyond a sample's end are cut to it.
//  truncated a file that ends inside the instruments keeps what is complete, as trackers do:
//            a sample cut short keeps the data present, and an instrument whose headers are
//            cut off is dropped together with all after it.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "player/xm.h"
#include "player/xm_reader.h"
#include "sound/allocation.h"

namespace {

constexpr char kSignature[] = "Extended Module: ";
constexpr int kMaxChannels = 32;
constexpr int kMaxOrders = 256;
constexpr int kMaxPatterns = 256;
constexpr int kMaxRows = 1024;
constexpr int kMaxInstruments = 256;
constexpr int kMaxSamples = 16;
constexpr int kEnvelopePointsRead = 12;
constexpr int kMaxEnvelopeValue = 64;

template <typename T>
T* AllocateZeroed(std::size_t count) {
  if (count == 0) return nullptr;
  return static_cast<T*>(AUDIO_Calloc(count, sizeof(T)));
}

// Sample slots a loaded instrument does not define play silence.
void PointFreeSlotsAtDummy(MUSIC_INSTRUMENT* instrument, int first) {
  for (int s = first; s < kMaxSamples; ++s) instrument->samples[s] = &MUSIC_DummySample;
}

void ReleaseSamples(MUSIC_INSTRUMENT* instrument) {
  for (int s = 0; s < kMaxSamples; ++s) {
    MUSIC_SAMPLE* sample = instrument->samples[s];
    if (sample != nullptr && sample != &MUSIC_DummySample) {
      std::free(sample->data);
      std::free(sample);
    }
    instrument->samples[s] = nullptr;
  }
  instrument->sample_count = 0;
}

// Points past the count, loops and sustains that name no point, and values the mixer cannot
// scale are mended here; the envelope step then only sees increasing ticks within range.
void RepairEnvelope(MUSIC_ENVELOPE_POINT* points, std::uint8_t* count, std::uint8_t* flags,
                    std::uint8_t sustain, std::uint8_t loop_start, std::uint8_t loop_end) {
  int n = *count > kEnvelopePointsRead ? kEnvelopePointsRead : *count;
  for (int k = 0; k < n; ++k) {
    if (points[k].value > kMaxEnvelopeValue) points[k].value = kMaxEnvelopeValue;
    if (k > 0 && points[k].tick <= points[k - 1].tick) {
      n = k;
      break;
    }
  }
  *count = static_cast<std::uint8_t>(n);
  if (n < 2) {
    *flags = 0;
    return;
  }
  if (sustain >= n) *flags &= static_cast<std::uint8_t>(~2u);
  if (loop_start >= n || loop_end >= n) *flags &= static_cast<std::uint8_t>(~4u);
}

// A pattern's packed bytes; cells past its end read as empty, as in trackers, which take the
// packed size as the pattern's extent.
class PackedCells {
 public:
  PackedCells(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
  std::uint8_t Next() { return position_ < size_ ? bytes_[position_++] : 0; }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
  std::size_t position_ = 0;
};

void ReadCell(PackedCells& in, MUSIC_NOTE* cell) {
  std::uint8_t b = in.Next();
  if (b & 0x80) {
    if (b & 0x01) cell->note = in.Next();
    if (b & 0x02) cell->instrument = in.Next();
    if (b & 0x04) cell->volume_column = in.Next();
    if (b & 0x08) cell->effect = in.Next();
    if (b & 0x10) cell->effect_param = in.Next();
  } else {
    cell->note = b;
    cell->instrument = in.Next();
    cell->volume_column = in.Next();
    cell->effect = in.Next();
    cell->effect_param = in.Next();
  }
  if (cell->note == 97) {
    cell->note = 255;
  } else if (cell->note > 97) {
    cell->note = 0;  // beyond the 96-note map: no note
  }
  if (cell->instrument > 128) cell->instrument = 0;
}

bool ReadPatterns(XmReader& in, MUSIC_MODULE* module, int file_patterns) {
  const int channels = module->channel_count;
  for (int p = 0; p < file_patterns; ++p) {
    std::int64_t start = in.Tell();
    std::uint32_t header_length = in.U32();
    in.U8();  // packing type
    std::uint16_t rows = in.U16();
    std::uint16_t packed_size = in.U16();
    // The data follows the header by its stated length, as trackers read it (9 in nearly
    // every file).
    in.SeekTo(start + header_length);
    if (in.failed() || rows == 0 || rows > kMaxRows) return false;
    MUSIC_PATTERN* pattern = &module->patterns[p];
    pattern->row_count = rows;
    std::size_t cells = static_cast<std::size_t>(rows) * channels;
    pattern->notes = AllocateZeroed<MUSIC_NOTE>(cells);
    if (cells != 0 && pattern->notes == nullptr) return false;
    if (packed_size == 0) continue;
    // Held only while the pattern is unpacked, and counted like every other allocation.
    const std::unique_ptr<std::uint8_t, decltype(&std::free)> packed(AllocateZeroed<std::uint8_t>(packed_size),
                                                                     &std::free);
    if (!packed) return false;
    in.Read(packed.get(), packed_size);
    if (in.failed()) return false;
    PackedCells source(packed.get(), packed_size);
    for (std::size_t c = 0; c < cells; ++c) ReadCell(source, &pattern->notes[c]);
  }
  for (int p = file_patterns; p < module->used_pattern_count; ++p) {
    MUSIC_PATTERN* pattern = &module->patterns[p];
    pattern->row_count = 64;
    std::size_t cells = static_cast<std::size_t>(64) * channels;
    pattern->notes = AllocateZeroed<MUSIC_NOTE>(cells);
    if (cells != 0 && pattern->notes == nullptr) return false;
  }
  return true;
}

// The byte counts a sample header gives, before they become sample counts.
struct StoredSample {
  std::uint32_t bytes;
};

void ReadSampleHeader(XmReader& in, MUSIC_SAMPLE* sample, StoredSample* stored) {
  sample->length = in.U32();
  sample->loop_start = in.U32();
  sample->loop_length = in.U32();
  sample->default_volume = in.U8();
  sample->finetune = static_cast<std::int8_t>(in.U8());
  sample->bits = 8;
  sample->loop_mode = LOOP_OFF;
  std::uint8_t type = in.U8();
  if (type & 1) sample->loop_mode = LOOP_NORMAL;
  if (type & 2) sample->loop_mode = LOOP_BIDI;
  if (type & 0x10) sample->bits = 16;
  sample->default_pan = in.U8();
  sample->relative_note = static_cast<std::int8_t>(in.U8());
  in.Skip(23);
  stored->bytes = sample->length;
}

// Turns the header's byte counts into sample counts for the `length` actually kept, and keeps
// the loop inside it.
void SetSampleGeometry(MUSIC_SAMPLE* sample, std::uint32_t length) {
  std::uint32_t loop_start = sample->loop_start;
  std::uint32_t loop_length = sample->loop_length;
  if (sample->bits == 16) {
    loop_start >>= 1;
    loop_length >>= 1;
  }
  sample->length = length;
  if (sample->loop_mode == LOOP_OFF) {
    loop_start = 0;
    loop_length = length;
  }
  if (loop_start >= length) {
    loop_start = 0;
    loop_length = 0;
  } else if (static_cast<std::uint64_t>(loop_start) + loop_length > length) {
    loop_length = length - loop_start;
  }
  if (loop_length == 0) {
    loop_start = 0;
    loop_length = length;
    sample->loop_mode = LOOP_OFF;
  }
  sample->loop_start = loop_start;
  sample->loop_length = loop_length;
}

// Reads (or hands to the sample-load callback) one sample's data. Returns false only when
// memory runs out; a file that ends early leaves the rest of the sample silent.
bool ReadSampleData(XmReader& in, MUSIC_MODULE* module, MUSIC_SAMPLE* sample,
                    const StoredSample& stored, int instrument_index, int slot) {
  std::int64_t start = in.Tell();
  std::int64_t available = in.SkipAvailable(stored.bytes);
  std::uint32_t bytes = static_cast<std::uint32_t>(available < stored.bytes ? available : stored.bytes);
  // An odd byte of a 16-bit sample is skipped with it, so the next sample starts where the
  // file puts it.
  std::uint32_t length = sample->bits == 16 ? bytes / 2 : bytes;
  SetSampleGeometry(sample, length);
  if (length == 0) return true;

  std::uint32_t data_bytes = length * (sample->bits / 8);
  std::size_t buffer_bytes = static_cast<std::size_t>(length) * 2 + 16;
  auto* buffer = static_cast<std::uint8_t*>(AUDIO_Calloc(buffer_bytes, 1));
  if (buffer == nullptr) return false;
  if (module->sample_load_callback != nullptr) {
    module->sample_load_callback(buffer, static_cast<std::int32_t>(data_bytes), sample->bits,
                                 instrument_index, slot);
  } else {
    in.SeekTo(start);
    in.Read(buffer, data_bytes);
    in.ClearError();  // a short read left zeros: the sample keeps what the file holds
    in.SeekTo(start + available);
  }

  std::int16_t* data;
  if (sample->bits == 8) {
    data = static_cast<std::int16_t*>(AUDIO_Calloc(buffer_bytes, 1));
    if (data == nullptr) {
      std::free(buffer);
      return false;
    }
    for (std::uint32_t k = 0; k < length; ++k)
      data[k] = static_cast<std::int16_t>(static_cast<std::int8_t>(buffer[k]) * 256);
    std::free(buffer);
    sample->bits = 16;
  } else {
    data = reinterpret_cast<std::int16_t*>(buffer);
    for (std::uint32_t k = 0; k < length; ++k)  // the file is little-endian
      data[k] = static_cast<std::int16_t>(buffer[2 * k] | (buffer[2 * k + 1] << 8));
  }
  sample->data = data;

  if (module->sample_load_callback == nullptr) {
    for (std::uint32_t k = 1; k < length; ++k)
      data[k] = static_cast<std::int16_t>(static_cast<std::uint16_t>(data[k]) +
                                          static_cast<std::uint16_t>(data[k - 1]));
  }
  // The mixer's interpolation reads one sample beyond the cursor.
  std::uint32_t end = sample->loop_start + sample->loop_length;
  if (sample->loop_mode == LOOP_BIDI) {
    data[end] = data[end - 1];
  } else if (sample->loop_mode == LOOP_NORMAL) {
    data[end] = data[sample->loop_start];
  }
  return true;
}

enum class InstrumentResult { kLoaded, kTruncated, kRejected };

InstrumentResult ReadInstrument(XmReader& in, MUSIC_MODULE* module, int index) {
  MUSIC_INSTRUMENT* instrument = &module->instruments[index];
  std::int64_t start = in.Tell();
  std::uint32_t header_size = in.U32();
  in.Skip(23);
  std::uint16_t sample_count = in.U16();
  if (in.failed()) return InstrumentResult::kTruncated;
  if (sample_count > kMaxSamples) return InstrumentResult::kRejected;
  PointFreeSlotsAtDummy(instrument, 0);
  if (sample_count == 0) {
    in.SeekTo(start + header_size);
    return in.failed() ? InstrumentResult::kTruncated : InstrumentResult::kLoaded;
  }

  in.U32();  // sample header size: taken as 40
  in.Read(instrument->sample_for_note, sizeof instrument->sample_for_note);
  for (int k = 0; k < kEnvelopePointsRead; ++k) {
    instrument->volume_points[k].tick = in.U16();
    instrument->volume_points[k].value = in.U16();
  }
  for (int k = 0; k < kEnvelopePointsRead; ++k) {
    instrument->pan_points[k].tick = in.U16();
    instrument->pan_points[k].value = in.U16();
  }
  instrument->volume_point_count = in.U8();
  instrument->pan_point_count = in.U8();
  instrument->volume_sustain = in.U8();
  instrument->volume_loop_start = in.U8();
  instrument->volume_loop_end = in.U8();
  instrument->pan_sustain = in.U8();
  instrument->pan_loop_start = in.U8();
  instrument->pan_loop_end = in.U8();
  instrument->volume_envelope_flags = in.U8();
  instrument->pan_envelope_flags = in.U8();
  instrument->autovibrato_type = in.U8();
  instrument->autovibrato_sweep = in.U8();
  instrument->autovibrato_depth = in.U8();
  instrument->autovibrato_rate = in.U8();
  instrument->fadeout = static_cast<std::uint16_t>(in.U16() << 1);
  if (instrument->volume_point_count < 2) instrument->volume_envelope_flags = 0;
  if (instrument->pan_point_count < 2) instrument->pan_envelope_flags = 0;
  RepairEnvelope(instrument->volume_points, &instrument->volume_point_count,
                 &instrument->volume_envelope_flags, instrument->volume_sustain,
                 instrument->volume_loop_start, instrument->volume_loop_end);
  RepairEnvelope(instrument->pan_points, &instrument->pan_point_count,
                 &instrument->pan_envelope_flags, instrument->pan_sustain,
                 instrument->pan_loop_start, instrument->pan_loop_end);
  in.SeekTo(start + header_size);

  StoredSample stored[kMaxSamples];
  instrument->sample_count = sample_count;
  for (int s = 0; s < sample_count; ++s) {
    instrument->samples[s] = AllocateZeroed<MUSIC_SAMPLE>(1);
    if (instrument->samples[s] == nullptr) {
      ReleaseSamples(instrument);
      return InstrumentResult::kRejected;
    }
    ReadSampleHeader(in, instrument->samples[s], &stored[s]);
  }
  if (in.failed()) {
    ReleaseSamples(instrument);
    return InstrumentResult::kTruncated;
  }
  for (int s = 0; s < sample_count; ++s) {
    if (!ReadSampleData(in, module, instrument->samples[s], stored[s], index, s)) {
      return InstrumentResult::kRejected;
    }
  }
  return InstrumentResult::kLoaded;
}

}  // namespace

int MUSIC_LoadXM(MUSIC_MODULE* module, AUDIO_FileHandle* file) {
  if (module == nullptr || file == nullptr) return 0;
  XmReader in(file);

  char signature[17];
  in.SeekTo(0);
  in.Read(signature, sizeof signature);
  if (in.failed() || std::memcmp(signature, kSignature, sizeof signature) != 0) return 0;

  module->update = MUSIC_UpdateXM;
  module->default_global_volume = 64;

  in.SeekTo(60);
  std::uint32_t header_size = in.U32();
  std::uint16_t song_length = in.U16();
  std::uint16_t restart_order = in.U16();
  std::uint16_t channel_count = in.U16();
  std::uint16_t file_patterns = in.U16();
  std::uint16_t instrument_count = in.U16();
  module->song_flags = in.U16();
  std::uint16_t default_speed = in.U16();
  std::uint16_t default_bpm = in.U16();
  in.Read(module->order_table, sizeof module->order_table);
  if (in.failed()) return 0;
  if (song_length == 0 || song_length > kMaxOrders || channel_count > kMaxChannels ||
      file_patterns > kMaxPatterns || instrument_count > kMaxInstruments) {
    return 0;
  }
  module->song_length = static_cast<std::int16_t>(song_length);
  module->restart_order = static_cast<std::int16_t>(restart_order < song_length ? restart_order : 0);
  module->channel_count = static_cast<std::int16_t>(channel_count);
  module->instrument_count = static_cast<std::int16_t>(instrument_count);
  module->default_speed = static_cast<std::int16_t>(default_speed);
  module->default_bpm = static_cast<std::int16_t>(default_bpm < 32 ? 32 : default_bpm > 255 ? 255 : default_bpm);
  in.SeekTo(60 + static_cast<std::int64_t>(header_size));

  int highest = 0;
  for (int o = 0; o < song_length; ++o)
    if (module->order_table[o] > highest) highest = module->order_table[o];
  module->used_pattern_count = highest + 1;
  module->pattern_count = file_patterns > module->used_pattern_count ? file_patterns : module->used_pattern_count;
  for (int o = 0; o < kMaxOrders; ++o)
    if (module->order_table[o] >= module->pattern_count) module->order_table[o] = 0;
  module->patterns = AllocateZeroed<MUSIC_PATTERN>(static_cast<std::size_t>(module->pattern_count));
  if (module->patterns == nullptr) return 0;
  if (!ReadPatterns(in, module, file_patterns)) return 0;

  if (instrument_count == 0) return 1;
  module->instruments = AllocateZeroed<MUSIC_INSTRUMENT>(instrument_count);
  if (module->instruments == nullptr) {
    module->instrument_count = 0;
    return 0;
  }
  for (int i = 0; i < instrument_count; ++i) {
    InstrumentResult result = ReadInstrument(in, module, i);
    if (result == InstrumentResult::kRejected) return 0;
    if (result == InstrumentResult::kTruncated) {
      ReleaseSamples(&module->instruments[i]);
      module->instrument_count = static_cast<std::int16_t>(i);
      break;
    }
  }
  return 1;
}

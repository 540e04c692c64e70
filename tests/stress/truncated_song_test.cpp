// The embedded song cut short at every length up to its first pattern, then at every 97th
// byte: a cut inside the header or the patterns is rejected, a cut inside the instruments
// loads what is complete, and whatever loads plays two seconds (under AddressSanitizer and
// UBSan in the sanitizer build).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "byte_source.h"
#include "content.h"
#include "player/music.h"
#include "sound/output.h"

namespace {

constexpr int kBlocksInTwoSeconds = 100;

std::uint32_t LittleEndian(const unsigned char* at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | at[i];
  return value;
}

// Offsets of the first pattern and of the first instrument, from the file's own headers.
void Layout(std::size_t* first_pattern, std::size_t* first_instrument) {
  std::size_t at = 60 + LittleEndian(muzik + 60, 4);
  *first_pattern = at;
  for (std::uint32_t p = LittleEndian(muzik + 70, 2); p > 0; --p)
    at += LittleEndian(muzik + at, 4) + LittleEndian(muzik + at + 7, 2);
  *first_instrument = at;
}

TEST(TruncatedSong, EveryCutLoadsWhatIsCompleteOrIsRejectedAndPlays) {
  std::size_t first_pattern = 0, first_instrument = 0;
  Layout(&first_pattern, &first_instrument);
  ASSERT_LT(first_instrument, muzik_length);
  int loaded = 0;
  for (std::size_t length = 0; length <= muzik_length; length += length < first_pattern ? 1 : 97) {
    SCOPED_TRACE(length);
    bytesource::Install(muzik, length);
    MUSIC_MODULE* module = MUSIC_LoadSong("song", nullptr);
    ASSERT_EQ(module != nullptr, length >= first_instrument);
    ASSERT_EQ(bytesource::OpenCount(), bytesource::CloseCount());
    if (!module) continue;
    ++loaded;
    ASSERT_EQ(AUDIO_InitOffline(44100), 1);
    ASSERT_EQ(MUSIC_PlaySong(module), 1);
    MUSIC_TIMEINFO info{};
    for (int block = 0; block < kBlocksInTwoSeconds; ++block) ASSERT_NE(AUDIO_Offline_FillNext(&info), nullptr);
    EXPECT_GE(info.time_ms, 1800) << "two seconds of audio, counted as the clock counts";
    MUSIC_FreeSong(module);
  }
  EXPECT_GT(loaded, 100);
}

}  // namespace

// Every allocation the player and the output make, failed in turn: each failure is a clean
// refusal. Under AddressSanitizer, LeakSanitizer also checks that the refusals leak nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "byte_source.h"
#include "player/music.h"
#include "player/music_control.h"
#include "sound/allocation.h"
#include "sound/file_access.h"
#include "sound/memsource.h"
#include "sound/output.h"
#include "support/gl_context.h"

namespace {

std::vector<std::uint8_t> ReadModule(const std::string& name) {
  std::ifstream in(testsupport::SharedPath("xm/modules/" + name), std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Loads with the n-th allocation failing, for n = 1, 2, ... until a load makes all its
// allocations; returns how many there were.
int FailEachAllocationOfTheLoad() {
  for (int n = 1;; ++n) {
    AUDIO_FailNthAllocation(n);
    MUSIC_MODULE* module = MUSIC_LoadSong("song", nullptr);
    const bool failed = AUDIO_InjectedFailureHappened();
    AUDIO_FailNthAllocation(0);
    if (!failed) {
      EXPECT_NE(module, nullptr);
      MUSIC_FreeSong(module);
      return n - 1;
    }
    EXPECT_EQ(module, nullptr) << "allocation " << n;
    if (module) MUSIC_FreeSong(module);
  }
}

TEST(AllocationFailures, EveryFailedLoadReturnsNullAndLeaksNothing) {
  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  EXPECT_GT(FailEachAllocationOfTheLoad(), 20) << "the embedded song";
  for (const char* name : {"libxm_ramping.xm", "libxm_pattern-loop-quirk.xm", "xmp_read_event_ft2.xm"}) {
    const std::vector<std::uint8_t> bytes = ReadModule(name);
    ASSERT_FALSE(bytes.empty()) << name;
    bytesource::Install(bytes.data(), bytes.size());
    EXPECT_GT(FailEachAllocationOfTheLoad(), 3) << name;
  }
}

TEST(AllocationFailures, AFailedStartReturnsZeroAndLeavesNothingStreaming) {
  AUDIO_File_SetCallbacks(memopen, memclose, memread, memseek, memtell);
  if (AUDIO_Init(44100) != 1) GTEST_SKIP() << "no audio device";
  MUSIC_MODULE* module = MUSIC_LoadSong("song", nullptr);
  ASSERT_NE(module, nullptr);
  int n = 1;
  for (;; ++n) {
    AUDIO_FailNthAllocation(n);
    const std::int32_t started = MUSIC_PlaySong(module);
    const bool failed = AUDIO_InjectedFailureHappened();
    AUDIO_FailNthAllocation(0);
    if (!failed) {
      EXPECT_EQ(started, 1);
      break;
    }
    EXPECT_EQ(started, 0) << "allocation " << n;
    EXPECT_EQ(AUDIO_Software_ThreadFinished.load(), 1) << "no feeder left running";
    EXPECT_EQ(MUSIC_PlayingSong, nullptr);
    EXPECT_EQ(MUSIC_TimeInfo, nullptr);
    EXPECT_EQ(AUDIO_MixBlock.data, nullptr);
    EXPECT_EQ(AUDIO_MixBufferMem, nullptr);
    EXPECT_EQ(MUSIC_GetTime(module), 0);
  }
  EXPECT_EQ(n, 5) << "time info, ring, mix area and feeder thread each failed once";

  // The device itself going missing: the next open fails, stops the song and stays closed.
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_EQ(AUDIO_Init(44100), 0);
  EXPECT_EQ(AUDIO_OutputOpen(), 0);
  EXPECT_EQ(MUSIC_PlayingSong, nullptr);
  EXPECT_EQ(AUDIO_Software_ThreadFinished.load(), 1);
  EXPECT_EQ(MUSIC_PlaySong(module), 0);
  MUSIC_FreeSong(module);
}

}  // namespace

// The song as our own player renders it (tools/xmrender). The render is made by the test
// before this one; without xmrender in the build the case says so and skips.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "rendered_song_checks.h"

namespace {

TEST(SongInOurPlayer, RendersAsMusic) {
#ifndef SONG_XMRENDER_WAV
  GTEST_SKIP() << "xmrender is not part of this build yet; the song's checks with our own player are skipped";
#else
  songcheck::Pcm pcm;
  std::string why;
  ASSERT_TRUE(songcheck::ReadWav(SONG_XMRENDER_WAV, &pcm, &why)) << why;
  EXPECT_EQ(pcm.rate, 44100);
  songcheck::ExpectSoundsLikeTheSong(pcm);
#endif
}

}  // namespace

// TARVELON_MIXER, the switch users have, read by a fresh process as the demo, xmrender and
// capture read it: every path this CPU has can be forced; a path it lacks, or a name the mixer
// does not know, gives the best path it has.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "sound/mixer_path.h"
#include "support/run_program.h"

namespace {

// The path a fresh process mixes on with TARVELON_MIXER set to `setting` (unset when null).
std::string PathChosenFor(const char* setting) {
  const char* probe = std::getenv("MIXER_PATH_PROBE");
  if (!probe) return "MIXER_PATH_PROBE is not set";
  const std::string command = setting ? std::string("TARVELON_MIXER='") + setting + "' " + probe
                                      : std::string("env -u TARVELON_MIXER ") + probe;
  const testsupport::ProgramRun run = testsupport::RunProgram(command);
  if (run.exit_code != 0) return "the probe failed: " + run.err;
  return run.out.substr(0, run.out.find('\n'));
}

TEST(MixerEnvironment, EachPathTheCpuHasCanBeForcedAndALackingOneFallsBackToTheBest) {
  const std::string best = AUDIO_MixerPathName(AUDIO_MixerBestPath());
  int forced = 0;
  for (AUDIO_MixerPath path : AUDIO_MixerKnownPaths()) {
    const char* name = AUDIO_MixerPathName(path);
    const bool cpu_has = AUDIO_MixerUsePath(path);
    EXPECT_EQ(PathChosenFor(name), cpu_has ? std::string(name) : best) << "TARVELON_MIXER=" << name;
    forced += cpu_has;
  }
  EXPECT_GE(forced, 1) << "not even the scalar path could be forced";
}

TEST(MixerEnvironment, WithoutTheSwitchOrWithANameItDoesNotKnowTheMixerTakesTheBestPath) {
  const std::string best = AUDIO_MixerPathName(AUDIO_MixerBestPath());
  EXPECT_EQ(PathChosenFor(nullptr), best) << "unset";
  for (const char* setting : {"", "AVX2", "neon", "scalar "}) {
    EXPECT_EQ(PathChosenFor(setting), best) << "TARVELON_MIXER='" << setting << "'";
  }
}

}  // namespace

// Mixes a few frames as any program of ours would and prints the name of the path the mixer
// took, so a test can see what TARVELON_MIXER does to a fresh process.
#include <cstdio>
#include <vector>

#include "sound/mixer.h"
#include "sound/mixer_path.h"
#include "sound/output.h"

int main() {
  if (AUDIO_InitOffline(44100) != 1) return 1;
  std::vector<float> out(64, 0.0f);
  AUDIO_Mixer_FPU_Ramp(out.data(), 32, 0);
  std::printf("%s\n", AUDIO_MixerPathName(AUDIO_MixerActivePath()));
  return 0;
}

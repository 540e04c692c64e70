// Browser backend: the audio device, on WebAudio (web_audio.js). The looping ring stays in the
// program's memory; the page's audio worklet, which cannot read that memory, is sent the ring's
// bytes ahead of time, in play order, and plays them as the device would play the ring. Each
// time it moves into another block it says how far it has played; that runs the feeder's step
// from the audio side, which browsers do not slow down in a hidden tab as they do animation
// frames and timers. Where there is no audio worklet, a script processor plays the ring in
// place and runs the step after each buffer it hands over.
#include <emscripten.h>

#include <cstdint>

#include "platform/platform.h"
#include "platform/web/audio.h"

namespace platform {
namespace {

FeederStep g_step = nullptr;
bool g_open = false;

EM_ASYNC_JS(int, WebAudioOpen, (int rate), { return await TarvelonAudio.open(rate); });
// Returns once the ring's first frame is playing (or after a second without), as a device's
// start returns once it plays: the program goes on to its first frame only then, and the page
// hears of the first sound at once instead of after that frame's drawing.
EM_ASYNC_JS(int, WebAudioPlay, (const void* data, std::uint32_t bytes), {
  if (!TarvelonAudio.play(data, bytes >>> 0)) return 0;
  await TarvelonAudio.firstSound(1000);
  return 1;
});
EM_JS(void, WebAudioReadAhead, (std::uint32_t block_bytes), { TarvelonAudio.readAhead(block_bytes >>> 0); });
EM_JS(void, WebAudioSendAhead, (), { TarvelonAudio.sendAhead(); });
EM_JS(double, WebAudioPosition, (), { return TarvelonAudio.position; });
EM_JS(int, WebAudioLost, (), { return TarvelonAudio.lost ? 1 : 0; });
EM_JS(void, WebAudioReset, (), { TarvelonAudio.reset(); });
EM_JS(void, WebAudioClose, (), { TarvelonAudio.close(); });

}  // namespace

namespace web {

void DriveFeeder() {
  if (!g_step) return;
  g_step();
  WebAudioSendAhead();
}

}  // namespace web

bool AudioOpen(int rate) {
  if (g_open) AudioClose();
  if (!WebAudioOpen(rate)) {
    // A browser without sound (no WebAudio, or a context that will not start) is a machine
    // without a sound device: the user is told before the program ends.
    ShowErrorBox("Hata", "Pencere kapatilacak.");
    return false;
  }
  g_open = true;
  return true;
}

bool AudioPlayLooping(const void* data, std::uint32_t bytes) {
  if (!g_open || !data || bytes == 0) return false;
  g_step = nullptr;
  return WebAudioPlay(data, bytes) != 0;
}

std::uint64_t AudioPosition() { return g_open ? std::uint64_t(WebAudioPosition()) : 0; }

bool AudioDeviceLost() { return g_open && WebAudioLost() != 0; }

// Everything the worklet gets is sent after the step that wrote it.
void AudioPublish() {}

bool AudioDriveFeeder(FeederStep step, std::uint32_t block_bytes) {
  if (!g_open) return false;
  g_step = step;
  WebAudioReadAhead(step ? block_bytes : 0);
  return true;
}

void AudioReset() {
  g_step = nullptr;
  if (g_open) WebAudioReset();
}

void AudioClose() {
  if (!g_open) return;
  AudioReset();
  WebAudioClose();
  g_open = false;
}

}  // namespace platform

// The worklet has played into another block: the device has moved on.
extern "C" EMSCRIPTEN_KEEPALIVE void tarvelon_audio_moved() { platform::web::DriveFeeder(); }

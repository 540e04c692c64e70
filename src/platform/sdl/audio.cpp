// SDL2 backend: the audio device. One caller-owned buffer plays in an endless loop from
// SDL's callback, which counts every byte it hands over; that count is the play position.
// SDL announces a device that goes away with SDL_AUDIODEVICEREMOVED; an event watch sees it
// on whichever thread SDL raises it, without waiting for the main loop's poll.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

SDL_AudioDeviceID g_device = 0;
const Uint8* g_ring = nullptr;  // guarded by the device lock
Uint32 g_ring_bytes = 0;
std::atomic<std::uint64_t> g_position{0};
std::atomic<SDL_AudioDeviceID> g_watched_device{0};  // read by the event watch on SDL's threads
std::atomic<bool> g_lost{false};

int WatchForRemoval(void*, SDL_Event* event) {
  if (event->type == SDL_AUDIODEVICEREMOVED && !event->adevice.iscapture &&
      event->adevice.which == g_watched_device.load() && g_watched_device.load() != 0)
    g_lost.store(true);
  return 0;
}

void Callback(void*, Uint8* stream, int len) {
  // A removed device plays nothing more, whatever the driver still asks for.
  if (!g_ring || g_ring_bytes == 0 || g_lost.load()) {
    std::memset(stream, 0, size_t(len));
    return;
  }
  std::uint64_t position = g_position.load(std::memory_order_relaxed);
  int done = 0;
  while (done < len) {
    const Uint32 at = Uint32(position % g_ring_bytes);
    const int chunk = int(std::min<Uint32>(g_ring_bytes - at, Uint32(len - done)));
    std::memcpy(stream + done, g_ring + at, size_t(chunk));
    done += chunk;
    position += Uint32(chunk);
  }
  g_position.store(position, std::memory_order_release);
}

}  // namespace

bool AudioOpen(int rate) {
  if (g_device) AudioClose();
  // Each open holds the audio subsystem once and each close lets it go, so a later open
  // starts afresh and sees the driver chosen then.
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = rate;
  want.format = AUDIO_S16LSB;
  want.channels = 2;
  want.samples = 512;
  want.callback = Callback;
  SDL_AudioSpec have{};
  g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (g_device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  g_lost.store(false);
  g_watched_device.store(g_device);
  SDL_AddEventWatch(WatchForRemoval, nullptr);
  return true;
}

bool AudioPlayLooping(const void* data, std::uint32_t bytes) {
  if (!g_device || !data || bytes == 0) return false;
  SDL_LockAudioDevice(g_device);
  g_ring = static_cast<const Uint8*>(data);
  g_ring_bytes = bytes;
  g_position.store(0, std::memory_order_release);
  SDL_UnlockAudioDevice(g_device);
  SDL_PauseAudioDevice(g_device, 0);
  return true;
}

std::uint64_t AudioPosition() { return g_position.load(std::memory_order_acquire); }

bool AudioDeviceLost() { return g_lost.load(); }

void AudioPublish() {
  // The callback runs under the device lock; taking it once orders our writes before its next run.
  if (!g_device) return;
  SDL_LockAudioDevice(g_device);
  SDL_UnlockAudioDevice(g_device);
}

// SDL's callback runs on SDL's own thread, where mixing must not happen: the feeder thread does it.
bool AudioDriveFeeder(FeederStep, std::uint32_t) { return false; }

void AudioReset() {
  if (!g_device) return;
  SDL_PauseAudioDevice(g_device, 1);
  SDL_LockAudioDevice(g_device);
  g_ring = nullptr;
  g_ring_bytes = 0;
  g_position.store(0, std::memory_order_release);
  SDL_UnlockAudioDevice(g_device);
}

void AudioClose() {
  if (!g_device) return;
  AudioReset();
  SDL_DelEventWatch(WatchForRemoval, nullptr);
  g_watched_device.store(0);
  g_lost.store(false);
  SDL_CloseAudioDevice(g_device);
  g_device = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace platform

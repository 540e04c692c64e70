// Win32 backend: the audio device through winmm's waveOut. One caller-owned buffer is written
// once with begin-loop and end-loop set and loops until reset; the play position is the
// device's own, asked in samples (the byte count wraps at 2^32 on Windows and, under wine,
// sticks at 0xFFFFFFFF past 2^31) and widened to 64 bits.
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <mutex>

#include "platform/platform.h"
#include "platform/win32/wrapping_counter.h"

namespace platform {
namespace {

constexpr std::uint64_t kBytesPerSample = 4;  // 16-bit stereo

HWAVEOUT g_device = nullptr;
WAVEHDR g_header{};
bool g_prepared = false;
std::atomic<bool> g_lost{false};

std::mutex g_position_mutex;  // the feeder thread asks for the position, the main thread resets it
WrappingCounter g_samples;
WrappingCounter g_bytes;     // only if a driver answers in bytes after all
std::uint64_t g_position = 0;

void ForgetPosition() {
  std::lock_guard<std::mutex> lock(g_position_mutex);
  g_samples.Reset();
  g_bytes.Reset();
  g_position = 0;
}

void StopLoop() {
  waveOutReset(g_device);
  if (g_prepared) waveOutUnprepareHeader(g_device, &g_header, sizeof(g_header));
  g_prepared = false;
  g_header = WAVEHDR{};
  ForgetPosition();
}

}  // namespace

bool AudioOpen(int rate) {
  if (g_device) AudioClose();
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = DWORD(rate);
  format.nAvgBytesPerSec = DWORD(rate) * 4;
  format.nBlockAlign = 4;
  format.wBitsPerSample = 16;
  HWAVEOUT device = nullptr;
  if (waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
  g_device = device;
  g_lost = false;
  ForgetPosition();
  return true;
}

bool AudioPlayLooping(const void* data, std::uint32_t bytes) {
  if (!g_device || !data || bytes == 0) return false;
  StopLoop();
  g_header.lpData = static_cast<LPSTR>(const_cast<void*>(data));
  g_header.dwBufferLength = bytes;
  g_header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
  g_header.dwLoops = 0xFFFFFFFF;
  if (waveOutPrepareHeader(g_device, &g_header, sizeof(g_header)) != MMSYSERR_NOERROR) return false;
  g_prepared = true;
  if (waveOutWrite(g_device, &g_header, sizeof(g_header)) != MMSYSERR_NOERROR) {
    StopLoop();
    return false;
  }
  return true;
}

std::uint64_t AudioPosition() {
  std::lock_guard<std::mutex> lock(g_position_mutex);
  if (!g_device || g_lost) return g_position;
  MMTIME time{};
  time.wType = TIME_SAMPLES;
  const MMRESULT result = waveOutGetPosition(g_device, &time, sizeof(time));
  if (result == MMSYSERR_NODRIVER || result == MMSYSERR_INVALHANDLE) {
    // The driver or the device has gone (unplugged, driver removed): the position stays put.
    g_lost = true;
    return g_position;
  }
  if (result != MMSYSERR_NOERROR) return g_position;
  // A driver may answer in another format than asked for.
  if (time.wType == TIME_SAMPLES) {
    g_position = g_samples.Advance(time.u.sample) * kBytesPerSample;
  } else if (time.wType == TIME_BYTES) {
    g_position = g_bytes.Advance(time.u.cb);
  }
  return g_position;
}

bool AudioDeviceLost() { return g_lost; }

void AudioPublish() {
  // The device reads the looping buffer straight from our memory: our stores must be made
  // before its next read, not held back by the compiler.
  std::atomic_thread_fence(std::memory_order_seq_cst);
}

// waveOut only plays what it is given; the feeder thread keeps the ring filled.
bool AudioDriveFeeder(FeederStep, std::uint32_t) { return false; }

void AudioReset() {
  if (g_device) StopLoop();
}

void AudioClose() {
  if (!g_device) return;
  StopLoop();
  waveOutClose(g_device);
  g_device = nullptr;
}

}  // namespace platform

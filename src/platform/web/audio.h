// Browser backend: the feeder's step as the audio device runs it.
#pragma once

namespace platform::web {

// Runs the feeder's step the sound output handed over (if any), then sends the device what
// the step has made ready.
void DriveFeeder();

}  // namespace platform::web

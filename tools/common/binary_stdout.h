// Standard output as a byte stream: Windows translates line ends on it unless told not to,
// which would corrupt a WAV written there. Elsewhere bytes already pass through untouched.
#pragma once

namespace tool {

// False when the stream could not be switched.
bool SetStdoutBinary();

}  // namespace tool

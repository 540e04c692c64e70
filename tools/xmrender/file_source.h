// Module files on disk through the file-callback layer: the open callback takes a path.
#pragma once

// Installs the stdio-backed callbacks. Seeks clamp to 0 .. the file's length, like the
// in-memory source, so the loader sees the same behaviour from both.
void InstallFileSource();

// capture video OUT.mp4 [--fps N] [--from S] [--to S]
#pragma once

// ARGUMENTS are what follows the subcommand. Returns the exit code.
int CaptureVideo(int count, char** arguments);

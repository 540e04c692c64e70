// capture sheet OUT.png
#pragma once

// ARGUMENTS are what follows the subcommand. Returns the exit code.
int CaptureSheet(int count, char** arguments);

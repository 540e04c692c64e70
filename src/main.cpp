// Process entry: the demo takes no arguments and reads no files.
#include "shell/shell.h"

int main() { return WinMainCRTStartup(); }

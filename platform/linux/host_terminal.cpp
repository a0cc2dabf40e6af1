#include <unistd.h>

#include "host/terminal_check.h"

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

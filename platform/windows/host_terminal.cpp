#include <io.h>

#include <cstdio>

#include "host/terminal_check.h"

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

// Whether the process's standard error is an interactive terminal, so that
// progress can be drawn there. One realisation per platform
// (platform/linux, platform/windows).
#pragma once

bool StandardErrorIsTerminal();

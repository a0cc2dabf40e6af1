// Writing into a pipe whose reader is gone: without this the process would
// die by SIGPIPE, silently and before it could say anything. With it such a
// write fails like any other (EPIPE), and the command reports it and exits
// with 1. Call once at the start of main. One realisation per platform that
// builds the command line (platform/linux/cli_broken_pipe.cpp).
#pragma once

void ReportBrokenPipesAsWriteErrors();

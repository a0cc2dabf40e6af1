// How many more files the process can open now (its descriptor limit,
// ulimit -n), counted up to what a caller needs. One realisation per
// platform that builds the command line (platform/linux/cli_free_descriptors.cpp).
#pragma once

// The number of descriptors that can be opened at once, at most `wanted`.
int FreeDescriptorsUpTo(int wanted);

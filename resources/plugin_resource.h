// The plug-in resource through which the host lists the effect before it
// ever calls it. Depends only on effect_identity.h and the standard library
// so that a cross build can generate the bytes with the native compiler.
#pragma once

#include <cstdint>
#include <vector>

// The property list: u16 marker 1, u32 list version 0, u32 property count,
// then the properties (vendor, key, id, data length, data padded to 4 bytes),
// all integers little-endian. 290 bytes for this effect.
std::vector<uint8_t> BuildPluginResource();

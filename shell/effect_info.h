// About (`kCommandAbout`) and global setup (`kCommandGlobalSetup`).
#pragma once

#include <string>

#include "host_interface/host_records.h"

// "Spindrel v1.0.4", then the two sentences, each after a carriage return.
std::string BuildAboutText();

HostError About(HostInData* in, HostOutData* out);
HostError GlobalSetup(HostOutData* out);

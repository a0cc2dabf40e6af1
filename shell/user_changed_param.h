// User-changed parameter (command 13): routes a pressed button.
#pragma once

#include "host_interface/host_records.h"

HostError HandleUserChangedParam(HostInData* in, HostParamDef* params[], void* extra);

// User-changed parameter (`kCommandUserChangedParam`): routes a pressed button.
#pragma once

#include "host_interface/host_records.h"

HostError HandleUserChangedParam(HostInData* in, HostParamDef* params[], void* extra);

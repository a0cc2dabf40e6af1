// The Create Shape Layer button: builds the host script and runs it.
#pragma once

#include "host_interface/host_records.h"

HostError BuildShapeLayerScript(HostInData* in);

// The Export JSON and Export SVG buttons.
#pragma once

#include "host_interface/host_records.h"

HostError ExportJsonCommand(HostInData* in);
HostError ExportSvgCommand(HostInData* in);

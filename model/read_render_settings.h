// Reads every parameter the render uses, once, into a RenderSettings record.
#pragma once

#include "host_interface/host_param_def.h"
#include "model/render_settings.h"

// params is indexed by parameter id; every entry from 1 to kParamCount must be present.
RenderSettings ReadRenderSettings(HostParamDef* params[]);

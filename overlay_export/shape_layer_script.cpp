#include "overlay_export/shape_layer_script.h"

// Not wired up yet: the button runs no script.
HostError BuildShapeLayerScript(HostInData*) { return kHostErrorNone; }

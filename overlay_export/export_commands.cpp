#include "overlay_export/export_commands.h"

// Not wired up yet: the buttons export nothing.
HostError ExportJsonCommand(HostInData*) { return kHostErrorNone; }
HostError ExportSvgCommand(HostInData*) { return kHostErrorNone; }

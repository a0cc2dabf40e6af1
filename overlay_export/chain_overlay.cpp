#include "overlay_export/chain_overlay.h"

// Not wired up yet: events are left unhandled.
HostError HandleCustomUIEvent(HostInData*, HostOutData*, HostParamDef*[], HostFrame*, HostEventRecord*) {
  return kHostErrorNone;
}

// The one open reference host, as the effect's callbacks reach it: the
// handle callbacks and the suites carry no context pointer, so the open host
// is reachable process-wide, and only one host can be open at a time.
#pragma once

struct ReferenceHost;

// Marks `host` as the open host; false when another one is open.
bool ActivateReferenceHost(ReferenceHost* host);
// Clears the mark when `host` holds it.
void DeactivateReferenceHost(ReferenceHost* host);
// The open host, or null.
ReferenceHost* ActiveReferenceHost();

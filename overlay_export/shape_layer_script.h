// The Create Shape Layer button (parameter 128): writes a host script that
// carries the chains of the last render as data, followed by the fixed
// program that asks for the settings and builds an animated shape layer, and
// hands it to the host's script engine. The script only defines
// $.global.SpindrelSetup and schedules it; the host runs it after the
// button command has returned.
#pragma once

#include <string>

#include "host_interface/host_records.h"
#include "render/analysis/chain_cache.h"

// The whole script for a cache snapshot: the function's opening line, the
// data object with one entry per chain that has points (in cache order,
// integer pixels), width and height, the colour and width lines, then
// kShapeLayerScriptBody. The same bytes whatever the process locale.
std::string ShapeLayerScriptText(const ChainCache& snapshot);

// Snapshots the chain cache; with nothing rendered or no chains it shows
// the no-data alert and runs nothing. Otherwise it runs the script through
// the Utility Suite (a refused suite throws MissingSuiteException, which the
// entry point answers with 512). Returns 0; the script's result is ignored.
HostError BuildShapeLayerScript(HostInData* in);

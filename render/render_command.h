// The render command (`kCommandRender`): the one place where the render meets the host.
// It reads the parameter array, checks the Map Layer out and in, locks the
// saved Draw Order and Chain Selection, publishes the chains for the
// overlay and the buttons and sets the output flags; everything between runs
// on plain values in render/analysis/ and render/drawing/.
#pragma once

#include <functional>
#include <vector>

#include "host_interface/host_records.h"
#include "model/chain_blobs.h"
#include "model/render_settings.h"
#include "render/analysis/analysis_stages.h"
#include "render/drawing/frame_state.h"
#include "skeleton/chain_record.h"

// source: the layer drawn over or revealed; null means the input layer
// (parameter 0).
HostError Render(HostInData* in, HostOutData* out, HostParamDef* params[], HostFrame* output,
                 const HostFrame* source);

// Every analysis stage of a render, computed anew: the Map Layer when one is
// chosen and has pixels (else `input`) sampled, analysed with the saved
// draw-order table, then the pending selection merge, numbered after it.
RenderAnalysis RunAnalysisStages(const HostInData& in, HostParamDef* params[], const HostFrame& input,
                                 const RenderSettings& settings, bool keepIntermediates);

// What the drawing stages receive: the analysis, the layer drawn over or
// revealed, and the frame to fill. Valid while all three live.
RenderFrameState MakeFrameState(const RenderAnalysis& analysis, const HostFrame& source, HostFrame& output);

// The Draw Order parameter's table, locked and copied; a table with count 0
// when the handle is absent or its lock gives nothing.
DrawOrderBlob ReadSavedDrawOrder(const HostInData& in, HostParamDef* params[]);

// Carries out a merge request stored in the Chain Selection data (checked
// out for the current time), clears it and marks the parameter changed;
// nothing when the host has nothing to give. `chains` is asked for the list
// to merge in only when a request is pending.
void ApplySavedSelectionMerge(const HostInData& in, HostParamDef* params[],
                              const std::function<std::vector<ChainRecord>&()>& chains, bool autoFlip);
void ApplySavedSelectionMerge(const HostInData& in, HostParamDef* params[], std::vector<ChainRecord>& chains,
                              bool autoFlip);

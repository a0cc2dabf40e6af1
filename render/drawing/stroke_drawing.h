// Filling the output frame once the chains are ready: the base, the skeleton
// when there are no chains, and otherwise the chain preview or the animated
// stroke with its rings, composited once from a StrokeLayer.
#pragma once

#include "host_interface/host_frame.h"
#include "model/render_settings.h"
#include "render/drawing/frame_state.h"

// The whole drawing of a render after the chain cache is published, except
// the particles: the base, then the skeleton discs when there are no chains,
// otherwise the chain preview (Preview Chains) or the animated stroke.
void DrawRenderOutput(const RenderSettings& settings, const RenderFrameState& state);

// Every output pixel becomes the source pixel (Composite on Original; outside
// the source transparent) or transparent.
void DrawOutputBase(const RenderSettings& settings, const RenderFrameState& state);

// Every set skeleton cell becomes a solid disc of the line radius (or the
// width points' width) in Line Color, or a disc of the source with Reveal
// Original Image.
void DrawSkeletonWithoutChains(const RenderSettings& settings, const RenderFrameState& state);

// The animated stroke of every chain with its rings, composited over the
// frame.
void DrawStroke(const RenderSettings& settings, const RenderFrameState& state);

// Stroke colour of a piece running from a0 to a1 of its chain: Line Color at
// the Opacity byte, or with Use Gradient the blend towards Line Color End at
// full opacity.
HostPixel8 PieceColor(const RenderSettings& settings, float a0, float a1);

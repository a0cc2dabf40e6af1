#include "model/read_render_settings.h"

#include <algorithm>

#include "host_interface/host_fixed_point.h"
#include "model/param_ids.h"

namespace {

constexpr float kPi = 3.1415927f;

// What a slider's value becomes in the settings. Each factor is applied in
// float (the opacity in integers), in the order the settings have always used.
constexpr float kHundredPercent = 100.0f;  // a percentage to a fraction
// Opacity (%) to the line colour's alpha byte: x 255 / 100, truncated.
constexpr int64_t kOpaqueAlpha = 255;
constexpr int64_t kOpaquePercent = 100;
constexpr float kSpeedEaseAtFullAmount = 3.0f;        // the reveal's ease strength at Speed Ease Amount 100 %
constexpr float kPixelsPerFitToleranceStep = 0.1f;    // "Fit Tolerance (x0.1 px)": a product, not a division by 10
constexpr float kRoughnessPixelsAtFullAmount = 4.0f;  // the stroke edge's noise amplitude at Roughness Amount 100
// Roughness Scale counts thousandths of the noise frequency (noise cells per pixel).
constexpr float kRoughnessScaleStepsPerNoiseFrequency = 1000.0f;
constexpr float kDensityLengthPixels = 100.0f;        // "Density (per 100px)" counts particles over this length
constexpr float kTurbulencePixelsAtFull = 8.0f;       // the particles' noise displacement at Turbulence 100 %
constexpr float kDegreesPerHalfTurn = 180.0f;         // with kPi, degrees to radians
constexpr int32_t kLineCapRound = 1;                  // Line Cap's first choice

int32_t Int(HostParamDef* params[], int32_t id) { return params[id]->u.slider.value; }

bool On(HostParamDef* params[], int32_t id) { return params[id]->u.checkbox.value != 0; }

int32_t Popup(HostParamDef* params[], int32_t id) { return params[id]->u.popup.value; }

// Integer percentage as a fraction, in float.
float Percent(HostParamDef* params[], int32_t id) {
  return static_cast<float>(Int(params, id)) / kHundredPercent;
}

// Float-slider percentage: narrowed to float first, then divided.
float FloatPercent(HostParamDef* params[], int32_t id) {
  return static_cast<float>(params[id]->u.floatSlider.value) / kHundredPercent;
}

float AsFloat(HostParamDef* params[], int32_t id) { return static_cast<float>(Int(params, id)); }

ColorRgb8 Rgb(HostParamDef* params[], int32_t id) {
  const HostPixel8& c = params[id]->u.color.value;
  return ColorRgb8{c.red, c.green, c.blue};
}

WidthPointTable ReadWidthPoints(HostParamDef* params[]) {
  WidthPointTable table;
  for (int32_t n = 0; n < kWidthPointCount; ++n) {
    const int32_t positionId = PARAM_WP1_POSITION + 2 * n;
    const int32_t width = Int(params, positionId + 1);
    if (width <= 0) continue;
    WidthPointEntry& entry = table.entries[table.count++];
    entry.x = FixedToFloat(params[positionId]->u.point.xValue);
    entry.y = FixedToFloat(params[positionId]->u.point.yValue);
    entry.width = static_cast<float>(width - 1);
  }
  return table;
}

}  // namespace

RenderSettings ReadRenderSettings(HostParamDef* params[]) {
  RenderSettings s;

  s.threshold = Int(params, PARAM_THRESHOLD);
  s.channel = Popup(params, PARAM_CHANNEL);
  s.invertInput = On(params, PARAM_INVERT_INPUT);

  s.lineWidth = Int(params, PARAM_LINE_WIDTH);
  s.lineRadius = s.lineWidth - 1;
  const ColorRgb8 line = Rgb(params, PARAM_LINE_COLOR);
  // A damaged project could carry an opacity outside 0..100; keep the byte in range.
  // The product in 64 bits, so such a value cannot overflow before the clamp.
  const int64_t opacity = Int(params, PARAM_OPACITY);
  const int64_t alpha = std::clamp<int64_t>(opacity * kOpaqueAlpha / kOpaquePercent, 0, kOpaqueAlpha);
  s.lineColor = HostPixel8{static_cast<uint8_t>(alpha), line.red, line.green, line.blue};
  s.lineColorEnd = Rgb(params, PARAM_LINE_COLOR_END);
  s.useGradient = On(params, PARAM_USE_GRADIENT);
  s.matchOriginalWidth = On(params, PARAM_MATCH_ORIGINAL_WIDTH);
  s.widthScale = Percent(params, PARAM_WIDTH_SCALE);
  s.taper = Percent(params, PARAM_TAPER);
  s.roundCap = Popup(params, PARAM_LINE_CAP) == kLineCapRound;
  s.compositeOnOriginal = On(params, PARAM_COMPOSITE_ON_ORIGINAL);
  s.revealOriginal = On(params, PARAM_REVEAL_ORIGINAL_IMAGE);

  s.revealProgress = FloatPercent(params, PARAM_REVEAL_PROGRESS);
  s.chainStagger = Percent(params, PARAM_CHAIN_STAGGER);
  s.pathOffset = FloatPercent(params, PARAM_PATH_OFFSET);
  s.naturalSpeed = On(params, PARAM_NATURAL_SPEED);
  s.speedEase = Percent(params, PARAM_SPEED_EASE_AMOUNT) * kSpeedEaseAtFullAmount;

  s.smoothIterations = Int(params, PARAM_SMOOTH_ITERATIONS);
  s.gapClose = AsFloat(params, PARAM_GAP_CLOSE);
  s.minChainLength = AsFloat(params, PARAM_MIN_CHAIN_LENGTH);
  s.minShapeArea = Int(params, PARAM_MIN_SHAPE_AREA);
  s.spurPrune = Int(params, PARAM_SPUR_PRUNE);
  s.useBezierFit = On(params, PARAM_USE_BEZIER_FIT);
  s.fitTolerance = AsFloat(params, PARAM_FIT_TOLERANCE) * kPixelsPerFitToleranceStep;
  s.subdivide = Int(params, PARAM_SUBDIVIDE);
  s.smartJunctionTracing = On(params, PARAM_SMART_JUNCTION_TRACING);
  s.junctionBias = Percent(params, PARAM_JUNCTION_CURVATURE_BIAS);

  s.previewChains = On(params, PARAM_PREVIEW_CHAINS);
  s.startX = FixedToFloat(params[PARAM_START_POINT]->u.point.xValue);
  s.startY = FixedToFloat(params[PARAM_START_POINT]->u.point.yValue);
  s.autoFlip = On(params, PARAM_AUTO_FLIP_ON_MERGE);
  s.mergeByShape = On(params, PARAM_MERGE_BY_SHAPE);
  s.directionalStart = On(params, PARAM_DIRECTIONAL_START);
  for (int32_t i = 0; i < kMergeSlotCount; ++i) {
    s.mergeSlots[i].chainA = Int(params, PARAM_SLOT1_CHAIN_A + 2 * i);
    s.mergeSlots[i].chainB = Int(params, PARAM_SLOT1_CHAIN_B + 2 * i);
    s.reverseSlots[i] = Int(params, PARAM_REV_SLOT1 + i);
  }

  s.widthPoints = ReadWidthPoints(params);

  s.dashesEnabled = On(params, PARAM_ENABLE_DASHES);
  s.dashLength = AsFloat(params, PARAM_DASH_LENGTH);
  const float period = AsFloat(params, PARAM_DASH_LENGTH) + AsFloat(params, PARAM_GAP_LENGTH);
  s.dashPeriod = period > 0.0f ? period : 1.0f;
  s.dashOffset = AsFloat(params, PARAM_DASH_OFFSET);

  s.roughnessAmount = Percent(params, PARAM_ROUGHNESS_AMOUNT) * kRoughnessPixelsAtFullAmount;
  s.roughnessScale = AsFloat(params, PARAM_ROUGHNESS_SCALE) / kRoughnessScaleStepsPerNoiseFrequency;

  s.particlesEnabled = On(params, PARAM_ENABLE_PARTICLES);
  const float density = AsFloat(params, PARAM_PARTICLE_DENSITY);
  s.particleSpacing = density > 0.0f ? kDensityLengthPixels / density : kDensityLengthPixels;
  s.particleSize = AsFloat(params, PARAM_PARTICLE_SIZE);
  s.particleScatter = AsFloat(params, PARAM_PARTICLE_SCATTER);
  s.particleOpacity = Percent(params, PARAM_PARTICLE_OPACITY);
  s.tipMode = On(params, PARAM_TIP_MODE);
  s.tipWindow = AsFloat(params, PARAM_TIP_WINDOW);
  s.customColor = On(params, PARAM_CUSTOM_COLOR);
  s.particleColor = Rgb(params, PARAM_PARTICLE_COLOR);
  s.trailColor = Rgb(params, PARAM_TRAIL_COLOR);
  s.randomColors = On(params, PARAM_RANDOM_COLORS);
  s.flowDirection = Percent(params, PARAM_FLOW_DIRECTION);
  s.turbulence = Percent(params, PARAM_TURBULENCE) * kTurbulencePixelsAtFull;
  s.tipScatterFalloff = Percent(params, PARAM_TIP_SCATTER_FALLOFF);

  s.multiStroke = On(params, PARAM_MULTI_STROKE_ENABLE);
  s.outlineOnly = On(params, PARAM_OUTLINE_ONLY);
  s.ringGap = AsFloat(params, PARAM_MULTI_STROKE_GAP);
  s.ringWidth = AsFloat(params, PARAM_RING_WIDTH);
  const ColorRgb8 ring = Rgb(params, PARAM_RING_COLOR);
  s.ringColor = HostPixel8{255, ring.red, ring.green, ring.blue};

  s.nibSimulation = On(params, PARAM_NIB_SIMULATION);
  s.nibAngle = FixedToFloat(params[PARAM_NIB_ANGLE]->u.angle.value) * kPi / kDegreesPerHalfTurn;
  s.minWidth = Percent(params, PARAM_MIN_WIDTH);

  return s;
}

#include "shell/param_definitions.h"

#include <cstddef>

#include "host_interface/host_param_def.h"

namespace {

constexpr ParamDefinition GroupStart(int32_t id, const char* label) {
  return ParamDefinition{.id = id, .kind = kParamTypeGroupStart, .label = label};
}

constexpr ParamDefinition GroupEnd(int32_t id) { return ParamDefinition{.id = id, .kind = kParamTypeGroupEnd}; }

constexpr ParamDefinition Slider(int32_t id, const char* label, int32_t minValue, int32_t maxValue,
                                 int32_t defaultValue) {
  return ParamDefinition{.id = id, .kind = kParamTypeSlider, .label = label, .minValue = minValue,
                         .maxValue = maxValue, .defaultValue = defaultValue};
}

// Float sliders here all start at 0.
constexpr ParamDefinition FloatSlider(int32_t id, const char* label, float validMax, float sliderMax,
                                      float defaultValue) {
  return ParamDefinition{.id = id, .kind = kParamTypeFloatSlider, .label = label, .floatValidMax = validMax,
                         .floatSliderMax = sliderMax, .floatDefault = defaultValue};
}

constexpr ParamDefinition Checkbox(int32_t id, const char* label, bool on, const char* boxText) {
  return ParamDefinition{.id = id, .kind = kParamTypeCheckbox, .label = label, .defaultValue = on ? 1 : 0,
                         .text = boxText};
}

constexpr ParamDefinition Popup(int32_t id, const char* label, int16_t choiceCount, const char* choices) {
  return ParamDefinition{.id = id, .kind = kParamTypePopup, .label = label, .defaultValue = 1, .text = choices,
                         .choiceCount = choiceCount};
}

constexpr ParamDefinition Color(int32_t id, const char* label, uint8_t red, uint8_t green, uint8_t blue) {
  return ParamDefinition{.id = id, .kind = kParamTypeColor, .label = label, .color = {255, red, green, blue}};
}

constexpr ParamDefinition Point(int32_t id, const char* label) {
  return ParamDefinition{.id = id, .kind = kParamTypePoint, .label = label, .defaultValue = kPointDefaultPercent};
}

constexpr ParamDefinition Angle(int32_t id, const char* label, int32_t degrees) {
  return ParamDefinition{.id = id, .kind = kParamTypeAngle, .label = label, .defaultValue = degrees};
}

constexpr ParamDefinition Layer(int32_t id, const char* label) {
  return ParamDefinition{.id = id, .kind = kParamTypeLayer, .label = label};
}

constexpr ParamDefinition Button(int32_t id, const char* label, const char* text) {
  return ParamDefinition{.id = id, .kind = kParamTypeButton, .label = label, .flags = kParamFlagSupervise,
                         .text = text};
}

constexpr ParamDefinition HiddenData(int32_t id, const char* label) {
  return ParamDefinition{.id = id, .kind = kParamTypeArbitraryData, .label = label,
                         .flags = kParamFlagSupervise | kParamFlagCannotTimeVary, .uiFlags = kParamUiFlagNoControl};
}

}  // namespace

constexpr std::array<ParamDefinition, kParamCount> kParamDefinitions = {{
    GroupStart(PARAM_SOURCE_GROUP, "Source"),
    Slider(PARAM_THRESHOLD, "Threshold", 0, 255, 128),
    Popup(PARAM_CHANNEL, "Channel", 5, "Luminance|Red|Green|Blue|Alpha"),
    Checkbox(PARAM_INVERT_INPUT, "Invert Input", false, ""),
    Layer(PARAM_MAP_LAYER, "Map Layer (optional)"),
    GroupEnd(PARAM_SOURCE_GROUP_END),

    GroupStart(PARAM_OUTPUT_STYLE_GROUP, "Output Style"),
    Slider(PARAM_LINE_WIDTH, "Line Width", 1, 100, 2),
    Color(PARAM_LINE_COLOR, "Line Color", 255, 255, 255),
    Color(PARAM_LINE_COLOR_END, "Line Color End", 255, 255, 255),
    Checkbox(PARAM_USE_GRADIENT, "Use Gradient", false, "Ramp Line Color \xE2\x86\x92 Line Color End"),
    Checkbox(PARAM_MATCH_ORIGINAL_WIDTH, "Match Original Width", false, "Variable width via distance transform"),
    Slider(PARAM_WIDTH_SCALE, "Width Scale (%)", 0, 300, 100),
    Slider(PARAM_TAPER, "Taper (0=flat, 100=tips)", 0, 100, 0),
    Popup(PARAM_LINE_CAP, "Line Cap", 2, "Round|Flat"),
    Checkbox(PARAM_COMPOSITE_ON_ORIGINAL, "Composite on Original", false, ""),
    Checkbox(PARAM_REVEAL_ORIGINAL_IMAGE, "Reveal Original Image", false,
             "Paint source pixels through stroke path (alpha-matte reveal)"),
    Slider(PARAM_OPACITY, "Opacity (%)", 0, 100, 100),
    GroupEnd(PARAM_OUTPUT_STYLE_GROUP_END),

    GroupStart(PARAM_ANIMATION_GROUP, "Animation"),
    FloatSlider(PARAM_REVEAL_PROGRESS, "Reveal Progress (%)", 100.0f, 100.0f, 100.0f),
    Slider(PARAM_CHAIN_STAGGER, "Chain Stagger (%)", 0, 100, 0),
    FloatSlider(PARAM_PATH_OFFSET, "Path Offset (%)", 100.0f, 99999.0f, 0.0f),
    Checkbox(PARAM_NATURAL_SPEED, "Natural Speed", false,
             "Curvature-based reveal easing: pen slows through turns, speeds up on straights"),
    Slider(PARAM_SPEED_EASE_AMOUNT, "Speed Ease Amount (%)", 0, 100, 60),
    GroupEnd(PARAM_ANIMATION_GROUP_END),

    GroupStart(PARAM_SKELETON_CLEANUP_GROUP, "Skeleton Cleanup"),
    Slider(PARAM_SMOOTH_ITERATIONS, "Smooth Iterations", 0, 5, 1),
    Slider(PARAM_GAP_CLOSE, "Gap Close (px)", 0, 100, 20),
    Slider(PARAM_MIN_CHAIN_LENGTH, "Min Chain Length", 0, 200, 20),
    Slider(PARAM_MIN_SHAPE_AREA, "Min Shape Area", 0, 5000, 0),
    Slider(PARAM_SPUR_PRUNE, "Spur Prune (px)", 0, 50, 0),
    Checkbox(PARAM_USE_BEZIER_FIT, "Use Bezier Fit", false, "Smooth curves + smaller exports"),
    Slider(PARAM_FIT_TOLERANCE, "Fit Tolerance (x0.1 px)", 5, 100, 25),
    Slider(PARAM_SUBDIVIDE, "Subdivide (smoothness)", 0, 4, 0),
    Checkbox(PARAM_SMART_JUNCTION_TRACING, "Smart Junction Tracing", true,
             "Curvature continuation + re-entry detection at branch nodes (fixes wrong loop direction)"),
    Slider(PARAM_JUNCTION_CURVATURE_BIAS, "Junction Curvature Bias", -100, 100, 0),
    GroupEnd(PARAM_SKELETON_CLEANUP_GROUP_END),

    GroupStart(PARAM_CHAIN_SELECTION_GROUP, "Chain Selection"),
    Checkbox(PARAM_PREVIEW_CHAINS, "Preview Chains", false, "Color-coded chain view + numbered labels"),
    Point(PARAM_START_POINT, "Start Point"),
    Button(PARAM_REVERSE_SELECTED, "Reverse Selected", "<-> Reverse Selected Chains"),
    Checkbox(PARAM_AUTO_FLIP_ON_MERGE, "Auto-Flip On Merge", true, "Reverse one chain so endpoints meet cleanly"),
    Slider(PARAM_TARGET_POSITION, "Target Position (1-99)", 0, 99, 0),
    Button(PARAM_SET_ORDER, "Set Order", "Commit selected chain to Target Position"),
    Button(PARAM_CLEAR_ORDER, "Clear Order", "Reset all manual draw ordering"),
    GroupEnd(PARAM_CHAIN_SELECTION_GROUP_END),

    GroupStart(PARAM_MERGE_OPERATIONS_GROUP, "Merge Operations"),
    Checkbox(PARAM_MERGE_BY_SHAPE, "Merge by Shape (retrace)", false,
             "One continuous stroke per connected shape/glyph; retraces ink at branches"),
    Checkbox(PARAM_DIRECTIONAL_START, "Directional Start (writing dir)", false,
             "Each shape starts at its extreme point toward the Start Point (drag Start Point to the side you "
             "write FROM: far-left for LTR, far-right for RTL). Off = start at point nearest the Start Point."),
    Slider(PARAM_SLOT1_CHAIN_A, "Slot 1 - Chain A (0=off)", 0, 99, 0),
    Slider(PARAM_SLOT1_CHAIN_B, "Slot 1 - Chain B (0=off)", 0, 99, 0),
    Slider(PARAM_SLOT2_CHAIN_A, "Slot 2 - Chain A (0=off)", 0, 99, 0),
    Slider(PARAM_SLOT2_CHAIN_B, "Slot 2 - Chain B (0=off)", 0, 99, 0),
    Slider(PARAM_SLOT3_CHAIN_A, "Slot 3 - Chain A (0=off)", 0, 99, 0),
    Slider(PARAM_SLOT3_CHAIN_B, "Slot 3 - Chain B (0=off)", 0, 99, 0),
    Slider(PARAM_SLOT4_CHAIN_A, "Slot 4 - Chain A (0=off)", 0, 99, 0),
    Slider(PARAM_SLOT4_CHAIN_B, "Slot 4 - Chain B (0=off)", 0, 99, 0),
    Slider(PARAM_SLOT5_CHAIN_A, "Slot 5 - Chain A (0=off)", 0, 99, 0),
    Slider(PARAM_SLOT5_CHAIN_B, "Slot 5 - Chain B (0=off)", 0, 99, 0),
    Slider(PARAM_REV_SLOT1, "Rev Slot 1 (0=off)", 0, 99, 0),
    Slider(PARAM_REV_SLOT2, "Rev Slot 2 (0=off)", 0, 99, 0),
    Slider(PARAM_REV_SLOT3, "Rev Slot 3 (0=off)", 0, 99, 0),
    Slider(PARAM_REV_SLOT4, "Rev Slot 4 (0=off)", 0, 99, 0),
    Slider(PARAM_REV_SLOT5, "Rev Slot 5 (0=off)", 0, 99, 0),
    GroupEnd(PARAM_MERGE_OPERATIONS_GROUP_END),

    GroupStart(PARAM_WIDTH_POINTS_GROUP, "Width Points"),
    Point(PARAM_WP1_POSITION, "WP 1 Position"),
    Slider(PARAM_WP1_WIDTH, "WP 1 Width (0=off)", 0, 100, 0),
    Point(PARAM_WP2_POSITION, "WP 2 Position"),
    Slider(PARAM_WP2_WIDTH, "WP 2 Width (0=off)", 0, 100, 0),
    Point(PARAM_WP3_POSITION, "WP 3 Position"),
    Slider(PARAM_WP3_WIDTH, "WP 3 Width (0=off)", 0, 100, 0),
    Point(PARAM_WP4_POSITION, "WP 4 Position"),
    Slider(PARAM_WP4_WIDTH, "WP 4 Width (0=off)", 0, 100, 0),
    Point(PARAM_WP5_POSITION, "WP 5 Position"),
    Slider(PARAM_WP5_WIDTH, "WP 5 Width (0=off)", 0, 100, 0),
    Point(PARAM_WP6_POSITION, "WP 6 Position"),
    Slider(PARAM_WP6_WIDTH, "WP 6 Width (0=off)", 0, 100, 0),
    Point(PARAM_WP7_POSITION, "WP 7 Position"),
    Slider(PARAM_WP7_WIDTH, "WP 7 Width (0=off)", 0, 100, 0),
    Point(PARAM_WP8_POSITION, "WP 8 Position"),
    Slider(PARAM_WP8_WIDTH, "WP 8 Width (0=off)", 0, 100, 0),
    GroupEnd(PARAM_WIDTH_POINTS_GROUP_END),

    GroupStart(PARAM_DASH_PATTERN_GROUP, "Dash Pattern"),
    Checkbox(PARAM_ENABLE_DASHES, "Enable Dashes", false, "Draw stroke as animated dashes"),
    Slider(PARAM_DASH_LENGTH, "Dash Length (px)", 1, 500, 20),
    Slider(PARAM_GAP_LENGTH, "Gap Length (px)", 0, 500, 10),
    Slider(PARAM_DASH_OFFSET, "Offset (px) - animate for march", 0, 1000, 0),
    GroupEnd(PARAM_DASH_PATTERN_GROUP_END),

    GroupStart(PARAM_STROKE_TEXTURE_GROUP, "Stroke Texture"),
    Slider(PARAM_ROUGHNESS_AMOUNT, "Roughness Amount", 0, 100, 0),
    Slider(PARAM_ROUGHNESS_SCALE, "Roughness Scale", 1, 200, 20),
    GroupEnd(PARAM_STROKE_TEXTURE_GROUP_END),

    GroupStart(PARAM_PARTICLES_GROUP, "Particles"),
    Checkbox(PARAM_ENABLE_PARTICLES, "Enable Particles", false, "Emit dots along revealed stroke"),
    Slider(PARAM_PARTICLE_DENSITY, "Density (per 100px)", 1, 100, 10),
    Slider(PARAM_PARTICLE_SIZE, "Size (px radius)", 1, 30, 3),
    Slider(PARAM_PARTICLE_SCATTER, "Scatter (px)", 0, 100, 5),
    Slider(PARAM_PARTICLE_OPACITY, "Opacity (%)", 0, 100, 80),
    Checkbox(PARAM_TIP_MODE, "Tip Mode", false, "Particles only near stroke tip (sparks effect)"),
    Slider(PARAM_TIP_WINDOW, "Tip Window (px)", 10, 500, 80),
    Checkbox(PARAM_CUSTOM_COLOR, "Custom Color", false, "Use custom color instead of stroke color"),
    Color(PARAM_PARTICLE_COLOR, "Color", 255, 220, 80),
    Color(PARAM_TRAIL_COLOR, "Trail Color (Tip Mode)", 255, 80, 20),
    Checkbox(PARAM_RANDOM_COLORS, "Random Colors", false, "Each particle gets a unique random hue"),
    Slider(PARAM_FLOW_DIRECTION, "Flow Direction (%)", 0, 100, 0),
    Slider(PARAM_TURBULENCE, "Turbulence (%)", 0, 100, 0),
    Slider(PARAM_TIP_SCATTER_FALLOFF, "Tip Scatter Falloff (%)", 0, 100, 0),
    GroupEnd(PARAM_PARTICLES_GROUP_END),

    GroupStart(PARAM_MULTI_STROKE_GROUP, "Multi-Stroke"),
    Checkbox(PARAM_MULTI_STROKE_ENABLE, "Enable", false, "Draw concentric ring around stroke"),
    Checkbox(PARAM_OUTLINE_ONLY, "Outline Only", false, "Hide fill, show ring only (hollow)"),
    Slider(PARAM_MULTI_STROKE_GAP, "Gap (px)", 0, 50, 2),
    Slider(PARAM_RING_WIDTH, "Ring Width (px)", 1, 50, 3),
    Color(PARAM_RING_COLOR, "Ring Color", 255, 255, 255),
    GroupEnd(PARAM_MULTI_STROKE_GROUP_END),

    GroupStart(PARAM_PEN_NIB_GROUP, "Pen Nib"),
    Checkbox(PARAM_NIB_SIMULATION, "Nib Simulation", false,
             "Broad-edge pen: width follows the angle between stroke and nib"),
    Angle(PARAM_NIB_ANGLE, "Nib Angle", 45),
    Slider(PARAM_MIN_WIDTH, "Min Width (%)", 0, 100, 15),
    GroupEnd(PARAM_PEN_NIB_GROUP_END),

    HiddenData(PARAM_CHAIN_SELECTION, "Chain Selection"),
    HiddenData(PARAM_DRAW_ORDER, "Draw Order"),

    GroupStart(PARAM_EXPORT_GROUP, "Export"),
    Button(PARAM_EXPORT_PATHS, "Export Paths (JSON)", "Export JSON"),
    Button(PARAM_EXPORT_SVG, "Export SVG", "Export SVG"),
    Button(PARAM_CREATE_SHAPE_LAYER, "Create Shape Layer", "Create Shape Layer"),
    Button(PARAM_BLEND_SELECTED, "Blend Selected", "Blend Selected Chains"),
    GroupEnd(PARAM_EXPORT_GROUP_END),
}};

// The table is indexed by id - 1; a misplaced row would shift every id.
static_assert([] {
  for (size_t i = 0; i < kParamDefinitions.size(); ++i) {
    if (kParamDefinitions[i].id != static_cast<int32_t>(i) + 1) return false;
  }
  return true;
}());

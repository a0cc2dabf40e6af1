// The effect's parameter table: one row per parameter, in the order of
// definition, with the name of its id and what the host is told about it.
// Everything else derives from these rows: the ids (model/param_ids.h) and
// the definitions handed to the host (model/param_definitions.cpp).
//
// A parameter's id is its position in the table, counted from 1 (id 0 is the
// input layer, which the host supplies). Saved projects and the host refer to
// parameters by id, so a row is never moved, inserted or removed.
//
// The kinds, and what a row of each gives:
//   GroupStart(label), GroupEnd()
//   Slider(label, minimum, maximum, default): an integer; the slider spans the valid range
//   FloatSlider(label, valid maximum, slider maximum, default): both ranges start at 0
//   Checkbox(label, on, box text)
//   Popup(label, number of choices, "choice|choice|..."): the first choice is the default
//   Color(label, red, green, blue): opaque
//   Point(label): defaults to the centre of the layer
//   Angle(label, default in degrees)
//   Layer(label): defaults to none
//   Button(label, button text)
//   HiddenData(label): a block the effect saves; no control, cannot vary over time
#pragma once

// Expands ROW(id, definition) once per parameter, in id order; each use
// defines ROW to take from a row what it needs.
#define SPINDREL_PARAM_TABLE(ROW)                                                                               \
  ROW(PARAM_SOURCE_GROUP,               GroupStart("Source"))                                                   \
  ROW(PARAM_THRESHOLD,                  Slider("Threshold", 0, 255, 128))                                       \
  ROW(PARAM_CHANNEL,                    Popup("Channel", 5, "Luminance|Red|Green|Blue|Alpha"))                  \
  ROW(PARAM_INVERT_INPUT,               Checkbox("Invert Input", false, ""))                                    \
  ROW(PARAM_MAP_LAYER,                  Layer("Map Layer (optional)"))                                          \
  ROW(PARAM_SOURCE_GROUP_END,           GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_OUTPUT_STYLE_GROUP,         GroupStart("Output Style"))                                             \
  ROW(PARAM_LINE_WIDTH,                 Slider("Line Width", 1, 100, 2))                                        \
  ROW(PARAM_LINE_COLOR,                 Color("Line Color", 255, 255, 255))                                     \
  ROW(PARAM_LINE_COLOR_END,             Color("Line Color End", 255, 255, 255))                                 \
  ROW(PARAM_USE_GRADIENT,               Checkbox("Use Gradient", false,                                         \
      "Ramp Line Color \xE2\x86\x92 Line Color End"))                                                           \
  ROW(PARAM_MATCH_ORIGINAL_WIDTH,       Checkbox("Match Original Width", false,                                 \
      "Variable width via distance transform"))                                                                 \
  ROW(PARAM_WIDTH_SCALE,                Slider("Width Scale (%)", 0, 300, 100))                                 \
  ROW(PARAM_TAPER,                      Slider("Taper (0=flat, 100=tips)", 0, 100, 0))                          \
  ROW(PARAM_LINE_CAP,                   Popup("Line Cap", 2, "Round|Flat"))                                     \
  ROW(PARAM_COMPOSITE_ON_ORIGINAL,      Checkbox("Composite on Original", false, ""))                           \
  ROW(PARAM_REVEAL_ORIGINAL_IMAGE,      Checkbox("Reveal Original Image", false,                                \
      "Paint source pixels through stroke path (alpha-matte reveal)"))                                          \
  ROW(PARAM_OPACITY,                    Slider("Opacity (%)", 0, 100, 100))                                     \
  ROW(PARAM_OUTPUT_STYLE_GROUP_END,     GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_ANIMATION_GROUP,            GroupStart("Animation"))                                                \
  ROW(PARAM_REVEAL_PROGRESS,            FloatSlider("Reveal Progress (%)", 100.0f, 100.0f, 100.0f))             \
  ROW(PARAM_CHAIN_STAGGER,              Slider("Chain Stagger (%)", 0, 100, 0))                                 \
  ROW(PARAM_PATH_OFFSET,                FloatSlider("Path Offset (%)", 100.0f, 99999.0f, 0.0f))                 \
  ROW(PARAM_NATURAL_SPEED,              Checkbox("Natural Speed", false,                                        \
      "Curvature-based reveal easing: pen slows through turns, speeds up on straights"))                        \
  ROW(PARAM_SPEED_EASE_AMOUNT,          Slider("Speed Ease Amount (%)", 0, 100, 60))                            \
  ROW(PARAM_ANIMATION_GROUP_END,        GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_SKELETON_CLEANUP_GROUP,     GroupStart("Skeleton Cleanup"))                                         \
  ROW(PARAM_SMOOTH_ITERATIONS,          Slider("Smooth Iterations", 0, 5, 1))                                   \
  ROW(PARAM_GAP_CLOSE,                  Slider("Gap Close (px)", 0, 100, 20))                                   \
  ROW(PARAM_MIN_CHAIN_LENGTH,           Slider("Min Chain Length", 0, 200, 20))                                 \
  ROW(PARAM_MIN_SHAPE_AREA,             Slider("Min Shape Area", 0, 5000, 0))                                   \
  ROW(PARAM_SPUR_PRUNE,                 Slider("Spur Prune (px)", 0, 50, 0))                                    \
  ROW(PARAM_USE_BEZIER_FIT,             Checkbox("Use Bezier Fit", false, "Smooth curves + smaller exports"))   \
  ROW(PARAM_FIT_TOLERANCE,              Slider("Fit Tolerance (x0.1 px)", 5, 100, 25))                          \
  ROW(PARAM_SUBDIVIDE,                  Slider("Subdivide (smoothness)", 0, 4, 0))                              \
  ROW(PARAM_SMART_JUNCTION_TRACING,     Checkbox("Smart Junction Tracing", true,                                \
      "Curvature continuation + re-entry detection at branch nodes (fixes wrong loop direction)"))              \
  ROW(PARAM_JUNCTION_CURVATURE_BIAS,    Slider("Junction Curvature Bias", -100, 100, 0))                        \
  ROW(PARAM_SKELETON_CLEANUP_GROUP_END, GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_CHAIN_SELECTION_GROUP,      GroupStart("Chain Selection"))                                          \
  ROW(PARAM_PREVIEW_CHAINS,             Checkbox("Preview Chains", false,                                       \
      "Color-coded chain view + numbered labels"))                                                              \
  ROW(PARAM_START_POINT,                Point("Start Point"))                                                   \
  ROW(PARAM_REVERSE_SELECTED,           Button("Reverse Selected", "<-> Reverse Selected Chains"))              \
  ROW(PARAM_AUTO_FLIP_ON_MERGE,         Checkbox("Auto-Flip On Merge", true,                                    \
      "Reverse one chain so endpoints meet cleanly"))                                                           \
  ROW(PARAM_TARGET_POSITION,            Slider("Target Position (1-99)", 0, 99, 0))                             \
  ROW(PARAM_SET_ORDER,                  Button("Set Order", "Commit selected chain to Target Position"))        \
  ROW(PARAM_CLEAR_ORDER,                Button("Clear Order", "Reset all manual draw ordering"))                \
  ROW(PARAM_CHAIN_SELECTION_GROUP_END,  GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_MERGE_OPERATIONS_GROUP,     GroupStart("Merge Operations"))                                         \
  ROW(PARAM_MERGE_BY_SHAPE,             Checkbox("Merge by Shape (retrace)", false,                             \
      "One continuous stroke per connected shape/glyph; retraces ink at branches"))                             \
  ROW(PARAM_DIRECTIONAL_START,          Checkbox("Directional Start (writing dir)", false,                      \
      "Each shape starts at its extreme point toward the Start Point (drag Start Point to the side you write "  \
      "FROM: far-left for LTR, far-right for RTL). Off = start at point nearest the Start Point."))             \
  ROW(PARAM_SLOT1_CHAIN_A,              Slider("Slot 1 - Chain A (0=off)", 0, 99, 0))                           \
  ROW(PARAM_SLOT1_CHAIN_B,              Slider("Slot 1 - Chain B (0=off)", 0, 99, 0))                           \
  ROW(PARAM_SLOT2_CHAIN_A,              Slider("Slot 2 - Chain A (0=off)", 0, 99, 0))                           \
  ROW(PARAM_SLOT2_CHAIN_B,              Slider("Slot 2 - Chain B (0=off)", 0, 99, 0))                           \
  ROW(PARAM_SLOT3_CHAIN_A,              Slider("Slot 3 - Chain A (0=off)", 0, 99, 0))                           \
  ROW(PARAM_SLOT3_CHAIN_B,              Slider("Slot 3 - Chain B (0=off)", 0, 99, 0))                           \
  ROW(PARAM_SLOT4_CHAIN_A,              Slider("Slot 4 - Chain A (0=off)", 0, 99, 0))                           \
  ROW(PARAM_SLOT4_CHAIN_B,              Slider("Slot 4 - Chain B (0=off)", 0, 99, 0))                           \
  ROW(PARAM_SLOT5_CHAIN_A,              Slider("Slot 5 - Chain A (0=off)", 0, 99, 0))                           \
  ROW(PARAM_SLOT5_CHAIN_B,              Slider("Slot 5 - Chain B (0=off)", 0, 99, 0))                           \
  ROW(PARAM_REV_SLOT1,                  Slider("Rev Slot 1 (0=off)", 0, 99, 0))                                 \
  ROW(PARAM_REV_SLOT2,                  Slider("Rev Slot 2 (0=off)", 0, 99, 0))                                 \
  ROW(PARAM_REV_SLOT3,                  Slider("Rev Slot 3 (0=off)", 0, 99, 0))                                 \
  ROW(PARAM_REV_SLOT4,                  Slider("Rev Slot 4 (0=off)", 0, 99, 0))                                 \
  ROW(PARAM_REV_SLOT5,                  Slider("Rev Slot 5 (0=off)", 0, 99, 0))                                 \
  ROW(PARAM_MERGE_OPERATIONS_GROUP_END, GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_WIDTH_POINTS_GROUP,         GroupStart("Width Points"))                                             \
  ROW(PARAM_WP1_POSITION,               Point("WP 1 Position"))                                                 \
  ROW(PARAM_WP1_WIDTH,                  Slider("WP 1 Width (0=off)", 0, 100, 0))                                \
  ROW(PARAM_WP2_POSITION,               Point("WP 2 Position"))                                                 \
  ROW(PARAM_WP2_WIDTH,                  Slider("WP 2 Width (0=off)", 0, 100, 0))                                \
  ROW(PARAM_WP3_POSITION,               Point("WP 3 Position"))                                                 \
  ROW(PARAM_WP3_WIDTH,                  Slider("WP 3 Width (0=off)", 0, 100, 0))                                \
  ROW(PARAM_WP4_POSITION,               Point("WP 4 Position"))                                                 \
  ROW(PARAM_WP4_WIDTH,                  Slider("WP 4 Width (0=off)", 0, 100, 0))                                \
  ROW(PARAM_WP5_POSITION,               Point("WP 5 Position"))                                                 \
  ROW(PARAM_WP5_WIDTH,                  Slider("WP 5 Width (0=off)", 0, 100, 0))                                \
  ROW(PARAM_WP6_POSITION,               Point("WP 6 Position"))                                                 \
  ROW(PARAM_WP6_WIDTH,                  Slider("WP 6 Width (0=off)", 0, 100, 0))                                \
  ROW(PARAM_WP7_POSITION,               Point("WP 7 Position"))                                                 \
  ROW(PARAM_WP7_WIDTH,                  Slider("WP 7 Width (0=off)", 0, 100, 0))                                \
  ROW(PARAM_WP8_POSITION,               Point("WP 8 Position"))                                                 \
  ROW(PARAM_WP8_WIDTH,                  Slider("WP 8 Width (0=off)", 0, 100, 0))                                \
  ROW(PARAM_WIDTH_POINTS_GROUP_END,     GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_DASH_PATTERN_GROUP,         GroupStart("Dash Pattern"))                                             \
  ROW(PARAM_ENABLE_DASHES,              Checkbox("Enable Dashes", false, "Draw stroke as animated dashes"))     \
  ROW(PARAM_DASH_LENGTH,                Slider("Dash Length (px)", 1, 500, 20))                                 \
  ROW(PARAM_GAP_LENGTH,                 Slider("Gap Length (px)", 0, 500, 10))                                  \
  ROW(PARAM_DASH_OFFSET,                Slider("Offset (px) - animate for march", 0, 1000, 0))                  \
  ROW(PARAM_DASH_PATTERN_GROUP_END,     GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_STROKE_TEXTURE_GROUP,       GroupStart("Stroke Texture"))                                           \
  ROW(PARAM_ROUGHNESS_AMOUNT,           Slider("Roughness Amount", 0, 100, 0))                                  \
  ROW(PARAM_ROUGHNESS_SCALE,            Slider("Roughness Scale", 1, 200, 20))                                  \
  ROW(PARAM_STROKE_TEXTURE_GROUP_END,   GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_PARTICLES_GROUP,            GroupStart("Particles"))                                                \
  ROW(PARAM_ENABLE_PARTICLES,           Checkbox("Enable Particles", false, "Emit dots along revealed stroke")) \
  ROW(PARAM_PARTICLE_DENSITY,           Slider("Density (per 100px)", 1, 100, 10))                              \
  ROW(PARAM_PARTICLE_SIZE,              Slider("Size (px radius)", 1, 30, 3))                                   \
  ROW(PARAM_PARTICLE_SCATTER,           Slider("Scatter (px)", 0, 100, 5))                                      \
  ROW(PARAM_PARTICLE_OPACITY,           Slider("Opacity (%)", 0, 100, 80))                                      \
  ROW(PARAM_TIP_MODE,                   Checkbox("Tip Mode", false,                                             \
      "Particles only near stroke tip (sparks effect)"))                                                        \
  ROW(PARAM_TIP_WINDOW,                 Slider("Tip Window (px)", 10, 500, 80))                                 \
  ROW(PARAM_CUSTOM_COLOR,               Checkbox("Custom Color", false,                                         \
      "Use custom color instead of stroke color"))                                                              \
  ROW(PARAM_PARTICLE_COLOR,             Color("Color", 255, 220, 80))                                           \
  ROW(PARAM_TRAIL_COLOR,                Color("Trail Color (Tip Mode)", 255, 80, 20))                           \
  ROW(PARAM_RANDOM_COLORS,              Checkbox("Random Colors", false,                                        \
      "Each particle gets a unique random hue"))                                                                \
  ROW(PARAM_FLOW_DIRECTION,             Slider("Flow Direction (%)", 0, 100, 0))                                \
  ROW(PARAM_TURBULENCE,                 Slider("Turbulence (%)", 0, 100, 0))                                    \
  ROW(PARAM_TIP_SCATTER_FALLOFF,        Slider("Tip Scatter Falloff (%)", 0, 100, 0))                           \
  ROW(PARAM_PARTICLES_GROUP_END,        GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_MULTI_STROKE_GROUP,         GroupStart("Multi-Stroke"))                                             \
  ROW(PARAM_MULTI_STROKE_ENABLE,        Checkbox("Enable", false, "Draw concentric ring around stroke"))        \
  ROW(PARAM_OUTLINE_ONLY,               Checkbox("Outline Only", false, "Hide fill, show ring only (hollow)"))  \
  ROW(PARAM_MULTI_STROKE_GAP,           Slider("Gap (px)", 0, 50, 2))                                           \
  ROW(PARAM_RING_WIDTH,                 Slider("Ring Width (px)", 1, 50, 3))                                    \
  ROW(PARAM_RING_COLOR,                 Color("Ring Color", 255, 255, 255))                                     \
  ROW(PARAM_MULTI_STROKE_GROUP_END,     GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_PEN_NIB_GROUP,              GroupStart("Pen Nib"))                                                  \
  ROW(PARAM_NIB_SIMULATION,             Checkbox("Nib Simulation", false,                                       \
      "Broad-edge pen: width follows the angle between stroke and nib"))                                        \
  ROW(PARAM_NIB_ANGLE,                  Angle("Nib Angle", 45))                                                 \
  ROW(PARAM_MIN_WIDTH,                  Slider("Min Width (%)", 0, 100, 15))                                    \
  ROW(PARAM_PEN_NIB_GROUP_END,          GroupEnd())                                                             \
                                                                                                                \
  ROW(PARAM_CHAIN_SELECTION,            HiddenData("Chain Selection"))                                          \
  ROW(PARAM_DRAW_ORDER,                 HiddenData("Draw Order"))                                               \
                                                                                                                \
  ROW(PARAM_EXPORT_GROUP,               GroupStart("Export"))                                                   \
  ROW(PARAM_EXPORT_PATHS,               Button("Export Paths (JSON)", "Export JSON"))                           \
  ROW(PARAM_EXPORT_SVG,                 Button("Export SVG", "Export SVG"))                                     \
  ROW(PARAM_CREATE_SHAPE_LAYER,         Button("Create Shape Layer", "Create Shape Layer"))                     \
  ROW(PARAM_BLEND_SELECTED,             Button("Blend Selected", "Blend Selected Chains"))                      \
  ROW(PARAM_EXPORT_GROUP_END,           GroupEnd())

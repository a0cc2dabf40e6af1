// Parameter ids: the position of each parameter in the order of definition.
// Id 0 is the input layer, which the host supplies. The same number indexes
// the parameter array of every command.
#pragma once

#include <cstdint>

constexpr int32_t PARAM_INPUT = 0;
constexpr int32_t PARAM_SOURCE_GROUP = 1;
constexpr int32_t PARAM_THRESHOLD = 2;
constexpr int32_t PARAM_CHANNEL = 3;
constexpr int32_t PARAM_INVERT_INPUT = 4;
constexpr int32_t PARAM_MAP_LAYER = 5;
constexpr int32_t PARAM_SOURCE_GROUP_END = 6;
constexpr int32_t PARAM_OUTPUT_STYLE_GROUP = 7;
constexpr int32_t PARAM_LINE_WIDTH = 8;
constexpr int32_t PARAM_LINE_COLOR = 9;
constexpr int32_t PARAM_LINE_COLOR_END = 10;
constexpr int32_t PARAM_USE_GRADIENT = 11;
constexpr int32_t PARAM_MATCH_ORIGINAL_WIDTH = 12;
constexpr int32_t PARAM_WIDTH_SCALE = 13;
constexpr int32_t PARAM_TAPER = 14;
constexpr int32_t PARAM_LINE_CAP = 15;
constexpr int32_t PARAM_COMPOSITE_ON_ORIGINAL = 16;
constexpr int32_t PARAM_REVEAL_ORIGINAL_IMAGE = 17;
constexpr int32_t PARAM_OPACITY = 18;
constexpr int32_t PARAM_OUTPUT_STYLE_GROUP_END = 19;
constexpr int32_t PARAM_ANIMATION_GROUP = 20;
constexpr int32_t PARAM_REVEAL_PROGRESS = 21;
constexpr int32_t PARAM_CHAIN_STAGGER = 22;
constexpr int32_t PARAM_PATH_OFFSET = 23;
constexpr int32_t PARAM_NATURAL_SPEED = 24;
constexpr int32_t PARAM_SPEED_EASE_AMOUNT = 25;
constexpr int32_t PARAM_ANIMATION_GROUP_END = 26;
constexpr int32_t PARAM_SKELETON_CLEANUP_GROUP = 27;
constexpr int32_t PARAM_SMOOTH_ITERATIONS = 28;
constexpr int32_t PARAM_GAP_CLOSE = 29;
constexpr int32_t PARAM_MIN_CHAIN_LENGTH = 30;
constexpr int32_t PARAM_MIN_SHAPE_AREA = 31;
constexpr int32_t PARAM_SPUR_PRUNE = 32;
constexpr int32_t PARAM_USE_BEZIER_FIT = 33;
constexpr int32_t PARAM_FIT_TOLERANCE = 34;
constexpr int32_t PARAM_SUBDIVIDE = 35;
constexpr int32_t PARAM_SMART_JUNCTION_TRACING = 36;
constexpr int32_t PARAM_JUNCTION_CURVATURE_BIAS = 37;
constexpr int32_t PARAM_SKELETON_CLEANUP_GROUP_END = 38;
constexpr int32_t PARAM_CHAIN_SELECTION_GROUP = 39;
constexpr int32_t PARAM_PREVIEW_CHAINS = 40;
constexpr int32_t PARAM_START_POINT = 41;
constexpr int32_t PARAM_REVERSE_SELECTED = 42;
constexpr int32_t PARAM_AUTO_FLIP_ON_MERGE = 43;
constexpr int32_t PARAM_TARGET_POSITION = 44;
constexpr int32_t PARAM_SET_ORDER = 45;
constexpr int32_t PARAM_CLEAR_ORDER = 46;
constexpr int32_t PARAM_CHAIN_SELECTION_GROUP_END = 47;
constexpr int32_t PARAM_MERGE_OPERATIONS_GROUP = 48;
constexpr int32_t PARAM_MERGE_BY_SHAPE = 49;
constexpr int32_t PARAM_DIRECTIONAL_START = 50;
constexpr int32_t PARAM_SLOT1_CHAIN_A = 51;
constexpr int32_t PARAM_SLOT1_CHAIN_B = 52;
constexpr int32_t PARAM_SLOT2_CHAIN_A = 53;
constexpr int32_t PARAM_SLOT2_CHAIN_B = 54;
constexpr int32_t PARAM_SLOT3_CHAIN_A = 55;
constexpr int32_t PARAM_SLOT3_CHAIN_B = 56;
constexpr int32_t PARAM_SLOT4_CHAIN_A = 57;
constexpr int32_t PARAM_SLOT4_CHAIN_B = 58;
constexpr int32_t PARAM_SLOT5_CHAIN_A = 59;
constexpr int32_t PARAM_SLOT5_CHAIN_B = 60;
constexpr int32_t PARAM_REV_SLOT1 = 61;
constexpr int32_t PARAM_REV_SLOT2 = 62;
constexpr int32_t PARAM_REV_SLOT3 = 63;
constexpr int32_t PARAM_REV_SLOT4 = 64;
constexpr int32_t PARAM_REV_SLOT5 = 65;
constexpr int32_t PARAM_MERGE_OPERATIONS_GROUP_END = 66;
constexpr int32_t PARAM_WIDTH_POINTS_GROUP = 67;
constexpr int32_t PARAM_WP1_POSITION = 68;
constexpr int32_t PARAM_WP1_WIDTH = 69;
constexpr int32_t PARAM_WP2_POSITION = 70;
constexpr int32_t PARAM_WP2_WIDTH = 71;
constexpr int32_t PARAM_WP3_POSITION = 72;
constexpr int32_t PARAM_WP3_WIDTH = 73;
constexpr int32_t PARAM_WP4_POSITION = 74;
constexpr int32_t PARAM_WP4_WIDTH = 75;
constexpr int32_t PARAM_WP5_POSITION = 76;
constexpr int32_t PARAM_WP5_WIDTH = 77;
constexpr int32_t PARAM_WP6_POSITION = 78;
constexpr int32_t PARAM_WP6_WIDTH = 79;
constexpr int32_t PARAM_WP7_POSITION = 80;
constexpr int32_t PARAM_WP7_WIDTH = 81;
constexpr int32_t PARAM_WP8_POSITION = 82;
constexpr int32_t PARAM_WP8_WIDTH = 83;
constexpr int32_t PARAM_WIDTH_POINTS_GROUP_END = 84;
constexpr int32_t PARAM_DASH_PATTERN_GROUP = 85;
constexpr int32_t PARAM_ENABLE_DASHES = 86;
constexpr int32_t PARAM_DASH_LENGTH = 87;
constexpr int32_t PARAM_GAP_LENGTH = 88;
constexpr int32_t PARAM_DASH_OFFSET = 89;
constexpr int32_t PARAM_DASH_PATTERN_GROUP_END = 90;
constexpr int32_t PARAM_STROKE_TEXTURE_GROUP = 91;
constexpr int32_t PARAM_ROUGHNESS_AMOUNT = 92;
constexpr int32_t PARAM_ROUGHNESS_SCALE = 93;
constexpr int32_t PARAM_STROKE_TEXTURE_GROUP_END = 94;
constexpr int32_t PARAM_PARTICLES_GROUP = 95;
constexpr int32_t PARAM_ENABLE_PARTICLES = 96;
constexpr int32_t PARAM_PARTICLE_DENSITY = 97;
constexpr int32_t PARAM_PARTICLE_SIZE = 98;
constexpr int32_t PARAM_PARTICLE_SCATTER = 99;
constexpr int32_t PARAM_PARTICLE_OPACITY = 100;
constexpr int32_t PARAM_TIP_MODE = 101;
constexpr int32_t PARAM_TIP_WINDOW = 102;
constexpr int32_t PARAM_CUSTOM_COLOR = 103;
constexpr int32_t PARAM_PARTICLE_COLOR = 104;
constexpr int32_t PARAM_TRAIL_COLOR = 105;
constexpr int32_t PARAM_RANDOM_COLORS = 106;
constexpr int32_t PARAM_FLOW_DIRECTION = 107;
constexpr int32_t PARAM_TURBULENCE = 108;
constexpr int32_t PARAM_TIP_SCATTER_FALLOFF = 109;
constexpr int32_t PARAM_PARTICLES_GROUP_END = 110;
constexpr int32_t PARAM_MULTI_STROKE_GROUP = 111;
constexpr int32_t PARAM_MULTI_STROKE_ENABLE = 112;
constexpr int32_t PARAM_OUTLINE_ONLY = 113;
constexpr int32_t PARAM_MULTI_STROKE_GAP = 114;
constexpr int32_t PARAM_RING_WIDTH = 115;
constexpr int32_t PARAM_RING_COLOR = 116;
constexpr int32_t PARAM_MULTI_STROKE_GROUP_END = 117;
constexpr int32_t PARAM_PEN_NIB_GROUP = 118;
constexpr int32_t PARAM_NIB_SIMULATION = 119;
constexpr int32_t PARAM_NIB_ANGLE = 120;
constexpr int32_t PARAM_MIN_WIDTH = 121;
constexpr int32_t PARAM_PEN_NIB_GROUP_END = 122;
constexpr int32_t PARAM_CHAIN_SELECTION = 123;
constexpr int32_t PARAM_DRAW_ORDER = 124;
constexpr int32_t PARAM_EXPORT_GROUP = 125;
constexpr int32_t PARAM_EXPORT_PATHS = 126;
constexpr int32_t PARAM_EXPORT_SVG = 127;
constexpr int32_t PARAM_CREATE_SHAPE_LAYER = 128;
constexpr int32_t PARAM_BLEND_SELECTED = 129;
constexpr int32_t PARAM_EXPORT_GROUP_END = 130;

constexpr int32_t kParamCount = 130;      // parameters the effect defines
constexpr int32_t kParamCountWithInput = 131;  // what the host is told

// Merge slots (a Chain A and Chain B slider each) and reverse slots come in
// the same number; so do the width points (a position and a width each).
// Their parameters are laid out one after the other, so the n-th (0-based)
// has the id of the first plus n (reverse slots) or 2n (the pairs).
constexpr int32_t kMergeSlotCount = 5;
constexpr int32_t kWidthPointCount = 8;
static_assert(PARAM_SLOT1_CHAIN_A + 2 * kMergeSlotCount == PARAM_REV_SLOT1);
static_assert(PARAM_REV_SLOT1 + kMergeSlotCount == PARAM_MERGE_OPERATIONS_GROUP_END);
static_assert(PARAM_WP1_POSITION + 2 * kWidthPointCount == PARAM_WIDTH_POINTS_GROUP_END);

// The converted parameter values of one render: what every stage after the
// parameter array reads, as plain values.
#pragma once

#include <cstdint>

#include "host_interface/host_frame.h"
#include "model/param_ids.h"

// Red, green, blue bytes of a colour parameter.
struct ColorRgb8 {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
};

// The enabled width points, in parameter order.
struct WidthPointEntry {
  float x = 0.0f;
  float y = 0.0f;
  float width = 0.0f;
};

struct WidthPointTable {
  int32_t count = 0;
  WidthPointEntry entries[kWidthPointCount] = {};
};

struct MergeSlot {
  int32_t chainA = 0;  // 1-based chain numbers, 0 = off
  int32_t chainB = 0;
};

struct RenderSettings {
  int32_t threshold = 128;
  int32_t channel = 1;  // 1 luminance, 2 red, 3 green, 4 blue, 5 alpha
  bool invertInput = false;

  int32_t lineWidth = 2;
  int32_t lineRadius = 1;
  HostPixel8 lineColor = {255, 255, 255, 255};  // alpha is the Opacity byte
  ColorRgb8 lineColorEnd = {255, 255, 255};
  bool useGradient = false;
  bool matchOriginalWidth = false;
  float widthScale = 1.0f;
  float taper = 0.0f;
  bool roundCap = true;
  bool compositeOnOriginal = false;
  bool revealOriginal = false;

  float revealProgress = 1.0f;
  float chainStagger = 0.0f;
  float pathOffset = 0.0f;
  bool naturalSpeed = false;
  float speedEase = 1.8f;

  int32_t smoothIterations = 1;
  float gapClose = 20.0f;
  float minChainLength = 20.0f;
  int32_t minShapeArea = 0;
  int32_t spurPrune = 0;
  bool useBezierFit = false;
  float fitTolerance = 2.5f;
  int32_t subdivide = 0;
  bool smartJunctionTracing = true;
  float junctionBias = 0.0f;

  bool previewChains = false;
  float startX = 0.0f;
  float startY = 0.0f;
  bool autoFlip = true;
  bool mergeByShape = false;
  bool directionalStart = false;
  MergeSlot mergeSlots[kMergeSlotCount] = {};
  int32_t reverseSlots[kMergeSlotCount] = {};

  WidthPointTable widthPoints;

  bool dashesEnabled = false;
  float dashLength = 20.0f;
  float dashPeriod = 30.0f;
  float dashOffset = 0.0f;

  float roughnessAmount = 0.0f;
  float roughnessScale = 0.02f;

  bool particlesEnabled = false;
  float particleSpacing = 10.0f;
  float particleSize = 3.0f;
  float particleScatter = 5.0f;
  float particleOpacity = 0.8f;
  bool tipMode = false;
  float tipWindow = 80.0f;
  bool customColor = false;
  ColorRgb8 particleColor = {255, 220, 80};
  ColorRgb8 trailColor = {255, 80, 20};
  bool randomColors = false;
  float flowDirection = 0.0f;
  float turbulence = 0.0f;
  float tipScatterFalloff = 0.0f;

  bool multiStroke = false;
  bool outlineOnly = false;
  float ringGap = 2.0f;
  float ringWidth = 3.0f;
  HostPixel8 ringColor = {255, 255, 255, 255};

  bool nibSimulation = false;
  float nibAngle = 0.0f;  // radians
  float minWidth = 0.15f;
};

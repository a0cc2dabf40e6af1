#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "host/ui/plane_transform.h"
#include "host/ui/window_events.h"
#include "host_interface/host_fixed_point.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

}  // namespace

TEST(WindowMapping, FixedPointForwardAndBackRoundHalvesAwayAndSaturate) {
  struct Case {
    PlaneTransform transform;
    HostFixedPoint in;
    HostFixedPoint forward;
    HostFixedPoint back;
  };
  const PlaneTransform identity;
  const PlaneTransform offset{10.25, -3.0, 1.0, 1.0};
  const PlaneTransform half{0.0, 0.0, 0.5, 0.5};
  const PlaneTransform placed{100.0, 50.0, 2.0, 0.25};
  const Case cases[] = {
      {identity, {-7, 123456789}, {-7, 123456789}, {-7, 123456789}},
      {identity, {kMax, kMin}, {kMax, kMin}, {kMax, kMin}},
      {offset, {65536, 0}, {11 * 65536 + 16384, -3 * 65536}, {-9 * 65536 - 16384, 3 * 65536}},
      // 3/65536 px halved is 1.5/65536: halves go away from zero, both ways.
      {half, {3, -3}, {2, -2}, {6, -6}},
      {half, {1, -1}, {1, -1}, {2, -2}},
      {placed, {10 * 65536, 8 * 65536}, {120 * 65536, 52 * 65536}, {-45 * 65536, -168 * 65536}},
      // Far outside, the result saturates instead of wrapping.
      {{0.0, 0.0, 2.0, 2.0}, {kMax, kMin}, {kMax, kMin}, {kMax / 2 + 1, kMin / 2}},
      {{-40000.0, 40000.0, 1.0, 1.0}, {kMin, kMax}, {kMin, kMax}, {473956352, -473956353}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.in.x << "," << c.in.y);
    const HostFixedPoint forward = TransformForward(c.transform, c.in);
    const HostFixedPoint back = TransformBack(c.transform, c.in);
    EXPECT_EQ(forward.x, c.forward.x);
    EXPECT_EQ(forward.y, c.forward.y);
    EXPECT_EQ(back.x, c.back.x);
    EXPECT_EQ(back.y, c.back.y);
  }
  // Back undoes forward wherever forward did not saturate.
  for (int32_t x : {-1000000, -65537, -1, 0, 1, 32768, 65535, 7777777}) {
    const HostFixedPoint there = TransformForward(placed, {x, x});
    const HostFixedPoint again = TransformBack(placed, there);
    EXPECT_EQ(again.x, x);
    EXPECT_NEAR(again.y, x, 2);  // y shrinks by 4: two fixed steps may be lost
  }
  EXPECT_EQ(RoundToFixedSaturated(std::nan("")), 0);
  EXPECT_EQ(RoundToFixedSaturated(INFINITY), kMax);
  EXPECT_EQ(RoundToFixedSaturated(-INFINITY), kMin);
  EXPECT_EQ(RoundToFixedSaturated(-0.5 / 65536), -1);
  EXPECT_TRUE(IsUsableTransform(placed));
  for (const PlaneTransform& bad : {PlaneTransform{0, 0, 0, 1}, PlaneTransform{0, 0, 1, -2},
                                    PlaneTransform{NAN, 0, 1, 1}, PlaneTransform{0, 0, INFINITY, 1}}) {
    EXPECT_FALSE(IsUsableTransform(bad));
  }
}

TEST(WindowMapping, CallbacksMapThroughThePlacementAndRefuseWhatTheyCannotMap) {
  WindowEventContext context{};
  context.context.windowType = kWindowComp;
  context.self = &context.context;
  context.layerInComp = {100.0, 50.0, 2.0, 2.0};
  const HostEventCallbacks callbacks = WindowEventCallbacks(context);
  ASSERT_EQ(callbacks.refcon, &context);
  HostFixedPoint point{10 * 65536, 4 * 65536};
  EXPECT_EQ(callbacks.layerToComp(callbacks.refcon, &context.self, 0, 3000, &point), kHostErrorNone);
  EXPECT_EQ(point.x, 120 * 65536);
  EXPECT_EQ(point.y, 58 * 65536);
  EXPECT_EQ(callbacks.sourceToFrame(callbacks.refcon, &context.self, &point), kHostErrorNone);
  EXPECT_EQ(point.x, 120 * 65536);  // the windows show their plane at 100%
  EXPECT_EQ(callbacks.frameToSource(callbacks.refcon, &context.self, &point), kHostErrorNone);
  EXPECT_EQ(callbacks.compToLayer(callbacks.refcon, &context.self, 0, 3000, &point), kHostErrorNone);
  EXPECT_EQ(point.x, 10 * 65536);
  EXPECT_EQ(point.y, 4 * 65536);
  // A time scale of 0, a missing point or refcon: refused, the point untouched.
  EXPECT_NE(callbacks.layerToComp(callbacks.refcon, &context.self, 0, 0, &point), kHostErrorNone);
  EXPECT_NE(callbacks.compToLayer(nullptr, &context.self, 0, 3000, &point), kHostErrorNone);
  EXPECT_NE(callbacks.sourceToFrame(callbacks.refcon, &context.self, nullptr), kHostErrorNone);
  EXPECT_EQ(point.x, 10 * 65536);
}

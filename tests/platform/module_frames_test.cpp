// Fixed input and settings through the built module. With SPINDREL_FRAME_DUMP_DIR set, each frame is written there
// as <case>.raw, and scripts/run-windows-tests compares the DLL's (under Wine) with the Linux module's byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "host/param_value_text.h"
#include "model/param_ids.h"
#include "tests/host/reference_host_fixture.h"

namespace {

// Bold lettering in integer geometry, the same on every platform: white strokes with a half-transparent tinted rim.
RgbaImage Lettering() {
  struct Segment {
    int64_t x0, y0, x1, y1;
  };
  const Segment segments[] = {{14, 12, 14, 70},   {14, 12, 40, 12},   {14, 40, 36, 40},     // F
                              {104, 70, 122, 12}, {122, 12, 140, 70}, {111, 48, 133, 48},   // A
                              {156, 12, 178, 70}, {178, 12, 156, 70}};                       // X
  // Within `r` of a segment with round ends, compared in squared integer distances.
  const auto nearSegment = [](const Segment& s, int64_t px, int64_t py, int64_t r) {
    const int64_t dx = s.x1 - s.x0, dy = s.y1 - s.y0, ax = px - s.x0, ay = py - s.y0;
    const int64_t length2 = dx * dx + dy * dy, dot = ax * dx + ay * dy, cross = ax * dy - ay * dx;
    if (dot <= 0) return ax * ax + ay * ay <= r * r;
    if (dot >= length2) return (px - s.x1) * (px - s.x1) + (py - s.y1) * (py - s.y1) <= r * r;
    return cross * cross <= r * r * length2;
  };
  // A C: the ring of radius 22 round (70, 42) but for the wedge opening to the lower right.
  const auto nearRing = [](int64_t px, int64_t py, int64_t r) {
    const int64_t x = px - 70, y = py - 42;
    if (x > 0 && y > 0 && x > y) return false;
    return x * x + y * y >= (22 - r) * (22 - r) && x * x + y * y <= (22 + r) * (22 + r);
  };
  RgbaImage image{192, 84, std::vector<uint8_t>(192 * 84 * 4, 0)};
  for (int32_t y = 0; y < image.height; ++y) {
    for (int32_t x = 0; x < image.width; ++x) {
      bool core = nearRing(x, y, 4), rim = nearRing(x, y, 5);
      for (const Segment& s : segments) core = core || nearSegment(s, x, y, 4), rim = rim || nearSegment(s, x, y, 5);
      if (!rim) continue;
      uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
      p[0] = core ? 255 : static_cast<uint8_t>(120 + x % 64);
      p[1] = core ? 255 : static_cast<uint8_t>(200 - y);
      p[2] = 255;
      p[3] = core ? 255 : 128;
    }
  }
  return image;
}

struct FrameCase {
  const char* name;
  int32_t depth;
  int32_t time;  // host time units; the reference host counts 30 per second
  std::vector<std::pair<int32_t, const char*>> settings;
};

const FrameCase kCases[] = {
    {"defaults_8bit", 8, 0, {}},
    {"reveal_gradient_taper_16bit", 16, 15,
     {{PARAM_REVEAL_PROGRESS, "45"}, {PARAM_CHAIN_STAGGER, "30"}, {PARAM_LINE_WIDTH, "5"},
      {PARAM_LINE_COLOR, "#FF8000"}, {PARAM_USE_GRADIENT, "1"}, {PARAM_LINE_COLOR_END, "#2040FF"},
      {PARAM_NATURAL_SPEED, "1"}, {PARAM_TAPER, "60"}, {PARAM_PATH_OFFSET, "12.5"}}},
    {"original_width_merge_float", 32, 30,
     {{PARAM_MATCH_ORIGINAL_WIDTH, "1"}, {PARAM_USE_BEZIER_FIT, "1"}, {PARAM_COMPOSITE_ON_ORIGINAL, "1"},
      {PARAM_OPACITY, "70"}, {PARAM_MERGE_BY_SHAPE, "1"}, {PARAM_SUBDIVIDE, "2"}, {PARAM_CHANNEL, "5"}}},
    {"texture_particles_rings_8bit", 8, 45,
     {{PARAM_ROUGHNESS_AMOUNT, "40"}, {PARAM_ENABLE_PARTICLES, "1"}, {PARAM_RANDOM_COLORS, "1"},
      {PARAM_TURBULENCE, "50"}, {PARAM_ENABLE_DASHES, "1"}, {PARAM_MULTI_STROKE_ENABLE, "1"},
      {PARAM_REVEAL_PROGRESS, "80"}}},
    {"nib_reveal_original_16bit", 16, 10,
     {{PARAM_NIB_SIMULATION, "1"}, {PARAM_NIB_ANGLE, "30"}, {PARAM_LINE_WIDTH, "9"},
      {PARAM_REVEAL_ORIGINAL_IMAGE, "1"}, {PARAM_DIRECTIONAL_START, "1"}}},
    {"preview_float", 32, 0, {{PARAM_PREVIEW_CHAINS, "1"}}},
};

TEST(ModuleFrames, FixedInputRendersDeterministicallyAndIsDumpedForComparison) {
  const char* dumpDirectory = std::getenv("SPINDREL_FRAME_DUMP_DIR");
  for (const FrameCase& c : kCases) {
    SCOPED_TRACE(c.name);
    auto host = OpenSetUpHost();
    ASSERT_NE(host, nullptr);
    std::string error;
    for (const auto& [id, value] : c.settings) {
      EXPECT_TRUE(ApplyParamAssignment(host->instance, std::to_string(id) + "=" + value, error)) << error;
    }
    OwnedFrame input = FrameFromImage(Lettering(), c.depth);
    OwnedFrame output = MakeFrame(input.width, input.height, c.depth);
    OwnedFrame again = output;
    EXPECT_EQ(RenderFrame(*host, FrameView(input), FrameView(output), c.time), kHostErrorNone);
    EXPECT_EQ(RenderFrame(*host, FrameView(input), FrameView(again), c.time), kHostErrorNone);
    EXPECT_TRUE(output.storage == again.storage) << "two renders of the same frame differ";
    if (dumpDirectory == nullptr || *dumpDirectory == '\0') continue;
    const std::string path = std::string(dumpDirectory) + "/" + c.name + ".raw";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(output.storage.data()), std::ssize(output.storage));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
  }
}

}  // namespace

// Frames rendered through the built plug-in module from a fixed input with
// fixed settings. The Windows DLL (under Wine) and the Linux module must give
// the same bytes: with SPINDREL_FRAME_DUMP_DIR set, every output frame is
// written there as <case>.raw, and scripts/run-windows-tests compares the
// two platforms' files with cmp.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "host/frame_buffer.h"
#include "host/param_value_text.h"
#include "host/reference_host.h"
#include "shell/param_ids.h"

namespace {

// A capsule (a segment with round ends) or a ring sector of stroke, all in
// integers so that every platform builds exactly the same input.
struct Stroke {
  bool ring = false;
  int32_t x0, y0, x1, y1;  // segment ends, or ring centre (x0, y0)
  int32_t radius;          // half the stroke width, or the ring's radius
};

int64_t Square(int64_t v) { return v * v; }

// Whether (px, py) lies within `halfWidth` of the stroke's centre line,
// compared in squared integer distances.
bool WithinStroke(const Stroke& s, int32_t px, int32_t py, int32_t halfWidth) {
  if (s.ring) {
    const int64_t d2 = Square(px - s.x0) + Square(py - s.y0);
    // Ring sector: everything but the wedge opening to the lower right.
    if (px > s.x0 && py > s.y0 && (px - s.x0) > (py - s.y0)) return false;
    return d2 >= Square(s.radius - halfWidth) && d2 <= Square(s.radius + halfWidth);
  }
  const int64_t dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  const int64_t ax = px - s.x0, ay = py - s.y0;
  const int64_t length2 = dx * dx + dy * dy;
  const int64_t dot = ax * dx + ay * dy;
  if (dot <= 0) return ax * ax + ay * ay <= Square(halfWidth);
  if (dot >= length2) return Square(px - s.x1) + Square(py - s.y1) <= Square(halfWidth);
  return Square(ax * dy - ay * dx) <= Square(halfWidth) * length2;
}

// Bold lettering: solid white strokes with a half-transparent, tinted rim.
RgbaImage Lettering() {
  const int32_t halfWidth = 4;
  const std::vector<Stroke> strokes = {
      {false, 14, 12, 14, 70, 0},   {false, 14, 12, 40, 12, 0},  {false, 14, 40, 36, 40, 0},  // F
      {true, 70, 42, 0, 0, 22},                                                               // C-like ring
      {false, 104, 70, 122, 12, 0}, {false, 122, 12, 140, 70, 0}, {false, 111, 48, 133, 48, 0},  // A
      {false, 156, 12, 178, 70, 0}, {false, 178, 12, 156, 70, 0},                              // X
  };
  RgbaImage image;
  image.width = 192;
  image.height = 84;
  image.pixels.assign(static_cast<size_t>(image.width) * image.height * 4, 0);
  for (int32_t y = 0; y < image.height; ++y) {
    for (int32_t x = 0; x < image.width; ++x) {
      bool core = false, rim = false;
      for (const Stroke& s : strokes) {
        core = core || WithinStroke(s, x, y, halfWidth);
        rim = rim || WithinStroke(s, x, y, halfWidth + 1);
      }
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

std::vector<uint8_t> RenderCase(const FrameCase& c) {
  std::string error;
  std::unique_ptr<ReferenceHost> host = OpenReferenceHost(SPINDREL_MODULE_PATH, error);
  EXPECT_NE(host, nullptr) << error;
  if (host == nullptr) return {};
  EXPECT_EQ(SetUpEffect(*host), kHostErrorNone);
  for (const auto& [id, value] : c.settings) {
    EXPECT_TRUE(ApplyParamAssignment(host->instance, std::to_string(id) + "=" + value, error)) << error;
  }
  OwnedFrame input = FrameFromImage(Lettering(), c.depth);
  OwnedFrame output = MakeFrame(input.width, input.height, c.depth);
  OwnedFrame again = MakeFrame(input.width, input.height, c.depth);
  EXPECT_EQ(RenderFrame(*host, FrameView(input), FrameView(output), c.time), kHostErrorNone);
  EXPECT_EQ(RenderFrame(*host, FrameView(input), FrameView(again), c.time), kHostErrorNone);
  EXPECT_TRUE(output.storage == again.storage) << "two renders of the same frame differ";
  return output.storage;
}

TEST(ModuleFrames, FixedInputRendersDeterministicallyAndIsDumpedForComparison) {
  const char* dumpDirectory = std::getenv("SPINDREL_FRAME_DUMP_DIR");
  for (const FrameCase& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> bytes = RenderCase(c);
    if (dumpDirectory == nullptr || *dumpDirectory == '\0') continue;
    const std::string path = std::string(dumpDirectory) + "/" + c.name + ".raw";
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
  }
}

}  // namespace

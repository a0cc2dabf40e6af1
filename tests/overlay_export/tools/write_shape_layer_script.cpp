// Renders a PNG through the plug-in module in the reference host, presses
// Create Shape Layer and writes the script the host was asked to run, for
// the script tests that run in Node:
//   write_shape_layer_script INPUT.png OUTPUT.js ["LABEL=VALUE"]...
// The process takes its locale from the environment, so the script can be
// made under a locale that writes decimal commas.
#include <clocale>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "host/cli/png_image.h"
#include "host/param_value_text.h"
#include "host/reference_host.h"
#include "shell/param_ids.h"

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "write_shape_layer_script: %s\n", message.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  if (argc < 3) return Fail("usage: write_shape_layer_script INPUT.png OUTPUT.js [\"LABEL=VALUE\"]...");
  std::string error;
  std::unique_ptr<ReferenceHost> host = OpenReferenceHost(SPINDREL_MODULE_PATH, error);
  if (host == nullptr) return Fail(error);
  if (SetUpEffect(*host) != kHostErrorNone) return Fail("the effect's setup failed");
  for (int i = 3; i < argc; ++i) {
    if (!ApplyParamAssignment(host->instance, argv[i], error)) return Fail(error);
  }
  RgbaImage image;
  if (!ReadPngFile(argv[1], image, error)) return Fail(error);
  OwnedFrame input = FrameFromImage(image, 8);
  OwnedFrame output = MakeFrame(image.width, image.height, 8);
  if (RenderFrame(*host, FrameView(input), FrameView(output), 0) != kHostErrorNone) return Fail("the render failed");
  if (PressButton(*host, PARAM_CREATE_SHAPE_LAYER) != kHostErrorNone) return Fail("Create Shape Layer failed");
  const std::vector<std::string> scripts = ReadSuiteLog(host->suites, &SuiteServices::scripts);
  if (scripts.size() != 1) return Fail("expected one script, the host was given " + std::to_string(scripts.size()));
  std::ofstream file(argv[2], std::ios::binary);
  file << scripts[0];
  file.close();
  if (!file) return Fail(std::string("cannot write ") + argv[2]);
  return 0;
}

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "resources/plugin_resource.h"

// The build writes the resource file with a program compiled for the build
// machine (in a cross build, not the compiler of this test). The DLL embeds
// that file, so it must hold exactly what the plug-in's own code builds.
TEST(GeneratedResourceFile, HoldsExactlyTheBytesThePluginBuilds) {
  std::ifstream in(SPINDREL_PLUGIN_RESOURCE_PATH, std::ios::binary);
  ASSERT_TRUE(in) << "cannot open " << SPINDREL_PLUGIN_RESOURCE_PATH;
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(file, BuildPluginResource());
}

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/plugin_resource.h"

namespace {

void AppendLe32(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

}  // namespace

// The header, then per property its stored key, length and data padded to four bytes.
TEST(PluginResource, HeaderAndEveryPropertyMatchTheTable) {
  struct Property {
    const char* storedKey;
    uint32_t dataLength;
    std::string data;  // padding included
  };
  const Property properties[] = {
      {"dnik", 4, "TKFe"},
      {"eman", 12, std::string("\x08Spindrel\0\0\0", 12)},
      {"gtac", 12, std::string("\x08Wrenlets\0\0\0", 12)},
      {"4668", 16, std::string("EntryPointFunc\0\0", 16)},
      {"RVPe", 4, std::string("\x02\0\0\0", 4)},
      {"RVSe", 4, std::string("\x0D\0\x1C\0", 4)},
      {"REVe", 4, std::string("\x01\x20\x08\0", 4)},
      {"FNIe", 2, std::string(4, '\0')},
      {"OLGe", 4, std::string("\x40\x84\0\x06", 4)},
      {"2LGe", 4, std::string("\0\0\0\x08", 4)},
      {"ANMe", 16, std::string("\x0DMosk Spindrel\0\0", 16)},
      {"LFea", 4, std::string(4, '\0')},
  };
  std::vector<uint8_t> expected = {1, 0};
  AppendLe32(expected, 0);
  AppendLe32(expected, 12);
  for (const Property& p : properties) {
    const std::string head = std::string("MIB8") + p.storedKey;
    expected.insert(expected.end(), head.begin(), head.end());
    AppendLe32(expected, 0);
    AppendLe32(expected, p.dataLength);
    expected.insert(expected.end(), p.data.begin(), p.data.end());
  }
  ASSERT_EQ(expected.size(), 290u);
  EXPECT_EQ(BuildPluginResource(), expected);
}

// The DLL embeds the file a program built for the build machine writes: it must match this compiler's bytes.
TEST(PluginResource, GeneratedFileHoldsExactlyTheBytesThePluginBuilds) {
  std::ifstream in(SPINDREL_PLUGIN_RESOURCE_PATH, std::ios::binary);
  ASSERT_TRUE(in) << "cannot open " << SPINDREL_PLUGIN_RESOURCE_PATH;
  EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}), BuildPluginResource());
}

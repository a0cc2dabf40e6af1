#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "resources/effect_identity.h"
#include "resources/plugin_resource.h"

namespace {

uint32_t ReadU32(const std::vector<uint8_t>& bytes, size_t offset) {
  return uint32_t{bytes.at(offset)} | uint32_t{bytes.at(offset + 1)} << 8 | uint32_t{bytes.at(offset + 2)} << 16 |
         uint32_t{bytes.at(offset + 3)} << 24;
}

uint16_t ReadU16(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

std::string ReadChars(const std::vector<uint8_t>& bytes, size_t offset, size_t count) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

struct ExpectedProperty {
  size_t start;
  const char* storedKey;
  uint32_t dataLength;
  std::vector<uint8_t> data;  // every byte up to the next property, padding included
};

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::vector<uint8_t> Le32(uint32_t value) {
  return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
          static_cast<uint8_t>(value >> 24)};
}

}  // namespace

TEST(PluginResource, HeaderAndEveryPropertyMatchTheTable) {
  const std::vector<uint8_t> bytes = BuildPluginResource();
  ASSERT_EQ(bytes.size(), 290u);
  EXPECT_EQ(ReadU16(bytes, 0), 1);
  EXPECT_EQ(ReadU32(bytes, 2), 0u);
  EXPECT_EQ(ReadU32(bytes, 6), 12u);

  const std::vector<ExpectedProperty> expected = {
      {10, "dnik", 4, Bytes("TKFe")},
      {30, "eman", 12, Bytes(std::string("\x08Spindrel\0\0\0", 12))},
      {58, "gtac", 12, Bytes(std::string("\x08Wrenlets\0\0\0", 12))},
      {86, "4668", 16, Bytes(std::string("EntryPointFunc\0\0", 16))},
      {118, "RVPe", 4, {2, 0, 0, 0}},
      {138, "RVSe", 4, {13, 0, 28, 0}},
      {158, "REVe", 4, Le32(0x82001)},
      {178, "FNIe", 2, {0, 0, 0, 0}},
      {198, "OLGe", 4, Le32(0x6008440)},
      {218, "2LGe", 4, Le32(0x8000000)},
      {238, "ANMe", 16, Bytes(std::string("\x0DMosk Spindrel\0\0", 16))},
      {270, "LFea", 4, {0, 0, 0, 0}},
  };
  for (size_t i = 0; i < expected.size(); ++i) {
    const ExpectedProperty& p = expected[i];
    SCOPED_TRACE(p.storedKey);
    EXPECT_EQ(ReadChars(bytes, p.start, 4), "MIB8");
    EXPECT_EQ(ReadChars(bytes, p.start + 4, 4), p.storedKey);
    EXPECT_EQ(ReadU32(bytes, p.start + 8), 0u);
    EXPECT_EQ(ReadU32(bytes, p.start + 12), p.dataLength);
    const size_t next = i + 1 < expected.size() ? expected[i + 1].start : bytes.size();
    ASSERT_EQ(next - (p.start + 16), p.data.size()) << "data plus padding must reach the next property";
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(p.start + 16),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(next)),
              p.data);
  }
}

TEST(PluginResource, FlagsAndVersionAreTheGlobalSetupConstants) {
  const std::vector<uint8_t> bytes = BuildPluginResource();
  EXPECT_EQ(ReadU32(bytes, 158 + 16), kEffectVersion);
  EXPECT_EQ(ReadU32(bytes, 198 + 16), static_cast<uint32_t>(kEffectOutFlags));
  EXPECT_EQ(ReadU32(bytes, 218 + 16), static_cast<uint32_t>(kEffectOutFlags2));
  EXPECT_EQ(BuildPluginResource(), bytes);
}

#include "resources/plugin_resource.h"

#include <algorithm>
#include <string_view>

#include "resources/effect_identity.h"

namespace {

void AppendU16(std::vector<uint8_t>& bytes, uint16_t value) {
  bytes.push_back(static_cast<uint8_t>(value & 0xFF));
  bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendU32(std::vector<uint8_t>& bytes, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>((value >> shift) & 0xFF));
}

// A four-character code is a big-endian number stored little-endian, so its
// characters land in reverse order.
void AppendFourCC(std::vector<uint8_t>& bytes, std::string_view code) {
  for (size_t i = code.size(); i > 0; --i) bytes.push_back(static_cast<uint8_t>(code[i - 1]));
}

uint32_t PaddedLength(size_t length) { return static_cast<uint32_t>((length + 3) / 4 * 4); }

// Writes the property header and data; `counted` is the length recorded,
// the data is then padded with zero bytes to a multiple of 4.
void AppendProperty(std::vector<uint8_t>& bytes, std::string_view key, const std::vector<uint8_t>& data,
                    uint32_t counted) {
  AppendFourCC(bytes, "8BIM");
  AppendFourCC(bytes, key);
  AppendU32(bytes, 0);
  AppendU32(bytes, counted);
  bytes.insert(bytes.end(), data.begin(), data.end());
  bytes.resize(bytes.size() + (PaddedLength(data.size()) - data.size()), 0);
}

std::vector<uint8_t> LengthPrefixed(std::string_view text) {
  std::vector<uint8_t> data(1 + text.size());
  data[0] = static_cast<uint8_t>(text.size());
  std::copy(text.begin(), text.end(), data.begin() + 1);
  return data;
}

std::vector<uint8_t> ZeroTerminated(std::string_view text) {
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

std::vector<uint8_t> U32Data(uint32_t value) {
  std::vector<uint8_t> data;
  AppendU32(data, value);
  return data;
}

std::vector<uint8_t> U16PairData(uint16_t first, uint16_t second) {
  std::vector<uint8_t> data;
  AppendU16(data, first);
  AppendU16(data, second);
  return data;
}

void AppendStringProperty(std::vector<uint8_t>& bytes, std::string_view key, const std::vector<uint8_t>& data) {
  AppendProperty(bytes, key, data, PaddedLength(data.size()));
}

void AppendValueProperty(std::vector<uint8_t>& bytes, std::string_view key, const std::vector<uint8_t>& data) {
  AppendProperty(bytes, key, data, static_cast<uint32_t>(data.size()));
}

constexpr uint16_t kResourceMarker = 1;
constexpr uint32_t kPropertyListVersion = 0;
constexpr uint32_t kPropertyCount = 12;
constexpr uint16_t kResourceFormatMajor = 2;
constexpr uint16_t kResourceFormatMinor = 0;

}  // namespace

std::vector<uint8_t> BuildPluginResource() {
  std::vector<uint8_t> bytes;
  AppendU16(bytes, kResourceMarker);
  AppendU32(bytes, kPropertyListVersion);
  AppendU32(bytes, kPropertyCount);

  std::vector<uint8_t> kind;
  AppendFourCC(kind, "eFKT");
  AppendValueProperty(bytes, "kind", kind);
  AppendStringProperty(bytes, "name", LengthPrefixed(kEffectName));
  AppendStringProperty(bytes, "catg", LengthPrefixed(kEffectCategory));
  AppendStringProperty(bytes, "8664", ZeroTerminated(kEffectEntryPointName));
  AppendValueProperty(bytes, "ePVR", U16PairData(kResourceFormatMajor, kResourceFormatMinor));
  AppendValueProperty(bytes, "eSVR", U16PairData(kHostInterfaceMajor, kHostInterfaceMinor));
  AppendValueProperty(bytes, "eVER", U32Data(kEffectVersion));
  // Effect information flags: none. Two bytes counted, two of padding.
  AppendValueProperty(bytes, "eINF", std::vector<uint8_t>(2, 0));
  AppendValueProperty(bytes, "eGLO", U32Data(static_cast<uint32_t>(kEffectOutFlags)));
  AppendValueProperty(bytes, "eGL2", U32Data(static_cast<uint32_t>(kEffectOutFlags2)));
  AppendStringProperty(bytes, "eMNA", LengthPrefixed(kEffectMatchName));
  AppendValueProperty(bytes, "aeFL", U32Data(0));
  return bytes;
}

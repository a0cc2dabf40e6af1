// Builds small PE32+ images in memory, laid out the way the GNU linker lays
// out a DLL's export, import and resource directories, so that the DLL check
// can be fed images with one deliberate fault each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace synthetic_pe {

struct Resource {
  bool typeIsString = true;
  std::string typeText = "PIPL";
  uint16_t typeNumber = 0;
  uint16_t id = 16000;
  uint16_t language = 1033;
  std::vector<uint8_t> bytes;
};

struct Image {
  uint16_t machine = 0x8664;
  bool isDll = true;
  std::vector<std::string> exportNames = {"EntryPointFunc"};
  uint32_t ordinalOnlyExports = 0;
  std::vector<std::string> imports = {"KERNEL32.dll", "msvcrt.dll"};
  std::vector<Resource> resources;
};

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kHeaderSize = 0x200;

struct Buffer {
  std::vector<uint8_t> data;
  uint32_t Here() const { return static_cast<uint32_t>(data.size()); }
  void Align(uint32_t n) { data.resize((data.size() + n - 1) / n * n, 0); }
  void Put16(uint32_t at, uint32_t v) {
    if (data.size() < at + 2) data.resize(at + 2, 0);
    data[at] = static_cast<uint8_t>(v);
    data[at + 1] = static_cast<uint8_t>(v >> 8);
  }
  void Put32(uint32_t at, uint32_t v) {
    Put16(at, v & 0xffff);
    Put16(at + 2, v >> 16);
  }
  uint32_t Add16(uint32_t v) { const uint32_t at = Here(); Put16(at, v); return at; }
  uint32_t Add32(uint32_t v) { const uint32_t at = Here(); Put32(at, v); return at; }
  uint32_t AddZeros(uint32_t n) { const uint32_t at = Here(); data.resize(data.size() + n, 0); return at; }
  uint32_t AddString(const std::string& s) {
    const uint32_t at = Here();
    data.insert(data.end(), s.begin(), s.end());
    data.push_back(0);
    return at;
  }
};

struct Directory {
  uint32_t rva = 0;
  uint32_t size = 0;
};

inline Directory AddExports(Buffer& s, const Image& image) {
  const uint32_t functionCount = static_cast<uint32_t>(image.exportNames.size()) + image.ordinalOnlyExports;
  if (functionCount == 0) return {};
  s.Align(4);
  const uint32_t code = s.AddZeros(16);  // stands in for the functions' code
  const uint32_t dir = s.AddZeros(40);
  const uint32_t functions = s.Here();
  for (uint32_t i = 0; i < functionCount; ++i) s.Add32(kSectionRva + code + i);
  const uint32_t names = s.Here();
  std::vector<uint32_t> nameSlots;
  for (size_t i = 0; i < image.exportNames.size(); ++i) nameSlots.push_back(s.Add32(0));
  const uint32_t ordinals = s.Here();
  for (size_t i = 0; i < image.exportNames.size(); ++i) s.Add16(static_cast<uint32_t>(i));
  const uint32_t dllName = s.AddString("Spindrel.dll");
  for (size_t i = 0; i < image.exportNames.size(); ++i)
    s.Put32(nameSlots[i], kSectionRva + s.AddString(image.exportNames[i]));
  s.Put32(dir + 12, kSectionRva + dllName);
  s.Put32(dir + 16, 1);  // ordinal base
  s.Put32(dir + 20, functionCount);
  s.Put32(dir + 24, static_cast<uint32_t>(image.exportNames.size()));
  s.Put32(dir + 28, kSectionRva + functions);
  s.Put32(dir + 32, kSectionRva + names);
  s.Put32(dir + 36, kSectionRva + ordinals);
  return {kSectionRva + dir, s.Here() - dir};
}

inline Directory AddImports(Buffer& s, const Image& image) {
  if (image.imports.empty()) return {};
  s.Align(4);
  const uint32_t dir = s.AddZeros(20 * static_cast<uint32_t>(image.imports.size() + 1));
  for (size_t i = 0; i < image.imports.size(); ++i)
    s.Put32(dir + 20 * static_cast<uint32_t>(i) + 12, kSectionRva + s.AddString(image.imports[i]));
  return {kSectionRva + dir, 20 * static_cast<uint32_t>(image.imports.size() + 1)};
}

// The three-level tree (type, name, language), one branch per resource;
// the data comes last so that any truncation of the image cuts into it.
inline Directory AddResources(Buffer& s, const Image& image) {
  if (image.resources.empty()) return {};
  s.Align(8);
  const uint32_t base = s.Here();
  const uint32_t count = static_cast<uint32_t>(image.resources.size());
  auto addDirectory = [&](uint32_t named, uint32_t numbered) {
    const uint32_t at = s.AddZeros(16 + 8 * (named + numbered));
    s.Put16(at + 12, named);
    s.Put16(at + 14, numbered);
    return at;
  };
  uint32_t named = 0;
  for (const Resource& r : image.resources) named += r.typeIsString ? 1 : 0;
  const uint32_t root = addDirectory(named, count - named);
  std::vector<uint32_t> dataEntries;
  for (uint32_t i = 0; i < count; ++i) {
    const Resource& r = image.resources[i];
    const uint32_t nameDir = addDirectory(0, 1);
    const uint32_t languageDir = addDirectory(0, 1);
    const uint32_t dataEntry = s.AddZeros(16);
    s.Put32(root + 16 + 8 * i, r.typeIsString ? 0 : r.typeNumber);  // string offset patched below
    s.Put32(root + 20 + 8 * i, 0x80000000u | (nameDir - base));
    s.Put32(nameDir + 16, r.id);
    s.Put32(nameDir + 20, 0x80000000u | (languageDir - base));
    s.Put32(languageDir + 16, r.language);
    s.Put32(languageDir + 20, dataEntry - base);
    dataEntries.push_back(dataEntry);
  }
  for (uint32_t i = 0; i < count; ++i) {
    const Resource& r = image.resources[i];
    if (!r.typeIsString) continue;
    s.Align(2);
    const uint32_t text = s.Add16(static_cast<uint32_t>(r.typeText.size()));
    for (char c : r.typeText) s.Add16(static_cast<uint8_t>(c));
    s.Put32(root + 16 + 8 * i, 0x80000000u | (text - base));
  }
  for (uint32_t i = 0; i < count; ++i) {
    const Resource& r = image.resources[i];
    s.Align(8);
    const uint32_t at = s.Here();
    s.data.insert(s.data.end(), r.bytes.begin(), r.bytes.end());
    s.Put32(dataEntries[i], kSectionRva + at);
    s.Put32(dataEntries[i] + 4, static_cast<uint32_t>(r.bytes.size()));
  }
  return {kSectionRva + base, s.Here() - base};
}

inline std::vector<uint8_t> BuildImage(const Image& image) {
  Buffer section;
  const Directory exports = AddExports(section, image);
  const Directory imports = AddImports(section, image);
  const Directory resources = AddResources(section, image);
  const uint32_t sectionSize = section.Here();

  Buffer h;
  h.AddZeros(kHeaderSize);
  h.data[0] = 'M';
  h.data[1] = 'Z';
  const uint32_t pe = 0x40;
  h.Put32(0x3c, pe);
  h.data[pe] = 'P';
  h.data[pe + 1] = 'E';
  h.Put16(pe + 4, image.machine);
  h.Put16(pe + 6, 1);                                     // sections
  h.Put16(pe + 20, 240);                                  // optional header size
  h.Put16(pe + 22, 0x0022 | (image.isDll ? 0x2000 : 0));  // executable, large-address aware
  const uint32_t opt = pe + 24;
  h.Put16(opt, 0x20b);
  h.Put32(opt + 32, 0x1000);  // section alignment
  h.Put32(opt + 36, 0x200);   // file alignment
  h.Put32(opt + 56, kSectionRva + ((sectionSize + 0xfff) & ~0xfffu));
  h.Put32(opt + 60, kHeaderSize);
  h.Put16(opt + 68, 2);  // subsystem: GUI
  h.Put32(opt + 108, 16);
  const Directory directories[] = {exports, imports, resources};
  for (uint32_t d = 0; d < 3; ++d) {
    h.Put32(opt + 112 + 8 * d, directories[d].rva);
    h.Put32(opt + 116 + 8 * d, directories[d].size);
  }
  const uint32_t table = opt + 240;
  const char name[8] = {'.', 'r', 'd', 'a', 't', 'a', 0, 0};
  for (uint32_t i = 0; i < 8; ++i) h.data[table + i] = static_cast<uint8_t>(name[i]);
  h.Put32(table + 8, sectionSize);
  h.Put32(table + 12, kSectionRva);
  h.Put32(table + 16, sectionSize);
  h.Put32(table + 20, kHeaderSize);
  h.Put32(table + 36, 0x40000040);  // initialised data, readable

  h.data.insert(h.data.end(), section.data.begin(), section.data.end());
  return h.data;
}

}  // namespace synthetic_pe

// Small PE32+ images built in memory, with the export, import and resource directories laid out as the GNU
// linker lays out a DLL's, so that the DLL check can be fed images with one deliberate fault each.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace synthetic_pe {

struct Resource {
  std::string typeText = "PIPL";
  uint16_t id = 16000;
  uint16_t language = 1033;
  std::vector<uint8_t> bytes;
};

struct Import {
  std::string dll;
  std::vector<std::string> functions;  // by name, in the lookup table and the address table
};

struct Image {
  uint16_t machine = 0x8664;
  bool isDll = true;
  std::vector<std::string> exportNames = {"EntryPointFunc"};
  uint32_t ordinalOnlyExports = 0;
  std::vector<Import> imports = {{"KERNEL32.dll", {"GetTempPathA"}},
                                 {"USER32.dll", {"MessageBoxA"}},
                                 {"comdlg32.dll", {"GetSaveFileNameA"}},
                                 {"msvcrt.dll", {"fopen"}}};
  std::vector<Resource> resources;
};

constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kHeaderSize = 0x200;
constexpr uint32_t kPeHeader = 0x40;
constexpr uint32_t kDataDirectories = kPeHeader + 24 + 112;

using Directory = std::pair<uint32_t, uint32_t>;  // rva, size

struct Buffer {
  std::vector<uint8_t> data;
  uint32_t Here() const { return static_cast<uint32_t>(data.size()); }
  void Align(uint32_t n) { data.resize((data.size() + n - 1) / n * n, 0); }
  void Put(uint32_t at, uint32_t v, uint32_t bytes) {
    if (data.size() < at + bytes) data.resize(at + bytes, 0);
    for (uint32_t b = 0; b < bytes; ++b) data[at + b] = static_cast<uint8_t>(v >> (8 * b));
  }
  void Put16(uint32_t at, uint32_t v) { Put(at, v, 2); }
  void Put32(uint32_t at, uint32_t v) { Put(at, v, 4); }
  uint32_t Add16(uint32_t v) { return Put16(Here(), v), Here() - 2; }
  uint32_t AddZeros(uint32_t n) { return data.resize(data.size() + n, 0), Here() - n; }
  uint32_t AddString(const std::string& s) {
    data.insert(data.end(), s.begin(), s.end());
    data.push_back(0);
    return Here() - static_cast<uint32_t>(s.size()) - 1;
  }
};

inline Directory AddExports(Buffer& s, const Image& image) {
  const auto nameCount = static_cast<uint32_t>(image.exportNames.size());
  const uint32_t functionCount = nameCount + image.ordinalOnlyExports;
  if (functionCount == 0) return {};
  s.Align(4);
  const uint32_t code = s.AddZeros(16);  // stands in for the functions' code
  const uint32_t dir = s.AddZeros(40);
  const uint32_t functions = s.AddZeros(4 * functionCount);
  for (uint32_t i = 0; i < functionCount; ++i) s.Put32(functions + 4 * i, kSectionRva + code + i);
  const uint32_t names = s.AddZeros(4 * nameCount);
  const uint32_t ordinals = s.Here();
  for (uint32_t i = 0; i < nameCount; ++i) s.Add16(i);
  const uint32_t dllName = s.AddString("Spindrel.dll");
  for (uint32_t i = 0; i < nameCount; ++i) s.Put32(names + 4 * i, kSectionRva + s.AddString(image.exportNames[i]));
  const uint32_t fields[] = {kSectionRva + dllName,   1 /* ordinal base */, functionCount,         nameCount,
                             kSectionRva + functions, kSectionRva + names,  kSectionRva + ordinals};
  for (uint32_t f = 0; f < 7; ++f) s.Put32(dir + 12 + 4 * f, fields[f]);
  return {kSectionRva + dir, s.Here() - dir};
}

inline Directory AddImports(Buffer& s, const Image& image) {
  if (image.imports.empty()) return {};
  s.Align(4);
  const auto size = 20 * static_cast<uint32_t>(image.imports.size() + 1);
  const uint32_t dir = s.AddZeros(size);
  for (uint32_t i = 0; i + 1 < size / 20; ++i) {
    const Import& import = image.imports[i];
    s.Put32(dir + 20 * i + 12, kSectionRva + s.AddString(import.dll));
    std::vector<uint32_t> names;
    for (const std::string& function : import.functions) {
      s.Align(2);
      names.push_back(kSectionRva + s.Add16(0));  // the hint
      s.AddString(function);
    }
    for (uint32_t table : {0u, 16u}) {  // lookup table, then address table
      s.Align(8);
      const uint32_t at = s.AddZeros(8 * static_cast<uint32_t>(names.size() + 1));
      for (size_t k = 0; k < names.size(); ++k) s.Put32(at + 8 * static_cast<uint32_t>(k), names[k]);
      s.Put32(dir + 20 * i + table, kSectionRva + at);
    }
  }
  return {kSectionRva + dir, size};
}

// The tree of type, name and language, one branch a resource; the data comes last, so truncations cut into it.
inline Directory AddResources(Buffer& s, const Image& image) {
  if (image.resources.empty()) return {};
  s.Align(8);
  const uint32_t base = s.Here();
  const auto count = static_cast<uint32_t>(image.resources.size());
  auto addDirectory = [&](uint32_t named, uint32_t numbered) {
    const uint32_t at = s.AddZeros(16 + 8 * (named + numbered));
    s.Put16(at + 12, named);
    s.Put16(at + 14, numbered);
    return at;
  };
  const uint32_t root = addDirectory(count, 0);
  std::vector<uint32_t> dataEntries;
  for (uint32_t i = 0; i < count; ++i) {
    const Resource& r = image.resources[i];
    const uint32_t nameDir = addDirectory(0, 1);
    const uint32_t languageDir = addDirectory(0, 1);
    dataEntries.push_back(s.AddZeros(16));
    s.Put32(root + 20 + 8 * i, 0x80000000u | (nameDir - base));
    s.Put32(nameDir + 16, r.id);
    s.Put32(nameDir + 20, 0x80000000u | (languageDir - base));
    s.Put32(languageDir + 16, r.language);
    s.Put32(languageDir + 20, dataEntries.back() - base);
    const uint32_t text = s.Add16(static_cast<uint32_t>(r.typeText.size()));
    for (char c : r.typeText) s.Add16(static_cast<uint8_t>(c));
    s.Put32(root + 16 + 8 * i, 0x80000000u | (text - base));
    s.Align(4);
  }
  for (uint32_t i = 0; i < count; ++i) {
    s.Align(8);
    s.Put32(dataEntries[i], kSectionRva + s.Here());
    s.Put32(dataEntries[i] + 4, static_cast<uint32_t>(image.resources[i].bytes.size()));
    s.data.insert(s.data.end(), image.resources[i].bytes.begin(), image.resources[i].bytes.end());
  }
  return {kSectionRva + base, s.Here() - base};
}

inline std::vector<uint8_t> BuildImage(const Image& image) {
  Buffer section;
  const Directory directories[] = {AddExports(section, image), AddImports(section, image),
                                   AddResources(section, image)};
  const uint32_t size = section.Here();
  const uint32_t opt = kPeHeader + 24;  // optional header
  const uint32_t table = opt + 240;     // section table
  // Offset, value and width of every header field the reader looks at.
  const uint32_t fields[][3] = {
      {0, 'M' | 'Z' << 8, 2}, {0x3c, kPeHeader, 4}, {kPeHeader, 'P' | 'E' << 8, 4},
      {kPeHeader + 4, image.machine, 2}, {kPeHeader + 6, 1, 2} /* one section */,
      {kPeHeader + 20, 240, 2} /* optional header size */,
      {kPeHeader + 22, 0x0022u | (image.isDll ? 0x2000u : 0u), 2} /* executable, large-address aware */,
      {opt, 0x20b, 2}, {opt + 32, 0x1000, 4}, {opt + 36, 0x200, 4} /* section and file alignment */,
      {opt + 56, kSectionRva + ((size + 0xfff) & ~0xfffu), 4}, {opt + 60, kHeaderSize, 4}, {opt + 68, 2, 2} /* GUI */,
      {opt + 108, 16, 4} /* data directories */, {table, '.' | 'r' << 8 | 'd' << 16 | 'a' << 24, 4},
      {table + 4, 't' | 'a' << 8, 4}, {table + 8, size, 4}, {table + 12, kSectionRva, 4}, {table + 16, size, 4},
      {table + 20, kHeaderSize, 4}, {table + 36, 0x40000040, 4} /* initialised data, readable */};
  Buffer h;
  h.AddZeros(kHeaderSize);
  for (const auto& [at, value, width] : fields) h.Put(at, value, width);
  for (uint32_t d = 0; d < 3; ++d) {
    h.Put32(kDataDirectories + 8 * d, directories[d].first);
    h.Put32(kDataDirectories + 8 * d + 4, directories[d].second);
  }
  h.data.insert(h.data.end(), section.data.begin(), section.data.end());
  return h.data;
}

}  // namespace synthetic_pe

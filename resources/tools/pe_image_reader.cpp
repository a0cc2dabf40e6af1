#include "resources/tools/pe_image_reader.h"

#include <cstring>

namespace {

constexpr uint16_t kPe32PlusMagic = 0x20b;
constexpr uint32_t kDirectoryExport = 0;
constexpr uint32_t kDirectoryImport = 1;
constexpr uint32_t kDirectoryResource = 2;
constexpr uint32_t kResourceHighBit = 0x80000000u;
constexpr size_t kMaxStringLength = 4096;
// A hostile resource tree can share subdirectories and so name the same bytes
// again and again; real plug-ins carry a handful of resources.
constexpr size_t kMaxResources = 4096;

struct Section {
  uint32_t virtualAddress = 0;
  uint32_t rawSize = 0;
  uint32_t rawOffset = 0;
};

struct Reader {
  const std::vector<uint8_t>& image;
  std::vector<Section> sections;
  std::string error;

  bool Fail(const std::string& message) {
    if (error.empty()) error = message;
    return false;
  }

  bool InFile(uint64_t offset, uint64_t size) const {
    return offset <= image.size() && size <= image.size() - offset;
  }

  uint16_t U16(uint64_t offset) const {
    return static_cast<uint16_t>(image[offset] | (image[offset + 1] << 8));
  }
  uint32_t U32(uint64_t offset) const {
    return static_cast<uint32_t>(image[offset]) | (static_cast<uint32_t>(image[offset + 1]) << 8) |
           (static_cast<uint32_t>(image[offset + 2]) << 16) |
           (static_cast<uint32_t>(image[offset + 3]) << 24);
  }

  // The file offset of `size` bytes at `rva`, all inside one section's data.
  bool Map(uint64_t rva, uint64_t size, uint64_t& offset, const char* what) {
    for (const Section& s : sections) {
      if (rva < s.virtualAddress) continue;
      const uint64_t inside = rva - s.virtualAddress;
      if (inside >= s.rawSize || size > s.rawSize - inside) continue;
      offset = s.rawOffset + inside;
      if (!InFile(offset, size)) break;
      return true;
    }
    return Fail(std::string(what) + " lies outside the file's section data");
  }

  // Like Map, but an empty table needs no place in the file.
  bool MapTable(uint64_t rva, uint64_t size, uint64_t& offset, const char* what) {
    offset = 0;
    return size == 0 || Map(rva, size, offset, what);
  }

  bool ReadString(uint32_t rva, std::string& text, const char* what) {
    uint64_t offset = 0;
    if (!Map(rva, 1, offset, what)) return false;
    text.clear();
    for (uint64_t at = offset; at < image.size(); ++at) {
      if (image[at] == 0) return true;
      if (text.size() == kMaxStringLength) break;
      text.push_back(static_cast<char>(image[at]));
    }
    return Fail(std::string(what) + " has no terminating zero");
  }
};

bool ReadHeaders(Reader& r, PeImage& result, uint32_t directories[3][2]) {
  if (!r.InFile(0, 64) || r.image[0] != 'M' || r.image[1] != 'Z') return r.Fail("not an MZ executable");
  const uint64_t pe = r.U32(0x3c);
  if (!r.InFile(pe, 24) || std::memcmp(&r.image[pe], "PE\0\0", 4) != 0) return r.Fail("no PE signature");
  result.machine = r.U16(pe + 4);
  const uint16_t sectionCount = r.U16(pe + 6);
  const uint16_t optionalSize = r.U16(pe + 20);
  result.characteristics = r.U16(pe + 22);

  const uint64_t optional = pe + 24;
  if (optionalSize < 112 || !r.InFile(optional, optionalSize)) return r.Fail("optional header truncated");
  if (r.U16(optional) != kPe32PlusMagic) return r.Fail("not a PE32+ (64-bit) image");
  const uint32_t directoryCount = r.U32(optional + 108);
  for (uint32_t d = 0; d < 3; ++d) {
    directories[d][0] = directories[d][1] = 0;
    if (d >= directoryCount || 112 + 8 * (d + 1) > optionalSize) continue;
    directories[d][0] = r.U32(optional + 112 + 8 * d);
    directories[d][1] = r.U32(optional + 116 + 8 * d);
  }

  const uint64_t table = optional + optionalSize;
  if (!r.InFile(table, uint64_t{40} * sectionCount)) return r.Fail("section table truncated");
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const uint64_t at = table + uint64_t{40} * i;
    r.sections.push_back({r.U32(at + 12), r.U32(at + 16), r.U32(at + 20)});
  }
  return true;
}

bool ReadExports(Reader& r, uint32_t directoryRva, uint32_t directorySize, PeImage& result) {
  if (directoryRva == 0) return true;
  uint64_t dir = 0;
  if (!r.Map(directoryRva, 40, dir, "export directory")) return false;
  const uint32_t base = r.U32(dir + 16);
  const uint32_t functionCount = r.U32(dir + 20);
  const uint32_t nameCount = r.U32(dir + 24);
  uint64_t functions = 0, names = 0, ordinals = 0;
  if (!r.MapTable(r.U32(dir + 28), uint64_t{4} * functionCount, functions, "export address table") ||
      !r.MapTable(r.U32(dir + 32), uint64_t{4} * nameCount, names, "export name table") ||
      !r.MapTable(r.U32(dir + 36), uint64_t{2} * nameCount, ordinals, "export ordinal table"))
    return false;

  std::vector<bool> named(functionCount, false);
  auto makeExport = [&](uint32_t index, std::string name) {
    PeExport e;
    e.name = std::move(name);
    e.ordinal = base + index;
    e.rva = r.U32(functions + uint64_t{4} * index);
    e.forwarded = e.rva >= directoryRva && e.rva - directoryRva < directorySize;
    return e;
  };
  for (uint32_t j = 0; j < nameCount; ++j) {
    const uint16_t index = r.U16(ordinals + uint64_t{2} * j);
    if (index >= functionCount) return r.Fail("export name points past the export address table");
    std::string name;
    if (!r.ReadString(r.U32(names + uint64_t{4} * j), name, "export name")) return false;
    named[index] = true;
    result.exports.push_back(makeExport(index, std::move(name)));
  }
  for (uint32_t i = 0; i < functionCount; ++i) {
    if (!named[i] && r.U32(functions + uint64_t{4} * i) != 0) result.exports.push_back(makeExport(i, ""));
  }
  return true;
}

// 64-bit entries up to a zero one: bit 63 marks an import by ordinal, else
// the low 31 bits give the place of a 2-byte hint and the name.
bool ReadImportedFunctions(Reader& r, uint32_t tableRva, const std::string& dll, PeImage& result) {
  if (tableRva == 0) return true;
  for (uint64_t rva = tableRva;; rva += 8) {
    uint64_t at = 0;
    if (!r.Map(rva, 8, at, "import lookup table")) return false;
    const uint32_t low = r.U32(at);
    const uint32_t high = r.U32(at + 4);
    if (low == 0 && high == 0) return true;
    if ((high & 0x80000000u) != 0) continue;
    PeImportedFunction function{dll, {}};
    if (!r.ReadString((low & 0x7fffffffu) + 2, function.name, "imported function name")) return false;
    result.importedFunctions.push_back(std::move(function));
  }
}

bool ReadImports(Reader& r, uint32_t directoryRva, PeImage& result) {
  if (directoryRva == 0) return true;
  for (uint64_t rva = directoryRva;; rva += 20) {
    uint64_t at = 0;
    if (!r.Map(rva, 20, at, "import directory")) return false;
    bool empty = true;
    for (uint64_t b = 0; b < 20; ++b) empty = empty && r.image[at + b] == 0;
    if (empty) return true;
    std::string name;
    if (!r.ReadString(r.U32(at + 12), name, "imported DLL name")) return false;
    // The lookup table, or the address table the loader fills when a linker
    // left the lookup table out.
    const uint32_t lookup = r.U32(at) != 0 ? r.U32(at) : r.U32(at + 16);
    if (!ReadImportedFunctions(r, lookup, name, result)) return false;
    result.importedDlls.push_back(std::move(name));
  }
}

struct ResourceDirectoryEntry {
  PeResourceKey key;
  uint32_t target = 0;  // offset from the start of the resource directory
  bool isDirectory = false;
};

bool ReadResourceDirectory(Reader& r, uint32_t base, uint32_t offset, std::vector<ResourceDirectoryEntry>& entries) {
  entries.clear();
  uint64_t dir = 0;
  if (!r.Map(uint64_t{base} + offset, 16, dir, "resource directory")) return false;
  const uint32_t count = uint32_t{r.U16(dir + 12)} + r.U16(dir + 14);
  uint64_t table = 0;
  if (!r.MapTable(uint64_t{base} + offset + 16, uint64_t{8} * count, table, "resource directory entries"))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t name = r.U32(table + uint64_t{8} * i);
    const uint32_t target = r.U32(table + uint64_t{8} * i + 4);
    ResourceDirectoryEntry entry;
    entry.isDirectory = (target & kResourceHighBit) != 0;
    entry.target = target & ~kResourceHighBit;
    if (name & kResourceHighBit) {
      uint64_t text = 0;
      const uint64_t textRva = uint64_t{base} + (name & ~kResourceHighBit);
      if (!r.Map(textRva, 2, text, "resource name")) return false;
      const uint16_t length = r.U16(text);
      if (!r.MapTable(textRva + 2, uint64_t{2} * length, text, "resource name")) return false;
      entry.key.isString = true;
      for (uint16_t c = 0; c < length; ++c) {
        const uint16_t unit = r.U16(text + uint64_t{2} * c);
        entry.key.text.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
      }
    } else {
      entry.key.number = static_cast<uint16_t>(name);
    }
    entries.push_back(std::move(entry));
  }
  return true;
}

// Resources form three fixed levels: type, name, language.
bool ReadResources(Reader& r, uint32_t base, PeImage& result) {
  if (base == 0) return true;
  std::vector<ResourceDirectoryEntry> types, names, languages;
  uint64_t totalBytes = 0;
  if (!ReadResourceDirectory(r, base, 0, types)) return false;
  for (const ResourceDirectoryEntry& type : types) {
    if (!type.isDirectory) return r.Fail("resource type entry is not a directory");
    if (!ReadResourceDirectory(r, base, type.target, names)) return false;
    for (const ResourceDirectoryEntry& name : names) {
      if (!name.isDirectory) return r.Fail("resource name entry is not a directory");
      if (!ReadResourceDirectory(r, base, name.target, languages)) return false;
      for (const ResourceDirectoryEntry& language : languages) {
        if (language.isDirectory || language.key.isString)
          return r.Fail("resource language entry is not a data entry");
        uint64_t entry = 0, data = 0;
        if (!r.Map(uint64_t{base} + language.target, 16, entry, "resource data entry")) return false;
        const uint32_t size = r.U32(entry + 4);
        if (!r.MapTable(r.U32(entry), size, data, "resource data")) return false;
        totalBytes += size;
        if (result.resources.size() == kMaxResources || totalBytes > r.image.size())
          return r.Fail("resource directory names more data than the file holds");
        PeResource resource;
        resource.type = type.key;
        resource.name = name.key;
        resource.language = language.key.number;
        resource.bytes.assign(r.image.begin() + static_cast<std::ptrdiff_t>(data),
                              r.image.begin() + static_cast<std::ptrdiff_t>(data + size));
        result.resources.push_back(std::move(resource));
      }
    }
  }
  return true;
}

}  // namespace

bool ReadPeImage(const std::vector<uint8_t>& image, PeImage& result, std::string& error) {
  result = PeImage{};
  Reader reader{image, {}, {}};
  uint32_t directories[3][2];
  const bool ok = ReadHeaders(reader, result, directories) &&
                  ReadExports(reader, directories[kDirectoryExport][0], directories[kDirectoryExport][1], result) &&
                  ReadImports(reader, directories[kDirectoryImport][0], result) &&
                  ReadResources(reader, directories[kDirectoryResource][0], result);
  error = reader.error;
  return ok;
}

std::string DescribeResourceKey(const PeResourceKey& key) {
  std::string text = key.isString ? "\"" : "#";
  text.append(key.isString ? key.text + "\"" : std::to_string(key.number));
  return text;
}

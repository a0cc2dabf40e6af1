// A small reader for Windows PE32+ images: the header facts, the named and
// unnamed exports, the imported DLLs and every resource. It reads an image
// from memory and checks every offset against the image size, so a damaged
// or hostile file gives an error, never a read out of bounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr uint16_t kPeMachineAmd64 = 0x8664;
constexpr uint16_t kPeCharacteristicDll = 0x2000;

struct PeExport {
  std::string name;    // empty for an export by ordinal only
  uint32_t ordinal = 0;
  uint32_t rva = 0;
  bool forwarded = false;  // the address points at a "DLL.Function" string
};

// A resource type or name: a number, or a string when isString is set.
struct PeResourceKey {
  bool isString = false;
  uint16_t number = 0;
  std::string text;  // UTF-16 of the image narrowed; non-ASCII becomes '?'
};

struct PeResource {
  PeResourceKey type;
  PeResourceKey name;
  uint16_t language = 0;
  std::vector<uint8_t> bytes;
};

// A function imported by name; imports by ordinal are not listed.
struct PeImportedFunction {
  std::string dll;
  std::string name;
};

struct PeImage {
  uint16_t machine = 0;
  uint16_t characteristics = 0;
  std::vector<PeExport> exports;  // every non-empty slot of the export address table
  std::vector<std::string> importedDlls;
  std::vector<PeImportedFunction> importedFunctions;
  std::vector<PeResource> resources;
};

// Parses `image`. Returns false and sets `error` when the image is not a
// well-formed PE32+ file; `result` is then incomplete.
bool ReadPeImage(const std::vector<uint8_t>& image, PeImage& result, std::string& error);

// "PIPL", or "#16000" for a number.
std::string DescribeResourceKey(const PeResourceKey& key);

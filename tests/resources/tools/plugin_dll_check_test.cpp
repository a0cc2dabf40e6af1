#include <gtest/gtest.h>

#include <functional>

#include "resources/tools/plugin_dll_check.h"
#include "tests/resources/tools/synthetic_pe_image.h"

namespace {

const std::vector<uint8_t> kGenerated = [] {
  std::vector<uint8_t> bytes(290);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  return bytes;
}();

synthetic_pe::Image SoundDll() {
  synthetic_pe::Image image;
  image.resources = {synthetic_pe::Resource{"PIPL", 16000, 1033, kGenerated}};
  return image;
}

std::string Check(const synthetic_pe::Image& image) {
  std::string all;
  for (const std::string& line : CheckPluginDll(synthetic_pe::BuildImage(image), SpindrelDllExpectation(kGenerated)))
    all += line + "\n";
  return all;
}

// The file offset of the address stored at `at` in a synthetic image.
uint32_t OffsetStoredAt(const std::vector<uint8_t>& image, size_t at) {
  const uint32_t rva = image[at] | image[at + 1] << 8 | image[at + 2] << 16 | uint32_t{image[at + 3]} << 24;
  return rva - synthetic_pe::kSectionRva + synthetic_pe::kHeaderSize;
}

}  // namespace

TEST(PluginDllCheck, AcceptsTheSoundDllWithSystemImportsInAnyCase) {
  EXPECT_EQ(Check(SoundDll()), "");
  synthetic_pe::Image image = SoundDll();
  image.imports.push_back({"api-ms-win-crt-runtime-l1-1-0.dll", {}});
  image.imports[0].dll = "kernel32.DLL";
  EXPECT_EQ(Check(image), "");
}

TEST(PluginDllCheck, RejectsEachDeliberateFault) {
  struct Fault {
    const char* what;
    std::function<void(synthetic_pe::Image&)> apply;
    const char* expectedProblem;
  };
  const Fault faults[] = {
      {"a second named export", [](auto& i) { i.exportNames.push_back("Helper"); }, "unexpected export Helper"},
      {"a second export by ordinal only", [](auto& i) { i.ordinalOnlyExports = 1; }, "by ordinal #2"},
      {"an entry point in another case", [](auto& i) { i.exportNames = {"entrypointfunc"}; },
       "EntryPointFunc is not exported"},
      {"a resource in German", [](auto& i) { i.resources[0].language = 1031; }, "language 1031, expected 1033"},
      {"a language-neutral resource", [](auto& i) { i.resources[0].language = 0; }, "language 0, expected 1033"},
      {"a 289-byte resource", [](auto& i) { i.resources[0].bytes.pop_back(); }, "holds 289 bytes"},
      {"one changed byte", [](auto& i) { i.resources[0].bytes[137] ^= 0x10; }, "at offset 137"},
      {"another id", [](auto& i) { i.resources[0].id = 16001; }, "id #16001, expected #16000"},
      {"a lower-case type name", [](auto& i) { i.resources[0].typeText = "pipl"; }, "no resource of type \"PIPL\""},
      {"no resources", [](auto& i) { i.resources.clear(); }, "no resources at all"},
      {"the resource twice in two languages",
       [](auto& i) {
         i.resources.push_back(i.resources[0]);
         i.resources[1].language = 1031;
       },
       "2 resources of type \"PIPL\""},
      {"a threads runtime import", [](auto& i) { i.imports.push_back({"libwinpthread-1.dll", {}}); },
       "non-system DLL libwinpthread-1.dll"},
      {"the save dialog loaded at run time", [](auto& i) { i.imports[2].functions.clear(); },
       "does not import GetSaveFileNameA from comdlg32.dll"},
      {"the alert taken from another DLL", [](auto& i) { i.imports[1].dll = "shell32.dll"; },
       "does not import MessageBoxA from user32.dll"},
      {"a 32-bit machine", [](auto& i) { i.machine = 0x14c; }, "not built for x64"},
      {"an executable instead of a DLL", [](auto& i) { i.isDll = false; }, "not a DLL"},
  };
  for (const Fault& fault : faults) {
    synthetic_pe::Image image = SoundDll();
    fault.apply(image);
    const std::string problems = Check(image);
    EXPECT_NE(problems.find(fault.expectedProblem), std::string::npos)
        << fault.what << ": expected \"" << fault.expectedProblem << "\", got:\n" << problems;
  }
}

// Damaged images are refused without a read out of bounds (the sanitizer build checks that).
TEST(PeImageReader, RefusesTruncatedHostileAndDamagedImages) {
  const std::vector<uint8_t> sound = synthetic_pe::BuildImage(SoundDll());
  for (size_t size = 0; size < sound.size(); ++size) {
    const std::vector<uint8_t> prefix(sound.begin(), sound.begin() + static_cast<std::ptrdiff_t>(size));
    ASSERT_FALSE(CheckPluginDll(prefix, SpindrelDllExpectation(kGenerated)).empty()) << "accepted " << size << " bytes";
  }
  const uint32_t exportDir = OffsetStoredAt(sound, synthetic_pe::kDataDirectories);
  const uint32_t firstOrdinal = OffsetStoredAt(sound, exportDir + 36);
  const uint32_t root = OffsetStoredAt(sound, synthetic_pe::kDataDirectories + 16);
  const std::pair<uint32_t, uint32_t> damages[] = {
      {exportDir + 20, 0xffffffffu},  // four billion exported functions
      {firstOrdinal, 5},              // a name's ordinal past the table
      {root + 20, 0x80000000u},       // a name directory pointing back at the root
      {root + 12, 0xffffffffu},       // 65535 + 65535 entries
      {0x3c, 0xfffffff0u},            // e_lfanew far outside the file
  };
  for (const auto& [at, value] : damages) {
    synthetic_pe::Buffer image{sound};
    image.Put32(at, value);
    PeImage pe;
    std::string error;
    EXPECT_FALSE(ReadPeImage(image.data, pe, error)) << at;
  }
}

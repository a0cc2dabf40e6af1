#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "resources/tools/plugin_dll_check.h"
#include "tests/resources/tools/synthetic_pe_image.h"

namespace {

std::vector<uint8_t> SampleResourceBytes(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
  return bytes;
}

const std::vector<uint8_t> kGenerated = SampleResourceBytes(290);

synthetic_pe::Image SoundDll() {
  synthetic_pe::Image image;
  synthetic_pe::Resource pipl;
  pipl.bytes = kGenerated;
  image.resources.push_back(pipl);
  return image;
}

std::vector<std::string> Check(const synthetic_pe::Image& image) {
  return CheckPluginDll(synthetic_pe::BuildImage(image), SpindrelDllExpectation(kGenerated));
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) all += line + "\n";
  return all;
}

TEST(PeImageReader, ReadsExportsImportsAndResourcesOfAWellFormedDll) {
  synthetic_pe::Image image = SoundDll();
  image.ordinalOnlyExports = 1;
  synthetic_pe::Resource other;
  other.typeIsString = false;
  other.typeNumber = 16;  // version information
  other.id = 1;
  other.bytes = {1, 2, 3};
  image.resources.push_back(other);

  PeImage pe;
  std::string error;
  ASSERT_TRUE(ReadPeImage(synthetic_pe::BuildImage(image), pe, error)) << error;
  EXPECT_EQ(pe.machine, kPeMachineAmd64);
  EXPECT_NE(pe.characteristics & kPeCharacteristicDll, 0);
  ASSERT_EQ(pe.exports.size(), 2u);
  EXPECT_EQ(pe.exports[0].name, "EntryPointFunc");
  EXPECT_EQ(pe.exports[0].ordinal, 1u);
  EXPECT_FALSE(pe.exports[0].forwarded);
  EXPECT_EQ(pe.exports[1].name, "");
  EXPECT_EQ(pe.exports[1].ordinal, 2u);
  EXPECT_EQ(pe.importedDlls, (std::vector<std::string>{"KERNEL32.dll", "msvcrt.dll"}));
  ASSERT_EQ(pe.resources.size(), 2u);
  EXPECT_EQ(DescribeResourceKey(pe.resources[0].type), "\"PIPL\"");
  EXPECT_EQ(DescribeResourceKey(pe.resources[0].name), "#16000");
  EXPECT_EQ(pe.resources[0].language, 1033);
  EXPECT_EQ(pe.resources[0].bytes, kGenerated);
  EXPECT_EQ(DescribeResourceKey(pe.resources[1].type), "#16");
  EXPECT_EQ(pe.resources[1].bytes, (std::vector<uint8_t>{1, 2, 3}));
}

TEST(PluginDllCheck, AcceptsTheSoundDll) {
  EXPECT_EQ(Joined(Check(SoundDll())), "");
}

struct Fault {
  const char* what;
  std::function<void(synthetic_pe::Image&)> apply;
  const char* expectedProblem;
};

TEST(PluginDllCheck, RejectsEachDeliberateFault) {
  const Fault faults[] = {
      {"a second named export", [](auto& i) { i.exportNames.push_back("Helper"); }, "unexpected export Helper"},
      {"a second export by ordinal only", [](auto& i) { i.ordinalOnlyExports = 1; }, "by ordinal #2"},
      {"no exports", [](auto& i) { i.exportNames.clear(); }, "EntryPointFunc is not exported"},
      {"a renamed entry point", [](auto& i) { i.exportNames = {"EntryPointFunction"}; },
       "EntryPointFunc is not exported"},
      {"a decorated entry point", [](auto& i) { i.exportNames = {"_EntryPointFunc@24"}; },
       "EntryPointFunc is not exported"},
      {"an entry point in another case", [](auto& i) { i.exportNames = {"entrypointfunc"}; },
       "EntryPointFunc is not exported"},
      {"a resource in German", [](auto& i) { i.resources[0].language = 1031; }, "language 1031, expected 1033"},
      {"a language-neutral resource", [](auto& i) { i.resources[0].language = 0; }, "language 0, expected 1033"},
      {"a 289-byte resource", [](auto& i) { i.resources[0].bytes.pop_back(); }, "holds 289 bytes"},
      {"a 291-byte resource", [](auto& i) { i.resources[0].bytes.push_back(0); }, "holds 291 bytes"},
      {"one changed byte", [](auto& i) { i.resources[0].bytes[137] ^= 0x10; }, "at offset 137"},
      {"another id", [](auto& i) { i.resources[0].id = 16001; }, "id #16001, expected #16000"},
      {"another type name", [](auto& i) { i.resources[0].typeText = "PIPX"; }, "no resource of type \"PIPL\""},
      {"a lower-case type name", [](auto& i) { i.resources[0].typeText = "pipl"; }, "no resource of type"},
      {"a numbered type", [](auto& i) { i.resources[0].typeIsString = false; i.resources[0].typeNumber = 16000; },
       "no resource of type"},
      {"no resources", [](auto& i) { i.resources.clear(); }, "no resources at all"},
      {"the resource twice in two languages",
       [](auto& i) {
         i.resources.push_back(i.resources[0]);
         i.resources[1].language = 1031;
       },
       "2 resources of type \"PIPL\""},
      {"a C++ runtime import", [](auto& i) { i.imports.push_back("libstdc++-6.dll"); },
       "non-system DLL libstdc++-6.dll"},
      {"a threads runtime import", [](auto& i) { i.imports.push_back("libwinpthread-1.dll"); },
       "non-system DLL libwinpthread-1.dll"},
      {"a 32-bit machine", [](auto& i) { i.machine = 0x14c; }, "not built for x64"},
      {"an executable instead of a DLL", [](auto& i) { i.isDll = false; }, "not a DLL"},
  };
  for (const Fault& fault : faults) {
    synthetic_pe::Image image = SoundDll();
    fault.apply(image);
    const std::string problems = Joined(Check(image));
    EXPECT_NE(problems.find(fault.expectedProblem), std::string::npos)
        << fault.what << ": expected \"" << fault.expectedProblem << "\", got:\n" << problems;
  }
}

TEST(PluginDllCheck, AcceptsSystemImportsInAnyCase) {
  synthetic_pe::Image image = SoundDll();
  image.imports = {"KERNEL32.dll", "USER32.dll", "comdlg32.dll", "msvcrt.dll", "api-ms-win-crt-runtime-l1-1-0.dll"};
  EXPECT_EQ(Joined(Check(image)), "");
}

TEST(PeImageReader, RejectsEveryTruncationOfTheImage) {
  const std::vector<uint8_t> full = synthetic_pe::BuildImage(SoundDll());
  for (size_t size = 0; size < full.size(); ++size) {
    const std::vector<uint8_t> prefix(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
    const std::vector<std::string> problems = CheckPluginDll(prefix, SpindrelDllExpectation(kGenerated));
    ASSERT_FALSE(problems.empty()) << "accepted the first " << size << " of " << full.size() << " bytes";
  }
}

void PutU32(std::vector<uint8_t>& image, size_t at, uint32_t value) {
  for (int b = 0; b < 4; ++b) image[at + b] = static_cast<uint8_t>(value >> (8 * b));
}

uint32_t GetU32(const std::vector<uint8_t>& image, size_t at) {
  return image[at] | (image[at + 1] << 8) | (image[at + 2] << 16) | (static_cast<uint32_t>(image[at + 3]) << 24);
}

// File offset of the data directory entry `d` in a synthetic image.
size_t DirectoryEntryOffset(uint32_t d) { return 0x40 + 24 + 112 + 8 * d; }
size_t FileOffsetOfRva(uint32_t rva) { return rva - synthetic_pe::kSectionRva + synthetic_pe::kHeaderSize; }

TEST(PeImageReader, RefusesHostileCountsAndLoopsWithoutReadingOutOfBounds) {
  const std::vector<uint8_t> sound = synthetic_pe::BuildImage(SoundDll());
  PeImage pe;
  std::string error;

  std::vector<uint8_t> image = sound;  // an export table claiming four billion functions
  const size_t exportDir = FileOffsetOfRva(GetU32(image, DirectoryEntryOffset(0)));
  PutU32(image, exportDir + 20, 0xffffffffu);
  EXPECT_FALSE(ReadPeImage(image, pe, error));
  EXPECT_NE(error.find("export address table"), std::string::npos) << error;

  image = sound;  // an export name whose ordinal index points past the table
  image[FileOffsetOfRva(GetU32(image, exportDir + 36))] = 5;
  EXPECT_FALSE(ReadPeImage(image, pe, error));

  image = sound;  // a resource name directory pointing back at the root
  const size_t root = FileOffsetOfRva(GetU32(image, DirectoryEntryOffset(2)));
  PutU32(image, root + 20, 0x80000000u);
  EXPECT_FALSE(ReadPeImage(image, pe, error));

  image = sound;  // a root claiming 65535 + 65535 entries
  image[root + 12] = image[root + 13] = image[root + 14] = image[root + 15] = 0xff;
  EXPECT_FALSE(ReadPeImage(image, pe, error));

  image = sound;  // e_lfanew far outside the file
  PutU32(image, 0x3c, 0xfffffff0u);
  EXPECT_FALSE(ReadPeImage(image, pe, error));
}

// Random damage must give an answer, never a crash or a read out of bounds
// (the sanitizer build checks the latter).
TEST(PeImageReader, SurvivesRandomlyDamagedImages) {
  const std::vector<uint8_t> sound = synthetic_pe::BuildImage(SoundDll());
  std::mt19937 random(12345);
  std::uniform_int_distribution<size_t> position(0, sound.size() - 1);
  std::uniform_int_distribution<int> byte(0, 255), count(1, 6);
  size_t rejected = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> image = sound;
    for (int n = count(random); n > 0; --n) image[position(random)] = static_cast<uint8_t>(byte(random));
    PeImage pe;
    std::string error;
    if (!ReadPeImage(image, pe, error) || !CheckPluginDll(image, SpindrelDllExpectation(kGenerated)).empty())
      ++rejected;
  }
  EXPECT_GT(rejected, 0u);
}

}  // namespace

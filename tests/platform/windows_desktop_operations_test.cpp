// The Windows desktop operations of the plug-in DLL, run under the reference
// host with the DLL's own import slots for the save dialog and the message
// box pointed at recorders that check every field and answer like a user.
#ifdef _WIN32

#include <windows.h>
// commdlg.h needs windows.h before it.
#include <commdlg.h>
// The dialog's error codes.
#include <cderr.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/frame_buffer.h"
#include "model/param_ids.h"
#include "tests/host/reference_host_fixture.h"
#include "tests/file_bytes.h"

namespace {

namespace fs = std::filesystem;

void* PatchImport(HMODULE module, const char* dll, const char* function, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return nullptr;
  for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
       ++import) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + import->Name), dll) != 0) continue;
    auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + (import->OriginalFirstThunk != 0 ? import->OriginalFirstThunk : import->FirstThunk));
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
    for (; name->u1.AddressOfData != 0; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(byName->Name), function) != 0) continue;
      DWORD old = 0;
      VirtualProtect(&slot->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
      void* previous = reinterpret_cast<void*>(slot->u1.Function);
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slot->u1.Function, sizeof(void*), old, &old);
      return previous;
    }
  }
  return nullptr;
}

// What the recorders saw, and how the user answers the next dialog.
struct Desktop {
  std::vector<std::string> calls;  // one line per dialog or message box
  std::string answer;              // empty: Cancel, or the dialog failed
  DWORD dialogError = 0;           // what CommDlgExtendedError reports after a dialog without answer
};
Desktop desktop;

std::string FilterList(const char* filter) {
  std::string list;
  if (filter == nullptr) return "(null)";
  while (*filter != '\0') {
    list += filter;
    list += '|';
    filter += std::strlen(filter) + 1;
  }
  return list;
}

BOOL WINAPI RecordSaveDialog(LPOPENFILENAMEA o) {
  std::ostringstream line;
  line << "save size=" << o->lStructSize << " owner=" << (o->hwndOwner != nullptr) << " instance="
       << (o->hInstance != nullptr) << " filter=" << FilterList(o->lpstrFilter)
       << " custom=" << (o->lpstrCustomFilter != nullptr) << " index=" << o->nFilterIndex
       << " max=" << o->nMaxFile << " title=" << (o->lpstrFileTitle != nullptr) << " dir="
       << (o->lpstrInitialDir != nullptr) << " caption=" << (o->lpstrTitle ? o->lpstrTitle : "(null)")
       << " flags=0x" << std::hex << o->Flags << std::dec << " ext=" << (o->lpstrDefExt ? o->lpstrDefExt : "(null)")
       << " file=" << o->lpstrFile;
  // The rest of the name buffer is zero.
  bool restZero = true;
  for (DWORD i = static_cast<DWORD>(std::strlen(o->lpstrFile)); i < o->nMaxFile; ++i)
    restZero = restZero && o->lpstrFile[i] == '\0';
  line << " rest-zero=" << restZero;
  desktop.calls.push_back(line.str());
  if (desktop.answer.empty()) return FALSE;
  lstrcpynA(o->lpstrFile, desktop.answer.c_str(), static_cast<int>(o->nMaxFile));
  return TRUE;
}

DWORD WINAPI ReportDialogError() { return desktop.dialogError; }

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  std::ostringstream line;
  line << "message owner=" << (owner != nullptr) << " type=0x" << std::hex << type << std::dec << " caption="
       << caption << " text=" << text;
  desktop.calls.push_back(line.str());
  return IDOK;
}

std::string SaveLine(const char* filter, const char* caption, const char* ext, const char* file) {
  return std::string("save size=152 owner=0 instance=0 filter=") + filter +
         " custom=0 index=0 max=260 title=0 dir=0 caption=" + caption + " flags=0x80a ext=" + ext + " file=" + file +
         " rest-zero=1";
}
const std::string kJsonDialog = SaveLine("JSON file|*.json|All files|*.*|", "Save Spindrel JSON", "json",
                                         "Spindrel_paths.json");
const std::string kSvgDialog =
    SaveLine("SVG file|*.svg|All files|*.*|", "Save Spindrel SVG", "svg", "Spindrel_paths.svg");

TEST(WindowsDesktop, SaveDialogsAndMessageBoxesOfTheExports) {
  std::unique_ptr<ReferenceHost> host = OpenSetUpHost();
  ASSERT_NE(host, nullptr);
  const HMODULE module = GetModuleHandleA("Spindrel.dll");
  ASSERT_NE(module, nullptr);
  ASSERT_EQ(PatchImport(module, "comdlg32.dll", "GetSaveFileNameA", reinterpret_cast<void*>(&RecordSaveDialog)),
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("comdlg32.dll"), "GetSaveFileNameA")));
  ASSERT_NE(PatchImport(module, "user32.dll", "MessageBoxA", reinterpret_cast<void*>(&RecordMessageBox)), nullptr);
  ASSERT_NE(PatchImport(module, "comdlg32.dll", "CommDlgExtendedError", reinterpret_cast<void*>(&ReportDialogError)),
            nullptr);

  const fs::path dir = fs::temp_directory_path() / "spindrel-windows-desktop";
  fs::remove_all(dir);
  fs::create_directories(dir);
  auto press = [&](int32_t paramId, const std::string& answer, DWORD dialogError = 0) {
    desktop = Desktop{{}, answer, dialogError};
    EXPECT_EQ(PressButton(*host, paramId), kHostErrorNone);
    return desktop.calls;
  };
  using Calls = std::vector<std::string>;

  // Before any render: the no-data messages, no dialog.
  EXPECT_EQ(press(PARAM_EXPORT_PATHS, "x"),
            (Calls{"message owner=0 type=0x40 caption=Spindrel: Export JSON text=No path data cached.\n\nPreview at "
                   "least one frame first."}));
  EXPECT_EQ(press(PARAM_EXPORT_SVG, "x"),
            (Calls{"message owner=0 type=0x40 caption=Spindrel: Export SVG text=No path data cached.\n\nPreview at "
                   "least one frame with the Spindrel effect active first."}));

  OwnedFrame input = FrameFromImage(TextInkImage(96, 48, 3), 8);
  OwnedFrame output = MakeFrame(96, 48, 8);
  ASSERT_EQ(RenderFrame(*host, FrameView(input), FrameView(output), 0), kHostErrorNone);

  // Cancel: the dialog and nothing else.
  EXPECT_EQ(press(PARAM_EXPORT_PATHS, ""), Calls{kJsonDialog});
  EXPECT_EQ(press(PARAM_EXPORT_SVG, ""), Calls{kSvgDialog});
  EXPECT_TRUE(fs::is_empty(dir));

  const std::string json = (dir / "chains.json").string();
  const std::string svg = (dir / "chains.svg").string();
  EXPECT_EQ(press(PARAM_EXPORT_PATHS, json),
            (Calls{kJsonDialog, "message owner=0 type=0x40 caption=Spindrel text=JSON Exported Successfully!"}));
  EXPECT_EQ(press(PARAM_EXPORT_SVG, svg),
            (Calls{kSvgDialog, "message owner=0 type=0x40 caption=Spindrel text=SVG Exported Successfully!"}));
  EXPECT_EQ(ReadFileBytes(json).rfind("{\"width\":96,\"height\":48,\"paths\":[{\"closed\":false,\"points\":[[", 0), 0u);
  // Text mode: every SVG line ends with CR LF.
  const std::string svgBytes = ReadFileBytes(svg);
  EXPECT_EQ(svgBytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<svg ", 0), 0u);
  EXPECT_EQ(svgBytes.substr(svgBytes.size() - 8), "</svg>\r\n");

  // A directory where the file should go: reported, not claimed as success.
  fs::create_directories(dir / "taken.json");
  EXPECT_EQ(press(PARAM_EXPORT_PATHS, (dir / "taken.json").string()),
            (Calls{kJsonDialog, "message owner=0 type=0x40 caption=Spindrel: Export JSON text=The JSON file could "
                                "not be written.\n\nNo file was created or replaced."}));
  EXPECT_TRUE(fs::is_directory(dir / "taken.json"));

  // A dialog that failed (here: the chosen name does not fit its buffer) is
  // no cancel: the export failed.
  EXPECT_EQ(press(PARAM_EXPORT_SVG, "", FNERR_BUFFERTOOSMALL),
            (Calls{kSvgDialog, "message owner=0 type=0x40 caption=Spindrel: Export SVG text=The SVG file could "
                               "not be written.\n\nNo file was created or replaced."}));
  host.reset();
  fs::remove_all(dir);
}

}  // namespace

#endif  // _WIN32

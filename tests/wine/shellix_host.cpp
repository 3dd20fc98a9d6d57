// Plays Explorer for one file, in the bitness it was built for: creates the
// context-menu handler by its class id as the registry names it, hands it
// the shell's data object for the file, asks for its entries and chooses
// the first, then waits in InvokeCommand while whoever drives the dialog
// finishes it. Used where the test programs cannot load the extension
// themselves: a 64-bit test program drives the 32-bit extension through it.
// The exit code names the first step that failed; 0 when all passed.
//
//   vorlane_shellix_host <file>
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "shell_selection.h"
#include "shellext/shellix_logic.h"
#include "shellext/shellix_module.h"
#include "win32/com_ptr.h"
#include "win32/handles.h"

namespace {

using vorlane::win32::ComPtr;

enum Failure {
  kUsage = 1,
  kNotCreated,
  kNoData,
  kNotInitialized,
  kNoEntry,
  kNotInvoked,
};

int Fail(Failure step, const char* what, HRESULT result) {
  std::printf("vorlane_shellix_host: %s (0x%08lx)\n", what,
              static_cast<unsigned long>(result));
  return step;
}

int PlayExplorer(const char* file) {
  ComPtr<IShellExtInit> init;
  HRESULT result = CoCreateInstance(vorlane::shellext::CLSID_VorlaneShellix, nullptr,
                                    CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                    reinterpret_cast<void**>(init.put()));
  if (FAILED(result)) return Fail(kNotCreated, "not created by its class id", result);

  const std::string narrow(file);
  ComPtr<IDataObject> data = vorlane::test::ShellDataObject(
      {std::wstring(narrow.begin(), narrow.end())});
  if (!data) return Fail(kNoData, "the shell made no data object", E_FAIL);
  result = init->Initialize(nullptr, data.get(), nullptr);
  if (FAILED(result)) return Fail(kNotInitialized, "Initialize failed", result);

  ComPtr<IContextMenu> menu;
  init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(menu.put()));
  vorlane::win32::UniqueMenu popup(CreatePopupMenu());
  if (!menu || !popup) return Fail(kNoEntry, "no context menu", E_NOINTERFACE);
  result = menu->QueryContextMenu(popup.get(), 0, 1, 0x7fff, CMF_NORMAL);
  char text[64] = {};
  GetMenuStringA(popup.get(), 0, text, sizeof(text), MF_BYPOSITION);
  if (HRESULT_CODE(result) != 1 ||
      lstrcmpA(text, vorlane::shellext::kCommandText) != 0) {
    return Fail(kNoEntry, "its entry is missing", result);
  }

  CMINVOKECOMMANDINFO invoke{};
  invoke.cbSize = sizeof(invoke);
  invoke.lpVerb = MAKEINTRESOURCEA(0);
  invoke.nShow = SW_SHOWNORMAL;
  result = menu->InvokeCommand(&invoke);
  if (FAILED(result)) return Fail(kNotInvoked, "InvokeCommand failed", result);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::printf("usage: vorlane_shellix_host <file>\n");
    return kUsage;
  }
  if (FAILED(CoInitialize(nullptr))) return Fail(kNotCreated, "no COM", E_FAIL);
  const int status = PlayExplorer(argv[1]);
  CoUninitialize();
  return status;
}

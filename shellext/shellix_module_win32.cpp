// The library's exports: the class factory, unloading, and registration.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>
#include <shlobj.h>

#include <new>
#include <string>

#include "shellext/context_menu_ext.h"
#include "shellext/registration.h"
#include "shellext/registry_access_win32.h"
#include "shellext/shellix_logic.h"
#include "shellext/shellix_module.h"

namespace vorlane::shellext {

LONG g_objectCount = 0;

namespace {

HINSTANCE g_instance = nullptr;

class CContextMenuExtFactory final : public IClassFactory {
 public:
  CContextMenuExtFactory() { InterlockedIncrement(&g_objectCount); }

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG remaining = InterlockedDecrement(&references_);
    if (remaining == 0) delete this;
    return static_cast<ULONG>(remaining);
  }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* handler = new (std::nothrow) CContextMenuExt();
    if (handler == nullptr) return E_OUTOFMEMORY;
    // A handler that gives out no interface is gone again at once.
    handler->AddRef();
    const HRESULT result = handler->QueryInterface(riid, ppv);
    handler->Release();
    return result;
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  ~CContextMenuExtFactory() { InterlockedDecrement(&g_objectCount); }
  LONG references_ = 0;
};

std::string ModulePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(g_instance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return path;
}

// The class identifier as the platform spells it, in the ANSI code page.
std::string ClassIdText() {
  LPOLESTR wide = nullptr;
  if (FAILED(StringFromIID(CLSID_VorlaneShellix, &wide)) || wide == nullptr) {
    return kClassIdText;
  }
  char text[MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, MAX_PATH, nullptr, nullptr);
  CoTaskMemFree(wide);
  return text;
}

bool IsNtPlatform() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const BOOL known = GetVersionExA(&version);
#pragma GCC diagnostic pop
  return known && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }

const std::string& SettingsPath() {
  // Made at first use, not in DllMain: nothing that allocates (or may
  // throw) belongs under the loader lock.
  static const std::string path = [] {
    const std::string module = ModulePath();
    return module.substr(0, module.rfind('\\') + 1) + kSettingsFileName;
  }();
  return path;
}

}  // namespace vorlane::shellext

using namespace vorlane::shellext;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_instance = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() {
  return InterlockedCompareExchange(&g_objectCount, 0, 0) == 0 ? S_OK : S_FALSE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(rclsid, CLSID_VorlaneShellix)) {
    return CLASS_E_CLASSNOTAVAILABLE;
  }
  auto* factory = new (std::nothrow) CContextMenuExtFactory();
  if (factory == nullptr) return E_OUTOFMEMORY;
  factory->AddRef();
  const HRESULT result = factory->QueryInterface(riid, ppv);
  factory->Release();
  return result;
}

STDAPI DllRegisterServer() {
  try {
    // A library whose own path is unknown would register a server that
    // never loads.
    const std::string module = ModulePath();
    if (module.empty()) return SELFREG_E_CLASS;
    SystemRegistry registry;
    return Register(registry, ClassIdText(), module, IsNtPlatform()) ==
                   RegisteredIn::Nowhere
               ? SELFREG_E_CLASS
               : S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

STDAPI DllUnregisterServer() {
  try {
    SystemRegistry registry;
    return Unregister(registry, ClassIdText()) ? S_OK : SELFREG_E_CLASS;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

// Shellix.dll loaded and called as Explorer calls it: its exports and class
// factory, its registration through the platform's regsvr32, the handler on
// real shell data objects and popup menus, and its dialog driven from a
// second thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <olectl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "settings/ini_document.h"
#include "settings/profile_store_win32.h"
#include "launcher/menu_model.h"
#include "shellext/registration.h"
#include "shellext/registry_access_win32.h"
#include "shell_selection.h"
#include "test_support.h"
#include "win32/com_ptr.h"
#include "win32/handles.h"

namespace vorlane::test {
namespace {

using win32::ComPtr;

const CLSID kClassId = {0x8D775404, 0xDD7B, 0x11D3,
                        {0xBC, 0x49, 0x90, 0x6B, 0x51, 0xC1, 0x00, 0x00}};

using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using ServerFunction = HRESULT(STDAPICALLTYPE*)();

template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The library copied into a folder of its own, so that its settings file is
// the Vorlane.ini the test writes there, and loaded once per test program.
class Shellix : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitialize(nullptr);
    folder_ = new TempFolder();
    dllPath_ = new std::string(folder_->File("Shellix.dll"));
    CopyFileA((BinDirectory() + "\\Shellix.dll").c_str(), dllPath_->c_str(), FALSE);
    module_ = LoadLibraryA(dllPath_->c_str());
  }
  static void TearDownTestSuite() {
    CoUninitialize();
    // Unloaded as COM unloads a server, only when it says that nothing of
    // it lives on; a mapped library cannot be deleted, and its folder is
    // then left for the next test program to remove.
    if (module_ != nullptr &&
        Export<CanUnloadNow>(module_, "DllCanUnloadNow")() == S_OK) {
      FreeLibrary(module_);
    }
    module_ = nullptr;
    delete dllPath_;
    dllPath_ = nullptr;
    delete folder_;
    folder_ = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(module_, nullptr) << "Shellix.dll did not load";
    DeleteFileA(Ini().c_str());
  }

  static std::string Ini() { return folder_->File("Vorlane.ini"); }
  static std::string Folder() { return folder_->Path(); }
  static HMODULE Module() { return module_; }
  static const std::string& DllPath() { return *dllPath_; }

  ComPtr<IClassFactory> Factory() {
    ComPtr<IClassFactory> factory;
    Export<GetClassObject>(module_, "DllGetClassObject")(
        kClassId, IID_IClassFactory, reinterpret_cast<void**>(factory.put()));
    return factory;
  }

  ComPtr<IContextMenu> NewHandler() {
    ComPtr<IContextMenu> menu;
    if (ComPtr<IClassFactory> factory = Factory()) {
      factory->CreateInstance(nullptr, IID_IContextMenu,
                              reinterpret_cast<void**>(menu.put()));
    }
    return menu;
  }

  static TempFolder* folder_;
  static std::string* dllPath_;
  static HMODULE module_;
};

TempFolder* Shellix::folder_ = nullptr;
std::string* Shellix::dllPath_ = nullptr;
HMODULE Shellix::module_ = nullptr;

TEST_F(Shellix, UnloadsOnlyWithoutLiveObjects) {
  const auto canUnload = Export<CanUnloadNow>(Module(), "DllCanUnloadNow");
  ASSERT_NE(canUnload, nullptr);
  EXPECT_EQ(canUnload(), S_OK);
  {
    ComPtr<IClassFactory> factory = Factory();
    ASSERT_TRUE(factory);
    EXPECT_EQ(canUnload(), S_FALSE);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    ComPtr<IUnknown> handler;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown,
                                      reinterpret_cast<void**>(handler.put())),
              S_OK);
  }
  EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(Shellix, ClassObjectOnlyForItsClass) {
  const auto getClassObject = Export<GetClassObject>(Module(), "DllGetClassObject");
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(getClassObject(CLSID_ShellLink, IID_IClassFactory, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(object, nullptr);
  ComPtr<IUnknown> asUnknown;
  ComPtr<IClassFactory> asFactory;
  ASSERT_EQ(getClassObject(kClassId, IID_IUnknown,
                           reinterpret_cast<void**>(asUnknown.put())),
            S_OK);
  ASSERT_EQ(asUnknown->QueryInterface(IID_IClassFactory,
                                      reinterpret_cast<void**>(asFactory.put())),
            S_OK);
  EXPECT_EQ(static_cast<void*>(asUnknown.get()), static_cast<void*>(asFactory.get()));
  object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(getClassObject(kClassId, IID_IContextMenu, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(Export<CanUnloadNow>(Module(), "DllCanUnloadNow")(), S_FALSE);
}

TEST_F(Shellix, FactoryRefusesAggregation) {
  ComPtr<IClassFactory> factory = Factory();
  ASSERT_TRUE(factory);
  void* object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(factory->CreateInstance(factory.get(), IID_IUnknown, &object),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  object = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IDataObject, &object),
            E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  factory.reset();
  EXPECT_EQ(Export<CanUnloadNow>(Module(), "DllCanUnloadNow")(), S_OK)
      << "a handler refused by its first QueryInterface must not live on";
}

TEST_F(Shellix, HandlerIdentityIsItsShellExtInit) {
  ComPtr<IContextMenu> menu = NewHandler();
  ASSERT_TRUE(menu);
  ComPtr<IUnknown> unknown;
  ComPtr<IShellExtInit> init;
  ASSERT_EQ(menu->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown.put())), S_OK);
  ASSERT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.put())), S_OK);
  EXPECT_EQ(static_cast<void*>(unknown.get()), static_cast<void*>(init.get()));
  EXPECT_NE(static_cast<void*>(unknown.get()), static_cast<void*>(menu.get()));
  ComPtr<IContextMenu> again;
  ASSERT_EQ(init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(again.put())), S_OK);
  EXPECT_EQ(again.get(), menu.get());
}

// --- Registration ----------------------------------------------------------

DWORD RunRegsvr32(const std::string& arguments) {
  ChildProcess tool;
  if (!tool.Start("", "regsvr32.exe " + arguments)) return 0xFFFFFFFF;
  return tool.WaitForExit(std::chrono::seconds(60));
}

std::string ReadRegistryText(HKEY hive, const std::string& key,
                             const char* valueName) {
  char data[1024] = {};
  DWORD size = sizeof(data);
  DWORD type = 0;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return "<no key>";
  }
  const LONG result = RegQueryValueExA(opened, valueName, nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS) return "<no value>";
  return type == REG_SZ ? std::string(data) : "<not text>";
}

bool KeyExists(HKEY hive, const std::string& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(opened);
  return true;
}

TEST_F(Shellix, RegistersWithTheSystemToolAndUnregistersAgain) {
  const std::string classKey = std::string("CLSID\\") + shellext::kClassIdText;
  const std::string fileHandler = "*\\shellex\\ContextMenuHandlers\\VorlaneShellix";
  const std::string folderHandler =
      "Folder\\shellex\\ContextMenuHandlers\\VorlaneShellix";
  // A failure half-way leaves no registration behind for other tests.
  const OnScopeExit unregister(RemoveExtensionRegistration);

  ASSERT_EQ(RunRegsvr32("/s \"" + DllPath() + "\""), 0u);
  EXPECT_EQ(ReadRegistryText(HKEY_CLASSES_ROOT, classKey, nullptr), "VorlaneShellix");
  EXPECT_EQ(ReadRegistryText(HKEY_CLASSES_ROOT, classKey + "\\InProcServer32", nullptr),
            DllPath());
  EXPECT_EQ(ReadRegistryText(HKEY_CLASSES_ROOT, classKey + "\\InProcServer32",
                             "ThreadingModel"),
            "Apartment");
  EXPECT_EQ(ReadRegistryText(HKEY_CLASSES_ROOT, fileHandler, nullptr),
            shellext::kClassIdText);
  EXPECT_EQ(ReadRegistryText(HKEY_CLASSES_ROOT, folderHandler, nullptr),
            shellext::kClassIdText);
  EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, shellext::kApprovedKey,
                             shellext::kClassIdText),
            "VorlaneShellix");

  // Explorer finds the handler through the registry alone.
  ComPtr<IContextMenu> created;
  EXPECT_EQ(CoCreateInstance(kClassId, nullptr, CLSCTX_INPROC_SERVER,
                             IID_IContextMenu,
                             reinterpret_cast<void**>(created.put())),
            S_OK);
  created.reset();

  EXPECT_EQ(RunRegsvr32("/s /u \"" + DllPath() + "\""), 0u);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, classKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, fileHandler));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, folderHandler));
  EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, shellext::kApprovedKey,
                             shellext::kClassIdText),
            "<no value>");

  // Again, with one handler key left of it: that goes, nothing else does,
  // and nothing left is success.
  const std::string neighbour = "Folder\\shellex\\ContextMenuHandlers\\VorlaneTestNeighbour";
  const OnScopeExit removeNeighbour(
      [&] { RegDeleteKeyA(HKEY_CLASSES_ROOT, neighbour.c_str()); });
  for (const std::string& key : {folderHandler, neighbour}) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(created);
  }
  const auto unregisterServer = Export<ServerFunction>(Module(), "DllUnregisterServer");
  EXPECT_EQ(unregisterServer(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, folderHandler));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, neighbour));
  EXPECT_EQ(unregisterServer(), S_OK);
}

// --- The handler on real selections ---------------------------------------

std::wstring Widened(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

ComPtr<IDataObject> ShellDataObject(const std::vector<std::string>& paths) {
  std::vector<std::wstring> wide;
  for (const std::string& path : paths) wide.push_back(Widened(path));
  return test::ShellDataObject(wide);
}

// A data object holding whatever CF_HDROP list the test makes, in ANSI or
// wide characters, or none.
class HandMadeData final : public IDataObject {
 public:
  explicit HandMadeData(const std::vector<std::string>& files,
                        bool hasDrop = true)
      : hasDrop_(hasDrop) {
    for (const std::string& file : files) files_.push_back(Widened(file));
  }
  explicit HandMadeData(std::vector<std::wstring> files)
      : files_(std::move(files)), wide_(true) {}
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
  STDMETHODIMP_(ULONG) Release() override { return --references; }
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!hasDrop_ || format->cfFormat != CF_HDROP) return DV_E_FORMATETC;
    std::wstring names;
    for (const std::wstring& file : files_) names += file + L'\0';
    names += L'\0';
    const std::string narrow(names.begin(), names.end());
    const void* list = wide_ ? static_cast<const void*>(names.data())
                             : static_cast<const void*>(narrow.data());
    const std::size_t bytes =
        wide_ ? names.size() * sizeof(wchar_t) : narrow.size();
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = wide_;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list, bytes);
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryGetData(FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

  ULONG references = 1;

 private:
  std::vector<std::wstring> files_;
  bool hasDrop_ = true;
  bool wide_ = false;
};

HRESULT Initialize(IContextMenu* menu, IDataObject* data) {
  ComPtr<IShellExtInit> init;
  menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.put()));
  return init->Initialize(nullptr, data, nullptr);
}

// Refuses changes to one key of the machine's part, as Windows refuses
// every key there to a user without administrator rights. Wine's processes
// hold an administrator token, and Wine 8 checks neither a key's access
// list nor the access of the key a new one is made under (so
// RegOverridePredefKey onto a key opened read-only refuses nothing): only
// the interface can refuse. Every other change reaches the machine's part,
// so that what a registration leaves there shows.
class MachineRefusesAKey final : public shellext::RegistryAccess {
 public:
  using Part = shellext::RegistryPart;
  using Answer = shellext::RegistryAnswer;
  explicit MachineRefusesAKey(std::string key) : refused_(std::move(key)) {}
  Answer SetText(Part part, const std::string& key, const std::string& valueName,
                 const std::string& data) override {
    if (Refuses(part, key)) return Answer::Denied;
    return system_.SetText(part, key, valueName, data);
  }
  Answer DeleteKey(Part part, const std::string& key) override {
    if (Refuses(part, key)) return Answer::Denied;
    return system_.DeleteKey(part, key);
  }
  Answer DeleteValue(Part part, const std::string& key,
                     const std::string& valueName) override {
    if (Refuses(part, key)) return Answer::Denied;
    return system_.DeleteValue(part, key, valueName);
  }
  bool KeyExists(Part part, const std::string& key) override {
    return system_.KeyExists(part, key);
  }
  bool ValueExists(Part part, const std::string& key,
                   const std::string& valueName) override {
    return system_.ValueExists(part, key, valueName);
  }

 private:
  bool Refuses(Part part, const std::string& key) const {
    return part == Part::Machine && key == refused_;
  }
  std::string refused_;
  shellext::SystemRegistry system_;
};

// The handler made from the user's classes as the platform's COM makes it
// on Windows: the handler key names the class, the class names its
// library, the library's factory makes the handler.
ComPtr<IContextMenu> HandlerFromUserClasses(HMODULE& library) {
  ComPtr<IContextMenu> menu;
  const std::string classes = shellext::kClassesKey;
  const std::string classId = ReadRegistryText(
      HKEY_CURRENT_USER, classes + "*\\shellex\\ContextMenuHandlers\\VorlaneShellix", nullptr);
  CLSID id{};
  if (CLSIDFromString(Widened(classId).c_str(), &id) != NOERROR) {
    ADD_FAILURE() << "the handler key names " << classId;
    return menu;
  }
  const std::string server = ReadRegistryText(
      HKEY_CURRENT_USER, classes + shellext::ServerKey(classId), nullptr);
  library = LoadLibraryA(server.c_str());
  if (library == nullptr) {
    ADD_FAILURE() << "the class names " << server;
    return menu;
  }
  ComPtr<IClassFactory> factory;
  EXPECT_EQ(Export<GetClassObject>(library, "DllGetClassObject")(
                id, IID_IClassFactory, reinterpret_cast<void**>(factory.put())),
            S_OK);
  if (factory) {
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IContextMenu,
                                      reinterpret_cast<void**>(menu.put())),
              S_OK);
  }
  return menu;
}

TEST_F(Shellix, RegistersForTheUserWhereTheMachinePartIsRefused) {
  const std::string classes = shellext::kClassesKey;
  const std::string neighbour =
      classes + "*\\shellex\\ContextMenuHandlers\\VorlaneTestNeighbour";
  RemoveExtensionRegistration();
  const OnScopeExit unregister(RemoveExtensionRegistration);
  const OnScopeExit removeNeighbour(
      [&] { RegDeleteKeyA(HKEY_CURRENT_USER, neighbour.c_str()); });
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, neighbour.c_str(), 0, nullptr, 0,
                            KEY_WRITE, nullptr, &created, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(created);

  // Refused at the last key: the keys before it went to the machine's part
  // first, and must be gone from it.
  const std::vector<shellext::RegistryRow> rows =
      shellext::RegistrationRows(shellext::kClassIdText, DllPath());
  MachineRefusesAKey registry(classes + rows.back().key);
  ASSERT_EQ(shellext::Register(registry, shellext::kClassIdText, DllPath(), true),
            shellext::RegisteredIn::User);
  for (const shellext::RegistryRow& row : rows) {
    const char* value = row.valueName.empty() ? nullptr : row.valueName.c_str();
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, classes + row.key, value), row.data)
        << row.key;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, classes + row.key)) << row.key;
  }
  EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, shellext::kApprovedKey,
                             shellext::kClassIdText),
            "VorlaneShellix");
  EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, shellext::kApprovedKey,
                             shellext::kClassIdText),
            "<no value>");

  // Created by its class identifier, as Explorer does.
  ComPtr<IContextMenu> menu;
  HMODULE library = nullptr;
  const HRESULT byClassId =
      CoCreateInstance(kClassId, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu,
                       reinterpret_cast<void**>(menu.put()));
  if (byClassId == REGDB_E_CLASSNOTREG) {
    // Wine 8's COM looks classes up in the machine's part alone, and an
    // override of HKEY_CLASSES_ROOT does not change that.
    menu = HandlerFromUserClasses(library);
  } else {
    EXPECT_EQ(byClassId, S_OK);
  }
  ASSERT_TRUE(menu);
  ComPtr<IShellExtInit> init;
  EXPECT_EQ(menu->QueryInterface(IID_IShellExtInit, reinterpret_cast<void**>(init.put())),
            S_OK);
  HandMadeData data({Folder() + "\\tool.exe"});
  EXPECT_EQ(Initialize(menu.get(), &data), S_OK);
  win32::UniqueMenu popup(CreatePopupMenu());
  EXPECT_EQ(menu->QueryContextMenu(popup.get(), 0, 1, 100, CMF_NORMAL), 1);
  init.reset();
  menu.reset();
  if (library != nullptr) FreeLibrary(library);

  // The library's own unregistering finds it in the user's part; the
  // machine's never held it.
  EXPECT_EQ(Export<ServerFunction>(Module(), "DllUnregisterServer")(), S_OK);
  for (const std::string& key : shellext::UnregistrationKeys(shellext::kClassIdText)) {
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, classes + key)) << key;
  }
  EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, shellext::kApprovedKey,
                             shellext::kClassIdText),
            "<no value>");
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, neighbour)) << "nothing else is touched";
}

// A window of this process with the caption, once it is ready: the
// platform shows a dialog only after WM_INITDIALOG has filled it.
HWND FindReady(const char* caption) {
  HWND window = FindWindowA("#32770", caption);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (window == nullptr || owner != GetCurrentProcessId() ||
      !IsWindowVisible(window)) {
    return nullptr;
  }
  return window;
}

HWND WaitForReady(const char* caption) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = FindReady(caption)) != nullptr; });
  return window;
}

BOOL CALLBACK CloseDialogWindow(HWND hwnd, LPARAM) {
  char name[16] = {};
  GetClassNameA(hwnd, name, std::size(name));
  if (lstrcmpA(name, "#32770") == 0 && IsWindowEnabled(hwnd)) {
    PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
  }
  return TRUE;
}

struct DialogRun {
  bool appeared = false;
  bool leftOpen = false;
};

// Runs `invoke` on this thread, as Explorer waits in InvokeCommand, while
// `drive` acts on the ready dialog from another, as a user would. Whatever
// the user's step leaves open is closed afterwards, so that a failure never
// leaves InvokeCommand waiting.
DialogRun RunWithDialog(const std::function<void()>& invoke,
                        const std::function<void(HWND)>& drive) {
  const DWORD explorer = GetCurrentThreadId();
  std::atomic<bool> done{false};
  DialogRun run;
  std::thread user([&] {
    HWND dialog = nullptr;
    WaitUntil([&] {
      dialog = FindReady("Add to Vorlane");
      return dialog != nullptr || done.load();
    });
    if (dialog != nullptr) {
      run.appeared = true;
      drive(dialog);
    }
    if (WaitUntil([&] { return done.load(); }, std::chrono::seconds(5))) {
      return;
    }
    run.leftOpen = true;
    while (!done.load()) {
      EnumThreadWindows(explorer, CloseDialogWindow, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  invoke();
  done = true;
  user.join();
  return run;
}

void WithDialog(const std::function<void()>& invoke,
                const std::function<void(HWND)>& drive) {
  const DialogRun run = RunWithDialog(invoke, drive);
  EXPECT_TRUE(run.appeared) << "the dialog did not appear";
  EXPECT_FALSE(run.leftOpen) << "the dialog was still open after its step";
}

HRESULT InvokeOffset(IContextMenu* menu, UINT offset) {
  CMINVOKECOMMANDINFO info{};
  info.cbSize = sizeof(info);
  info.lpVerb = MAKEINTRESOURCEA(offset);
  info.nShow = SW_SHOWNORMAL;
  return menu->InvokeCommand(&info);
}

std::vector<std::string> ListLines(HWND dialog) {
  std::vector<std::string> lines;
  HWND list = GetDlgItem(dialog, 1000);
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[128] = {};
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    lines.push_back(text);
  }
  return lines;
}

void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST_F(Shellix, InitializeTakesEverySelectedItemAndAddUsesTheFirst) {
  WriteTextFile(Ini(), "[Settings]\r\nMenuCount=3\r\nMenuOrder=1*3*2*\r\n"
                       "MenuName1=Work\r\nMenuName2=Games\r\nMenuName3=Tools\r\n"
                       "Count2=4\r\n");
  const std::vector<std::string> files = {Folder() + "\\editor.tar.gz",
                                          Folder() + "\\second.txt",
                                          Folder() + "\\third.txt"};
  for (const std::string& file : files) WriteTextFile(file, "x");
  ComPtr<IDataObject> data = ShellDataObject(files);
  ASSERT_TRUE(data) << "the shell made no data object";
  ComPtr<IContextMenu> menu = NewHandler();
  ASSERT_EQ(Initialize(menu.get(), data.get()), S_OK);

  std::vector<std::string> lines;
  WithDialog([&] { EXPECT_EQ(InvokeOffset(menu.get(), 0), S_OK); },
             [&](HWND dialog) {
               lines = ListLines(dialog);
               EXPECT_EQ(SendMessageA(GetDlgItem(dialog, 1000), LB_GETCURSEL, 0, 0), 0);
               SendMessageA(GetDlgItem(dialog, 1000), LB_SETCURSEL, 1, 0);
               Click(dialog, IDOK);
             });
  EXPECT_EQ(lines, (std::vector<std::string>{"Work", "Games", "Tools"}));
  settings::ProfileStore store(Ini());
  EXPECT_EQ(store.ReadInt("Settings", "Count2", 0), 5);
  EXPECT_EQ(store.ReadString("Program Locations2", "Program5", "", 259), files[0]);
  EXPECT_EQ(store.ReadString("Program Locations2", "Des5", "", 63), "editor");

  // What the launcher shows of that menu at its next opening.
  WritePrivateProfileStringA("Settings", "ShowEmailItem", "0", Ini().c_str());
  const std::vector<launcher::PlannedEntry> entries =
      launcher::PlanProgramMenu(store, 4, 20);  // "Games", the third token
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[4].text, "editor");
}

TEST_F(Shellix, NewAddsMenusAndExitWritesNothingMore) {
  WriteTextFile(Ini(), "[Settings]\r\nMenuCount=1\r\nMenuOrder=1*\r\n"
                       "MenuName1=Work\r\n");
  ComPtr<IContextMenu> menu = NewHandler();
  HandMadeData data({Folder() + "\\tool.exe"});
  ASSERT_EQ(Initialize(menu.get(), &data), S_OK);
  std::vector<std::string> lines;
  WithDialog([&] { InvokeOffset(menu.get(), 0); },
             [&](HWND dialog) {
               Click(dialog, 1001);
               Click(dialog, 1001);
               lines = ListLines(dialog);
               EXPECT_TRUE(IsWindow(dialog)) << "New keeps the dialog open";
               Click(dialog, IDCANCEL);
             });
  EXPECT_EQ(lines, (std::vector<std::string>{"Work", "Menu2", "Menu3"}));
  settings::ProfileStore store(Ini());
  EXPECT_EQ(store.ReadInt("Settings", "MenuCount", 0), 3);
  EXPECT_EQ(store.ReadString("Settings", "MenuOrder", "", 254), "1*2*3*");
  EXPECT_EQ(store.ReadInt("Settings", "Count1", -1), -1) << "Exit added something";
}

// A folder may be added as a submenu of its contents, unticked unless asked
// for; a file is never offered the box, and no Expand is written for it.
TEST_F(Shellix, AFolderMayBeAddedAsASubmenuOfItsContents) {
  WriteTextFile(Ini(), "[Settings]\r\nMenuCount=1\r\nMenuOrder=1*\r\n"
                       "MenuName1=Work\r\n");
  const std::string folder = Folder() + "\\Tools";
  const std::string file = Folder() + "\\tool.exe";
  const OnScopeExit removeBoth([&] {
    RemoveDirectoryA(folder.c_str());
    DeleteFileA(file.c_str());
  });
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  WriteTextFile(file, "x");
  struct Added {
    std::string path;
    bool offered;
  };
  for (const Added& added : {Added{folder, true}, Added{file, false}}) {
    SCOPED_TRACE(added.path);
    ComPtr<IContextMenu> menu = NewHandler();
    HandMadeData data({added.path});
    ASSERT_EQ(Initialize(menu.get(), &data), S_OK);
    WithDialog([&] { EXPECT_EQ(InvokeOffset(menu.get(), 0), S_OK); },
               [&](HWND dialog) {
                 HWND box = GetDlgItem(dialog, 1002);
                 EXPECT_EQ(IsWindowEnabled(box) != FALSE, added.offered);
                 EXPECT_EQ(IsDlgButtonChecked(dialog, 1002), BST_UNCHECKED);
                 if (added.offered) SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
                 Click(dialog, IDOK);
               });
  }
  settings::ProfileStore store(Ini());
  EXPECT_EQ(store.ReadInt("Settings", "Count1", 0), 2);
  EXPECT_EQ(store.ReadString("Program Locations1", "Program1", "", 259), folder);
  EXPECT_EQ(store.ReadString("Program Locations1", "Expand1", "<absent>", 9), "1");
  EXPECT_EQ(store.ReadString("Program Locations1", "Expand2", "<absent>", 9), "<absent>");
}

TEST_F(Shellix, ItemsWithoutADescriptionAreRefused) {
  const std::string text = "[Settings]\r\nMenuCount=1\r\nMenuName1=Work\r\n";
  for (const std::string& path : {std::string("C:\\"), Folder() + "\\.hidden"}) {
    WriteTextFile(Ini(), text);
    ComPtr<IContextMenu> menu = NewHandler();
    HandMadeData data({path});
    ASSERT_EQ(Initialize(menu.get(), &data), S_OK);
    std::string boxText;
    WithDialog([&] { InvokeOffset(menu.get(), 0); },
               [&](HWND dialog) {
                 PostMessageA(dialog, WM_COMMAND, IDOK, 0);
                 const HWND box = WaitForReady("Failed");
                 if (box == nullptr) return;
                 char message[128] = {};
                 GetDlgItemTextA(box, 0xFFFF, message, sizeof(message));
                 boxText = message;
                 PostMessageA(box, WM_COMMAND, IDOK, 0);
               });
    EXPECT_EQ(boxText, "Failed to add file") << path;
    EXPECT_EQ(ReadTextFile(Ini()), text) << path;
  }
}

TEST_F(Shellix, AddWithoutAnyMenuWritesNothing) {
  ComPtr<IContextMenu> menu = NewHandler();
  HandMadeData data({Folder() + "\\tool.exe"});
  ASSERT_EQ(Initialize(menu.get(), &data), S_OK);
  bool refused = false;
  WithDialog([&] { InvokeOffset(menu.get(), 0); },
             [&](HWND dialog) {
               PostMessageA(dialog, WM_COMMAND, IDOK, 0);
               const HWND box = WaitForReady("Failed");
               refused = box != nullptr;
               if (box == nullptr) return;
               PostMessageA(box, WM_COMMAND, IDOK, 0);
               WaitUntil([&] { return !IsWindow(box); });
               Click(dialog, IDCANCEL);
             });
  EXPECT_TRUE(refused);
  EXPECT_FALSE(FileExists(Ini())) << ReadTextFile(Ini());
}

TEST_F(Shellix, InitializeFailsWithoutAFileList) {
  ComPtr<IContextMenu> menu = NewHandler();
  EXPECT_EQ(Initialize(menu.get(), nullptr), E_FAIL);
  HandMadeData noDrop({}, false);
  EXPECT_EQ(Initialize(menu.get(), &noDrop), E_FAIL);
  menu.reset();
  EXPECT_EQ(noDrop.references, 1u) << "the data object was not released";
}

// The "Failed to add file" box of a dialog that refuses its file, read and
// closed; the dialog closes after it.
std::string RefusalAfterOk(HWND dialog) {
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  const HWND box = WaitForReady("Failed");
  if (box == nullptr) return "(no box)";
  char message[128] = {};
  GetDlgItemTextA(box, 0xFFFF, message, sizeof(message));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return message;
}

TEST_F(Shellix, ThousandsOfItemsAndAnOverlongFirstOne) {
  // Longer than the launcher reads a location, and no file to take a short
  // name from: refused rather than stored cut.
  std::vector<std::string> files;
  files.push_back(Folder() + "\\" + std::string(400, 'n') + ".txt");
  for (int i = 0; i < 30000; ++i) files.push_back("C:\\f" + std::to_string(i));
  HandMadeData data(files);
  ComPtr<IContextMenu> menu = NewHandler();
  EXPECT_EQ(Initialize(menu.get(), &data), S_OK);
  const std::string text = "[Settings]\r\nMenuCount=1\r\nMenuName1=Work\r\n";
  WriteTextFile(Ini(), text);
  std::string refusal;
  WithDialog([&] { InvokeOffset(menu.get(), 0); },
             [&](HWND dialog) { refusal = RefusalAfterOk(dialog); });
  EXPECT_EQ(refusal, "Failed to add file");
  EXPECT_EQ(ReadTextFile(Ini()), text);
}

// A path longer than the launcher reads is stored in its short form, and
// its item is still described by the name the user sees.
TEST_F(Shellix, ShortFormStoredIsDescribedByTheRealName) {
  WriteTextFile(Ini(), "[Settings]\r\nMenuCount=1\r\nMenuName1=Work\r\n");
  const std::string deep = Folder() + "\\" + std::string(200, 'd');
  ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
  const std::string photo = deep + "\\IMG_0001 at the lake.jpg";
  ASSERT_GT(photo.size(), 254u);
  WriteTextFile(photo, "x");
  ComPtr<IContextMenu> menu = NewHandler();
  HandMadeData data({photo});
  ASSERT_EQ(Initialize(menu.get(), &data), S_OK);
  WithDialog([&] { InvokeOffset(menu.get(), 0); },
             [&](HWND dialog) { Click(dialog, IDOK); });
  settings::ProfileStore store(Ini());
  const std::string stored = store.ReadString("Program Locations1", "Program1", "", 259);
  EXPECT_LE(stored.size(), 254u);
  EXPECT_TRUE(FileExists(stored)) << stored;
  EXPECT_EQ(store.ReadString("Program Locations1", "Des1", "", 63), "IMG_0001 at the lake");
  DeleteFileA(photo.c_str());
  RemoveDirectoryA(deep.c_str());
}

// Names the ANSI code page cannot hold: the short form where there is one,
// else the file is refused.
class NonAnsiName : public Shellix {
 protected:
  void SetUp() override {
    Shellix::SetUp();
    folderName_ = Widened(Folder()) + L"\\\u0416\u0443\u043a";  // Zhuk
    fileName_ = folderName_ + L"\\\u0444\u0430\u0439\u043b.txt";
    BOOL lost = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, fileName_.c_str(), -1,
                        nullptr, 0, nullptr, &lost);
    if (!lost) GTEST_SKIP() << "the ANSI code page " << GetACP() << " holds it";
    WriteTextFile(Ini(), kOneMenu);
  }
  void TearDown() override {
    DeleteFileW(fileName_.c_str());
    RemoveDirectoryW(folderName_.c_str());
  }

  static constexpr char kOneMenu[] =
      "[Settings]\r\nMenuCount=1\r\nMenuName1=Work\r\n";
  std::wstring folderName_;
  std::wstring fileName_;
};

TEST_F(NonAnsiName, IsStoredInItsShortForm) {
  ASSERT_TRUE(CreateDirectoryW(folderName_.c_str(), nullptr));
  win32::UniqueFile file(CreateFileW(fileName_.c_str(), GENERIC_WRITE, 0,
                                     nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(file);
  file.reset();
  wchar_t shortName[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(fileName_.c_str(), shortName, MAX_PATH), 0u);
  char expected[MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, shortName, -1, expected, MAX_PATH, nullptr,
                      nullptr);

  ComPtr<IDataObject> data = test::ShellDataObject(std::vector<std::wstring>{fileName_});
  ASSERT_TRUE(data) << "the shell made no data object";
  ComPtr<IContextMenu> menu = NewHandler();
  ASSERT_EQ(Initialize(menu.get(), data.get()), S_OK);
  WithDialog([&] { InvokeOffset(menu.get(), 0); },
             [&](HWND dialog) { Click(dialog, IDOK); });
  settings::ProfileStore store(Ini());
  const std::string stored =
      store.ReadString("Program Locations1", "Program1", "", 259);
  EXPECT_EQ(stored, expected);
  EXPECT_EQ(stored.find('?'), std::string::npos);
  EXPECT_TRUE(FileExists(stored)) << stored;
}

// The form of the name the file keeps is looked for when the command is
// chosen, not at every right-click: a file that came after the menu
// opened is found.
TEST_F(NonAnsiName, IsLookedAtWhenTheCommandIsChosen) {
  ComPtr<IContextMenu> menu = NewHandler();
  HandMadeData data(std::vector<std::wstring>{fileName_});
  ASSERT_EQ(Initialize(menu.get(), &data), S_OK);
  ASSERT_TRUE(CreateDirectoryW(folderName_.c_str(), nullptr));
  win32::UniqueFile file(CreateFileW(fileName_.c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(file);
  file.reset();
  WithDialog([&] { InvokeOffset(menu.get(), 0); },
             [&](HWND dialog) { Click(dialog, IDOK); });
  settings::ProfileStore store(Ini());
  const std::string stored = store.ReadString("Program Locations1", "Program1", "", 259);
  EXPECT_TRUE(FileExists(stored)) << stored;
}

TEST_F(NonAnsiName, WithoutAShortFormIsRefused) {
  // No such file, so no short name either.
  ComPtr<IContextMenu> menu = NewHandler();
  HandMadeData data(std::vector<std::wstring>{fileName_});
  ASSERT_EQ(Initialize(menu.get(), &data), S_OK);
  std::string refusal;
  WithDialog([&] { InvokeOffset(menu.get(), 0); },
             [&](HWND dialog) { refusal = RefusalAfterOk(dialog); });
  EXPECT_EQ(refusal, "Failed to add file");
  EXPECT_EQ(ReadTextFile(Ini()), kOneMenu);
}

// Each Explorer window is an apartment of its own: class factories and
// handlers made and released on several threads at once must leave the
// count exact.
TEST_F(Shellix, ObjectsOfManyThreadsKeepUnloadingHonest) {
  const auto canUnload = Export<CanUnloadNow>(Module(), "DllCanUnloadNow");
  const auto getClassObject =
      Export<GetClassObject>(Module(), "DllGetClassObject");
  ComPtr<IContextMenu> kept = NewHandler();
  ASSERT_TRUE(kept);
  std::atomic<int> made{0};
  const auto churn = [&] {
    for (int i = 0; i < 100000; ++i) {
      IClassFactory* factory = nullptr;
      if (FAILED(getClassObject(kClassId, IID_IClassFactory,
                                reinterpret_cast<void**>(&factory)))) {
        continue;
      }
      if (i % 50 == 0) {
        IUnknown* handler = nullptr;
        if (SUCCEEDED(factory->CreateInstance(
                nullptr, IID_IUnknown, reinterpret_cast<void**>(&handler)))) {
          handler->Release();
        }
      }
      factory->Release();
      ++made;
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(churn);
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(made.load(), 400000);
  EXPECT_EQ(canUnload(), S_FALSE) << "a handler still lives";
  kept.reset();
  EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(Shellix, CommandJoinsMenusByTheirFlags) {
  ComPtr<IContextMenu> menu = NewHandler();
  for (UINT flags = 0; flags < 16; ++flags) {
    win32::UniqueMenu popup(CreatePopupMenu());
    AppendMenuA(popup.get(), MF_STRING, 1, "Open");
    AppendMenuA(popup.get(), MF_STRING, 2, "Print");
    const HRESULT result = menu->QueryContextMenu(popup.get(), 1, 100, 200, flags);
    const bool expected = !(flags == 1 || flags == 8 || flags == 9);
    EXPECT_EQ(result, expected ? 1 : 0) << "flags " << flags;
    ASSERT_EQ(GetMenuItemCount(popup.get()), expected ? 3 : 2) << "flags " << flags;
    if (!expected) continue;
    char text[64] = {};
    GetMenuStringA(popup.get(), 1, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "Add to Vorlane");
    EXPECT_EQ(GetMenuItemID(popup.get(), 1), 100u);
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_CHECKMARKS;
    GetMenuItemInfoA(popup.get(), 1, TRUE, &info);
    EXPECT_NE(info.hbmpUnchecked, nullptr) << "the arrow bitmap";
  }
  // No identifier left between first and last: nothing is added, and no
  // other item gets the arrow.
  win32::UniqueMenu full(CreatePopupMenu());
  AppendMenuA(full.get(), MF_STRING, 1, "Open");
  EXPECT_EQ(menu->QueryContextMenu(full.get(), 0, 201, 200, 0), 0);
  EXPECT_EQ(GetMenuItemCount(full.get()), 1);
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_CHECKMARKS;
  GetMenuItemInfoA(full.get(), 0, TRUE, &info);
  EXPECT_EQ(info.hbmpUnchecked, nullptr);
}

TEST_F(Shellix, CommandStringsInAnsiAndWideCharacters) {
  ComPtr<IContextMenu> menu = NewHandler();
  char text[64];
  for (UINT type : {GCS_VERBA, GCS_HELPTEXTA}) {
    std::memset(text, 'x', sizeof(text));
    EXPECT_EQ(menu->GetCommandString(0, type, nullptr, text, 40), S_OK);
    EXPECT_STREQ(text, "Add file to Vorlane");
    EXPECT_EQ(text[39], '\0');
    EXPECT_EQ(text[40], 'x');
    EXPECT_EQ(menu->GetCommandString(3, type, nullptr, text, 40), S_OK);
    EXPECT_STREQ(text, "VorlaneShellix");
  }
  std::memset(text, 'x', sizeof(text));
  EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, text, 4), S_OK);
  EXPECT_STREQ(text, "Add");
  // Wide requests, as current Explorer sends them, count characters.
  wchar_t wide[32];
  for (UINT type : {GCS_VERBW, GCS_HELPTEXTW}) {
    std::fill(std::begin(wide), std::end(wide), L'x');
    EXPECT_EQ(menu->GetCommandString(0, type, nullptr,
                                     reinterpret_cast<CHAR*>(wide), 20),
              S_OK);
    EXPECT_EQ(std::wstring(wide), L"Add file to Vorlane");
    EXPECT_EQ(wide[20], L'x');
  }
  // Only the one command exists.
  for (UINT type : {GCS_VALIDATEA, GCS_VALIDATEW}) {
    EXPECT_EQ(menu->GetCommandString(0, type, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(menu->GetCommandString(1, type, nullptr, nullptr, 0), S_FALSE);
  }
}

// Explorer may run the chosen item through the verb it was told of, in
// ANSI or in wide characters: that verb adds as command 0 does. Any other
// verb or number is refused, so that it can reach the handler it belongs
// to, and opens nothing.
TEST_F(Shellix, VerbsAsExplorerInvokesThem) {
  WriteTextFile(Ini(), "[Settings]\r\nMenuCount=1\r\nMenuOrder=1*\r\nMenuName1=Work\r\n");
  ComPtr<IContextMenu> menu = NewHandler();
  HandMadeData data({Folder() + "\\tool.exe"});
  ASSERT_EQ(Initialize(menu.get(), &data), S_OK);
  auto invoke = [&](void* info, HRESULT expected, bool opens) {
    const DialogRun run = RunWithDialog(
        [&] {
          EXPECT_EQ(menu->InvokeCommand(static_cast<CMINVOKECOMMANDINFO*>(info)), expected);
        },
        [](HWND dialog) { Click(dialog, IDCANCEL); });
    EXPECT_EQ(run.appeared, opens);
    EXPECT_FALSE(run.leftOpen);
  };
  CMINVOKECOMMANDINFOEX info{};
  info.cbSize = sizeof(CMINVOKECOMMANDINFO);
  info.lpVerb = "Add file to Vorlane";
  invoke(&info, S_OK, true);
  info.lpVerb = "open";
  invoke(&info, E_FAIL, false);
  info.lpVerb = MAKEINTRESOURCEA(1);
  invoke(&info, E_FAIL, false);

  info.cbSize = sizeof(info);
  info.fMask = CMIC_MASK_UNICODE;
  info.lpVerb = "open";
  info.lpVerbW = L"add file to vorlane";
  invoke(&info, S_OK, true);
  info.lpVerb = "Add file to Vorlane";
  info.lpVerbW = L"properties";
  invoke(&info, E_FAIL, false);

#ifdef _WIN64
  // A verb above 4 GiB whose bits 16 to 31 are clear is still a string.
  char* verb = nullptr;
  for (ULONG_PTR at = 0x100000000ull; verb == nullptr && at < 0x1000000000ull;
       at += 0x100000000ull) {
    verb = static_cast<char*>(VirtualAlloc(reinterpret_cast<void*>(at), 4096,
                                           MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  }
  ASSERT_NE(verb, nullptr);
  ASSERT_EQ((reinterpret_cast<ULONG_PTR>(verb) >> 16) & 0xFFFF, 0u);
  lstrcpyA(verb, "Add file to Vorlane");
  CMINVOKECOMMANDINFO high{};
  high.cbSize = sizeof(high);
  high.lpVerb = verb;
  invoke(&high, S_OK, true);
  lstrcpyA(verb, "open");
  invoke(&high, E_FAIL, false);
  VirtualFree(verb, 0, MEM_RELEASE);
#endif
}

TEST_F(Shellix, ArrowBitmapIsDrawnAsDescribed) {
  win32::UniqueBitmap bitmap(LoadBitmapA(Module(), MAKEINTRESOURCEA(129)));
  ASSERT_TRUE(bitmap);
  BITMAP info{};
  GetObjectA(bitmap.get(), sizeof(info), &info);
  ASSERT_EQ(info.bmWidth, 13);
  ASSERT_EQ(info.bmHeight, 13);

  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = 13;
  format.bmiHeader.biHeight = -13;  // top-down
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  std::vector<DWORD> pixels(13 * 13);
  HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDIBits(screen, bitmap.get(), 0, 13, pixels.data(), &format,
                      DIB_RGB_COLORS),
            13);
  ReleaseDC(nullptr, screen);
  for (int y = 0; y < 13; ++y) {
    for (int x = 0; x < 13; ++x) {
      const bool head = y < 5 && x >= 5 - y && x < 5 - y + 2 * (y + 1);
      const bool shaft = y >= 5 && x >= 4 && x <= 7;
      const DWORD expected = (head || shaft) ? 0x000000 : 0xFFFFFF;
      EXPECT_EQ(pixels[y * 13 + x] & 0xFFFFFF, expected) << "x " << x << " y " << y;
    }
  }
}

}  // namespace
}  // namespace vorlane::test

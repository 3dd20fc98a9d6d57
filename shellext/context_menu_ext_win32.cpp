#include "shellext/context_menu_ext.h"

#include <shellapi.h>

#include <new>

#include "settings/stored_path_win32.h"
#include "shellext/add_to_menu_dialog.h"
#include "shellext/shellix_logic.h"
#include "shellext/shellix_module.h"
#include "win32/display_dpi.h"

namespace vorlane::shellext {
namespace {

// The arrow as drawn, for a menu at 96 dpi; elsewhere enlarged to the
// size of the menu's check-mark area, pixel by pixel so that its edges
// stay sharp.
HBITMAP LoadArrowBitmap() {
  win32::UniqueBitmap drawn(LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(IDB_ADD_ARROW)));
  if (!drawn || win32::SystemDpi() == win32::kDefaultDpi) return drawn.release();
  BITMAP size{};
  const int width = GetSystemMetrics(SM_CXMENUCHECK);
  const int height = GetSystemMetrics(SM_CYMENUCHECK);
  if (GetObjectA(drawn.get(), sizeof(size), &size) == 0 || width <= 0 || height <= 0 ||
      (width == size.bmWidth && height == size.bmHeight)) {
    return drawn.release();
  }
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return drawn.release();
  win32::UniqueBitmap scaled(CreateCompatibleBitmap(screen, width, height));
  win32::UniqueMemoryDc from(CreateCompatibleDC(screen));
  win32::UniqueMemoryDc to(CreateCompatibleDC(screen));
  ReleaseDC(nullptr, screen);
  if (!scaled || !from || !to) return drawn.release();
  {
    const win32::SelectedObject source(from.get(), drawn.get());
    const win32::SelectedObject target(to.get(), scaled.get());
    SetStretchBltMode(to.get(), COLORONCOLOR);
    if (!StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, size.bmWidth,
                    size.bmHeight, SRCCOPY)) {
      return drawn.release();
    }
  }
  return scaled.release();
}

}  // namespace

CContextMenuExt::CContextMenuExt() : menuBitmap_(LoadArrowBitmap()) {
  InterlockedIncrement(&g_objectCount);
}

CContextMenuExt::~CContextMenuExt() { InterlockedDecrement(&g_objectCount); }

STDMETHODIMP CContextMenuExt::QueryInterface(REFIID riid, void** ppv) {
  if (ppv == nullptr) {
    return E_POINTER;
  }
  *ppv = nullptr;
  if (IsEqualIID(riid, IID_IShellExtInit) || IsEqualIID(riid, IID_IUnknown)) {
    *ppv = static_cast<IShellExtInit*>(this);
  } else if (IsEqualIID(riid, IID_IContextMenu)) {
    *ppv = static_cast<IContextMenu*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CContextMenuExt::AddRef() {
  return static_cast<ULONG>(InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) CContextMenuExt::Release() {
  const LONG remaining = InterlockedDecrement(&references_);
  if (remaining == 0) {
    delete this;
  }
  return static_cast<ULONG>(remaining);
}

STDMETHODIMP CContextMenuExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data,
                                         HKEY) {
  data_.reset();
  hasItem_ = false;
  name_.clear();
  if (data == nullptr) {
    return E_FAIL;
  }
  data_ = win32::ComPtr<IDataObject>::Share(data);

  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) {
    return E_FAIL;
  }
  HRESULT result = S_OK;
  try {
    // Only the first item is added, so only it is read: the platform walks
    // the list from its start for every item asked for, and a selection of
    // thousands would cost Explorer's thread dearly.
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    hasItem_ = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0;
    if (hasItem_) {
      // In wide characters, as long as it is: the settings file decides
      // which form of the name it can keep.
      const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
      std::wstring name(length + 1, L'\0');
      if (length > 0 &&
          DragQueryFileW(drop, 0, name.data(), length + 1) == length) {
        name.resize(length);
        name_ = std::move(name);
      }
    }
  } catch (...) {
    hasItem_ = false;
    name_.clear();
    result = E_OUTOFMEMORY;
  }
  ReleaseStgMedium(&medium);
  return result;
}

STDMETHODIMP CContextMenuExt::QueryContextMenu(HMENU menu, UINT indexMenu,
                                               UINT idCmdFirst, UINT idCmdLast,
                                               UINT flags) {
  // No identifier left for the command, or no item made for it: nothing is
  // added, and the bitmap must not land on another handler's item.
  if (!AddsCommand(flags) || idCmdFirst > idCmdLast ||
      !InsertMenuA(menu, indexMenu, MF_BYPOSITION | MF_STRING, idCmdFirst,
                   kCommandText)) {
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  }
  // The arrow stands in the item's check-mark area, checked or not.
  SetMenuItemBitmaps(menu, indexMenu, MF_BYPOSITION | MF_BITMAP,
                     menuBitmap_.get(), menuBitmap_.get());
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
}

STDMETHODIMP CContextMenuExt::GetCommandString(UINT_PTR idCmd, UINT type,
                                               UINT*, CHAR* name, UINT cchMax) {
  const char* text = CommandStringFor(static_cast<unsigned>(idCmd));
  switch (type) {
    case GCS_VERBA:
    case GCS_HELPTEXTA:
      CopyToBuffer(text, name, cchMax);
      return S_OK;
    // Current Explorer asks in wide characters; cchMax counts them.
    case GCS_VERBW:
    case GCS_HELPTEXTW:
      CopyToBuffer(text, reinterpret_cast<wchar_t*>(name), cchMax);
      return S_OK;
    case GCS_VALIDATEA:
    case GCS_VALIDATEW:
      return idCmd == 0 ? S_OK : S_FALSE;
    default:
      return E_INVALIDARG;
  }
}

namespace {

// What the caller asks for. Current Explorer gives the verb in wide
// characters as well, which then count; a number and a string are told
// apart by the whole pointer, not by 16 bits of it.
Invocation Requested(const CMINVOKECOMMANDINFO& info) {
  if (info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info.fMask & CMIC_MASK_UNICODE)) {
    const auto& wide = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info);
    if (wide.lpVerbW != nullptr && !IS_INTRESOURCE(wide.lpVerbW)) {
      return InvocationOfVerb(std::wstring_view(wide.lpVerbW));
    }
  }
  if (IS_INTRESOURCE(info.lpVerb)) {
    return InvocationOfCommand(LOWORD(reinterpret_cast<ULONG_PTR>(info.lpVerb)));
  }
  return InvocationOfVerb(std::string_view(info.lpVerb));
}

// The description the item gets: from the name as the user sees it,
// whatever form of the path is stored.
std::string AnsiDescription(const std::wstring& name) {
  const std::wstring description = DescriptionFromPath(name);
  if (description.empty()) return {};
  const int length = static_cast<int>(description.size());
  const int needed = WideCharToMultiByte(CP_ACP, 0, description.data(), length, nullptr,
                                         0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string ansi(static_cast<std::size_t>(needed), '\0');
  WideCharToMultiByte(CP_ACP, 0, description.data(), length, ansi.data(), needed,
                      nullptr, nullptr);
  return ansi;
}

}  // namespace

STDMETHODIMP CContextMenuExt::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (info == nullptr || info->cbSize < sizeof(CMINVOKECOMMANDINFO)) {
    return E_INVALIDARG;
  }
  // Answering S_OK for a command of another handler would swallow it.
  if (Requested(*info) != Invocation::Add) {
    return E_FAIL;
  }
  // Without a window the message would land in the host thread's own queue.
  if (info->hwnd != nullptr) {
    PostMessageA(info->hwnd, WM_ENABLE, 0, 0);
  }
  // A selection that lists no item has nothing to add.
  if (!hasItem_) {
    return E_FAIL;
  }
  try {
    // An empty path, when the settings file can keep no form of it, is
    // refused by the dialog.
    const std::string path = settings::StorablePath(name_).text.value_or(std::string());
    CAddToMenuDialog dialog(path, AnsiDescription(name_));
    dialog.DoModal();
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace vorlane::shellext

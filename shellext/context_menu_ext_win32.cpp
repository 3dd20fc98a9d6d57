#include "shellext/context_menu_ext.h"

#include <shellapi.h>

#include <new>

#include "shellext/add_to_menu_dialog.h"
#include "shellext/shellix_logic.h"
#include "shellext/shellix_module.h"

namespace vorlane::shellext {

CContextMenuExt::CContextMenuExt()
    : menuBitmap_(LoadBitmapA(ModuleInstance(), MAKEINTRESOURCEA(IDB_ADD_ARROW))) {
  ++g_objectCount;
}

CContextMenuExt::~CContextMenuExt() { --g_objectCount; }

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

STDMETHODIMP_(ULONG) CContextMenuExt::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) CContextMenuExt::Release() {
  const ULONG remaining = --references_;
  if (remaining == 0) {
    delete this;
  }
  return remaining;
}

STDMETHODIMP CContextMenuExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data,
                                         HKEY) {
  data_.reset();
  if (data == nullptr) {
    return E_FAIL;
  }
  data_ = win32::ComPtr<IDataObject>::Share(data);
  paths_.clear();

  FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (FAILED(data->GetData(&format, &medium))) {
    return E_FAIL;
  }
  HRESULT result = S_OK;
  try {
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    paths_.resize(count);
    for (UINT i = 0; i < count; ++i) {
      char buffer[MAX_PATH] = {};
      // Items longer than a path are cut by the platform; an item it cannot
      // give stays an empty string.
      if (DragQueryFileA(drop, i, buffer, MAX_PATH) != 0) {
        paths_[i] = buffer;
      }
    }
    paths_.shrink_to_fit();
  } catch (...) {
    paths_.clear();
    result = E_OUTOFMEMORY;
  }
  ReleaseStgMedium(&medium);
  return result;
}

STDMETHODIMP CContextMenuExt::QueryContextMenu(HMENU menu, UINT indexMenu,
                                               UINT idCmdFirst, UINT,
                                               UINT flags) {
  if (!AddsCommand(flags)) {
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  }
  InsertMenuA(menu, indexMenu, MF_BYPOSITION | MF_STRING, idCmdFirst,
              kCommandText);
  // The arrow stands in the item's check-mark area, checked or not.
  SetMenuItemBitmaps(menu, indexMenu, MF_BYPOSITION | MF_BITMAP,
                     menuBitmap_.get(), menuBitmap_.get());
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
}

STDMETHODIMP CContextMenuExt::GetCommandString(UINT_PTR idCmd, UINT type,
                                               UINT*, CHAR* name, UINT cchMax) {
  if (type == GCS_VERBA || type == GCS_HELPTEXTA) {
    CopyToBuffer(CommandStringFor(static_cast<unsigned>(idCmd)), name, cchMax);
  }
  return S_OK;
}

STDMETHODIMP CContextMenuExt::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (info == nullptr) {
    return E_INVALIDARG;
  }
  if (HIWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb)) != 0) {
    return S_OK;
  }
  // Without a window the message would land in the host thread's own queue.
  if (info->hwnd != nullptr) {
    PostMessageA(info->hwnd, WM_ENABLE, 0, 0);
  }
  // A selection that lists no item has nothing to add.
  if (paths_.empty()) {
    return E_FAIL;
  }
  try {
    const std::string& path = paths_.front();
    CAddToMenuDialog dialog(path, DescriptionFromPath(path));
    dialog.DoModal();
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace vorlane::shellext

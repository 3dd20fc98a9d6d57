// The handler Explorer creates for each context menu of files and folders:
// it adds "Add to Vorlane" and opens the add-to-menu dialog for the first
// selected item.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "win32/com_ptr.h"
#include "win32/handles.h"

namespace vorlane::shellext {

class CContextMenuExt final : public IContextMenu, public IShellExtInit {
 public:
  CContextMenuExt();

  // IUnknown; the object's identity is its IShellExtInit interface.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst,
                                UINT idCmdLast, UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT type, UINT* reserved,
                                CHAR* name, UINT cchMax) override;

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data,
                          HKEY progId) override;

 private:
  ~CContextMenuExt();

  LONG references_ = 0;
  win32::ComPtr<IDataObject> data_;
  // The first selected item, the only one that is added, as the shell names
  // it. Which form of it the settings file keeps is found out only when the
  // command is chosen: that can take the file system's time, also on a
  // network share, and a right-click should not pay for it.
  bool hasItem_ = false;
  std::wstring name_;
  win32::UniqueBitmap menuBitmap_;
};

}  // namespace vorlane::shellext

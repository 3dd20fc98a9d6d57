#include "shell_selection.h"

#include <shlobj.h>

namespace vorlane::test {

win32::ComPtr<IDataObject> ShellDataObject(const std::vector<std::wstring>& paths) {
  win32::ComPtr<IDataObject> data;
  std::vector<PIDLIST_ABSOLUTE> absolute;
  std::vector<PCUITEMID_CHILD> children;
  win32::ComPtr<IShellFolder> parent;
  for (const std::wstring& wide : paths) {
    PIDLIST_ABSOLUTE item = nullptr;
    if (FAILED(SHParseDisplayName(wide.c_str(), nullptr, &item, 0, nullptr))) {
      break;
    }
    absolute.push_back(item);
    PCUITEMID_CHILD child = nullptr;
    parent.reset();
    SHBindToParent(item, IID_IShellFolder, reinterpret_cast<void**>(parent.put()),
                   &child);
    children.push_back(child);
  }
  if (parent && children.size() == paths.size()) {
    parent->GetUIObjectOf(nullptr, static_cast<UINT>(children.size()),
                          children.data(), IID_IDataObject, nullptr,
                          reinterpret_cast<void**>(data.put()));
  }
  for (PIDLIST_ABSOLUTE item : absolute) CoTaskMemFree(item);
  return data;
}

}  // namespace vorlane::test

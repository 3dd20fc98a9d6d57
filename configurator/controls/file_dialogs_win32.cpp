#include "configurator/controls/file_dialogs_win32.h"

#include <commdlg.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "settings/settings_names.h"
#include "settings/stored_path_win32.h"

namespace vorlane::configurator {
namespace {

constexpr char kUnstorablePath[] =
    "The name of this file or folder holds characters that the settings file "
    "cannot keep, and there is no short name to keep instead. Rename it, or "
    "choose another.";

std::string TooLongPath() {
  return "This path is too long for Vorlane, which starts paths of at most " +
         std::to_string(settings::kProgramToLaunch.limit) +
         " characters, and it has no short form that fits. Move or rename it, "
         "or choose another.";
}

std::wstring Wide(const char* text) {
  const int needed = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), needed);
  wide.resize(wide.size() - 1);
  return wide;
}

std::optional<std::string> Storable(HWND owner, const std::wstring& path) {
  settings::StoredText stored = settings::StorablePath(path);
  if (!stored.text) {
    const std::string message = stored.refusal == settings::StoredText::Refusal::TooLong
                                    ? TooLongPath()
                                    : std::string(kUnstorablePath);
    MessageBoxA(owner, message.c_str(), "Error", MB_OK | MB_ICONERROR);
  }
  return std::move(stored.text);
}

constexpr char kIconFileTooLong[] =
    "The path of this icon file is too long for the settings file, and it "
    "has no short form that fits. Move the file, or choose another.";

}  // namespace

std::optional<std::string> StorablePathOrSay(HWND owner, const std::wstring& path) {
  return Storable(owner, path);
}

std::optional<std::string> IconSpecOrSay(HWND owner, const std::string& file,
                                         int index) {
  settings::StoredText spec = settings::StorableIconSpec(file, index);
  if (!spec.text) MessageBoxA(owner, kIconFileTooLong, "Error", MB_OK | MB_ICONERROR);
  return std::move(spec.text);
}

std::optional<std::string> ChooseFile(HWND owner, const char* filter,
                                      const char* title) {
  std::wstring filters = Wide(filter);
  for (wchar_t& c : filters) {
    if (c == L'|') c = L'\0';
  }
  const std::wstring caption = Wide(title);
  // Room for a long path; the dialog says when a choice does not fit.
  std::vector<wchar_t> file(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = caption.c_str();
  dialog.Flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return Storable(owner, file.data());
}

std::optional<std::string> ChooseFolder(HWND owner, const char* title) {
  const std::wstring caption = Wide(title);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = caption.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return std::nullopt;
  std::vector<wchar_t> path(32768, L'\0');
  const bool found =
      SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()),
                            GPFIDL_DEFAULT) != FALSE;
  CoTaskMemFree(chosen);
  if (!found) return std::nullopt;
  return Storable(owner, path.data());
}

}  // namespace vorlane::configurator

// What the system says about colours: the app and taskbar modes chosen under
// Personalization (Windows 10 1809 and later; older systems have no such
// values, which reads as a light app mode and a dark taskbar, as they look),
// and whether high contrast is on. The dark title bar and the rounded
// corners are asked of DWM through calls looked up at run time: systems
// without them simply keep their own look.
#pragma once

#include <windows.h>

#include <cstddef>

#include "win32/handles.h"

namespace vorlane::win32 {

inline constexpr char kPersonalizeKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// A DWORD under the current user's Personalize key; `fallback` when it is
// missing or of another type.
inline DWORD PersonalizeValue(const char* name, DWORD fallback) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPersonalizeKey, 0, KEY_QUERY_VALUE,
                    &opened) != ERROR_SUCCESS) {
    return fallback;
  }
  UniqueKey key(opened);
  DWORD type = 0;
  DWORD value = 0;
  DWORD bytes = sizeof(value);
  if (RegQueryValueExA(key.get(), name, nullptr, &type,
                       reinterpret_cast<BYTE*>(&value), &bytes) != ERROR_SUCCESS ||
      type != REG_DWORD || bytes != sizeof(value)) {
    return fallback;
  }
  return value;
}

// "Choose your app mode": dark when AppsUseLightTheme is 0.
inline bool AppsUseDarkMode() {
  return PersonalizeValue("AppsUseLightTheme", 1) == 0;
}

// "Choose your Windows mode": the taskbar is light when SystemUsesLightTheme
// is 1.
inline bool TaskbarIsLight() {
  return PersonalizeValue("SystemUsesLightTheme", 0) == 1;
}

inline bool HighContrastOn() {
  HIGHCONTRASTA contrast{};
  contrast.cbSize = sizeof(contrast);
  return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(contrast),
                               &contrast, 0) != FALSE &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// The text of the WM_SETTINGCHANGE that says the app or taskbar mode changed.
inline bool SaysColourSetChanged(LPARAM lParam) {
  const auto* area = reinterpret_cast<const char*>(lParam);
  if (area == nullptr) {
    return false;
  }
  // Compared by hand: the launcher needs no other case-blind comparison.
  constexpr char kArea[] = "immersivecolorset";
  for (std::size_t i = 0; i < sizeof(kArea); ++i) {
    const char c = area[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != kArea[i]) {
      return false;
    }
  }
  return true;
}

// DwmSetWindowAttribute where dwmapi.dll has it.
inline HRESULT SetDwmAttribute(HWND window, DWORD attribute, const void* value,
                               DWORD bytes) {
  using SetAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  static const SetAttributeFn setAttribute = [] {
    HMODULE dwm = LoadLibraryA("dwmapi.dll");
    return dwm == nullptr
               ? nullptr
               : reinterpret_cast<SetAttributeFn>(reinterpret_cast<void*>(
                     GetProcAddress(dwm, "DwmSetWindowAttribute")));
  }();
  if (setAttribute == nullptr || window == nullptr) {
    return E_NOTIMPL;
  }
  return setAttribute(window, attribute, value, bytes);
}

// A dark title bar, or the usual one. Windows 10 before 20H1 knew the
// attribute under the number 19; later ones under 20.
inline void UseDarkTitleBar(HWND window, bool dark) {
  constexpr DWORD kImmersiveDarkMode = 20;
  constexpr DWORD kImmersiveDarkModeBefore20H1 = 19;
  const BOOL value = dark ? TRUE : FALSE;
  if (FAILED(SetDwmAttribute(window, kImmersiveDarkMode, &value, sizeof(value)))) {
    SetDwmAttribute(window, kImmersiveDarkModeBefore20H1, &value, sizeof(value));
  }
}

// The rounded corners of Windows 11; other systems refuse the attribute.
inline void AskForRoundCorners(HWND window) {
  constexpr DWORD kWindowCornerPreference = 33;
  constexpr DWORD kRound = 2;
  const DWORD value = kRound;
  SetDwmAttribute(window, kWindowCornerPreference, &value, sizeof(value));
}

}  // namespace vorlane::win32

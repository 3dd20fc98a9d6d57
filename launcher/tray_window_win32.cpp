#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdint>

#include "launcher/launcher_messages.h"
#include "launcher/launcher_state.h"
#include "launcher/tray_logic.h"
#include "resources/resource_ids.h"
#include "settings/profile_store_win32.h"
#include "settings/settings_model.h"
#include "win32/shell_icon.h"
#include "win32/system_theme.h"

namespace vorlane::launcher {

#if !defined(_WIN64)
// The record sizes that shells of each generation accept from 32-bit callers.
static_assert(NOTIFYICONDATAA_V1_SIZE == 88);
static_assert(NOTIFYICONDATAA_V2_SIZE == 488);
static_assert(NOTIFYICONDATAA_V3_SIZE == 504);
#endif

LauncherState& State() {
  // Registered before WinMain runs, as the shell may rebuild the taskbar at
  // any time after the window exists.
  static LauncherState state = [] {
    LauncherState initial;
    initial.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    return initial;
  }();
  return state;
}

namespace {
[[maybe_unused]] const LauncherState& g_registeredEarly = State();

DWORD TrayRecordBytes(TrayRecordSize size) {
  switch (size) {
    case TrayRecordSize::Shell6:
      return NOTIFYICONDATAA_V3_SIZE;
    case TrayRecordSize::Shell5:
      return NOTIFYICONDATAA_V2_SIZE;
    case TrayRecordSize::Original:
      break;
  }
  return NOTIFYICONDATAA_V1_SIZE;
}

void OnTaskbarCreated() {
  Shell_NotifyIconA(NIM_ADD, &State().trayData);
}

void OnDestroy() {
  LauncherState& state = State();
  ReleaseMenuHotkey();
  state.trayData.uFlags = 0;
  state.trayIcon.reset();
  state.trayData.hIcon = nullptr;
  Shell_NotifyIconA(NIM_DELETE, &state.trayData);
  PostQuitMessage(0);
}

void OnTrayNotify(LPARAM lParam) {
  LauncherState& state = State();
  // Seen also while the menu is open, when nothing opens it: a click's
  // NIN_SELECT that arrives meanwhile must not open it again afterwards.
  constexpr int kOpensNothing = -1;
  int openMenu = kOpensNothing;
  if (!state.menuOpen) {
    settings::ProfileStore store(state.iniPath);
    openMenu = settings::Read(store, settings::kSettingsSection, settings::kOpenMenu);
  }
  if (state.trayGestures.Opens(openMenu, LOWORD(lParam)) && !state.menuOpen) {
    state.menuOpen = true;
    ShowTrayMenu();
  }
}

void OnShowMenu() {
  LauncherState& state = State();
  if (state.menuOpen) {
    return;
  }
  state.menuOpen = true;
  ShowTrayMenu();
}

}  // namespace

HICON LoadResourceIcon(int id, int size) {
  return LoadResourceIcon(State().instance, id, size);
}

HICON LoadResourceIcon(HINSTANCE instance, int id, int size) {
  return win32::ResourceIconAtSize(instance, id, size);
}

// Index -1 asks the platform for the icon count, not for an icon: it
// names none, as it always did.
HICON ExtractIconFromFile(const std::string& file, int index, int size) {
  if (file.empty() || index == -1) {
    return nullptr;
  }
  return win32::FileIconAtSize(file.c_str(), index, size);
}

std::uint64_t GetShellVersion(const char* libraryName) {
  win32::UniqueModule library(LoadLibraryA(libraryName));
  if (!library) {
    return 0;
  }
  const auto dllGetVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(GetProcAddress(library.get(), "DllGetVersion")));
  if (dllGetVersion == nullptr) {
    return 0;
  }
  DLLVERSIONINFO info{};
  info.cbSize = sizeof(info);
  if (FAILED(dllGetVersion(&info))) {
    return 0;
  }
  return PackShellVersion(info.dwMajorVersion, info.dwMinorVersion);
}

void PrepareTrayData() {
  LauncherState& state = State();
  NOTIFYICONDATAA& data = state.trayData;
  data = NOTIFYICONDATAA{};
  const TrayRecordLayout layout =
      TrayRecordLayoutFor(GetShellVersion("Shell32.dll"));
  data.cbSize = TrayRecordBytes(layout.size);
  data.uVersion = layout.version;
  lstrcpynA(data.szTip, kTrayTip, static_cast<int>(std::size(data.szTip)));
  data.uFlags = NIF_MESSAGE | NIF_TIP;
  data.hWnd = state.hwnd;
  data.uID = kTrayIconId;
  data.uCallbackMessage = WM_TRAYNOTIFY;
}

void UpdateTrayIcon() {
  LauncherState& state = State();
  state.trayIcon.reset();
  state.trayData.hIcon = nullptr;

  settings::ProfileStore store(state.iniPath);
  const settings::IconSpec spec = settings::ParseIconSpec(
      settings::Read(store, settings::kSettingsSection, settings::kIcon));
  // The notification area shows small icons, at the system's dpi.
  const int size = GetSystemMetrics(SM_CXSMICON);
  state.trayIcon.reset(
      ExtractIconFromFile(spec.file, spec.index, size));
  if (!state.trayIcon) {
    // The blue tile fades into a light taskbar; that one gets the variant
    // drawn for it.
    state.trayIcon.reset(LoadResourceIcon(
        win32::TaskbarIsLight() ? IDI_TRAY_LIGHT : IDI_TRAY, size));
  }

  state.trayData.uFlags |= NIF_ICON;
  state.trayData.hIcon = state.trayIcon.get();
  Shell_NotifyIconA(NIM_MODIFY, &state.trayData);
}

namespace {

void HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == State().taskbarCreatedMessage) {
    OnTaskbarCreated();
  }
  switch (message) {
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      break;
    case WM_DRAWITEM:
      DrawMenuEntry(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      break;
    case WM_MEASUREITEM:
      MeasureMenuEntry(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      break;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam));
      break;
    case WM_TIMER:
      OnIconTimer(wParam);
      break;
    case WM_ENTRYICONS:
      OnEntryIcons();
      break;
    case WM_ENTERIDLE:
      if (wParam == MSGF_MENU) {
        StartIconLoading();
        RoundOpenMenus();
      }
      break;
    case WM_SETTINGCHANGE:
      OnSettingChange(lParam);
      break;
    case WM_TRAYNOTIFY:
      OnTrayNotify(lParam);
      break;
    case WM_RELOADICON:
      // The configurator sends it after a change of the settings.
      UpdateTrayIcon();
      RegisterMenuHotkey(false);
      break;
    case WM_SHOWMENU:
    case WM_HOTKEY:
      OnShowMenu();
      break;
    case WM_SAYSTARTPROBLEMS:
      OnSayStartProblems();
      break;
    default:
      break;
  }
}

}  // namespace

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam,
                             LPARAM lParam) {
  // Nothing may unwind through the platform's message loop: a handler that
  // runs out of memory gives up on that one message.
  try {
    if (message == WM_MENUCHAR && State().menuOpen) {
      return OnMenuChar(static_cast<char>(LOWORD(wParam)),
                        reinterpret_cast<HMENU>(lParam));
    }
    HandleMessage(hwnd, message, wParam, lParam);
  } catch (...) {
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace vorlane::launcher

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "launcher/launcher_state.h"
#include "win32/system_theme.h"

namespace vorlane::launcher {

SystemLook ReadSystemLook() {
  SystemLook look;
  look.appsDark = win32::AppsUseDarkMode();
  look.highContrast = win32::HighContrastOn();
  look.colours.menu = GetSysColor(COLOR_MENU);
  look.colours.menuText = GetSysColor(COLOR_MENUTEXT);
  look.colours.highlight = GetSysColor(COLOR_HIGHLIGHT);
  look.colours.highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
  look.colours.grayText = GetSysColor(COLOR_GRAYTEXT);
  look.colours.shadow = GetSysColor(COLOR_3DSHADOW);
  return look;
}

// Asked at every opening rather than kept from the last WM_SETTINGCHANGE:
// a change made while no message reached the launcher shows all the same.
void ChooseMenuColours(int theme) {
  LauncherState& state = State();
  const SystemLook system = state.systemLook();
  state.look = ChooseMenuLook(settings::ParseThemeChoice(theme), system);
  state.palette = PaletteFor(state.look, system.colours);
}

// The popup's own background shows around the entries (Wine keeps a margin
// there, Windows the space below a short menu's last entry). The light look
// keeps the system's, as it always did.
void PaintMenuBackgrounds() {
  LauncherState& state = State();
  if (state.look == MenuLook::Light) {
    return;
  }
  state.menuBackground.reset(CreateSolidBrush(state.palette.background));
  if (!state.menuBackground) {
    return;
  }
  MENUINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = MIM_BACKGROUND;
  info.hbrBack = state.menuBackground.get();
  for (const win32::UniqueMenu& menu : state.menus) {
    SetMenuInfo(menu.get(), &info);
  }
}

namespace {

BOOL CALLBACK RoundPopupWindow(HWND window, LPARAM) {
  char name[16] = {};
  GetClassNameA(window, name, static_cast<int>(std::size(name)));
  std::vector<HWND>& rounded = State().roundedMenus;
  if (lstrcmpA(name, "#32768") == 0 && IsWindowVisible(window) &&
      std::find(rounded.begin(), rounded.end(), window) == rounded.end()) {
    rounded.push_back(window);
    win32::AskForRoundCorners(window);
  }
  return TRUE;
}

}  // namespace

// The popups are the platform's windows, made only when each one shows:
// each is asked once, when the menu loop first falls idle after it opened.
void RoundOpenMenus() {
  EnumThreadWindows(GetCurrentThreadId(), RoundPopupWindow, 0);
}

void OnSettingChange(LPARAM lParam) {
  // The taskbar's mode decides which tray icon suits it.
  if (win32::SaysColourSetChanged(lParam)) {
    UpdateTrayIcon();
  }
}

}  // namespace vorlane::launcher

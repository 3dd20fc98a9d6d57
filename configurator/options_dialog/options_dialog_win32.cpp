#include "configurator/options_dialog/options_dialog_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shellapi.h>

#include "config_ids.h"
#include "configurator/choose_icon_dialog/choose_icon_dialog_win32.h"
#include "configurator/config_app/config_app_win32.h"
#include "configurator/controls/file_dialogs_win32.h"
#include "configurator/controls/window_placement_win32.h"
#include "configurator/options_dialog/options_logic.h"
#include "configurator/options_dialog/start_with_windows_win32.h"
#include "settings/hotkey.h"
#include "settings/launcher_window.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"
#include "settings/extension_names.h"
#include "win32/display_dpi.h"

namespace vorlane::configurator {
namespace {

using settings::kSettingsSection;

constexpr char kRegsvrMissing[] = "Unable to run regsvr32.exe process";
// How long the registration tool may take; Explorer's extensions register in
// a moment, but a loaded machine starts programs slowly.
constexpr DWORD kRegistrationWaitMs = 30000;
constexpr char kRegsvrMissingCaption[] = "Unable to run regsvr32.exe process.";
constexpr char kRunKeyRefused[] =
    "Vorlane could not be set to start with Windows: the registry refused "
    "the change, for all users and for you alone.";
constexpr char kRunValueKept[] =
    "Vorlane still starts with Windows: the registry refused to remove its "
    "start-up value. An administrator can remove the value \"Vorlane\" "
    "under HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run.";

struct Tip {
  int id;
  const char* text;
};
constexpr char kFontTip[] = "Set the font for the vorlane menu";
constexpr char kIconTip[] = "Set the trayicon";
constexpr Tip kTips[] = {
    {IDC_CHOOSE_FONT, kFontTip},
    {IDC_START_WITH_WINDOWS, "Makes Vorlane start with Windows"},
    {IDC_SHOW_TOOLTIPS, "Enable / disable the tooltips your watching now"},
    {IDC_CONTEXT_MENU,
     "Adds an Add to Vorlane item to the contextmenu in the Windows explorer"},
    {IDC_SHOW_RUN, "Enable /disable the FastStart item"},
    {IDC_SHOW_EMAIL, "Enable / disable the Email menu"},
    {IDC_MOUSE_OVER, "Open Vorlane menu when you move your mouse over the icon"},
    {IDC_RIGHT_CLICK, "Open Vorlane menu with rightclick"},
    {IDC_BOTH_CLICKS, "Open Vorlane menu with right and leftclick"},
    {IDC_LEFT_CLICK, "Open Vorlane menu with leftclick"},
    {IDC_DEFAULT_FONT, kFontTip},
    {IDC_DEFAULT_ICON, kIconTip},
    {IDC_PICK_ICON, kIconTip},
    {IDC_PAUSE, "Delay in seconds between the launching of batch commands"},
    {IDC_HOTKEY, "Keys that open the Vorlane menu from any program"},
    {IDC_THEME_SYSTEM, "Light or dark menu as Windows shows its programs"},
    {IDC_THEME_LIGHT, "Light menu whatever Windows shows"},
    {IDC_THEME_DARK, "Dark menu whatever Windows shows"},
};

// Notes what the font dialog shows for the stored font once it has filled
// its boxes.
UINT_PTR CALLBACK RememberShownFont(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* choose = reinterpret_cast<const CHOOSEFONTA*>(lParam);
    auto* shown = reinterpret_cast<ShownFont*>(choose->lCustData);
    char text[LF_FACESIZE] = {};
    GetDlgItemTextA(dialog, cmb3, text, static_cast<int>(std::size(text)));
    shown->pointSizeTenths = PointSizeTenths(text).value_or(-1);
    GetDlgItemTextA(dialog, cmb1, text, static_cast<int>(std::size(text)));
    shown->face = text;
  }
  return 0;
}

std::string ProgramPath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, std::size(path));
  return std::string(path, length < std::size(path) ? length : 0);
}

// Registered for all users or, without administrator rights, for this one:
// the shell reads both.
bool ExtensionRegistered() {
  const std::string server =
      std::string(settings::kClassesKey) + settings::kShellixServerKey;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, server.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
      const win32::UniqueKey opened(key);
      return true;
    }
  }
  return false;
}

}  // namespace

COptionsDialog::COptionsDialog(CConfigApp& app)
    : Dialog(app.Instance(), IDD_OPTIONS), app_(app) {
  FollowAppModeInTitleBar();
}

BOOL COptionsDialog::OnInit() {
  CentreOnPointerMonitor(Window());
  const int ids[] = {IDOK, IDC_CHOOSE_FONT, IDC_PICK_ICON};
  const int icons[][2] = {{IDI_DISKETTE, IDI_DISKETTE_GREY},
                          {IDI_LETTERS, IDI_LETTERS_GREY},
                          {IDI_GRID, IDI_GRID_GREY}};
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    buttons_[i].Attach(Window(), ids[i]);
    buttons_[i].SetIcons(Resources(), icons[i][0], icons[i][1]);
  }
  SetUpTooltips();

  settings::ProfileStore& file = app_.Profile();
  if (const int button = OpenMenuButton(settings::Read(file, kSettingsSection,
                                                       settings::kOpenMenu))) {
    CheckRadioButton(Window(), IDC_MOUSE_OVER, IDC_BOTH_CLICKS, button);
  }
  CheckRadioButton(Window(), IDC_THEME_SYSTEM, IDC_THEME_DARK,
                   ThemeButton(settings::Read(file, kSettingsSection, settings::kTheme)));
  const std::pair<int, const settings::IntKey*> boxes[] = {
      {IDC_SHOW_TOOLTIPS, &settings::kShowTooltips},
      {IDC_START_WITH_WINDOWS, &settings::kStartWithWindows},
      {IDC_SHOW_RUN, &settings::kShowFastStart},
      {IDC_SHOW_EMAIL, &settings::kShowEmailItem},
  };
  for (const auto& [id, key] : boxes) {
    const int value = file.ReadInt(kSettingsSection, key->name, 0);
    CheckDlgButton(Window(), id, value == 1 ? BST_CHECKED : BST_UNCHECKED);
  }
  // The registry, not the file, says whether Explorer shows the command:
  // the file may have been copied, or the tool may have failed.
  CheckDlgButton(Window(), IDC_CONTEXT_MENU,
                 ExtensionRegistered() ? BST_CHECKED : BST_UNCHECKED);
  const bool defaultIcon =
      settings::Read(file, kSettingsSection, settings::kIcon).empty();
  CheckDlgButton(Window(), IDC_DEFAULT_ICON, defaultIcon ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(Item(IDC_PICK_ICON), !defaultIcon);
  ShowTrayPreview();
  const bool defaultFont =
      settings::Read(file, kSettingsSection, settings::kFontFace).empty();
  CheckDlgButton(Window(), IDC_DEFAULT_FONT, defaultFont ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(Item(IDC_CHOOSE_FONT), !defaultFont);

  SetDlgItemTextA(Window(), IDC_HOTKEY,
                  settings::Read(file, kSettingsSection, settings::kHotkey).c_str());
  SendMessageA(Item(IDC_HOTKEY), EM_LIMITTEXT, settings::kHotkey.limit, 0);
  SendMessageA(Item(IDC_PAUSE_SPIN), UDM_SETRANGE, 0, MAKELPARAM(10, 1));
  SendMessageA(Item(IDC_PAUSE_SPIN), UDM_SETPOS, 0,
               MAKELPARAM(PauseSecondsShown(settings::Read(
                              file, kSettingsSection, settings::kBatchPause)),
                          0));
  return TRUE;
}

void COptionsDialog::SetUpTooltips() {
  const int show = app_.GetProfileInt(kSettingsSection, settings::kShowTooltips.name, 0);
  if (!TooltipsWanted(show) || !tooltips_.Create(Window())) return;
  tooltips_.SetInitialDelay(10);
  for (const Tip& tip : kTips) tooltips_.Add(tip.id, tip.text);
  tooltips_.Activate();
}

bool COptionsDialog::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return Dialog::OnCommand(id, notification);
  switch (id) {
    case IDC_MOUSE_OVER: WriteOpenMenu(1); return true;
    case IDC_LEFT_CLICK: WriteOpenMenu(2); return true;
    case IDC_RIGHT_CLICK: WriteOpenMenu(3); return true;
    case IDC_BOTH_CLICKS: WriteOpenMenu(4); return true;
    case IDC_THEME_SYSTEM: WriteTheme(settings::ThemeChoice::FollowSystem); return true;
    case IDC_THEME_LIGHT: WriteTheme(settings::ThemeChoice::Light); return true;
    case IDC_THEME_DARK: WriteTheme(settings::ThemeChoice::Dark); return true;
    case IDC_SHOW_RUN: FlipKey(settings::kShowFastStart.name); return true;
    case IDC_SHOW_EMAIL: FlipKey(settings::kShowEmailItem.name); return true;
    case IDC_SHOW_TOOLTIPS: FlipKey(settings::kShowTooltips.name); return true;
    case IDC_START_WITH_WINDOWS: ToggleStartWithWindows(); return true;
    case IDC_CONTEXT_MENU: ToggleContextMenu(); return true;
    case IDC_DEFAULT_ICON: DefaultIcon(); return true;
    case IDC_PICK_ICON: PickIcon(); return true;
    case IDC_DEFAULT_FONT: DefaultFont(); return true;
    case IDC_CHOOSE_FONT: ChooseMenuFont(); return true;
    default: return Dialog::OnCommand(id, notification);
  }
}

void COptionsDialog::Finish(bool written) {
  if (!written) app_.ReportWriteFailure(Window());
}

void COptionsDialog::FlipKey(const char* key) {
  // Read and written as one edit: another program may change the file in
  // between.
  settings::SettingsEdit edit(app_.Profile());
  const int value = edit.ReadInt(kSettingsSection, key, 0);
  settings::WriteInt(edit, kSettingsSection, key, value == 1 ? 0 : 1);
  Finish(edit.Commit());
}

void COptionsDialog::WriteOpenMenu(int value) {
  Finish(app_.WriteProfileInt(kSettingsSection, settings::kOpenMenu.name, value));
}

// The launcher reads Theme each time it opens its menu: it need not be told.
void COptionsDialog::WriteTheme(settings::ThemeChoice theme) {
  Finish(app_.WriteProfileInt(kSettingsSection, settings::kTheme.name,
                              static_cast<int>(theme)));
}

void COptionsDialog::ToggleStartWithWindows() {
  const bool on =
      app_.GetProfileInt(kSettingsSection, settings::kStartWithWindows.name, 0) != 1;
  if (!SetStartWithWindows(on, BesideProgram(ProgramPath(), "Vorlane.exe"))) {
    // The box shows what the registry does, and the key stays as it was:
    // saying otherwise would mislead.
    CheckDlgButton(Window(), IDC_START_WITH_WINDOWS, on ? BST_UNCHECKED : BST_CHECKED);
    MessageBoxA(Window(), on ? kRunKeyRefused : kRunValueKept, "Error",
                MB_OK | MB_ICONERROR);
    return;
  }
  Finish(app_.WriteProfileInt(kSettingsSection, settings::kStartWithWindows.name,
                              on ? 1 : 0));
}

// regsvr32 runs silently and is waited for, so that the box and
// ContextMenu say what is registered afterwards, not what was asked; a
// failure is said here. While it runs the dialog takes no input, but it is
// painted.
void COptionsDialog::ToggleContextMenu() {
  const bool wanted = IsDlgButtonChecked(Window(), IDC_CONTEXT_MENU) == BST_CHECKED;
  const std::string library = BesideProgram(ProgramPath(), "Shellix.dll");
  std::string command = RegistrationCommand(library, !wanted);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE,
                      CREATE_DEFAULT_ERROR_MODE | NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &startup, &process)) {
    CheckDlgButton(Window(), IDC_CONTEXT_MENU, wanted ? BST_UNCHECKED : BST_CHECKED);
    MessageBoxA(Window(), kRegsvrMissing, kRegsvrMissingCaption, MB_OK);
    return;
  }
  const win32::UniqueKernelHandle tool(process.hProcess);
  CloseHandle(process.hThread);
  const std::optional<DWORD> exitCode = WaitForTool(tool.get());

  const bool registered = ExtensionRegistered();
  CheckDlgButton(Window(), IDC_CONTEXT_MENU, registered ? BST_CHECKED : BST_UNCHECKED);
  Finish(app_.WriteProfileInt(kSettingsSection, settings::kContextMenu.name,
                              registered ? 1 : 0));
  if (registered != wanted) {
    const std::string text = RegistrationFailureText(wanted, library, exitCode);
    MessageBoxA(Window(), text.c_str(), "Error", MB_OK | MB_ICONERROR);
  }
}

std::optional<DWORD> COptionsDialog::WaitForTool(HANDLE tool) {
  EnableWindow(Window(), FALSE);
  const HCURSOR before = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  const DWORD end = GetTickCount() + kRegistrationWaitMs;
  bool done = false;
  for (;;) {
    const DWORD now = GetTickCount();
    const DWORD left = static_cast<LONG>(end - now) > 0 ? end - now : 0;
    const DWORD woke = MsgWaitForMultipleObjects(1, &tool, FALSE, left, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) {
      done = true;
      break;
    }
    if (woke != WAIT_OBJECT_0 + 1) break;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  SetCursor(before);
  EnableWindow(Window(), TRUE);
  DWORD code = 0;
  if (!done || !GetExitCodeProcess(tool, &code)) return std::nullopt;
  return code;
}

void COptionsDialog::ShowTrayPreview() {
  const std::string icon = settings::Read(app_.Profile(), kSettingsSection, settings::kIcon);
  HICON shown = nullptr;
  win32::UniqueIcon extracted;
  if (icon.size() < 2) {
    shown = LoadIconA(Resources(), MAKEINTRESOURCEA(IDI_PRODUCT));
  } else {
    const settings::IconSpec spec = settings::ParseIconSpec(icon);
    HICON got = ExtractIconA(Resources(), spec.file.c_str(),
                             static_cast<UINT>(spec.index));
    if (got != nullptr && got != reinterpret_cast<HICON>(1)) extracted.reset(got);
    shown = extracted.get();
  }
  SendMessageA(Item(IDC_TRAY_PREVIEW), STM_SETICON, reinterpret_cast<WPARAM>(shown), 0);
  // The control shows the icon it was given; the one it showed before is
  // released only now.
  preview_ = std::move(extracted);
}

bool COptionsDialog::OnMessage(UINT message, WPARAM, LPARAM lParam, INT_PTR&) {
  if (message == WM_DPICHANGED) {
    const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
    SetWindowPos(Window(), nullptr, suggested.left, suggested.top,
                 suggested.right - suggested.left, suggested.bottom - suggested.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    for (CIconButton& button : buttons_) button.OnDpiChanged();
  }
  // The dialog manager scales the controls and their fonts.
  return false;
}

// Every launcher is told, as launchers of other settings files may run
// beside the one of this file: each reads its own file again.
void COptionsDialog::TellLauncher() {
  HWND launcher = nullptr;
  while ((launcher = FindWindowExA(nullptr, launcher, settings::kLauncherWindowClass,
                                   nullptr)) != nullptr) {
    SendMessageA(launcher, settings::WM_RELOADICON, 0, 0);
  }
}

void COptionsDialog::DefaultIcon() {
  const bool checked = IsDlgButtonChecked(Window(), IDC_DEFAULT_ICON) == BST_CHECKED;
  EnableWindow(Item(IDC_PICK_ICON), !checked);
  if (!checked) return;
  Finish(app_.WriteProfileString(kSettingsSection, settings::kIcon.name, ""));
  ShowTrayPreview();
  TellLauncher();
}

void COptionsDialog::PickIcon() {
  CChooseIconDialog chooser(Resources(), "");
  if (chooser.DoModal(Window()) != IDOK) return;
  const std::optional<std::string> value =
      IconSpecOrSay(Window(), chooser.IconFile(), chooser.IconIndex());
  if (!value) return;
  Finish(app_.WriteProfileString(kSettingsSection, settings::kIcon.name, value->c_str()));
  ShowTrayPreview();
  TellLauncher();
}

void COptionsDialog::DefaultFont() {
  const bool checked = IsDlgButtonChecked(Window(), IDC_DEFAULT_FONT) == BST_CHECKED;
  EnableWindow(Item(IDC_CHOOSE_FONT), !checked);
  if (!checked) return;
  settings::SettingsEdit edit(app_.Profile());
  edit.WriteString(kSettingsSection, settings::kFontFace.name, "");
  settings::WriteInt(edit, kSettingsSection, settings::kFontSize.name, -10);
  settings::WriteInt(edit, kSettingsSection, settings::kFontWeight.name, 400);
  settings::WriteInt(edit, kSettingsSection, settings::kFontItalic.name, 0);
  settings::WriteInt(edit, kSettingsSection, settings::kFontStrikeOut.name, 0);
  settings::WriteInt(edit, kSettingsSection, settings::kFontUnderline.name, 0);
  Finish(edit.Commit());
}

void COptionsDialog::ChooseMenuFont() {
  settings::ProfileStore& file = app_.Profile();
  const std::string face = settings::Read(file, kSettingsSection, settings::kFontFace);
  const int strikeOut = settings::Read(file, kSettingsSection, settings::kFontStrikeOut);
  const int underline = settings::Read(file, kSettingsSection, settings::kFontUnderline);
  const int italic = settings::Read(file, kSettingsSection, settings::kFontItalic);
  const int weight = settings::Read(file, kSettingsSection, settings::kFontWeight);
  const int size = settings::Read(file, kSettingsSection, settings::kFontSize);
  // FontSize is a height at 96 dpi; the font dialog works at the display's.
  const int dpi = win32::WindowDpi(Window());
  const win32::UniqueFont font(CreateFontA(
      win32::ScaleToDpi(size, dpi), 0, 0, 0, weight, static_cast<BYTE>(italic), static_cast<BYTE>(underline),
      static_cast<BYTE>(strikeOut), ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
      ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
  LOGFONTA chosen{};
  if (font) GetObjectA(font.get(), sizeof(chosen), &chosen);
  ShownFont shown;
  CHOOSEFONTA dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = Window();
  dialog.lpLogFont = &chosen;
  dialog.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT | CF_ENABLEHOOK;
  dialog.lCustData = reinterpret_cast<LPARAM>(&shown);
  dialog.lpfnHook = RememberShownFont;
  if (!ChooseFontA(&dialog)) return;
  const FontKeys keys = FontKeysFor(
      ChosenFont{chosen.lfFaceName, MulDiv(chosen.lfHeight, win32::kDefaultDpi, dpi),
                 dialog.iPointSize, chosen.lfWeight,
                 chosen.lfItalic != 0, chosen.lfStrikeOut != 0, chosen.lfUnderline != 0},
      StoredFont{face, size}, shown);
  settings::SettingsEdit edit(file);
  edit.WriteString(kSettingsSection, settings::kFontFace.name, keys.face);
  settings::WriteInt(edit, kSettingsSection, settings::kFontSize.name, keys.size);
  settings::WriteInt(edit, kSettingsSection, settings::kFontWeight.name, keys.weight);
  settings::WriteInt(edit, kSettingsSection, settings::kFontItalic.name, keys.italic);
  settings::WriteInt(edit, kSettingsSection, settings::kFontStrikeOut.name, keys.strikeOut);
  settings::WriteInt(edit, kSettingsSection, settings::kFontUnderline.name, keys.underline);
  Finish(edit.Commit());
}

// The hotkey typed is checked before anything is saved: one that cannot be
// read, that would take keys every program needs, or that another program
// holds is said, and the dialog stays open on it. The file is written
// whenever it holds other text than the field would store, so that a value
// the launcher cannot use is mended by clearing the field.
bool COptionsDialog::SaveHotkey() {
  char typed[settings::kHotkey.limit + 1] = {};
  GetDlgItemTextA(Window(), IDC_HOTKEY, typed, static_cast<int>(std::size(typed)));
  const auto refuse = [this](const std::string& why) {
    MessageBoxA(Window(), why.c_str(), "Vorlane", MB_OK | MB_ICONWARNING);
    SetFocus(Item(IDC_HOTKEY));
    SendMessageA(Item(IDC_HOTKEY), EM_SETSEL, 0, -1);
    return false;
  };
  // A value cannot hold a line end: this one stands for a missing key.
  constexpr char kAbsent[] = "\n";
  std::string stored = app_.Profile().ReadString(kSettingsSection, settings::kHotkey.name,
                                                 kAbsent, settings::kHotkey.limit);
  const HotkeySave save = PlanHotkeySave(
      typed, stored == kAbsent ? std::nullopt : std::optional<std::string>(stored));
  switch (save.action) {
    case HotkeySave::Action::Refuse:
      return refuse(settings::HotkeyProblemText(typed, save.problem));
    case HotkeySave::Action::Keep:
      return true;
    case HotkeySave::Action::Remove:
      Finish(app_.Profile().DeleteKey(kSettingsSection, settings::kHotkey.name));
      break;
    case HotkeySave::Action::Write: {
      const settings::Hotkey hotkey = *settings::ParseHotkey(save.value).hotkey;
      constexpr int kTrialId = 0x7F00;
      if (save.tryFirst) {
        if (!RegisterHotKey(Window(), kTrialId, hotkey.modifiers, hotkey.key)) {
          return refuse(settings::HotkeyTakenText(hotkey));
        }
        UnregisterHotKey(Window(), kTrialId);
      }
      Finish(app_.WriteProfileString(kSettingsSection, settings::kHotkey.name,
                                     save.value.c_str()));
      break;
    }
  }
  TellLauncher();
  return true;
}

void COptionsDialog::OnOK() {
  if (!SaveHotkey()) return;
  BOOL isNumber = FALSE;
  const int seconds = static_cast<int>(GetDlgItemInt(Window(), IDC_PAUSE, &isNumber, TRUE));
  Finish(app_.WriteProfileInt(kSettingsSection, settings::kBatchPause.name,
                              PauseToStore(isNumber ? seconds : 0)));
  EndDialog(Window(), IDOK);
}

}  // namespace vorlane::configurator

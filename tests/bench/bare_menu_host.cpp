#include "bare_menu_host.h"

#include <future>
#include <utility>

#include "win32/handles.h"

namespace vorlane::bench {
namespace {

constexpr char kHostClass[] = "VorlaneBenchBareMenus";
constexpr UINT WM_SHOWBAREMENU = WM_APP + 1;
constexpr UINT kFirstCommand = 1;

win32::UniqueMenu BuildSubmenu(int items) {
  win32::UniqueMenu menu(CreatePopupMenu());
  for (int i = 1; menu && i <= items; ++i) {
    const std::string text = "Program " + std::to_string(i);
    AppendMenuA(menu.get(), MF_STRING, kFirstCommand + i, text.c_str());
  }
  return menu;
}

void AppendSubmenu(HMENU menu, const BareItem& item) {
  win32::UniqueMenu submenu = BuildSubmenu(item.submenuItems);
  if (submenu &&
      AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.get()),
                  item.text.c_str())) {
    // Destroyed with the menu that holds it from now on.
    submenu.release();
  }
}

win32::UniqueMenu BuildPopup(const BareLayout& layout) {
  win32::UniqueMenu menu(CreatePopupMenu());
  UINT command = kFirstCommand;
  for (const BareItem& item : layout) {
    if (!menu) break;
    switch (item.kind) {
      case BareItem::Kind::Text:
        AppendMenuA(menu.get(), MF_STRING, command++, item.text.c_str());
        break;
      case BareItem::Kind::Separator:
        AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
        break;
      case BareItem::Kind::Submenu:
        AppendSubmenu(menu.get(), item);
        break;
    }
  }
  return menu;
}

// Built on request and shown as the launcher shows its menu, so that both
// start from the same state when the request arrives.
void ShowPopup(HWND owner, const BareLayout& layout) {
  win32::UniqueMenu menu = BuildPopup(layout);
  if (!menu) return;
  POINT cursor{};
  GetCursorPos(&cursor);
  SetForegroundWindow(owner);
  TrackPopupMenu(menu.get(), TPM_RETURNCMD, cursor.x, cursor.y, 0, owner,
                 nullptr);
  PostMessageA(owner, WM_NULL, 0, 0);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam,
                          LPARAM lParam) {
  switch (message) {
    case WM_SHOWBAREMENU:
      ShowPopup(window, *reinterpret_cast<const BareLayout*>(lParam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void Serve(std::promise<HWND> ready) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = HostProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kHostClass;
  // A failed registration shows as a failed creation.
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, kHostClass, "", WS_OVERLAPPED, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr);
  ready.set_value(window);
  if (window == nullptr) return;
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  UnregisterClassA(kHostClass, instance);
}

}  // namespace

BareItem TextItem(std::string text) {
  return {BareItem::Kind::Text, std::move(text), 0};
}

BareItem SeparatorItem() { return {BareItem::Kind::Separator, {}, 0}; }

BareItem SubmenuItem(std::string text, int items) {
  return {BareItem::Kind::Submenu, std::move(text), items};
}

BareMenuHost::BareMenuHost() {
  std::promise<HWND> ready;
  std::future<HWND> window = ready.get_future();
  thread_ = std::thread(Serve, std::move(ready));
  window_ = window.get();
}

BareMenuHost::~BareMenuHost() {
  if (window_ != nullptr) {
    // A popup left open keeps the thread in the menu loop, which hands this
    // on to the window; the default handling ends the menu.
    PostMessageA(window_, WM_CANCELMODE, 0, 0);
    PostMessageA(window_, WM_CLOSE, 0, 0);
  }
  thread_.join();
}

bool BareMenuHost::Show(const BareLayout& layout) const {
  return window_ != nullptr &&
         PostMessageA(window_, WM_SHOWBAREMENU, 0,
                      reinterpret_cast<LPARAM>(&layout)) != FALSE;
}

}  // namespace vorlane::bench

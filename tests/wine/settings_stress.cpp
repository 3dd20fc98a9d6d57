// One of several processes that change one settings file at the same
// moment, each through the code a program of the product runs for that
// change: the extension's "Add to Vorlane" and "New", the configurator's
// Add and its menu edits. They all start when the test sets the named
// event, so that their changes overlap.
//
//   settings_stress add-ext|add-config FILE GO TAG COUNT [--no-lock]
//       adds COUNT items "TAG-i" to the standard menu
//   settings_stress new-ext|new-config FILE GO COUNT [--no-lock]
//       adds COUNT menus
//   settings_stress churn FILE GO STOP NEXT
//       each time NEXT is set, until STOP is, one change: in turn the first
//       submenu removed, and a menu "M<j>" added that holds the items
//       churned_menus.h gives it, j the next after the highest in the file
//   settings_stress hold FILE HELD
//       takes the file's lock for a write, sets HELD and waits to be ended
//
// Exit code 0 when every change was stored; 1 for a bad command line, 2
// when GO never came, 3 when a change was not stored.
#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "churned_menus.h"
#include "configurator/item_list/item_operations.h"
#include "configurator/menu_list/menu_operations.h"
#include "settings/menu_edits.h"
#include "settings/profile_store_win32.h"
#include "settings/settings_edit.h"
#include "settings/settings_model.h"
#include "shellext/shellix_logic.h"

namespace {

using vorlane::settings::FileLocking;
using vorlane::settings::ProfileStore;
using vorlane::settings::SettingsEdit;

constexpr DWORD kLongestWaitForGo = 60000;

bool WaitForEvent(const std::string& name) {
  HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, name.c_str());
  if (event == nullptr) return false;
  const bool set = WaitForSingleObject(event, kLongestWaitForGo) == WAIT_OBJECT_0;
  CloseHandle(event);
  return set;
}

std::string ItemPath(const std::string& name) { return vorlane::test::ChurnedItemPath(name); }

int AddItems(ProfileStore& store, bool asExtension, const std::string& tag, int count) {
  int lost = 0;
  for (int i = 1; i <= count; ++i) {
    const std::string name = tag + "-" + std::to_string(i);
    bool stored = false;
    if (asExtension) {
      stored = vorlane::shellext::AddFileToMenu(store, 1, ItemPath(name), name) ==
               vorlane::shellext::AddResult::Added;
    } else {
      SettingsEdit edit(store);
      stored = vorlane::configurator::AddItem(edit, 1, {ItemPath(name), name, "", "", 0}) &&
               edit.Commit();
    }
    if (!stored) ++lost;
  }
  if (lost > 0) std::printf("stress %s: %d of %d adds not stored\n", tag.c_str(), lost, count);
  return lost == 0 ? 0 : 3;
}

int AddMenus(ProfileStore& store, bool asExtension, int count) {
  int lost = 0;
  for (int i = 0; i < count; ++i) {
    bool stored = false;
    if (asExtension) {
      stored = vorlane::shellext::AddMenuToFile(store) == vorlane::shellext::AddResult::Added;
    } else {
      SettingsEdit edit(store);
      stored = vorlane::settings::AddMenu(edit) && edit.Commit();
    }
    if (!stored) ++lost;
  }
  if (lost > 0) std::printf("stress: %d of %d new menus not stored\n", lost, count);
  return lost == 0 ? 0 : 3;
}

// The j of the newest menu "M<j>" in the file.
int HighestMenuName(SettingsEdit& edit) {
  int highest = 0;
  const int count = vorlane::settings::ReadCount(edit, vorlane::settings::kMenuCount);
  for (int n = 1; n <= count; ++n) {
    const std::string name =
        vorlane::settings::Read(edit, "Settings", vorlane::settings::kMenuName, n);
    if (name.size() > 1 && name[0] == 'M') highest = std::max(highest, std::atoi(name.c_str() + 1));
  }
  return highest;
}

// One change each time NEXT is set, until STOP is: the first submenu
// removed, then a menu added; the reader that sets NEXT then meets the
// change half made, if anything lets it.
int Churn(ProfileStore& store, const std::string& stopName, const std::string& nextName) {
  HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, stopName.c_str());
  HANDLE next = OpenEventA(SYNCHRONIZE, FALSE, nextName.c_str());
  if (stop == nullptr || next == nullptr) return 1;
  const HANDLE events[] = {stop, next};
  int changes = 0;
  bool stored = true;
  while (stored && WaitForMultipleObjects(2, events, FALSE, kLongestWaitForGo) ==
                       WAIT_OBJECT_0 + 1) {
    SettingsEdit edit(store);
    if (changes % 2 == 0) {
      stored = vorlane::configurator::RemoveMenu(edit, 1) && edit.Commit();
    } else {
      const int j = HighestMenuName(edit) + 1;
      const std::string name = "M" + std::to_string(j);
      const std::optional<int> menu = vorlane::settings::AddMenu(edit);
      stored = menu.has_value();
      if (stored) {
        edit.WriteString("Settings", vorlane::settings::NumberedName("MenuName", *menu),
                         name);
      }
      for (int i = 1; i <= vorlane::test::ChurnedItems(j) && stored; ++i) {
        const std::string item = name + "-" + std::to_string(i);
        stored = vorlane::configurator::AddItem(edit, *menu, {ItemPath(item), item, "", "", 0})
                     .has_value();
      }
      stored = stored && edit.Commit();
    }
    if (stored) ++changes;
  }
  CloseHandle(next);
  CloseHandle(stop);
  std::printf("stress churn: %d changes%s\n", changes, stored ? "" : ", then one not stored");
  return stored ? 0 : 3;
}

int Hold(ProfileStore& store, const std::string& heldName) {
  HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, heldName.c_str());
  if (held == nullptr) return 1;
  const vorlane::settings::LockHold hold(store, vorlane::settings::LockPurpose::Write);
  if (!vorlane::settings::Holds(hold.Outcome())) return 3;
  SetEvent(held);
  // Ended from outside while it holds the lock.
  Sleep(INFINITE);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  FileLocking locking = FileLocking::On;
  if (!args.empty() && args.back() == "--no-lock") {
    locking = FileLocking::Off;
    args.pop_back();
  }
  if (args.size() < 3) return 1;
  const std::string& mode = args[0];
  ProfileStore store(args[1], locking);
  if (mode == "hold") return Hold(store, args[2]);
  if (!WaitForEvent(args[2])) return 2;
  if ((mode == "add-ext" || mode == "add-config") && args.size() == 5) {
    return AddItems(store, mode == "add-ext", args[3], std::atoi(args[4].c_str()));
  }
  if ((mode == "new-ext" || mode == "new-config") && args.size() == 4) {
    return AddMenus(store, mode == "new-ext", std::atoi(args[3].c_str()));
  }
  if (mode == "churn" && args.size() == 5) return Churn(store, args[3], args[4]);
  return 1;
}

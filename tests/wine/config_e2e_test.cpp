// config.exe driven from another process as a user drives it: started the
// way the launcher starts it, its controls read and clicked for real, the
// settings file checked after each action, and the launcher showing the
// result at its next opening.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "config_driver.h"
#include "config_ids.h"
#include "menu_driver.h"
#include "screen_shot.h"
#include "shellext/registration.h"

namespace vorlane::test {
namespace {

// ---------------------------------------------------------------------------
// Start-up: the file named on the command line, the lists, the controls.

TEST_F(ConfigUse, OpensOnThePathAsPassedWithItsMenusRowsAndControls) {
  WriteTextFile(ini, ThreeMenus(folder).Text());
  const std::string before = File();
  // Unquoted, as the launcher passes it: the run of two blanks must stay.
  ASSERT_TRUE(config.Start("1 " + ini));
  EXPECT_EQ(AnswerBox(config.Pid(), "Vorlane"),
            "There's a problem with this menuitem:\r\nGone\r\nPlease check if "
            "the item still exists on your PC.\r\nBad items are marked with a "
            "red cross.");
  EXPECT_EQ(config.MenuLines(),
            (std::vector<std::string>{"Standard", "Web", "Tools", "Email Menu"}));

  const std::vector<Row> rows = config.Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].text, "Aye");
  EXPECT_EQ(rows[1].text, "----------------------");
  EXPECT_EQ(rows[2].text, "Gone");
  const HWND list = config.Control(IDC_ITEM_LIST);
  EXPECT_TRUE(Eventually([&] { return RowShows(list, rows[1], RGB(0x3f, 0x74, 0xe0)); },
                         "the separator's image"));
  EXPECT_TRUE(Eventually([&] { return RowShows(list, rows[2], RGB(0xe0, 0x30, 0x30)); },
                         "the bad item's cross"));
  EXPECT_EQ(FindTooltips(config.Pid()), nullptr) << "no tooltips without ShowTooltips=1";

  // Identifiers, texts and sizes of the controls as the template gives
  // them in dialog units, measured with the dialog's own font.
  struct Expected {
    int id;
    const char* text;
    RECT units;  // x, y, width, height
  };
  const Expected controls[] = {
      {IDC_MENU_LIST, nullptr, {5, 16, 61, 106}},
      {IDC_MENU_UP, "Menu up", {5, 124, 61, 14}},
      {IDC_MENU_DOWN, "Menu down", {5, 139, 61, 14}},
      {IDC_ADD_MENU, "Add", {8, 167, 50, 14}},
      {IDC_REMOVE_MENU, "Remove", {8, 185, 50, 14}},
      {IDC_RENAME_MENU, "Rename", {8, 201, 50, 14}},
      {IDC_ALWAYS_ON_TOP, "Always on top", {8, 226, 60, 10}},
      {IDC_ITEM_LIST, nullptr, {83, 16, 128, 134}},
      {IDC_ADD_ITEM, "Add", {226, 15, 50, 14}},
      {IDC_SEPARATOR, "Separator", {226, 36, 50, 14}},
      {IDC_REMOVE_ITEM, "Remove", {226, 55, 50, 14}},
      {IDC_CHANGE, "Change", {226, 76, 50, 14}},
      {IDC_ITEM_UP, "Up", {226, 95, 50, 14}},
      {IDC_ITEM_DOWN, "Down", {226, 116, 50, 14}},
      {IDOK, "Exit", {226, 135, 50, 14}},
      {IDC_LOCATION, nullptr, {119, 167, 142, 14}},
      {IDC_EXPAND_FOLDER, "Show contents as a submenu", {119, 183, 142, 10}},
      {IDC_DESCRIPTION, nullptr, {119, 196, 142, 14}},
      {IDC_PARAMETERS, nullptr, {119, 213, 142, 14}},
      {IDC_BROWSE_PROGRAM, "Browse for a program", {264, 167, 15, 14}},
      {IDC_BROWSE_FOLDER, "Browse for a folder", {264, 196, 15, 14}},
      {IDC_EXPAND, ">>", {264, 213, 15, 14}},
      {IDC_OPEN_MIN, "Min", {119, 232, 27, 10}},
      {IDC_OPEN_NORMAL, "Normal", {149, 232, 38, 10}},
      {IDC_OPEN_MAX, "Max", {190, 232, 29, 10}},
      {IDC_OPEN_HIDDEN, "Hidden", {222, 232, 37, 10}},
      {IDC_BATCH_ENTRY, nullptr, {5, 268, 142, 14}},
      {IDC_ADD_BATCH, "+", {151, 285, 15, 14}},
      {IDC_ADD_DIRECTORY, "Add all files in a directory", {5, 292, 110, 10}},
      {IDC_BATCH_LIST, nullptr, {169, 265, 109, 41}},
  };
  // A dialog unit in pixels, from the item list's known size.
  RECT listPixels{};
  GetWindowRect(list, &listPixels);
  const double unitX = (listPixels.right - listPixels.left) / 128.0;
  const double unitY = (listPixels.bottom - listPixels.top) / 134.0;
  for (const Expected& control : controls) {
    SCOPED_TRACE(control.id);
    HWND window = config.Control(control.id);
    ASSERT_NE(window, nullptr);
    if (control.text) {
      EXPECT_EQ(config.Text(control.id), control.text);
    }
    RECT pixels{};
    GetWindowRect(window, &pixels);
    EXPECT_NEAR(pixels.right - pixels.left, control.units.right * unitX, 1.5);
    EXPECT_NEAR(pixels.bottom - pixels.top, control.units.bottom * unitY, 1.5);
  }
  EXPECT_EQ(WindowText(config.Window()), kMenusCaption);
  // Folded: the batch area lies below the dialog's lower edge.
  RECT dialog{}, batch{};
  GetWindowRect(config.Window(), &dialog);
  GetWindowRect(config.Control(IDC_BATCH_ENTRY), &batch);
  EXPECT_GE(batch.top, dialog.bottom);
  config.Click(IDC_EXPAND);
  ASSERT_TRUE(config.TextBecomes(IDC_EXPAND, "<<"));
  GetWindowRect(config.Window(), &dialog);
  EXPECT_LT(batch.bottom, dialog.bottom);

  config.Close();
  EXPECT_EQ(config.Process().WaitForExit(), 0u);
  EXPECT_EQ(File(), before) << "opening and closing writes nothing";
}

TEST_F(ConfigUse, RowsAndMenusEnableWhatTheyAllow) {
  WriteTextFile(ini, ThreeMenus(folder).Set("ShowTooltips", "1").Text());
  ASSERT_TRUE(config.Start("1 \"" + ini + "\""));
  AnswerBox(config.Pid(), "Vorlane");
  const HWND tips = FindTooltips(config.Pid());
  ASSERT_NE(tips, nullptr);
  EXPECT_EQ(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0), 30);
  EXPECT_EQ(SendMessageA(tips, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 10);
  std::vector<Row> rows = config.Rows();
  ASSERT_EQ(rows.size(), 3u);
  auto enabled = [&](int id) { return IsWindowEnabled(config.Control(id)) != FALSE; };

  ASSERT_TRUE(config.ClickRow(rows[0]));
  ASSERT_TRUE(config.FieldsBecome(folder.File("a.exe"), "Aye", "-p"));
  EXPECT_EQ(IsDlgButtonChecked(config.Window(), IDC_OPEN_MAX), BST_CHECKED);
  EXPECT_FALSE(enabled(IDC_ITEM_UP));
  EXPECT_TRUE(enabled(IDC_ITEM_DOWN));
  EXPECT_TRUE(enabled(IDC_CHANGE));

  ASSERT_TRUE(config.ClickRow(rows[1]));
  ASSERT_TRUE(config.FieldsBecome("", ""));
  EXPECT_FALSE(enabled(IDC_ADD_ITEM));
  EXPECT_FALSE(enabled(IDC_CHANGE));
  EXPECT_FALSE(enabled(IDC_PARAMETERS));
  EXPECT_TRUE(enabled(IDC_ITEM_UP));

  // The last program menu can move up but not down; the Email line turns
  // the fields to contacts and locks the menu controls.
  ASSERT_TRUE(config.ClickMenuLine(2, std::vector<std::string>{"Tool A"}));
  EXPECT_TRUE(enabled(IDC_MENU_UP));
  EXPECT_FALSE(enabled(IDC_MENU_DOWN));
  EXPECT_TRUE(enabled(IDC_REMOVE_MENU));
  ASSERT_TRUE(config.ClickMenuLine(3));
  EXPECT_EQ(config.Text(IDC_DESCRIPTION_LABEL), "Email");
  EXPECT_EQ(config.Text(IDC_ITEM_GROUP), "Contact list");
  for (int id : {IDC_REMOVE_MENU, IDC_RENAME_MENU, IDC_MENU_UP, IDC_MENU_DOWN,
                 IDC_PARAMETERS, IDC_BROWSE_PROGRAM}) {
    EXPECT_FALSE(enabled(id)) << id;
  }
  ASSERT_TRUE(config.ClickMenuLine(0));
  EXPECT_FALSE(enabled(IDC_REMOVE_MENU));
  AnswerBox(config.Pid(), "Vorlane");  // the missing program again
}

// ---------------------------------------------------------------------------
// Display scale: the dpi Wine gives a process started after the setting
// changed.

// The smallest box around the pixels of one colour, in the shot's pixels;
// empty when the colour does not show.
RECT ColourBox(const ScreenShot& shot, const RECT& area, COLORREF colour) {
  RECT box{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (shot.At(x, y) != colour) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  return box.right > box.left ? box : RECT{};
}

// What the configurator showed at one display dpi: its row images and rows,
// and where its window opened against the work area under the pointer.
struct ScaledLook {
  int separatorWidth = 0;  // of the blue of the separator's dashes
  int rowHeight = 0;
  RECT window{};
  RECT work{};
};

class ConfigAtDpi : public ConfigUse {
 protected:
  ScaledLook StartAt(int dpi) {
    ScaledLook look;
    WriteTextFile(ini, ThreeMenus(folder, false).Text());
    const DisplayDpi scale(dpi);
    EXPECT_TRUE(scale.Set());
    Configurator shown;
    EXPECT_TRUE(shown.Start("1 " + ini));
    if (shown.Window() == nullptr) return look;
    const HWND list = shown.Control(IDC_ITEM_LIST);
    std::vector<Row> rows = shown.Rows();
    EXPECT_EQ(rows.size(), 2u);
    if (rows.size() != 2) return look;
    EXPECT_TRUE(Eventually([&] { return RowShows(list, rows[1], kSeparatorBlue); },
                           "the separator's image"));
    look.rowHeight = rows[0].bounds.bottom - rows[0].bounds.top;
    look.separatorWidth = [&] {
      const RECT box = ColourBox(ScreenShot(list), rows[1].bounds, kSeparatorBlue);
      return static_cast<int>(box.right - box.left);
    }();
    GetWindowRect(shown.Window(), &look.window);
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoA(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
    look.work = monitor.rcWork;

    // For a person to look at: the whole window with its frame, once every
    // control has painted.
    RedrawWindow(shown.Window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Answers(shown.Window());
    const std::string screenshots = BinDirectory() + "\\screenshots";
    CreateDirectoryA(screenshots.c_str(), nullptr);
    ScreenShot(look.window)
        .WriteBitmap(screenshots + "\\config-" + std::to_string(dpi) + ".bmp");
    return look;
  }

  static constexpr COLORREF kSeparatorBlue = RGB(0x3f, 0x74, 0xe0);
};

::testing::AssertionResult CentredOnWorkArea(const ScaledLook& look) {
  const long width = look.window.right - look.window.left;
  const long height = look.window.bottom - look.window.top;
  const long left = look.work.left + (look.work.right - look.work.left - width) / 2;
  const long top = look.work.top + (look.work.bottom - look.work.top - height) / 2;
  if (look.window.left == left && look.window.top == top) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "window at " << look.window.left << "," << look.window.top << " size "
         << width << "x" << height << "; centred on the work area (" << look.work.left
         << "," << look.work.top << ")-(" << look.work.right << "," << look.work.bottom
         << ") it is at " << left << "," << top;
}

TEST_F(ConfigAtDpi, RowImagesGrowWithTheDisplayAndTheWindowOpensCentred) {
  const ScaledLook normal = StartAt(96);
  EXPECT_EQ(normal.separatorWidth, 16);
  EXPECT_TRUE(CentredOnWorkArea(normal));

  const ScaledLook large = StartAt(144);
  // 150 %: the 24-pixel images, drawn for that size, and rows to hold them.
  EXPECT_EQ(large.separatorWidth, 24);
  EXPECT_GE(large.rowHeight, 24);
  EXPECT_GT(large.rowHeight, normal.rowHeight);
  EXPECT_GT(large.window.right - large.window.left, normal.window.right - normal.window.left)
      << "the dialog's own units grow with the display";
  EXPECT_TRUE(CentredOnWorkArea(large));
}

// ---------------------------------------------------------------------------
// Menu operations through the real buttons, checked in the file and in a
// running launcher.

TEST_F(ConfigUse, MenuButtonsRewriteTheFileAndTheLauncherFollows) {
  WriteTextFile(ini, ThreeMenus(folder, false).Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Pid();

  // "Web" (menu 3) one place down: the launcher's first submenu is Tools.
  ASSERT_TRUE(config.ClickMenuLine(1));
  config.Click(IDC_MENU_DOWN);
  ASSERT_TRUE(KeyBecomes("Settings", "MenuOrder", "1*2*3*"));
  EXPECT_EQ(config.MenuLines()[2], "Web");
  EXPECT_EQ(SendMessageA(config.Control(IDC_MENU_LIST), LB_GETCURSEL, 0, 0), 2);
  config.Click(IDC_MENU_UP);
  ASSERT_TRUE(KeyBecomes("Settings", "MenuOrder", "1*3*2*"));

  ASSERT_TRUE(ChooseInLauncher(launcher, 3, 0));
  ASSERT_TRUE(WaitUntil([&] { return !ReadProbeLog(folder.Path()).empty(); }));
  EXPECT_EQ(ReadProbeLog(folder.Path())[0].program, "b.exe")
      << "the first submenu is Web, moved up";

  // Remove "Web": No keeps the file, Yes renumbers.
  ASSERT_TRUE(config.ClickMenuLine(1));
  const std::string before = File();
  config.Click(IDC_REMOVE_MENU);
  EXPECT_EQ(AnswerBox(pid, "Warning", IDNO),
            "Are you sure you want to remove the selected menu?\rThis could "
            "take a few seconds so please have patience.");
  EXPECT_EQ(File(), before);
  config.Click(IDC_REMOVE_MENU);
  AnswerBox(pid, "Warning", IDYES);
  ASSERT_TRUE(KeyBecomes("Settings", "MenuCount", "2"));
  EXPECT_EQ(Key("Settings", "MenuOrder"), "1*2*");
  EXPECT_EQ(Key("Settings", "MenuName2"), "Tools");
  EXPECT_EQ(Key("Settings", "Count3"), "0");
  EXPECT_EQ(config.MenuLines(),
            (std::vector<std::string>{"Standard", "Tools", "Email Menu"}));

  // Add, then rename it through the rename dialog.
  config.Click(IDC_ADD_MENU);
  ASSERT_TRUE(KeyBecomes("Settings", "MenuCount", "3"));
  EXPECT_EQ(Key("Settings", "MenuName3"), "Menu3");
  EXPECT_EQ(Key("Settings", "MenuOrder"), "1*2*3*");
  EXPECT_EQ(Key("Program locations3", "Program1"), "") << "starts empty";
  ASSERT_TRUE(config.ClickMenuLine(2));
  config.Click(IDC_RENAME_MENU);
  const HWND rename = config.WaitFor("Rename Menu");
  ASSERT_NE(rename, nullptr);
  const HWND ok = GetDlgItem(rename, IDOK);
  EXPECT_FALSE(IsWindowEnabled(ok)) << "no name yet";
  ASSERT_TRUE(config.Type(GetDlgItem(rename, IDC_NEW_NAME), "My Games"));
  ASSERT_TRUE(Eventually([&] { return IsWindowEnabled(ok) != FALSE; }, "OK enabled"));
  config.Click(ok);
  ASSERT_TRUE(KeyBecomes("Settings", "MenuName3", "My Games"));
  EXPECT_FALSE(IsWindow(rename));
  EXPECT_EQ(config.MenuLines()[2], "My Games");
  EXPECT_EQ(SendMessageA(config.Control(IDC_MENU_LIST), LB_GETCURSEL, 0, 0), 0)
      << "the standard menu is selected again";
  EXPECT_EQ(launcher.Close(), 0u);
}

TEST_F(ConfigUse, ItemButtonsEditTheMenuAndTheLauncherShowsIt) {
  ASSERT_TRUE(CopyFileA((BinDirectory() + "\\probe.exe").c_str(),
                        folder.File("c.exe").c_str(), FALSE));
  const std::string ownIcon = folder.File("own.ico") + ",0";
  WriteSolidIcon(folder.File("own.ico"), RGB(10, 200, 10));
  WriteTextFile(ini, SettingsFile()
                         .Set("MenuName1", "Standard")
                         .Item(1, 1, folder.File("a.exe"), "Aye", {{"Icon", ownIcon}})
                         .Item(1, 2, folder.File("b.exe"), "Bee")
                         .Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Pid();
  const std::string section = "Program locations1";

  ASSERT_TRUE(config.Type(IDC_LOCATION, folder.File("c.exe")));
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "Sea"));
  ASSERT_TRUE(config.Type(IDC_PARAMETERS, "-z"));
  config.Click(IDC_OPEN_MIN);
  config.Click(IDC_ADD_ITEM);
  ASSERT_TRUE(KeyBecomes("Settings", "Count1", "3"));
  EXPECT_EQ(Key(section, "Program3"), folder.File("c.exe"));
  EXPECT_EQ(Key(section, "Des3"), "Sea");
  EXPECT_EQ(Key(section, "Par3"), "-z");
  EXPECT_EQ(Key(section, "OM3"), "1");
  EXPECT_EQ(config.Text(IDC_DESCRIPTION), "") << "the fields empty after adding";
  config.Click(IDC_ADD_ITEM);
  EXPECT_EQ(AnswerBox(pid, "Error"), "Not all fields were filled out!");

  config.Click(IDC_SEPARATOR);
  ASSERT_TRUE(KeyBecomes("Settings", "Count1", "4"));
  EXPECT_EQ(Key(section, "Des4"), "");
  EXPECT_EQ(Key(section, "Par4"), "");
  EXPECT_EQ(Key(section, "OM4"), "0");

  // A change rewrites the fields and keeps the item's own icon.
  std::vector<Row> rows = config.Rows();
  ASSERT_EQ(rows.size(), 4u);
  ASSERT_TRUE(config.ClickRow(rows[0]));
  ASSERT_TRUE(config.FieldsBecome(folder.File("a.exe"), "Aye"));
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "Ay2"));
  config.Click(IDC_CHANGE);
  ASSERT_TRUE(KeyBecomes(section, "Des1", "Ay2"));
  EXPECT_EQ(Key(section, "Program1"), folder.File("a.exe"));
  EXPECT_EQ(Key(section, "Icon1"), ownIcon);

  ASSERT_TRUE(config.ClickRow(rows[2]));
  config.Click(IDC_ITEM_UP);
  ASSERT_TRUE(KeyBecomes(section, "Program2", folder.File("c.exe")));
  EXPECT_EQ(Key(section, "OM2"), "1");
  EXPECT_EQ(Key(section, "Program3"), folder.File("b.exe"));
  EXPECT_EQ(config.RowTexts(),
            (std::vector<std::string>{"Ay2", "Sea", "Bee", "----------------------"}));

  ASSERT_TRUE(config.ClickRow(rows[3]));
  config.Click(IDC_REMOVE_ITEM);
  EXPECT_EQ(AnswerBox(pid, "Warning", IDNO),
            "Are you sure you want to remove the selected item(s)?");
  EXPECT_EQ(Key("Settings", "Count1"), "4");
  config.Click(IDC_REMOVE_ITEM);
  AnswerBox(pid, "Warning", IDYES);
  ASSERT_TRUE(KeyBecomes("Settings", "Count1", "3"));
  EXPECT_EQ(config.Rows().size(), 3u);

  // The launcher reads the file afresh: its second entry is now c.exe.
  ASSERT_TRUE(ChooseInLauncher(launcher, 4));  // banner, "Vorlane", two items
  ASSERT_TRUE(WaitUntil([&] { return !ReadProbeLog(folder.Path()).empty(); }));
  const ProbeStart start = ReadProbeLog(folder.Path())[0];
  EXPECT_EQ(start.program, "c.exe");
  EXPECT_EQ(start.arguments, "-z");
  EXPECT_EQ(launcher.Close(), 0u);
}

// A folder typed as the location may be shown as a submenu of its contents:
// the box is offered only while the field names an existing folder, and
// only a ticked box writes Expand.
TEST_F(ConfigUse, FolderLocationCanBeAddedAsASubmenuOfItsContents) {
  WriteTextFile(ini, SettingsFile().Item(1, 1, folder.File("a.exe"), "Aye").Text());
  ASSERT_TRUE(config.Start("1 " + ini));
  const std::string section = "Program locations1";
  HWND box = config.Control(IDC_EXPAND_FOLDER);
  auto offered = [&] { return IsWindowEnabled(box) != FALSE; };
  auto ticked = [&] { return IsDlgButtonChecked(config.Window(), IDC_EXPAND_FOLDER); };

  ASSERT_TRUE(config.Type(IDC_LOCATION, folder.Path()));
  ASSERT_TRUE(config.Reaches(offered, "the box offered for a folder"));
  config.Click(box);
  ASSERT_TRUE(config.Reaches([&] { return ticked() == BST_CHECKED; }, "the box ticked"));
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "Here"));
  config.Click(IDC_ADD_ITEM);
  ASSERT_TRUE(KeyBecomes("Settings", "Count1", "2"));
  EXPECT_EQ(Key(section, "Program2"), folder.Path());
  EXPECT_EQ(Key(section, "Expand2"), "1");
  EXPECT_FALSE(offered()) << "the emptied field names no folder";
  EXPECT_EQ(ticked(), BST_UNCHECKED);

  // A file: the box stays off, and nothing of Expand is written.
  ASSERT_TRUE(config.Type(IDC_LOCATION, folder.File("b.exe")));
  EXPECT_FALSE(offered());
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "Bee"));
  config.Click(IDC_ADD_ITEM);
  ASSERT_TRUE(KeyBecomes("Settings", "Count1", "3"));
  EXPECT_EQ(Key(section, "Expand3"), "<absent>");
  EXPECT_EQ(File().find("Expand3"), std::string::npos);

  // A selected row shows its own Expand.
  const std::vector<Row> rows = config.Rows();
  ASSERT_EQ(rows.size(), 3u);
  ASSERT_TRUE(config.ClickRow(rows[1]));
  ASSERT_TRUE(config.FieldsBecome(folder.Path(), "Here"));
  ASSERT_TRUE(config.Reaches([&] { return offered() && ticked() == BST_CHECKED; },
                             "the row's Expand shown"));
  ASSERT_TRUE(config.ClickRow(rows[0]));
  ASSERT_TRUE(config.FieldsBecome(folder.File("a.exe"), "Aye"));
  EXPECT_TRUE(config.Reaches([&] { return !offered() && ticked() == BST_UNCHECKED; },
                             "the box off for a file's row"));
}

// Contacts through the real edits and buttons, and the launcher's "Email"
// submenu starting the mail handler with the new one.
TEST_F(ConfigUse, ContactsAddedReachTheLaunchersEmailMenu) {
  const std::string probe = folder.File("a.exe");
  ProtocolProgram mail("mailto", probe);
  ASSERT_TRUE(mail.Ready());
  WriteTextFile(ini, SettingsFile()
                         .Set("ShowEmailItem", "1")
                         .Contact(1, "Ann", "ann@example.org")
                         .Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Pid();
  ASSERT_TRUE(config.ClickMenuLine(1, std::vector<std::string>{"Ann"}));

  ASSERT_TRUE(config.Type(IDC_LOCATION, "Bob"));
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "bob@example"));
  config.Click(IDC_ADD_ITEM);
  EXPECT_EQ(AnswerBox(pid, "Invalid emailaddress"), "This is not a valid email address");
  EXPECT_EQ(Key("Settings", "ContactCount"), "1");
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "bob@example.org"));
  config.Click(IDC_ADD_ITEM);
  ASSERT_TRUE(KeyBecomes("Settings", "ContactCount", "2"));
  EXPECT_EQ(Key("Emailcontacts", "Name2"), "Bob");
  EXPECT_EQ(Key("Emailcontacts", "Email2"), "bob@example.org");
  EXPECT_EQ(config.RowTexts(), (std::vector<std::string>{"Ann", "Bob"}));

  // Main popup: banner, "Vorlane", "Email"; in it "Blank Email", a
  // separator, then the contacts.
  ASSERT_TRUE(ChooseInLauncher(launcher, 3, 2));
  ASSERT_TRUE(WaitUntil([&] { return !ReadProbeLog(folder.Path()).empty(); }));
  EXPECT_EQ(ReadProbeLog(folder.Path())[0].arguments, "mailto:bob@example.org");
  EXPECT_EQ(launcher.Close(), 0u);
}

// A contact changed, a blank line added ("Separator"), contacts moved up and
// down and one removed: each click rewrites names and addresses together.
TEST_F(ConfigUse, ContactsChangeMoveAndGoWithTheirAddresses) {
  WriteTextFile(ini, SettingsFile()
                         .Contact(1, "Ann", "ann@example.org")
                         .Contact(2, "Bob", "bob@example.org")
                         .Contact(3, "Cy", "cy@example.org")
                         .Text());
  ASSERT_TRUE(config.Start("1 " + ini));
  const std::string contacts = "Emailcontacts";
  auto contact = [&](int n) {
    return Key(contacts, "Name" + std::to_string(n)) + " " +
           Key(contacts, "Email" + std::to_string(n));
  };
  ASSERT_TRUE(config.ClickMenuLine(1, std::vector<std::string>{"Ann", "Bob", "Cy"}));
  std::vector<Row> rows = config.Rows();

  ASSERT_TRUE(config.ClickRow(rows[1]));
  ASSERT_TRUE(config.FieldsBecome("Bob", "bob@example.org"));
  ASSERT_TRUE(config.Type(IDC_LOCATION, "Robert"));
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "robert@example.org"));
  config.Click(IDC_CHANGE);
  ASSERT_TRUE(KeyBecomes(contacts, "Email2", "robert@example.org"));
  EXPECT_EQ(contact(2), "Robert robert@example.org");
  EXPECT_EQ(Key("Settings", "ContactCount"), "3");
  EXPECT_EQ(config.RowTexts(), (std::vector<std::string>{"Ann", "Robert", "Cy"}));

  config.Click(IDC_SEPARATOR);
  ASSERT_TRUE(KeyBecomes("Settings", "ContactCount", "4"));
  EXPECT_EQ(contact(4), " ");
  EXPECT_EQ(config.RowTexts(), (std::vector<std::string>{"Ann", "Robert", "Cy", ""}));

  ASSERT_TRUE(config.ClickRow(rows[2]));
  config.Click(IDC_ITEM_UP);
  ASSERT_TRUE(KeyBecomes(contacts, "Name2", "Cy"));
  EXPECT_EQ(contact(2), "Cy cy@example.org");
  EXPECT_EQ(contact(3), "Robert robert@example.org");
  config.Click(IDC_ITEM_DOWN);  // the moved contact stays selected
  ASSERT_TRUE(KeyBecomes(contacts, "Name3", "Cy"));
  EXPECT_EQ(contact(2), "Robert robert@example.org");
  EXPECT_EQ(contact(3), "Cy cy@example.org");

  ASSERT_TRUE(config.ClickRow(rows[0]));
  config.Click(IDC_REMOVE_ITEM);
  AnswerBox(config.Pid(), "Warning", IDYES);
  ASSERT_TRUE(KeyBecomes("Settings", "ContactCount", "3"));
  EXPECT_EQ(contact(1), "Robert robert@example.org");
  EXPECT_EQ(contact(2), "Cy cy@example.org");
  EXPECT_EQ(contact(3), " ");
  EXPECT_EQ(config.RowTexts(), (std::vector<std::string>{"Robert", "Cy", ""}));
}

// A batch composed with "+" is stored as one item that the launcher starts
// part by part, and dropped files become items: a file by its name up to
// the first ".", a shortcut as its target, a path that is gone not at all.
TEST_F(ConfigUse, BatchListAndDroppedFilesBecomeItems) {
  WriteTextFile(ini, SettingsFile().Set("BatchPause", "1000").Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(config.Start("1 " + ini));
  const std::string section = "Program locations1";
  const HWND batchList = config.Control(IDC_BATCH_LIST);
  auto batchLines = [&] { return SendMessageA(batchList, LB_GETCOUNT, 0, 0); };
  config.Click(IDC_EXPAND);
  ASSERT_TRUE(config.TextBecomes(IDC_EXPAND, "<<"));  // the batch area shown
  ASSERT_TRUE(config.Type(IDC_BATCH_ENTRY, folder.File("a.exe")));
  config.Click(IDC_ADD_BATCH);
  ASSERT_TRUE(config.Reaches([&] { return batchLines() == 1; }, "one batch line"));
  ASSERT_TRUE(config.Type(IDC_BATCH_ENTRY, folder.File("b.exe")));
  config.Click(IDC_ADD_BATCH);
  ASSERT_TRUE(config.Reaches([&] { return batchLines() == 2; }, "two batch lines"));
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_LOCATION)));
  EXPECT_EQ(config.Text(IDC_LOCATION), "");
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "Both"));
  config.Click(IDC_ADD_ITEM);
  ASSERT_TRUE(KeyBecomes(section, "Program1",
                         folder.File("a.exe") + "?" + folder.File("b.exe") + "?"));
  EXPECT_EQ(Key(section, "Des1"), "Both");
  EXPECT_EQ(batchLines(), 0);

  // The launcher starts both parts, in order.
  ASSERT_TRUE(ChooseInLauncher(launcher, 3));  // banner, "Vorlane", the batch
  ASSERT_TRUE(WaitUntil([&] { return ReadProbeLog(folder.Path()).size() == 2; }, 15s));
  EXPECT_EQ(ReadProbeLog(folder.Path())[0].program, "a.exe");
  EXPECT_EQ(ReadProbeLog(folder.Path())[1].program, "b.exe");
  EXPECT_EQ(launcher.Close(), 0u);

  const std::string shortcut = folder.File("to b.lnk");
  ASSERT_TRUE(MakeShortcut(shortcut, folder.File("b.exe")));
  const std::string report = folder.File("my.report.txt");
  WriteTextFile(report, "x");
  ASSERT_TRUE(DropFiles(config, {report, folder.File("gone.txt"), shortcut},
                        [&] { return KeyBecomes("Settings", "Count1", "3"); }))
      << "the path that is gone adds nothing";
  EXPECT_EQ(Key(section, "Program2"), report);
  EXPECT_EQ(Key(section, "Des2"), "my");
  EXPECT_EQ(Key(section, "Program3"), folder.File("b.exe"));
  EXPECT_EQ(Key(section, "Des3"), "b");

  // With "Add all files in a directory" ticked a dropped folder adds each
  // of its entries.
  const std::string inside = folder.File("inside");
  ASSERT_TRUE(CreateDirectoryA(inside.c_str(), nullptr));
  WriteTextFile(inside + "\\one.txt", "1");
  WriteTextFile(inside + "\\two.txt", "2");
  config.Click(IDC_ADD_DIRECTORY);
  // A drop is posted, and so handled before input still queued.
  ASSERT_TRUE(config.Reaches(
      [&] { return IsDlgButtonChecked(config.Window(), IDC_ADD_DIRECTORY) == BST_CHECKED; },
      "the box ticked"));
  ASSERT_TRUE(DropFiles(config, {inside},
                        [&] { return KeyBecomes("Settings", "Count1", "5"); }));
  const std::string added = Key(section, "Des4") + " " + Key(section, "Des5");
  EXPECT_TRUE(added == "one two" || added == "two one") << added;
}

// A careless drop: files among paths that are gone, a shortcut whose target
// is gone and a file that only looks like a shortcut; then a folder; then
// the same in the contact list; and an address of 300 characters. Each
// drop is one edit, nothing stored before is lost, and a rejected drop says
// so once. (The thousands are the benchmark's.)
TEST_F(ConfigUse, CarelessDropsAddWhatExistsOnceAndLoseNothing) {
  constexpr int kFiles = 40;
  constexpr int kDropped = 30;
  WriteTextFile(ini, SettingsFile().Item(1, 1, folder.File("a.exe"), "Aye").Text());
  const std::string many = folder.File("many");
  ASSERT_TRUE(CreateDirectoryA(many.c_str(), nullptr));
  std::vector<std::string> files;
  for (int i = 0; i < kFiles; ++i) {
    files.push_back(many + "\\f" + std::to_string(i) + ".txt");
    WriteTextFile(files.back(), "");
  }
  const std::string gone = folder.File("gone.exe");
  ASSERT_TRUE(CopyFileA(folder.File("a.exe").c_str(), gone.c_str(), FALSE));
  ASSERT_TRUE(MakeShortcut(folder.File("broken.lnk"), gone));
  ASSERT_TRUE(DeleteFileA(gone.c_str()));
  WriteTextFile(folder.File("junk.lnk"), "no shortcut inside");
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Pid();
  const std::string section = "Program locations1";
  // Every count the file showed while a drop was stored.
  std::set<std::string> counts;
  auto countBecomes = [&](const std::string& value) {
    return Becomes([&] { return *counts.insert(Key("Settings", "Count1")).first; }, value);
  };

  std::vector<std::string> dropped(files.begin(), files.begin() + kDropped);
  dropped.insert(dropped.begin() + 15, {folder.File("gone.txt"), folder.File("broken.lnk"),
                                        folder.File("junk.lnk")});
  ASSERT_TRUE(DropFiles(config, dropped, [&] { return countBecomes("32"); }));
  counts.erase("<absent>");  // a file read while it was being rewritten
  EXPECT_EQ(counts, (std::set<std::string>{"1", "32"})) << "one edit for the drop";
  ASSERT_TRUE(Answers(config.Window()));
  EXPECT_EQ(Key(section, "Program1"), folder.File("a.exe"));
  EXPECT_EQ(Key(section, "Program16"), files[14]);
  EXPECT_EQ(Key(section, "Program17"), folder.File("junk.lnk"))
      << "a link that cannot be read is added as itself";
  EXPECT_EQ(Key(section, "Des17"), "junk");
  EXPECT_EQ(Key(section, "Program32"), files[29]);

  config.Click(IDC_EXPAND);
  ASSERT_TRUE(config.TextBecomes(IDC_EXPAND, "<<"));  // the batch area shown
  config.Click(IDC_ADD_DIRECTORY);
  ASSERT_TRUE(config.Reaches(
      [&] { return IsDlgButtonChecked(config.Window(), IDC_ADD_DIRECTORY) == BST_CHECKED; },
      "the box ticked"));
  counts.clear();
  // A dropped file adds nothing here.
  ASSERT_TRUE(DropFiles(config, {many, files[0]}, [&] { return countBecomes("72"); }));
  counts.erase("<absent>");
  EXPECT_EQ(counts, (std::set<std::string>{"32", "72"})) << "one edit for the folder";
  ASSERT_TRUE(Answers(config.Window()));
  std::map<std::string, int> stored;
  const std::string text = File();
  for (std::size_t at = text.find("\nProgram"); at != std::string::npos;
       at = text.find("\nProgram", at + 1)) {
    const std::size_t value = text.find('=', at) + 1;
    ++stored[text.substr(value, text.find_first_of("\r\n", value) - value)];
  }
  for (int i = 0; i < kFiles; ++i) {
    EXPECT_EQ(stored[files[i]], i < kDropped ? 2 : 1) << files[i];
  }
  EXPECT_EQ(SendMessageA(config.Control(IDC_ITEM_LIST), LVM_GETITEMCOUNT, 0, 0), 72);
  EXPECT_FALSE(MessageBoxExists(pid, "Error"));

  // No file's name makes an address: one message for the whole drop.
  ASSERT_TRUE(config.ClickMenuLine(1, std::vector<std::string>{}));
  const std::string before = File();
  ASSERT_TRUE(DropFiles(config, {many}, [&] {
    return Eventually(
        [&] { return FindMessageBox(pid, "Invalid emailaddress") != nullptr; },
        "a box for the rejected drop");
  }));
  EXPECT_EQ(AnswerBox(pid, "Invalid emailaddress"), "This is not a valid email address");
  EXPECT_FALSE(MessageBoxExists(pid, "Invalid emailaddress")) << "one box per drop";
  EXPECT_EQ(File(), before);

  const std::string address = std::string(290, 'x') + "@vorlane.o";
  ASSERT_TRUE(config.Type(IDC_LOCATION, "Long"));
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, address));
  config.Click(IDC_ADD_ITEM);
  ASSERT_TRUE(KeyBecomes("Emailcontacts", "Email1", address)) << "stored whole";
  EXPECT_EQ(Key("Settings", "Count1"), "72");
}

// The folder dialog's choice fills the fields: the folder and its name.
TEST_F(ConfigUse, BrowseFolderFillsTheFields) {
  WriteTextFile(ini, SettingsFile().Text());
  const std::string before = File();
  ASSERT_TRUE(config.Start("1 " + ini));
  config.Click(IDC_BROWSE_FOLDER);
  HWND browser = nullptr;
  ASSERT_TRUE(Eventually(
      [&] {
        browser = GetLastActivePopup(config.Window());
        return browser != config.Window() && IsWindowVisible(browser);
      },
      "the folder dialog"));
  // The dialog opens on the desktop, a folder of the file system.
  PostMessageA(browser, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(config.Reaches([&] { return !config.Text(IDC_LOCATION).empty(); },
                             "the folder in the location field"));
  const std::string location = config.Text(IDC_LOCATION);
  const DWORD attributes = GetFileAttributesA(location.c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES &&
              (attributes & FILE_ATTRIBUTE_DIRECTORY))
      << location;
  EXPECT_EQ(config.Text(IDC_DESCRIPTION), location.substr(location.rfind('\\') + 1));
  EXPECT_EQ(File(), before) << "nothing written";
}

// The row's context menu: its own icon chosen from a file of three icons,
// the default icon again, and the item sent to another menu.
TEST_F(ConfigUse, ItemMenuSetsIconsAndSendsItemsToAnotherMenu) {
  const std::string library = folder.File("icons.exe");
  const std::vector<COLORREF> colours = {RGB(200, 0, 0), RGB(0, 160, 0),
                                         RGB(20, 40, 220)};
  ASSERT_TRUE(WriteIconLibrary(library, colours));
  WriteTextFile(ini, SettingsFile()
                         .Set("MenuCount", "2")
                         .Set("MenuOrder", "1*2*")
                         .Set("MenuName1", "Standard")
                         .Set("MenuName2", "Other")
                         .Item(1, 1, library, "Lib")
                         .Item(1, 2, folder.File("a.exe"), "Aye")
                         .Text());
  ASSERT_TRUE(config.Start("1 " + ini));
  const DWORD pid = config.Pid();
  const std::string section = "Program locations1";
  std::vector<Row> rows = config.Rows();
  ASSERT_EQ(rows.size(), 2u);

  ASSERT_TRUE(config.ClickRow(rows[0], true));
  ChooseByKeys(pid, 1);  // "Change icon"
  const HWND chooser = config.WaitFor("Choose Icon");
  ASSERT_NE(chooser, nullptr);
  const HWND icons = GetDlgItem(chooser, IDC_ICON_LIST);
  EXPECT_EQ(SendMessageA(icons, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(WindowText(GetDlgItem(chooser, IDC_ICON_FILE)), library);
  RECT listBounds{};
  GetWindowRect(icons, &listBounds);
  ClickAt({listBounds.left + 20, listBounds.top + 20});
  ASSERT_TRUE(Eventually([&] { return SendMessageA(icons, LB_GETCURSEL, 0, 0) == 0; },
                         "the first icon chosen"));
  for (int i = 1; i <= 2; ++i) {
    PostMessageA(icons, WM_KEYDOWN, VK_DOWN, 0);
    ASSERT_TRUE(Eventually([&] { return SendMessageA(icons, LB_GETCURSEL, 0, 0) == i; },
                           "icon " + std::to_string(i) + " chosen"));
  }
  config.Click(GetDlgItem(chooser, IDOK));
  ASSERT_TRUE(KeyBecomes(section, "Icon1", library + ",2"));
  EXPECT_FALSE(IsWindow(chooser));
  rows = config.Rows();
  EXPECT_TRUE(Eventually(
      [&] { return RowShows(config.Control(IDC_ITEM_LIST), rows[0], colours[2]); },
      "the row shows icon number 2"));

  ASSERT_TRUE(config.ClickRow(rows[0], true));
  ChooseByKeys(pid, 2);  // "Default icon"
  ASSERT_TRUE(KeyBecomes(section, "Icon1", ""));

  // "Send to" "Other": the item leaves this menu for the end of that one.
  ASSERT_TRUE(config.ClickRow(config.Rows()[1], true));
  for (int i = 0; i < 4; ++i) PressMenuKey(pid, VK_DOWN);
  PressMenuKey(pid, VK_RIGHT);
  ChooseByKeys(pid, 0);
  ASSERT_TRUE(KeyBecomes("Settings", "Count2", "1"));
  EXPECT_EQ(Key("Settings", "Count1"), "1");
  EXPECT_EQ(Key("Program Locations2", "Program1"), folder.File("a.exe"));
  EXPECT_EQ(config.Rows().size(), 1u);
}

// A settings file whose folder is gone cannot be written: the dialog shows
// what it could read, an edit says once that it failed and names the file,
// and the list shows the file as it is. (A read-only file would do as well
// on Windows; under Wine the tests run as a user whom nothing stops.)
TEST_F(ConfigUse, UnwritableFileRefusesAnEditAndSaysSo) {
  const std::string lost = folder.File("gone\\vorlane.ini");
  ASSERT_TRUE(config.Start("1 " + lost));
  EXPECT_EQ(config.MenuLines(), (std::vector<std::string>{"Email Menu"}));
  config.Click(IDC_ADD_MENU);
  const std::string text = AnswerBox(config.Pid(), "Error");
  EXPECT_NE(text.find(lost), std::string::npos) << text;
  EXPECT_FALSE(MessageBoxExists(config.Pid(), "Error")) << "one box per edit";
  EXPECT_FALSE(FileExists(lost));
  EXPECT_EQ(config.MenuLines(), (std::vector<std::string>{"Email Menu"}));
  // A contact not stored stays in the fields, to be tried again.
  ASSERT_TRUE(config.Type(IDC_LOCATION, "Ann"));
  ASSERT_TRUE(config.Type(IDC_DESCRIPTION, "ann@example.org"));
  config.Click(IDC_ADD_ITEM);
  EXPECT_NE(AnswerBox(config.Pid(), "Error").find(lost), std::string::npos);
  EXPECT_EQ(config.Fields(), "Ann | ann@example.org | ");
  EXPECT_FALSE(FileExists(lost));
}

// ---------------------------------------------------------------------------
// Modes and the single copy.

TEST_F(ConfigUse, OnlyTheLaunchersModesOpenADialog) {
  WriteTextFile(ini, SettingsFile().Set("MenuName1", "Standard Menu").Text());
  const std::string before = File();
  for (const char* arguments : {"", "5 x", "01 x"}) {
    SCOPED_TRACE(arguments);
    ChildProcess other;
    ASSERT_TRUE(StartConfigExe(other, arguments));
    EXPECT_EQ(AnswerBox(other.Id(), "Vorlane"), kOnlyFromLauncher);
    EXPECT_EQ(other.WaitForExit(), 0u);
  }
  ASSERT_TRUE(config.Start("3 " + ini));
  EXPECT_EQ(config.MenuLines().front(), "Standard Menu");
  EXPECT_EQ(File(), before);
}

TEST_F(ConfigUse, SecondStartBringsTheFirstForwardAndEnds) {
  WriteTextFile(ini, SettingsFile().Text());
  const std::string before = File();
  ASSERT_TRUE(config.Start("1 " + ini));
  HWND other = CreateWindowExA(0, "STATIC", "in front", WS_POPUP | WS_VISIBLE,
                               0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ChildProcess second;
  ASSERT_TRUE(StartConfigExe(second, "2 " + ini));
  EXPECT_EQ(second.WaitForExit(), 0u);
  EXPECT_EQ(config.Find("Vorlane options"), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == config.Window(); }));
  DestroyWindow(other);
  EXPECT_EQ(File(), before);
}

// ---------------------------------------------------------------------------
// The options: every click written at once, the pause only on Save.

constexpr char kOptionsCaption[] = "Vorlane options";

TEST_F(ConfigUse, OptionsOpenAsTheFileSaysAndWriteEachClick) {
  WriteTextFile(ini, SettingsFile()
                         .Set("OpenMenu", "0")
                         .Set("ShowEmailItem", "1")
                         .Set("BatchPause", "499")
                         .Text());
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  const HWND w = config.Window();
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_MOUSE_OVER), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_SHOW_EMAIL), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_SHOW_RUN), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_DEFAULT_FONT), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(config.Control(IDC_CHOOSE_FONT)));
  EXPECT_EQ(config.Text(IDC_PAUSE), "1");
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_THEME_SYSTEM), BST_CHECKED) << "Theme missing";

  config.Click(IDC_MOUSE_OVER);
  EXPECT_TRUE(KeyBecomes("Settings", "OpenMenu", "1")) << "written although checked";
  config.Click(IDC_RIGHT_CLICK);
  EXPECT_TRUE(KeyBecomes("Settings", "OpenMenu", "3"));
  config.Click(IDC_SHOW_EMAIL);
  EXPECT_TRUE(KeyBecomes("Settings", "ShowEmailItem", "0"));
  config.Click(IDC_SHOW_RUN);
  EXPECT_TRUE(KeyBecomes("Settings", "ShowFastStart", "1"));
  config.Click(IDC_SHOW_TOOLTIPS);
  EXPECT_TRUE(KeyBecomes("Settings", "ShowTooltips", "1"));
  config.Click(IDC_DEFAULT_FONT);
  ASSERT_TRUE(config.Reaches(
      [&] { return IsWindowEnabled(config.Control(IDC_CHOOSE_FONT)) != FALSE; },
      "Font... enabled"));
  // The system's font dialog, cancelled: nothing is written.
  config.Click(IDC_CHOOSE_FONT);
  const HWND font = config.WaitFor("Font");
  ASSERT_NE(font, nullptr);
  PostMessageA(font, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(config.Reaches([&] { return !IsWindow(font); }, "the font dialog closes"));
  EXPECT_EQ(Key("Settings", "FontFace"), "<absent>");
  config.Click(IDC_DEFAULT_FONT);
  EXPECT_TRUE(KeyBecomes("Settings", "FontSize", "-10"));
  EXPECT_EQ(Key("Settings", "FontWeight"), "400");
  // Typed but not saved: closing keeps the pause.
  ASSERT_TRUE(config.Type(IDC_PAUSE, "5"));
  config.Close();
  EXPECT_EQ(config.Process().WaitForExit(), 0u);
  EXPECT_EQ(Key("Settings", "BatchPause"), "499");

  WriteTextFile(ini, SettingsFile().Set("OpenMenu", "7").Set("BatchPause", "10001").Text());
  Configurator seven;
  ASSERT_TRUE(seven.Start("2 " + ini, kOptionsCaption));
  for (int id : {IDC_MOUSE_OVER, IDC_LEFT_CLICK, IDC_RIGHT_CLICK, IDC_BOTH_CLICKS}) {
    EXPECT_EQ(IsDlgButtonChecked(seven.Window(), id), BST_UNCHECKED) << id;
  }
  EXPECT_EQ(seven.Text(IDC_PAUSE), "10");
}

// The menu's colours are written at the click or arrow key, as OpenMenu
// is; a value the launcher reads as following Windows shows as such.
TEST_F(ConfigUse, OptionsMenuColoursAreWrittenAtOnce) {
  WriteTextFile(ini, SettingsFile().Set("Theme", "7").Text());
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  const HWND w = config.Window();
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_THEME_SYSTEM), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_THEME_LIGHT), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_THEME_DARK), BST_UNCHECKED);

  config.Click(IDC_THEME_DARK);
  EXPECT_TRUE(KeyBecomes("Settings", "Theme", "2"));
  // The three make one group: from the last the arrow comes round to the
  // first.
  Configurator::PressKey(VK_DOWN);
  EXPECT_TRUE(KeyBecomes("Settings", "Theme", "0"));
  EXPECT_EQ(IsDlgButtonChecked(w, IDC_THEME_SYSTEM), BST_CHECKED);
  config.Click(IDC_THEME_LIGHT);
  EXPECT_TRUE(KeyBecomes("Settings", "Theme", "1"));
  config.Close();
  EXPECT_EQ(config.Process().WaitForExit(), 0u);

  Configurator again;
  ASSERT_TRUE(again.Start("2 " + ini, kOptionsCaption));
  EXPECT_EQ(IsDlgButtonChecked(again.Window(), IDC_THEME_LIGHT), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(again.Window(), IDC_THEME_SYSTEM), BST_UNCHECKED);
}

// What the dialog reads from the field; the bounds themselves are the
// native tests'.
struct ListedFaces {
  std::string first;
  bool dejaVu = false;
};

int CALLBACK NoteListedFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD type,
                            LPARAM data) {
  auto* found = reinterpret_cast<ListedFaces*>(data);
  if (!(type & TRUETYPE_FONTTYPE) || font->lfFaceName[0] == '@') return 1;
  if (found->first.empty()) found->first = font->lfFaceName;
  found->dejaVu = found->dejaVu || lstrcmpA(font->lfFaceName, "DejaVu Sans") == 0;
  return 1;
}

// A TrueType face the font dialog lists; DejaVu Sans where there is one.
std::string ListedFontFace() {
  ListedFaces found;
  LOGFONTA wanted{};
  wanted.lfCharSet = ANSI_CHARSET;
  const HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &wanted, NoteListedFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found.dejaVu ? "DejaVu Sans" : found.first;
}

// The launcher makes its menu font with FontSize as the height. The font
// dialog shows a stored height only rounded to a size of its list: OK on
// what it shows leaves every key as it was, and a size picked is stored as
// the height of that size.
TEST_F(ConfigUse, OptionsFontDialogKeepsWhatIsUnchangedAndStoresThePickedSize) {
  const std::string face = ListedFontFace();
  ASSERT_FALSE(face.empty());
  WriteTextFile(ini, SettingsFile()
                         .Set("FontFace", face)
                         .Set("FontSize", "-10")
                         .Set("FontWeight", "400")
                         .Set("FontItalic", "0")
                         .Set("FontStrikeOut", "0")
                         .Set("FontUnderline", "0")
                         .Text());
  const std::string before = File();
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  auto chooseFont = [&](const char* size) {
    config.Click(IDC_CHOOSE_FONT);
    const HWND font = config.WaitFor("Font");
    if (font == nullptr) return;
    const HWND sizes = GetDlgItem(font, 0x472);  // cmb3
    EXPECT_TRUE(Eventually([&] { return !WindowText(sizes).empty(); }, "a size shown"));
    if (size != nullptr) {
      // Picked from the list, as a click on it would.
      SendMessageW(sizes, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(std::wstring(size, size + strlen(size)).c_str()));
      SendMessageA(font, WM_COMMAND, MAKEWPARAM(0x472, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(sizes));
      EXPECT_TRUE(Becomes([&] { return WindowText(sizes); }, size));
    }
    config.Click(GetDlgItem(font, IDOK));
    EXPECT_TRUE(config.Reaches([&] { return !IsWindow(font); }, "the font dialog closes"));
  };
  for (int i = 0; i < 2; ++i) {
    chooseFont(nullptr);
    EXPECT_EQ(File(), before) << "OK number " << i + 1;
  }
  chooseFont("12");
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(KeyBecomes("Settings", "FontSize", std::to_string(-MulDiv(12, dpi, 72))));
  EXPECT_EQ(Key("Settings", "FontFace"), face);
}

TEST_F(ConfigUse, OptionsSaveKeepsThePauseWithinOneToTenSeconds) {
  const std::pair<const char*, const char*> cases[] = {
      {"ab", "1000"}, {"25", "10000"}, {"7", "7000"}};
  for (const auto& [typed, stored] : cases) {
    SCOPED_TRACE(typed);
    WriteTextFile(ini, SettingsFile().Text());
    Configurator options;
    ASSERT_TRUE(options.Start("2 " + ini, kOptionsCaption));
    ASSERT_TRUE(options.Type(IDC_PAUSE, typed));
    options.Click(IDOK);
    EXPECT_EQ(options.Process().WaitForExit(), 0u);
    EXPECT_EQ(Key("Settings", "BatchPause"), stored);
  }
}

// A hotkey is checked when Save is clicked: one that is no hotkey, or that
// another program holds, is said and nothing is saved; one that is free is
// written the one way the file spells it, and an empty field removes it.
TEST_F(ConfigUse, OptionsHotkeyIsSavedOnlyWhenItCanOpenTheMenu) {
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  EXPECT_EQ(config.Text(IDC_HOTKEY), "");
  // This process plays the program that holds Ctrl+Alt+V.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'V'));
  OnScopeExit release([] { UnregisterHotKey(nullptr, 1); });
  const std::pair<const char*, const char*> refused[] = {
      {"Ctrl+Alt+V", "Ctrl+Alt+V is held by another program"},
      {"Ctrl+Hyper", "\"Ctrl+Hyper\" cannot be used"},
      // Keys every other program needs, which registering would take.
      {"F1", "(F1 is their Help)"},
      {"Ctrl+C", "copy, paste, undo and save in every program"}};
  for (const auto& [typed, said] : refused) {
    SCOPED_TRACE(typed);
    ASSERT_TRUE(config.Type(IDC_HOTKEY, typed));
    config.Click(IDOK);
    const HWND box = WaitForMessageBox(config.Pid(), "Vorlane");
    ASSERT_NE(box, nullptr) << "nothing said";
    EXPECT_NE(MessageBoxText(box).find(said), std::string::npos) << MessageBoxText(box);
    CloseMessageBox(box);
    ASSERT_TRUE(config.Reaches([&] { return !IsWindow(box); }, "the box closes"));
    EXPECT_TRUE(IsWindow(config.Window())) << "the options closed";
    EXPECT_EQ(File().find("Hotkey"), std::string::npos) << File();
  }
  ASSERT_TRUE(config.Type(IDC_HOTKEY, "alt+ctrl+x"));
  config.Click(IDOK);
  EXPECT_EQ(config.Process().WaitForExit(), 0u);
  EXPECT_EQ(Key("Settings", "Hotkey"), "Ctrl+Alt+X");

  // A value typed into the file by hand that the launcher cannot use is
  // mended by emptying the field: the key goes.
  ASSERT_TRUE(WritePrivateProfileStringA("Settings", "Hotkey", "Ctrl+Hyper", ini.c_str()));
  Configurator again;
  ASSERT_TRUE(again.Start("2 " + ini, kOptionsCaption));
  EXPECT_EQ(again.Text(IDC_HOTKEY), "Ctrl+Hyper");
  ASSERT_TRUE(again.Type(IDC_HOTKEY, ""));
  again.Click(IDOK);
  EXPECT_EQ(again.Process().WaitForExit(), 0u);
  EXPECT_EQ(Key("Settings", "Hotkey"), "<absent>");
}

// The tray icon chosen in the options reaches a running launcher at once:
// none, then an icon of a file found with the chooser's Browse.
TEST_F(ConfigUse, OptionsIconMakesTheLauncherReloadItsIcon) {
  constexpr COLORREF kCustom = RGB(250, 20, 200);
  WriteSolidIcon(folder.File("custom.ico"), kCustom);
  const std::string library = folder.File("icons.exe");
  const std::vector<COLORREF> colours = {RGB(200, 0, 0), RGB(0, 160, 0)};
  ASSERT_TRUE(WriteIconLibrary(library, colours));
  WriteTextFile(ini, SettingsFile().Set("Icon", folder.File("custom.ico") + ",0").Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(WaitUntil([&] { return TrayShowsColour(kCustom); }));
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  EXPECT_EQ(IsDlgButtonChecked(config.Window(), IDC_DEFAULT_ICON), BST_UNCHECKED);
  // The chooser opens on no file: OK at once stores ",0", which names no
  // icon, and the launcher falls back to its own.
  config.Click(IDC_PICK_ICON);
  HWND chooser = config.WaitFor("Choose Icon");
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(SendMessageA(GetDlgItem(chooser, IDC_ICON_LIST), LB_GETCOUNT, 0, 0), 0);
  config.Click(GetDlgItem(chooser, IDOK));
  ASSERT_TRUE(KeyBecomes("Settings", "Icon", ",0"));
  EXPECT_TRUE(WaitUntil([&] { return !TrayShowsColour(kCustom); }))
      << "the launcher was told";

  // Browse lists the file's icons; Exit leaves everything as it was.
  auto browseLibrary = [&] {
    config.Click(IDC_PICK_ICON);
    chooser = config.WaitFor("Choose Icon");
    if (chooser == nullptr) return ::testing::AssertionFailure() << "no chooser";
    config.Click(GetDlgItem(chooser, IDC_ICON_BROWSE));
    ::testing::AssertionResult chosen =
        ChooseInFileDialog(config, "Browse for a file containing icons", library);
    if (!chosen) return chosen;
    const HWND list = GetDlgItem(chooser, IDC_ICON_LIST);
    return Eventually([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 2; },
                      "the file's two icons listed");
  };
  ASSERT_TRUE(browseLibrary());
  EXPECT_EQ(WindowText(GetDlgItem(chooser, IDC_ICON_FILE)), library);
  const std::string before = File();
  config.Click(GetDlgItem(chooser, IDCANCEL));
  ASSERT_TRUE(config.Reaches([&] { return !IsWindow(chooser); }, "the chooser closes"));
  EXPECT_EQ(File(), before) << "Exit writes nothing";

  // The second icon, chosen with a click and stored as file,index.
  ASSERT_TRUE(browseLibrary());
  const HWND list = GetDlgItem(chooser, IDC_ICON_LIST);
  RECT second{};
  SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&second), 2);
  ClickAt({(second.left + second.right) / 2, (second.top + second.bottom) / 2});
  ASSERT_TRUE(Eventually([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == 1; },
                         "the second icon chosen"));
  config.Click(GetDlgItem(chooser, IDOK));
  ASSERT_TRUE(KeyBecomes("Settings", "Icon", library + ",1"));
  EXPECT_TRUE(WaitUntil([&] { return TrayShowsColour(colours[1]); }))
      << "the launcher shows the chosen icon";
  EXPECT_EQ(launcher.Close(), 0u);
}

// Registered and unregistered through the system's regsvr32 on the
// Shellix.dll beside config.exe, as the box is clicked. The box shows the
// registry, not the file: a file that says registered does not tick it.
TEST_F(ConfigUse, OptionsContextMenuRunsTheRegistrationTool) {
  const std::string classKey = std::string("CLSID\\") + shellext::kClassIdText;
  auto registered = [&] {
    HKEY key = nullptr;
    const bool found = RegOpenKeyExA(HKEY_CLASSES_ROOT, classKey.c_str(), 0,
                                     KEY_READ, &key) == ERROR_SUCCESS;
    if (key != nullptr) RegCloseKey(key);
    return found;
  };
  // A failure half-way leaves no registration behind for other tests.
  const OnScopeExit unregister(RemoveExtensionRegistration);
  WriteTextFile(ini, SettingsFile().Set("ContextMenu", "1").Text());
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  EXPECT_EQ(IsDlgButtonChecked(config.Window(), IDC_CONTEXT_MENU), BST_UNCHECKED);
  config.Click(IDC_CONTEXT_MENU);
  EXPECT_TRUE(Eventually(registered, "registered", 30s));
  EXPECT_EQ(Key("Settings", "ContextMenu"), "1");
  config.Click(IDC_CONTEXT_MENU);
  EXPECT_TRUE(KeyBecomes("Settings", "ContextMenu", "0"));
  EXPECT_TRUE(Eventually([&] { return !registered(); }, "unregistered", 30s));
}

// Registered for this user alone, as without administrator rights, while
// the file says otherwise: the box is ticked, and its click removes that
// registration.
TEST_F(ConfigUse, OptionsContextMenuShowsAndRemovesTheUsersRegistration) {
  const std::string classes = shellext::kClassesKey;
  const std::string server = classes + shellext::ServerKey(shellext::kClassIdText);
  auto userRegistered = [&] {
    HKEY key = nullptr;
    const bool found = RegOpenKeyExA(HKEY_CURRENT_USER, server.c_str(), 0,
                                     KEY_READ, &key) == ERROR_SUCCESS;
    if (key != nullptr) RegCloseKey(key);
    return found;
  };
  const OnScopeExit unregister(RemoveExtensionRegistration);
  for (const shellext::RegistryRow& row : shellext::RegistrationRows(
           shellext::kClassIdText, BinDirectory() + "\\Shellix.dll")) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (classes + row.key).c_str(), 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, row.valueName.empty() ? nullptr : row.valueName.c_str(), 0,
                   REG_SZ, reinterpret_cast<const BYTE*>(row.data.c_str()),
                   static_cast<DWORD>(row.data.size() + 1));
    RegCloseKey(key);
  }
  WriteTextFile(ini, SettingsFile().Set("ContextMenu", "0").Text());
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  EXPECT_EQ(IsDlgButtonChecked(config.Window(), IDC_CONTEXT_MENU), BST_CHECKED);
  config.Click(IDC_CONTEXT_MENU);
  EXPECT_TRUE(Eventually([&] { return !userRegistered(); }, "unregistered", 30s));
  EXPECT_EQ(Key("Settings", "ContextMenu"), "0");
}

// regsvr32 is waited for: when it fails (here no Shellix.dll lies beside
// config.exe), the options say so themselves, and the box and the file
// show what is registered, not what was asked.
TEST_F(ConfigUse, OptionsContextMenuSaysWhenRegistrationFailed) {
  const OnScopeExit unregister(RemoveExtensionRegistration);
  const std::string lonely = folder.File("config.exe");
  ASSERT_TRUE(CopyFileA((BinDirectory() + "\\config.exe").c_str(), lonely.c_str(), FALSE));
  WriteTextFile(ini, SettingsFile().Text());
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption, lonely));
  config.Click(IDC_CONTEXT_MENU);
  const HWND box = WaitForMessageBox(config.Pid(), "Error", 30s);
  ASSERT_NE(box, nullptr) << "the failure was not said";
  const std::string text = MessageBoxText(box);
  EXPECT_NE(text.find("could not be added"), std::string::npos) << text;
  EXPECT_NE(text.find(folder.File("Shellix.dll")), std::string::npos) << text;
  CloseMessageBox(box);
  EXPECT_EQ(IsDlgButtonChecked(config.Window(), IDC_CONTEXT_MENU), BST_UNCHECKED);
  EXPECT_EQ(Key("Settings", "ContextMenu"), "0");
}

TEST_F(ConfigUse, OptionsStartWithWindowsSetsAndRemovesTheRunValue) {
  auto runValue = [] {
    char data[MAX_PATH] = {};
    DWORD size = sizeof(data) - 1;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
      if (RegGetValueA(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                       "Vorlane", RRF_RT_REG_SZ, nullptr, data, &size) == ERROR_SUCCESS) {
        return std::string(data);
      }
    }
    return std::string("<none>");
  };
  const OnScopeExit removeRunValue(RemoveRunValues);
  // The launcher's first start writes 1 without a Run value: the first
  // click switches it off and deletes nothing.
  WriteTextFile(ini, SettingsFile().Set("Startwithwindows", "1").Text());
  ASSERT_TRUE(config.Start("2 " + ini, kOptionsCaption));
  EXPECT_EQ(IsDlgButtonChecked(config.Window(), IDC_START_WITH_WINDOWS), BST_CHECKED);
  config.Click(IDC_START_WITH_WINDOWS);
  ASSERT_TRUE(KeyBecomes("Settings", "Startwithwindows", "0"));
  config.Click(IDC_START_WITH_WINDOWS);
  ASSERT_TRUE(KeyBecomes("Settings", "Startwithwindows", "1"));
  // Quoted: a blank in the path must not make Windows start C:\Program.exe.
  EXPECT_EQ(runValue(), "\"" + BinDirectory() + "\\Vorlane.exe\"");
  config.Click(IDC_START_WITH_WINDOWS);
  ASSERT_TRUE(KeyBecomes("Settings", "Startwithwindows", "0"));
  EXPECT_EQ(runValue(), "<none>");
}

// ---------------------------------------------------------------------------
// The about box and the launcher's commands.

TEST_F(ConfigUse, AboutShowsItsHistoryAndLeavesWebsiteAndFeedbackOpen) {
  const std::string probe = folder.File("a.exe");
  ProtocolProgram web("http", probe);
  ProtocolProgram mail("mailto", probe);
  ASSERT_TRUE(web.Ready() && mail.Ready());
  WriteTextFile(ini, SettingsFile().Text());
  ASSERT_TRUE(config.Start("4 " + ini, kAboutCaption));

  HWND history = config.Control(IDC_HISTORY);
  EXPECT_TRUE(GetWindowLongA(history, GWL_STYLE) & ES_READONLY);
  const std::string text = config.Text(IDC_HISTORY);
  EXPECT_EQ(text.rfind("---2.52b2---\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("- FIXED: Deletion of standard menu\r\n"), std::string::npos);
  // Characters sent to it, then a selection that shows they were handled:
  // posted messages are handled in order.
  for (char c : std::string("xyz")) PostMessageA(history, WM_CHAR, c, 0);
  PostMessageA(history, EM_SETSEL, 0, 7);
  ASSERT_TRUE(Eventually(
      [&] {
        DWORD from = 0, to = 0;
        SendMessageA(history, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                     reinterpret_cast<LPARAM>(&to));
        return from == 0 && to == 7;
      },
      "the posted characters handled"));
  EXPECT_EQ(config.Text(IDC_HISTORY), text) << "the history is read-only";

  config.Click(IDC_WEBSITE);
  config.Click(IDC_FEEDBACK);
  ASSERT_TRUE(WaitUntil([&] { return ReadProbeLog(folder.Path()).size() >= 2; }))
      << Describe(ReadProbeLog(folder.Path()));
  // The two probes log in whichever order they ran.
  std::string arguments;
  for (const ProbeStart& start : ReadProbeLog(folder.Path())) {
    arguments += start.arguments + "\n";
  }
  EXPECT_NE(arguments.find("http://www.vorlane.org/vorlane"), std::string::npos)
      << arguments;
  EXPECT_NE(arguments.find("mailto:"), std::string::npos) << arguments;
  EXPECT_NE(arguments.find("subject=Vorlane"), std::string::npos) << arguments;
  EXPECT_NE(config.Find(kAboutCaption), nullptr) << "both leave it open";
  config.Click(IDOK);
  EXPECT_EQ(config.Process().WaitForExit(), 0u);
}

TEST_F(ConfigUse, LaunchersConfigCommandOpensTheConfiguratorOnItsFile) {
  ASSERT_TRUE(CopyFileA((BinDirectory() + "\\config.exe").c_str(),
                        folder.File("a  b\\config.exe").c_str(), FALSE));
  WriteTextFile(ini, ThreeMenus(folder, false).Text());
  Launcher launcher;
  ASSERT_TRUE(launcher.Start(folder, "\"" + ini + "\""));
  ASSERT_TRUE(ChooseInLauncher(launcher, 2, 0));  // "Config"
  HWND window = nullptr;
  // Shown once its lists are filled.
  ASSERT_TRUE(WaitUntil([&] {
    window = FindWindowA("#32770", kMenusCaption);
    return window != nullptr && IsWindowVisible(window);
  }));
  // The launcher started it: it is ended here whatever happens below.
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  ChildProcess started;
  started.Adopt(id);
  const HWND list = GetDlgItem(window, IDC_MENU_LIST);
  ASSERT_TRUE(WaitUntil([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == 4; }))
      << SendMessageA(list, LB_GETCOUNT, 0, 0) << " lines";
  wchar_t first[64] = {};
  SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
  EXPECT_EQ(Narrow(first), "Standard");
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_EQ(started.WaitForExit(), 0u);
  EXPECT_EQ(launcher.Close(), 0u);
}

}  // namespace
}  // namespace vorlane::test

// The launcher's menu opened through its tray callback and used with the
// keyboard from this process; a probe program witnesses what was started.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "menu_driver.h"
#include "test_support.h"

namespace vorlane::test {
namespace {

struct ProbeStart {
  std::string program;
  unsigned long long milliseconds = 0;
  int show = -1;
  std::string directory;
  std::string arguments;
};

std::vector<ProbeStart> ReadProbeLog(const std::string& folder) {
  std::vector<ProbeStart> starts;
  std::istringstream lines(ReadTextFile(folder + "\\probe-log.txt"));
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::istringstream parts(line);
    std::string field;
    while (std::getline(parts, field, '\t')) fields.push_back(field);
    if (fields.size() < 4) continue;
    fields.resize(5);
    starts.push_back({fields[0], std::stoull(fields[1]), std::stoi(fields[2]),
                      fields[3], fields[4]});
  }
  return starts;
}

// A launcher in a fresh folder with a probe beside it and a settings file
// made by the test.
class MenuUse : public ::testing::Test {
 protected:
  void StartWith(const std::string& settings) {
    WriteTextFile(folder.File("vorlane.ini"), settings);
    ASSERT_TRUE(CopyFileA((BinDirectory() + "\\probe.exe").c_str(),
                          probe.c_str(), FALSE));
    ASSERT_TRUE(launcher.Start(folder));
  }
  void TearDown() override {
    if (launcher.Process().IsRunning()) {
      EXPECT_EQ(launcher.Close(), 0u);
    }
  }
  DWORD Pid() { return launcher.Process().Id(); }

  bool WaitForStarts(std::size_t count) {
    return WaitUntil([&] { return ReadProbeLog(folder.Path()).size() >= count; });
  }

  TempFolder folder;
  std::string probe = folder.File("probe.exe");
  Launcher launcher;
};

TEST_F(MenuUse, HoveringOpensTheMenuAndAnItemStartsItsProgram) {
  StartWith("[Settings]\r\nMenuOrder=1*\r\nMenuCount=1\r\nCount1=1\r\n"
            "OpenMenu=1\r\n[Program locations1]\r\nProgram1=" + probe +
            "\r\nDes1=Probe\r\nPar1=one two\r\n");
  PostTrayMouse(launcher.Window(), WM_MOUSEMOVE);
  ASSERT_NE(WaitForPopupMenu(Pid()), nullptr);
  ChooseByKeys(Pid(), 3);  // banner, "Vorlane", then the item
  ASSERT_TRUE(WaitForStarts(1));
  const std::vector<ProbeStart> starts = ReadProbeLog(folder.Path());
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].arguments, "one two");
  EXPECT_EQ(starts[0].show, SW_SHOWNORMAL);
  EXPECT_EQ(starts[0].directory + "\\", folder.Path() + "\\");
  EXPECT_TRUE(WaitForMenuClosed(Pid()));
}

}  // namespace
}  // namespace vorlane::test

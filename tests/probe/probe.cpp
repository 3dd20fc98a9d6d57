// A witness for what the launcher starts: each start appends one line to
// probe-log.txt beside the program, holding the program's own name, when its
// process was created and when it wrote the line (milliseconds of the system
// clock), the show state it was given, its working directory and its
// command line.
// Copies under other names (config.exe, a.exe) tell apart who was started.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

unsigned long long Milliseconds(const FILETIME& time) {
  return ((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
          time.dwLowDateTime) /
         10000;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char module[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string self(module);
  const std::string folder = self.substr(0, self.rfind('\\'));
  const std::string name = self.substr(self.rfind('\\') + 1);

  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoA(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW)
                       ? startup.wShowWindow
                       : -1;

  char directory[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, directory);

  // The creation time is taken when the starter's CreateProcess runs, before
  // Wine spends a varying time loading this program.
  FILETIME created{}, exited{}, kernel{}, user{};
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);

  // Arguments as the program sees them: the command line after the
  // program's own name.
  const char* line = GetCommandLineA();
  const char* arguments = line;
  if (*arguments == '"') {
    arguments = std::strchr(arguments + 1, '"');
    arguments = arguments ? arguments + 1 : line + std::strlen(line);
  } else {
    while (*arguments && *arguments != ' ') ++arguments;
  }
  while (*arguments == ' ') ++arguments;

  // Several probes may finish at once: retry while another holds the file.
  for (int attempt = 0; attempt < 100; ++attempt) {
    HANDLE log = CreateFileA((folder + "\\probe-log.txt").c_str(),
                             FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) {
      Sleep(20);
      continue;
    }
    char head[128];
    std::snprintf(head, sizeof(head), "%llu\t%llu\t%d\t",
                  Milliseconds(created), Milliseconds(now), show);
    const std::string record = name + "\t" + head + directory + "\t" +
                               arguments + "\r\n";
    DWORD written = 0;
    WriteFile(log, record.data(), static_cast<DWORD>(record.size()), &written,
              nullptr);
    CloseHandle(log);
    break;
  }
  return 0;
}

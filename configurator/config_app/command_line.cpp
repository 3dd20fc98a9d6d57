#include "command_line.h"

namespace vorlane::configurator {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

void SkipBlanks(std::string_view& text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
}

// One argument by the platform's splitting: blanks separate, quotation
// marks group and are dropped.
std::string TakeArgument(std::string_view& text) {
  std::string argument;
  bool quoted = false;
  while (!text.empty() && (quoted || !IsBlank(text.front()))) {
    if (text.front() == '"') {
      quoted = !quoted;
    } else {
      argument += text.front();
    }
    text.remove_prefix(1);
  }
  return argument;
}

}  // namespace

ConfigMode ModeOf(std::string_view argument) {
  if (argument == "1" || argument == "3") return ConfigMode::Menus;
  if (argument == "2") return ConfigMode::Options;
  if (argument == "4") return ConfigMode::About;
  return ConfigMode::Unknown;
}

ConfigCommandLine ParseConfigCommandLine(std::string_view raw) {
  ConfigCommandLine line;
  // The program name ends at its closing quotation mark, or at the first
  // blank when it is not quoted; quotation marks do not nest in it.
  if (!raw.empty() && raw.front() == '"') {
    const std::size_t close = raw.find('"', 1);
    raw.remove_prefix(close == std::string_view::npos ? raw.size() : close + 1);
  }
  while (!raw.empty() && !IsBlank(raw.front())) raw.remove_prefix(1);
  SkipBlanks(raw);
  if (raw.empty()) return line;

  line.hasMode = true;
  line.mode = ModeOf(TakeArgument(raw));

  SkipBlanks(raw);
  while (!raw.empty() && IsBlank(raw.back())) raw.remove_suffix(1);
  if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
    raw = raw.substr(1, raw.size() - 2);
  }
  line.path = std::string(raw);
  return line;
}

}  // namespace vorlane::configurator

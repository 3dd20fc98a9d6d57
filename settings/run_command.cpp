#include "run_command.h"

namespace vorlane::settings {
namespace {

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SamePath(std::string_view a, std::string_view b) {
  if (a.size() != b.size() || a.empty()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool RunCommandStarts(std::string_view command, std::string_view programPath) {
  command = TrimBlanks(command);
  if (command.starts_with('"')) {
    const std::size_t close = command.find('"', 1);
    return close != std::string_view::npos &&
           SamePath(command.substr(1, close - 1), programPath);
  }
  // A bare path may hold blanks itself, as the configurator writes it.
  const std::size_t length = programPath.size();
  return command.size() >= length &&
         SamePath(command.substr(0, length), programPath) &&
         (command.size() == length || command[length] == ' ' ||
          command[length] == '\t');
}

}  // namespace vorlane::settings

// The three programs change one settings file, each change a read followed
// by writes, and the platform rewrites the whole file at every write. One
// named mutex per file orders them: a change holds it from its first read to
// its last write, and a reader that needs a consistent picture holds it
// while it reads. Its name is public, so that a backup or sync script can
// take it too.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace vorlane::settings {

// 64-bit FNV-1a of the path with a-z upper-cased, byte by byte: Windows
// paths do not tell case apart, and one file must give one name whichever
// way its path was typed.
std::uint64_t SettingsLockHash(std::string_view fullPath);

// "Local\VorlaneSettings-" and the hash in 16 lower-case hexadecimal digits.
std::string SettingsLockName(std::string_view fullPath);

// "Local\VorlaneLauncher-" and the same digits: held by the one launcher
// that shows the file's menu, so that a second start for it ends.
std::string LauncherInstanceName(std::string_view fullPath);

// What the holder is about to do decides how long it waits for another.
enum class LockPurpose {
  Read,   // waits at most kReadLockWait, then reads without: a menu must open
  Write,  // waits at most kWriteLockWait, then writes nothing
};
inline constexpr std::chrono::milliseconds kReadLockWait{1000};
inline constexpr std::chrono::milliseconds kWriteLockWait{5000};

enum class LockOutcome {
  Taken,
  TakenOver,  // its holder ended without letting it go; the file is used
              // as it is
  TimedOut,   // another program kept it for the whole wait
  Unlocked,   // no lock could be made (or the store has none): go on
              // without, as before there was one
};

inline bool Holds(LockOutcome outcome) {
  return outcome == LockOutcome::Taken || outcome == LockOutcome::TakenOver;
}

}  // namespace vorlane::settings

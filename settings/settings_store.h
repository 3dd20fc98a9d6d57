// The one door through which settings are read and written. On Windows it is
// the platform's private-profile functions (profile_store_win32); the pure
// code and its native tests use an in-memory document behind the same door.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "settings_lock.h"
#include "settings_names.h"

namespace vorlane::settings {

// What reading a section whole gave.
struct SectionRead {
  enum class Outcome {
    Whole,       // `data` holds the section
    TooLarge,    // too large to read at once: the caller reads key by key
    Unreadable,  // the file is there but could not be read (another program
                 // holds it open without sharing): what the section holds
                 // is unknown, and no edit may be based on it
  };
  Outcome outcome = Outcome::Whole;
  std::string data;

  bool IsWhole() const { return outcome == Outcome::Whole; }
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The key's value, or `fallback` when the key or section is absent, cut to
  // at most `limit` characters.
  virtual std::string ReadString(std::string_view section, std::string_view key,
                                 std::string_view fallback,
                                 std::size_t limit) = 0;

  // The key's value as an integer; `fallback` when it is absent or empty.
  virtual int ReadInt(std::string_view section, std::string_view key,
                      int fallback) = 0;

  // Stores the value so that a read gives it back exactly, quotes and
  // blanks included (StoredValue). False when it could not be stored (a
  // read-only file, a missing folder).
  virtual bool WriteString(std::string_view section, std::string_view key,
                           std::string_view value) = 0;

  // Takes the key's line out of the file, as the platform does (the first
  // line of that name); true also when there was none. A key that only some
  // items carry is taken away rather than emptied, so that a file of a user
  // who never set it stays as it was.
  virtual bool DeleteKey(std::string_view section, std::string_view key) = 0;

  // The whole section in one read, in the platform's form: one string per
  // line, "key=value", or the bare name of a line without "=", each ended by
  // a NUL, and one more NUL after the last (an absent or empty section, or
  // a missing file, is that NUL alone). Comments and blank lines are left
  // out; values keep their quotes. Or why there is no such data: the
  // section is too large to be read whole, or the file could not be read.
  virtual SectionRead ReadSection(std::string_view section) = 0;

  // Replaces every line of the section with `data`, given in the form that
  // ReadSection returns; the section keeps its place in the file, or is
  // added at the end. False when it could not be stored.
  virtual bool WriteSection(std::string_view section, std::string_view data) = 0;

  // The sections (names in lower case) holding lines that a whole-section
  // write would lose: comments, lines without "=" or without a name, a
  // second section of the same name. ReadSection does not hand them back,
  // so only a look at the whole file finds them. None for a missing file;
  // empty when the file is there but could not be read, and then no
  // section may be taken for one without such lines.
  virtual std::optional<std::set<std::string>> SectionsWithHiddenLines() = 0;

  // Takes the file's lock for this thread, waiting as long as the purpose
  // allows; taken again by a holder, it is held until as many Unlocks. A
  // store without another program to fear has nothing to take.
  virtual LockOutcome Lock(LockPurpose) { return LockOutcome::Unlocked; }
  // Lets go of one Lock that held it.
  virtual void Unlock() {}
};

// The file's lock for as long as it lives, or until Release.
class LockHold {
 public:
  LockHold(SettingsStore& store, LockPurpose purpose)
      : store_(&store), outcome_(store.Lock(purpose)) {}
  ~LockHold() { Release(); }
  LockHold(const LockHold&) = delete;
  LockHold& operator=(const LockHold&) = delete;

  LockOutcome Outcome() const { return outcome_; }
  bool TimedOut() const { return outcome_ == LockOutcome::TimedOut; }

  void Release() {
    if (store_ != nullptr && Holds(outcome_)) store_->Unlock();
    store_ = nullptr;
  }

 private:
  SettingsStore* store_;
  LockOutcome outcome_;
};

// "%s%d": a stem followed by a decimal number.
std::string NumberedName(std::string_view stem, int number);

std::string ProgramSection(int menuNumber);

inline std::string Read(SettingsStore& store, std::string_view section,
                        const TextKey& key) {
  return store.ReadString(section, key.name, key.fallback, key.limit);
}

inline int Read(SettingsStore& store, std::string_view section,
                const IntKey& key) {
  return store.ReadInt(section, key.name, key.fallback);
}

inline std::string Read(SettingsStore& store, std::string_view section,
                        const TextKey& key, int number) {
  return store.ReadString(section, NumberedName(key.name, number), key.fallback,
                          key.limit);
}

inline int Read(SettingsStore& store, std::string_view section,
                const IntKey& key, int number) {
  return store.ReadInt(section, NumberedName(key.name, number), key.fallback);
}

bool WriteInt(SettingsStore& store, std::string_view section,
              std::string_view key, int value);

}  // namespace vorlane::settings

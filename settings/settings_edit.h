// One edit of the settings file: read what it needs, compute, write. Each
// section the edit touches is read whole once and answered from memory, and
// the writes are collected and stored when the edit is committed. The file
// then holds exactly what the same writes made key by key would have left,
// at a small part of the cost: the platform rewrites the whole file at each
// write, so an edit of thousands of keys would take seconds. An edit of
// which a read failed writes nothing: it was computed from a wrong picture
// of the file.
//
// The edit holds the file's lock from its first read or write to its
// Commit, so that no other program changes the file in between and none
// reads it half changed. An edit that could not get the lock reads without
// it and writes nothing. It must not be held while the user is asked
// anything: Commit or Release it first.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ini_document.h"
#include "settings_store.h"

namespace vorlane::settings {

class SettingsEdit final : public SettingsStore {
 public:
  // An edit that only reads for a consistent picture waits less for the
  // lock (LockPurpose::Read).
  explicit SettingsEdit(SettingsStore& file,
                        LockPurpose purpose = LockPurpose::Write)
      : file_(file), purpose_(purpose) {}
  SettingsEdit(const SettingsEdit&) = delete;
  SettingsEdit& operator=(const SettingsEdit&) = delete;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback, std::size_t limit) override;
  int ReadInt(std::string_view section, std::string_view key,
              int fallback) override;
  bool WriteString(std::string_view section, std::string_view key,
                   std::string_view value) override;
  bool DeleteKey(std::string_view section, std::string_view key) override;
  SectionRead ReadSection(std::string_view section) override;
  bool WriteSection(std::string_view section, std::string_view data) override;
  std::optional<std::set<std::string>> SectionsWithHiddenLines() override {
    Begin();
    return file_.SectionsWithHiddenLines();
  }
  LockOutcome Lock(LockPurpose purpose) override { return file_.Lock(purpose); }
  void Unlock() override { file_.Unlock(); }

  // Whether another program kept the file's lock for the whole wait: the
  // edit's reads were made without it, and Commit writes nothing.
  bool LockTimedOut() const { return lockTimedOut_; }

  // Lets the file's lock go; a later read or write takes it again and, when
  // nothing waits to be committed, reads the file anew: another program may
  // have changed it in between.
  void Release();

  // Whether a section read of the edit found the file there but unreadable
  // (another program holds it open): the edit's reads then gave defaults,
  // not what the file holds.
  bool ReadFailed() const { return readFailed_; }

  // Stores what the edit changed, section by section in the order they were
  // first written: a few keys one by one, so that the rest of the section
  // stays untouched; many keys with one write of the whole section, but
  // only where the section was read whole and a look at the file found no
  // lines that such a write would lose (else key by key). Writes nothing
  // and returns false when a read of the edit failed or the lock was not
  // had; false when any write failed. Lets the lock go (see Release).
  bool Commit();

 private:
  using Line = IniEntry;
  struct Section {
    std::string name;
    // Whole: `lines` holds the section as read. Otherwise (too large, or
    // the file unreadable) `lines` holds only the edit's own writes, other
    // keys are read from the file, and every write is stored key by key.
    SectionRead::Outcome read = SectionRead::Outcome::Whole;
    bool replaced = false;
    std::vector<Line> lines;
    // Lower-case key to its first line: an edit that appends thousands of
    // keys must not search the section once per key.
    std::unordered_map<std::string, std::size_t> index;
    // Keys in the order first written, and what each read before the edit.
    std::vector<std::string> written;
    std::map<std::string, std::optional<std::string>> before;
    // Lower-case keys the edit took away and has not written since: of a
    // section not read whole, the file would still give them.
    std::set<std::string> deleted;
    // Keys taken away and then written again: the platform puts such a key
    // at the end of its section, where a write in place would not.
    std::set<std::string> erased;
    std::set<std::string> readded;
  };

  // Takes the lock unless held.
  void Begin();
  Section& Load(std::string_view section);
  static Line* Find(Section& s, std::string_view key);
  static void Index(Section& s);
  static std::string Data(const Section& s);

  SettingsStore& file_;
  LockPurpose purpose_;
  std::optional<LockHold> hold_;
  bool lockTimedOut_ = false;
  std::map<std::string, Section> sections_;  // by lower-case name
  std::vector<std::string> writeOrder_;      // lower-case section names
  bool failed_ = false;
  bool readFailed_ = false;
};

}  // namespace vorlane::settings

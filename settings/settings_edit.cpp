#include "settings_edit.h"

#include <algorithm>

#include "ini_document.h"
#include "settings_model.h"

namespace vorlane::settings {
namespace {

// Up to this many changed keys a section is written key by key: that keeps
// anything the platform does not hand back with the section (comments)
// and costs no more than a whole-section write would.
constexpr std::size_t kMostKeysOneByOne = 8;

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::optional<std::string> ValueOf(const std::string* value) {
  if (value == nullptr) return std::nullopt;
  return *value;
}

}  // namespace

void SettingsEdit::Begin() {
  if (hold_) return;
  hold_.emplace(file_, purpose_);
  if (hold_->TimedOut()) lockTimedOut_ = true;
}

void SettingsEdit::Release() {
  if (!hold_) return;
  hold_.reset();
  if (writeOrder_.empty()) sections_.clear();
}

SettingsEdit::Section& SettingsEdit::Load(std::string_view section) {
  Begin();
  const std::string id = Lower(section);
  auto found = sections_.find(id);
  if (found != sections_.end()) return found->second;
  Section& s = sections_[id];
  s.name = std::string(section);
  SectionRead read = file_.ReadSection(section);
  s.read = read.outcome;
  if (read.outcome == SectionRead::Outcome::Unreadable) readFailed_ = true;
  if (!read.IsWhole()) return s;
  s.lines = SectionLines(read.data);
  Index(s);
  return s;
}

void SettingsEdit::Index(Section& s) {
  s.index.clear();
  for (std::size_t i = 0; i < s.lines.size(); ++i) {
    s.index.emplace(Lower(s.lines[i].key), i);
  }
}

SettingsEdit::Line* SettingsEdit::Find(Section& s, std::string_view key) {
  const auto found = s.index.find(Lower(key));
  return found == s.index.end() ? nullptr : &s.lines[found->second];
}

std::string SettingsEdit::Data(const Section& s) {
  std::string data;
  for (const Line& line : s.lines) {
    data += line.key;
    if (line.hasValue) data += "=" + line.value;
    data += '\0';
  }
  data += '\0';
  return data;
}

std::string SettingsEdit::ReadString(std::string_view section,
                                     std::string_view key,
                                     std::string_view fallback,
                                     std::size_t limit) {
  Section& s = Load(section);
  const Line* line = Find(s, key);
  if (line == nullptr && s.read != SectionRead::Outcome::Whole &&
      !s.deleted.count(Lower(key))) {
    return file_.ReadString(section, key, fallback, limit);
  }
  const std::string_view value =
      line && line->hasValue ? Unquoted(line->value) : fallback;
  return std::string(value.substr(0, std::min(limit, value.size())));
}

int SettingsEdit::ReadInt(std::string_view section, std::string_view key,
                          int fallback) {
  Section& s = Load(section);
  const Line* line = Find(s, key);
  if (line == nullptr && s.read != SectionRead::Outcome::Whole &&
      !s.deleted.count(Lower(key))) {
    return file_.ReadInt(section, key, fallback);
  }
  if (line == nullptr || !line->hasValue) return fallback;
  const std::string_view value = Unquoted(line->value);
  return value.empty() ? fallback : ParseDecimal(value);
}

bool SettingsEdit::WriteString(std::string_view section, std::string_view key,
                               std::string_view value) {
  Section& s = Load(section);
  const std::string id = Lower(section);
  if (std::find(writeOrder_.begin(), writeOrder_.end(), id) ==
      writeOrder_.end()) {
    writeOrder_.push_back(id);
  }
  // The lines hold file text, as the section read gives it.
  const std::string stored = StoredValue(value);
  Line* line = Find(s, key);
  const std::string keyId = Lower(key);
  s.deleted.erase(keyId);
  if (!s.before.count(keyId)) {
    s.written.emplace_back(key);
    // What a section not read whole holds is unknown: its keys are written.
    s.before[keyId] = s.read == SectionRead::Outcome::Whole && line && line->hasValue
                          ? ValueOf(&line->value)
                          : std::nullopt;
  }
  if (line != nullptr) {
    line->value = stored;
    line->hasValue = true;
  } else {
    if (s.erased.count(keyId)) s.readded.insert(keyId);
    s.index.emplace(keyId, s.lines.size());
    s.lines.push_back(Line{std::string(key), stored, true});
  }
  return true;
}

bool SettingsEdit::DeleteKey(std::string_view section, std::string_view key) {
  Section& s = Load(section);
  const std::string keyId = Lower(key);
  const bool whole = s.read == SectionRead::Outcome::Whole;
  // Nothing to take away costs nothing: no write, and the section is not
  // counted as changed. Of a section not read whole, only the file knows.
  const bool present =
      whole ? Find(s, key) != nullptr
            : !s.deleted.count(keyId) &&
                  (s.before.count(keyId) != 0 ||
                   !file_.ReadString(section, key, "", 1).empty());
  if (!present) return true;
  const std::string id = Lower(section);
  if (std::find(writeOrder_.begin(), writeOrder_.end(), id) ==
      writeOrder_.end()) {
    writeOrder_.push_back(id);
  }
  if (!s.before.count(keyId)) {
    s.written.emplace_back(key);
    const Line* line = Find(s, key);
    s.before[keyId] = whole && line && line->hasValue ? ValueOf(&line->value)
                                                      : std::nullopt;
  }
  if (!whole) s.deleted.insert(keyId);
  s.erased.insert(keyId);
  s.readded.erase(keyId);
  const auto found = s.index.find(keyId);
  if (found != s.index.end()) {
    s.lines.erase(s.lines.begin() + static_cast<std::ptrdiff_t>(found->second));
    // A second line of the same name, hidden until now, is read from here on,
    // as the platform's file would give it.
    Index(s);
  }
  return true;
}

SectionRead SettingsEdit::ReadSection(std::string_view section) {
  Section& s = Load(section);
  if (s.read != SectionRead::Outcome::Whole) return SectionRead{s.read, {}};
  return SectionRead{SectionRead::Outcome::Whole, Data(s)};
}

bool SettingsEdit::WriteSection(std::string_view section,
                                std::string_view data) {
  Section& s = Load(section);
  const std::string id = Lower(section);
  if (std::find(writeOrder_.begin(), writeOrder_.end(), id) ==
      writeOrder_.end()) {
    writeOrder_.push_back(id);
  }
  // Whatever the section held, it holds `data` now.
  s.read = SectionRead::Outcome::Whole;
  s.replaced = true;
  s.lines = SectionLines(data);
  Index(s);
  return true;
}

bool SettingsEdit::Commit() {
  if (!writeOrder_.empty()) Begin();
  // Without the lock another program may have changed what the edit read,
  // and its writes would undo that change.
  const bool stale = readFailed_ || lockTimedOut_;
  if (!stale) {
    // Looked at once, and only when a section has many changed keys.
    bool looked = false;
    std::optional<std::set<std::string>> hidden;
    for (const std::string& id : writeOrder_) {
      Section& s = sections_[id];
      std::vector<const std::string*> changed;
      for (const std::string& key : s.written) {
        const Line* line = Find(s, key);
        const std::optional<std::string>& before = s.before[Lower(key)];
        if (!before || line == nullptr || *before != line->value ||
            s.readded.count(Lower(key))) {
          changed.push_back(&key);
        }
      }
      bool whole = s.replaced;
      if (!whole && s.read == SectionRead::Outcome::Whole &&
          changed.size() > kMostKeysOneByOne) {
        // The platform would drop what it does not hand back with the
        // section; when the file could not be looked at, nobody knows.
        if (!looked) {
          hidden = file_.SectionsWithHiddenLines();
          looked = true;
        }
        whole = hidden && hidden->count(id) == 0;
      }
      if (whole) {
        if (!file_.WriteSection(s.name, Data(s))) failed_ = true;
        continue;
      }
      // Keys taken away go first. A key written in place lands where it
      // was whatever the order; one appended lands after those appended
      // before it, so the appends follow the order the lines now have.
      std::set<std::string> toWrite;
      for (const std::string* key : changed) {
        const std::string id = Lower(*key);
        if (Find(s, *key) == nullptr || s.readded.count(id)) {
          if (!file_.DeleteKey(s.name, *key)) failed_ = true;
        }
        if (Find(s, *key) != nullptr) toWrite.insert(id);
      }
      for (const Line& line : s.lines) {
        const std::string id = Lower(line.key);
        if (!toWrite.count(id) || Find(s, line.key) != &line) continue;
        // The store puts the value in its file form again.
        if (!file_.WriteString(s.name, line.key, std::string(Unquoted(line.value)))) {
          failed_ = true;
        }
      }
    }
  }
  writeOrder_.clear();
  for (auto& [id, s] : sections_) {
    s.written.clear();
    s.before.clear();
    s.deleted.clear();
    s.erased.clear();
    s.readded.clear();
    s.replaced = false;
  }
  Release();
  return !stale && !failed_;
}

}  // namespace vorlane::settings

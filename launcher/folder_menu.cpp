#include "folder_menu.h"

#include <algorithm>
#include <cstdint>

namespace vorlane::launcher {
namespace {

constexpr wchar_t kOpenFolderText[] = L"Open folder";
constexpr wchar_t kMoreText[] = L"More... (opens the folder)";
constexpr wchar_t kEmptyText[] = L"(empty)";
constexpr wchar_t kNotFoundText[] = L"(not found)";
constexpr wchar_t kNotAnsweringText[] = L"(not answering)";

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Lower case for the scripts folder names mostly use, the same on every
// platform: towlower follows the C library's locale, which on Linux leaves
// everything past ASCII alone, and the native tests must sort as Windows.
std::uint32_t FoldCase(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c);
  if (u >= 'A' && u <= 'Z') return u + 0x20;
  if (u < 0xC0) return u;
  if (u <= 0xDE) return u == 0xD7 ? u : u + 0x20;  // Latin-1; 0xD7 is "x"
  if (u == 0x130) return 'i';
  if (u == 0x178) return 0xFF;
  if ((u >= 0x100 && u <= 0x137) || (u >= 0x14A && u <= 0x177)) {
    return u % 2 == 0 ? u + 1 : u;
  }
  if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) {
    return u % 2 == 1 ? u + 1 : u;
  }
  if (u >= 0x391 && u <= 0x3AB && u != 0x3A2) return u + 0x20;  // Greek
  if (u >= 0x410 && u <= 0x42F) return u + 0x20;                // Cyrillic
  if (u >= 0x400 && u <= 0x40F) return u + 0x50;
  return u;
}

// Explorer puts spaces, punctuation and symbols before digits, and digits
// before letters, whatever their code points ("_a" before "1a" before "a").
enum class CharClass { Mark, Digit, Letter };

CharClass ClassOf(wchar_t c) {
  const auto u = static_cast<std::uint32_t>(c);
  if (IsDigit(c)) return CharClass::Digit;
  if (u < 0x80) {
    const bool letter = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
    return letter ? CharClass::Letter : CharClass::Mark;
  }
  if (u <= 0xBF || u == 0xD7 || u == 0xF7) return CharClass::Mark;
  if ((u >= 0x2000 && u <= 0x2BFF) || (u >= 0x3000 && u <= 0x303F) ||
      (u >= 0xFF00 && u <= 0xFF0F)) {
    return CharClass::Mark;
  }
  return CharClass::Letter;
}

int Sign(bool less) { return less ? -1 : 1; }

// Past the run of digits that begins at `from`.
std::size_t DigitsEnd(std::wstring_view text, std::size_t from) {
  while (from < text.size() && IsDigit(text[from])) ++from;
  return from;
}

std::size_t SkipZeros(std::wstring_view text, std::size_t from, std::size_t end) {
  while (from < end && text[from] == L'0') ++from;
  return from;
}

bool EndsWithNoCase(std::wstring_view text, std::wstring_view ending) {
  if (text.size() < ending.size()) return false;
  const std::wstring_view tail = text.substr(text.size() - ending.size());
  return std::equal(tail.begin(), tail.end(), ending.begin(),
                    [](wchar_t a, wchar_t b) { return FoldCase(a) == FoldCase(b); });
}

// A name that is nothing but the extension is shown whole: it would show
// as an empty line otherwise.
bool IsShortcutName(std::wstring_view name) {
  constexpr std::size_t kExtension = 4;
  return name.size() > kExtension &&
         (EndsWithNoCase(name, L".lnk") || EndsWithNoCase(name, L".url"));
}

FolderMenuEntry Fixed(FolderMenuEntry::Kind kind, const wchar_t* shown) {
  FolderMenuEntry entry;
  entry.kind = kind;
  entry.shown = shown;
  return entry;
}

}  // namespace

// Names compare as sequences of characters, without regard to case, and of
// digit runs, by value. Names that only differ in their leading zeros or in
// case then go by the first digit run of different length (shorter first:
// "a1" before "a01"), then by code unit (upper case first), so that only a
// name and itself compare equal and the menu's order never depends on the
// order the folder gave.
int CompareFolderNames(std::wstring_view a, std::wstring_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  int runLengths = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const std::size_t endA = DigitsEnd(a, i);
      const std::size_t endB = DigitsEnd(b, j);
      // Compared as digit strings: runs longer than any integer type are
      // common in names made of dates and hashes.
      const std::size_t valueA = SkipZeros(a, i, endA);
      const std::size_t valueB = SkipZeros(b, j, endB);
      if (endA - valueA != endB - valueB) {
        return Sign(endA - valueA < endB - valueB);
      }
      const int digits = a.substr(valueA, endA - valueA)
                             .compare(b.substr(valueB, endB - valueB));
      if (digits != 0) return Sign(digits < 0);
      if (runLengths == 0 && endA - i != endB - j) {
        runLengths = Sign(endA - i < endB - j);
      }
      i = endA;
      j = endB;
      continue;
    }
    const CharClass classA = ClassOf(a[i]);
    const CharClass classB = ClassOf(b[j]);
    if (classA != classB) return Sign(classA < classB);
    const std::uint32_t foldedA = FoldCase(a[i]);
    const std::uint32_t foldedB = FoldCase(b[j]);
    if (foldedA != foldedB) return Sign(foldedA < foldedB);
    ++i;
    ++j;
  }
  if (i < a.size() || j < b.size()) return Sign(i == a.size());
  if (runLengths != 0) return runLengths;
  const int units = a.compare(b);
  return units == 0 ? 0 : Sign(units < 0);
}

std::wstring ShownName(const FolderItem& item) {
  if (!item.folder && IsShortcutName(item.name)) {
    return item.name.substr(0, item.name.size() - 4);
  }
  return item.name;
}

std::vector<FolderMenuEntry> PlanFolderMenu(const FolderListing& listing) {
  using Kind = FolderMenuEntry::Kind;
  switch (listing.outcome) {
    case FolderListing::Outcome::NotFound:
      return {Fixed(Kind::Note, kNotFoundText)};
    case FolderListing::Outcome::NotAnswering:
      return {Fixed(Kind::Note, kNotAnsweringText)};
    case FolderListing::Outcome::Listed:
      break;
  }

  std::vector<const FolderItem*> shown;
  shown.reserve(listing.items.size());
  for (const FolderItem& item : listing.items) {
    if (!item.hidden && !item.system) shown.push_back(&item);
  }
  const auto before = [](const FolderItem* a, const FolderItem* b) {
    if (a->folder != b->folder) return a->folder;
    return CompareFolderNames(a->name, b->name) < 0;
  };
  // A folder of a hundred thousand files is listed whole, but only the
  // first entries need an order.
  const std::size_t kept = std::min(shown.size(), kFolderMenuLimit);
  std::partial_sort(shown.begin(),
                    shown.begin() + static_cast<std::ptrdiff_t>(kept),
                    shown.end(), before);

  std::vector<FolderMenuEntry> menu;
  menu.reserve(kept + 3);
  menu.push_back(Fixed(Kind::OpenFolder, kOpenFolderText));
  menu.push_back(Fixed(Kind::Separator, L""));
  for (std::size_t k = 0; k < kept; ++k) {
    const FolderItem& item = *shown[k];
    FolderMenuEntry entry;
    entry.kind = item.folder ? Kind::Subfolder : Kind::File;
    entry.name = item.name;
    entry.shortName = item.shortName;
    entry.shown = ShownName(item);
    menu.push_back(std::move(entry));
  }
  if (shown.size() > kept) menu.push_back(Fixed(Kind::More, kMoreText));
  if (kept == 0) menu.push_back(Fixed(Kind::Note, kEmptyText));
  return menu;
}

}  // namespace vorlane::launcher

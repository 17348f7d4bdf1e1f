// Profile files, read and written whole. A write rebuilds the file from its lines with its keys
// changed and replaces it in one step (listfile/fileio.h), so that a crash leaves the old file
// or the new one, never half of either. Tested by tests/listfile/profile_test.cpp.
#include "listfile/profile.h"

#include <cerrno>
#include <optional>
#include <string_view>
#include <vector>

#include "listfile/fileio.h"
#include "listfile/utf.h"

namespace brevak {
namespace {

// A value read is cut to what a buffer of 2048 units holds with its terminating NUL.
constexpr std::size_t kMaxValueUnits = 2047;

struct TProfile {
  bool Signature = false;
  std::vector<std::string> Lines;
};

std::string_view TrimBlanks(std::string_view s) {
  std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The name of a "[name]" line; nothing for any other line. A line without its closing bracket
// still opens a section, named by the rest of the line.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = TrimBlanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  return TrimBlanks(line.substr(0, line.find(']')));
}

// The key of a "key=value" line, and the value after the first '='.
bool SplitEntry(std::string_view line, std::string_view& key, std::string_view& value) {
  std::size_t eq = line.find('=');
  if (eq == std::string_view::npos || SectionOf(line)) return false;
  key = TrimBlanks(line.substr(0, eq));
  value = TrimBlanks(line.substr(eq + 1));
  return true;
}

// CR LF, a lone CR and a lone LF each end a line.
TProfile ParseProfile(std::string_view bytes) {
  TProfile profile;
  profile.Signature = bytes.starts_with(kUtf8Signature);
  if (profile.Signature) bytes.remove_prefix(kUtf8Signature.size());
  while (!bytes.empty()) {
    std::size_t end = bytes.find_first_of("\r\n");
    profile.Lines.emplace_back(bytes.substr(0, end));
    if (end == std::string_view::npos) break;
    bytes.remove_prefix(end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1));
  }
  return profile;
}

// Where section's lines lie: [first, last) after its header; nothing when it is absent.
std::optional<std::pair<std::size_t, std::size_t>> FindSection(const TProfile& profile,
                                                               std::string_view section) {
  const std::vector<std::string>& lines = profile.Lines;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::optional<std::string_view> name = SectionOf(lines[i]);
    if (!name || !SameProfileName(*name, TrimBlanks(section))) continue;
    std::size_t last = i + 1;
    while (last < lines.size() && !SectionOf(lines[last])) ++last;
    return std::make_pair(i + 1, last);
  }
  return std::nullopt;
}

std::string CutToMaxUnits(std::string value) {
  // A unit never takes less than one byte, so a short value needs no decoding.
  if (value.size() <= kMaxValueUnits) return value;
  std::u16string units = Utf8Decode(value);
  if (units.size() <= kMaxValueUnits) return value;
  units.resize(kMaxValueUnits);
  // Half a surrogate pair is no character.
  if (IsHighSurrogate(units.back())) units.pop_back();
  return Utf8Encode(units);
}

bool HasLineEnd(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// Sets key in section, adding the section at the end and the key after the section's last line
// that is not blank when they are absent.
void SetEntry(TProfile& profile, const std::string& section, const std::string& key,
              const std::string& value) {
  std::vector<std::string>& lines = profile.Lines;
  std::string entry = key + "=" + value;
  if (auto range = FindSection(profile, section)) {
    auto [first, last] = *range;
    std::optional<std::size_t> found;
    std::size_t insertAt = first;
    for (std::size_t i = first; i < last && !found; ++i) {
      std::string_view k, v;
      if (SplitEntry(lines[i], k, v) && SameProfileName(k, TrimBlanks(key))) found = i;
      // A new key goes after the section's last line that is not blank, so that the blank line
      // before the next section stays where it is.
      if (!TrimBlanks(lines[i]).empty()) insertAt = i + 1;
    }
    if (found) {
      lines[*found] = entry;
    } else {
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
    }
  } else {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
  }
}

}  // namespace

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def) {
  TBytes bytes;
  if (ReadWholeFile(path, bytes) != 0) return CutToMaxUnits(def);
  TProfile profile = ParseProfile(bytes.View());
  if (auto range = FindSection(profile, section)) {
    for (std::size_t i = range->first; i < range->second; ++i) {
      std::string_view k, v;
      if (SplitEntry(profile.Lines[i], k, v) && SameProfileName(k, TrimBlanks(key))) {
        return CutToMaxUnits(std::string(v));
      }
    }
  }
  return CutToMaxUnits(def);
}

int ReadProfileKeys(const std::string& path, const std::string& section,
                    std::vector<std::string>& keys) {
  keys.clear();
  TBytes bytes;
  if (int err = ReadWholeFile(path, bytes)) return err;
  TProfile profile = ParseProfile(bytes.View());
  if (auto range = FindSection(profile, section)) {
    for (std::size_t i = range->first; i < range->second; ++i) {
      std::string_view k, v;
      if (SplitEntry(profile.Lines[i], k, v)) keys.emplace_back(k);
    }
  }
  return 0;
}

bool SameProfileName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

int ReadProfileSections(const std::string& path, std::vector<TProfileSection>& sections) {
  sections.clear();
  TBytes bytes;
  if (int err = ReadWholeFile(path, bytes)) return err;
  TProfile profile = ParseProfile(bytes.View());
  for (std::size_t i = 0; i < profile.Lines.size(); ++i) {
    const std::string_view line = profile.Lines[i];
    if (std::optional<std::string_view> name = SectionOf(line)) {
      sections.push_back({std::string(*name), {}, static_cast<int>(i + 1)});
      continue;
    }
    const std::string_view text = TrimBlanks(line);
    if (sections.empty() || text.starts_with(';') || text.starts_with('#')) continue;
    std::string_view k, v;
    if (SplitEntry(line, k, v)) sections.back().Entries.emplace_back(k, v);
  }
  return 0;
}

bool WriteProfileStrings(const std::string& path, const std::string& section,
                         const TProfileEntries& entries) {
  // What could not be read back as written is not written.
  if (path.empty() || HasLineEnd(section) || section.find(']') != std::string::npos) return false;
  for (const auto& [key, value] : entries) {
    if (HasLineEnd(key) || HasLineEnd(value) || key.find('=') != std::string::npos ||
        TrimBlanks(key).empty() || SectionOf(key)) {
      return false;
    }
  }
  TBytes bytes;
  if (int err = ReadWholeFile(path, bytes); err != 0 && err != ENOENT) return false;
  TProfile profile = ParseProfile(bytes.View());
  for (const auto& [key, value] : entries) SetEntry(profile, section, key, value);

  std::string out = profile.Signature ? std::string(kUtf8Signature) : std::string();
  for (const std::string& line : profile.Lines) out += line + "\r\n";
  return ReplaceWholeFile(path, out) == 0;
}

bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
  return WriteProfileStrings(path, section, {{key, value}});
}

}  // namespace brevak

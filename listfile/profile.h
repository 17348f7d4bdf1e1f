// Profile files: "prog.ini" (the window placement) and "sources.ini" (the sources' hosts and the
// clubs the user describes).
// Sections "[name]" and "key=value" lines, UTF-8 text with CR LF line ends. Section and key names
// match case-insensitively (ASCII); values lose their surrounding blanks on reading.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevak {

// The value of key in section of the file at path, cut to 2047 UTF-16 units; def when the file,
// the section or the key is absent, or the file cannot be read (a path that holds no regular file
// included: RefuseUnusableFile says so before a load).
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& def);

// The keys of section in the file at path, in file order; a comment line that holds "=" gives its
// text before it (";Hamlog") as a key too. Returns 0, or the errno of the failure to read the file
// (ENOENT when it is absent: no keys).
int ReadProfileKeys(const std::string& path, const std::string& section,
                    std::vector<std::string>& keys);

// Whether two section or key names are the same name: ASCII letters match in either case.
bool SameProfileName(std::string_view a, std::string_view b);

using TProfileEntries = std::vector<std::pair<std::string, std::string>>;

// One section of a profile file as written: its name, its "key=value" lines in file order (lines
// starting with ';' or '#' are comments and left out), and the line number of its header (1-based).
struct TProfileSection {
  std::string Name;
  TProfileEntries Entries;
  int Line = 0;
};

// Every section of the file at path, in file order. Returns 0, or the errno of the failure to read
// the file (ENOENT when it is absent: no sections).
int ReadProfileSections(const std::string& path, std::vector<TProfileSection>& sections);

// Sets key in section of the file at path, creating file, section and key as needed and leaving
// every other line as it was. The file is complete on disk when this returns true; false when it
// cannot be written (the caller raises "Unable to write to %s"), or when what is asked would not
// read back as written (a line end anywhere, "=" in the key, "]" in the section, an empty key).
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// Sets every key of entries, in order, in one replace of the file: the file ends as the same
// WriteProfileString calls would leave it. Nothing is written when one of them could not be.
bool WriteProfileStrings(const std::string& path, const std::string& section,
                         const TProfileEntries& entries);

}  // namespace brevak

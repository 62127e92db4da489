// An INI file held in memory, read the way the Windows private-profile functions read it
// and written back with everything the program did not change left as it was.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "text/text.h"

namespace qw {

// The longest value a read gives back, in bytes (the private-profile buffer of 10240
// bytes less its terminating zero).
inline constexpr int kMaxSettingLength = 10239;

class IniFile {
 public:
  IniFile() = default;
  static IniFile Parse(std::string_view bytes);

  // Reads the whole file. A missing file gives an empty document; a file that exists but
  // cannot be read gives false, error set (UTF-8) and an empty document.
  bool Load(const std::filesystem::path& file, std::string* error = nullptr);

  // The value of key in section: section and key names match ignoring ASCII letter case,
  // blanks (spaces, tabs) around the value are dropped, then a pair of quotation marks
  // enclosing it, and at most kMaxSettingLength bytes come back, never half a character.
  // Empty when the section or key is missing.
  Text Get(std::string_view section, std::string_view key) const;

  // Sets key in section; a new key goes at the end of its section, a new section at the
  // end of the file. A line break in the value is stored as a blank, so that no value can
  // add lines of its own. Returns false, changing nothing, for a name that cannot be
  // stored: empty, holding a line break, or a key holding "=" or beginning with ";" or "[".
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  // The whole file with CRLF line endings.
  Bytes Serialize() const;

  // Writes the whole file beside `file` under a temporary name and renames it over `file`,
  // so the file on disk is the old one or the new one, never a mix. Returns false with
  // error set (UTF-8: what failed and the system's reason); `file` is then unchanged and
  // the temporary file removed.
  bool Save(const std::filesystem::path& file, std::string* error = nullptr) const;

 private:
  struct Line {
    Bytes raw;  // as read, without its line ending
    bool isKey = false;
  };
  struct Section {
    Text name;  // as written between the brackets, blanks trimmed
    bool hasHeader = false;
    Bytes header;                           // the section line as read
    std::vector<Line> lines;                // up to the last line that is not blank
    std::vector<Bytes> trailing;            // blank lines after them, kept below new keys
    std::unordered_map<Text, size_t> keys;  // folded key name -> first line holding it
  };
  Section* FindSection(std::string_view section);
  const Section* FindSection(std::string_view section) const;

  std::vector<Section> sections_;           // the first has no header: lines above any section
  std::unordered_map<Text, size_t> index_;  // folded section name -> first such section
};

}  // namespace qw

#include "projects/ini_file.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/platform.h"

namespace qw {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimIniBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

Text Fold(std::string_view name) { return ToLowerCase(TrimIniBlanks(name)); }

// The name between "[" and the last "]" of a section line; false for any other line.
bool SectionName(std::string_view line, std::string_view* name) {
  std::string_view s = TrimIniBlanks(line);
  if (s.empty() || s.front() != '[') return false;
  size_t close = s.rfind(']');
  if (close == std::string_view::npos || close == 0) return false;
  *name = TrimIniBlanks(s.substr(1, close - 1));
  return true;
}

// The key name of a "key=value" line; empty for comments and lines without one.
std::string_view KeyName(std::string_view line) {
  std::string_view s = TrimIniBlanks(line);
  if (s.empty() || s.front() == ';') return {};
  size_t eq = s.find('=');
  if (eq == std::string_view::npos) return {};
  return TrimIniBlanks(s.substr(0, eq));
}

// At most `limit` bytes of text, without splitting a double-byte character.
std::string_view CutWhole(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text;
  size_t i = 0;
  while (i < text.size()) {
    size_t step = static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return text.substr(0, i);
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile ini;
  ini.sections_.emplace_back();
  std::vector<Bytes> blanks;  // blank lines not yet known to lie inside the section
  auto flushBlanks = [&](Section& section) {
    for (Bytes& b : blanks) section.lines.push_back(Line{std::move(b), false});
    blanks.clear();
  };
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    std::string_view name;
    if (SectionName(line, &name)) {
      ini.sections_.back().trailing = std::move(blanks);
      blanks.clear();
      Section section;
      section.name = Text(name);
      section.hasHeader = true;
      section.header = Bytes(line);
      ini.sections_.push_back(std::move(section));
      if (!name.empty()) ini.index_.emplace(Fold(name), ini.sections_.size() - 1);
      continue;
    }
    if (TrimIniBlanks(line).empty()) {
      blanks.emplace_back(line);
      continue;
    }
    Section& section = ini.sections_.back();
    flushBlanks(section);
    std::string_view key = KeyName(line);
    section.lines.push_back(Line{Bytes(line), !key.empty()});
    if (!key.empty() && section.hasHeader)
      section.keys.emplace(Fold(key), section.lines.size() - 1);
  }
  ini.sections_.back().trailing = std::move(blanks);
  return ini;
}

bool IniFile::Load(const std::filesystem::path& file, std::string* error) {
  *this = IniFile();
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (status.type() == std::filesystem::file_type::not_found) return true;
  std::ifstream in;
  if (!ec && !std::filesystem::is_directory(status)) {
    errno = 0;
    in.open(file, std::ios::binary);
  }
  if (!in.is_open()) {
    if (error) {
      if (ec)
        *error = ec.message();
      else if (std::filesystem::is_directory(status))
        *error = std::make_error_code(std::errc::is_a_directory).message();
      else
        *error = std::generic_category().message(errno != 0 ? errno : EIO);
    }
    return false;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    if (error) *error = std::make_error_code(std::errc::io_error).message();
    return false;
  }
  *this = Parse(bytes);
  return true;
}

IniFile::Section* IniFile::FindSection(std::string_view section) {
  auto it = index_.find(Fold(section));
  return it == index_.end() ? nullptr : &sections_[it->second];
}

const IniFile::Section* IniFile::FindSection(std::string_view section) const {
  auto it = index_.find(Fold(section));
  return it == index_.end() ? nullptr : &sections_[it->second];
}

Text IniFile::Get(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return {};
  auto it = s->keys.find(Fold(key));
  if (it == s->keys.end()) return {};
  std::string_view line = s->lines[it->second].raw;
  std::string_view value = TrimIniBlanks(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return BytesToText(CutWhole(value, kMaxSettingLength));
}

bool IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  std::string_view sectionName = TrimIniBlanks(section);
  std::string_view keyName = TrimIniBlanks(key);
  if (sectionName.empty() || HasLineBreak(sectionName)) return false;
  if (keyName.empty() || HasLineBreak(keyName) || keyName.find('=') != std::string_view::npos ||
      keyName.front() == ';' || keyName.front() == '[')
    return false;

  Text stored = BytesToText(value);
  for (char& c : stored)
    if (c == '\r' || c == '\n') c = ' ';

  Section* s = FindSection(sectionName);
  if (!s) {
    Section fresh;
    fresh.name = Text(sectionName);
    fresh.hasHeader = true;
    fresh.header = "[" + fresh.name + "]";
    sections_.push_back(std::move(fresh));
    index_.emplace(Fold(sectionName), sections_.size() - 1);
    s = &sections_.back();
  }
  Text folded = Fold(keyName);
  auto it = s->keys.find(folded);
  if (it != s->keys.end()) {
    Line& line = s->lines[it->second];
    line.raw = Text(KeyName(line.raw)) + "=" + stored;  // keeps the key's own spelling
  } else {
    s->lines.push_back(Line{Text(keyName) + "=" + stored, true});
    s->keys.emplace(std::move(folded), s->lines.size() - 1);
  }
  return true;
}

Bytes IniFile::Serialize() const {
  size_t size = 0;
  for (const Section& s : sections_) {
    size += s.header.size() + 2;
    for (const Line& l : s.lines) size += l.raw.size() + 2;
    for (const Bytes& b : s.trailing) size += b.size() + 2;
  }
  Bytes out;
  out.reserve(size);
  for (const Section& s : sections_) {
    if (s.hasHeader) out.append(s.header).append("\r\n");
    for (const Line& l : s.lines) out.append(l.raw).append("\r\n");
    for (const Bytes& b : s.trailing) out.append(b).append("\r\n");
  }
  return out;
}

bool IniFile::Save(const std::filesystem::path& file, std::string* error) const {
  std::filesystem::path temp = file;
  temp += ".tmp";
  auto fail = [&](const char* what, const std::string& reason) {
    std::error_code ec;
    // Only a file of our own goes: a directory in the way is not ours to delete.
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(temp, ec)))
      std::filesystem::remove(temp, ec);
    if (error) *error = what + reason;
    return false;
  };
  std::string reason;
  if (!platform::WriteWholeFile(temp, Serialize(), &reason))
    return fail("写入临时文件失败：", reason);
  if (!platform::ReplaceFile(temp, file, &reason)) return fail("替换配置文件失败：", reason);
  return true;
}

}  // namespace qw

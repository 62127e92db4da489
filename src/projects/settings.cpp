#include "projects/settings.h"

#include <algorithm>

#include "projects/ini_file.h"
#include "text/codepage.h"

namespace qw {
namespace {

const Text& ConfigSection() {
  static const Text text = Gbk("配置");
  return text;
}
const Text& CountKey() {
  static const Text text = Gbk("项目数");
  return text;
}
const Text& IntervalKey() {
  static const Text text = Gbk("频率");
  return text;
}

struct Field {
  const char* key;
  int column;
};

// Load order; `code` is a second copy of the site name that nothing reads.
constexpr Field kLoadedFields[] = {
    {"webname", kSiteNameColumn}, {"url", kUrlColumn},         {"title", kLastTitleColumn},
    {"lastT", kLastTimeColumn},   {"catalog", kCatalogColumn}, {"sort", kSortColumn},
    {"isagree", kAgreeColumn},    {"isgbk", kGbkColumn},       {"regular", kRegexColumn},
};
constexpr Field kSavedFields[] = {
    {"webname", kSiteNameColumn}, {"code", kSiteNameColumn},  {"url", kUrlColumn},
    {"title", kLastTitleColumn},  {"lastT", kLastTimeColumn}, {"catalog", kCatalogColumn},
    {"sort", kSortColumn},        {"isagree", kAgreeColumn},  {"isgbk", kGbkColumn},
    {"regular", kRegexColumn},
};

constexpr ColumnSpec kColumns[kProjectListColumns] = {
    {"", 20},   {"网站名", 90}, {"网址", 150}, {"最后文章", 80}, {"更新时间", 80}, {"栏", 16},
    {"类", 16}, {"审", 16},     {"gbk", 30},   {"正则", 150},    {"", 0},
};

Text FailureText(const std::string& reasonUtf8) { return SaveFailedText() + Gbk(reasonUtf8); }

}  // namespace

std::span<const ColumnSpec> ProjectListColumns() { return kColumns; }

std::filesystem::path SettingsPath(const std::filesystem::path& programDirectory) {
  return programDirectory / "wzconfig.inf";
}

Text SaveFailedText() { return Gbk(" wzconfig.inf 配置文件保存失败！"); }

Text ReadSetting(const std::filesystem::path& file, const Text& section, const Text& key) {
  IniFile ini;
  ini.Load(file);
  return ini.Get(section, key);
}

bool WriteSetting(const std::filesystem::path& file, const Text& section, const Text& key,
                  const Text& value, Text* error) {
  IniFile ini;
  std::string reason;
  bool ok = ini.Load(file, &reason);
  if (!ok) reason = "读取配置文件失败：" + reason;
  if (ok && !ini.Set(section, key, value)) {
    ok = false;
    reason = "节名或键名无法写入";
  }
  if (ok) ok = ini.Save(file, &reason);
  if (!ok && error) *error = FailureText(reason);
  return ok;
}

void LoadProjects(WindowOps& window, MonitorState& state, const std::filesystem::path& file) {
  // An unreadable file reads as a missing one, as the private-profile functions do.
  IniFile ini;
  ini.Load(file);
  window.DeleteAllRows(Control::ProjectList);
  int count = std::min(TextToInt(ini.Get(ConfigSection(), CountKey())), kMaxProjectCount);
  window.SetText(Control::IntervalEdit, ini.Get(ConfigSection(), IntervalKey()));
  for (int i = 1; i <= count; ++i) {
    int row = window.InsertRow(Control::ProjectList, -1);
    Text section = IntToText(i);
    window.SetCell(Control::ProjectList, row, kNumberColumn, section);
    for (const Field& f : kLoadedFields)
      window.SetCell(Control::ProjectList, row, f.column, ini.Get(section, f.key));
  }
  state.projectCount = window.RowCount(Control::ProjectList);
  window.SetStatusText(kStatusMessagePart,
                       Gbk(" 配置读取完毕，网页数：") + IntToText(state.projectCount));
}

void SaveProjects(WindowOps& window, const std::filesystem::path& file) {
  IniFile ini;
  std::string reason;
  // Saving over a file we could not read would throw away what it holds.
  if (!ini.Load(file, &reason)) {
    window.SetStatusText(kStatusMessagePart, FailureText("读取配置文件失败：" + reason));
    return;
  }
  int count = window.RowCount(Control::ProjectList);
  ini.Set(ConfigSection(), CountKey(), IntToText(count));
  ini.Set(ConfigSection(), IntervalKey(), window.GetText(Control::IntervalEdit));
  for (int i = 1; i <= count; ++i) {
    Text section = IntToText(i);
    for (const Field& f : kSavedFields)
      ini.Set(section, f.key, window.Cell(Control::ProjectList, i - 1, f.column));
  }
  if (!ini.Save(file, &reason)) {
    window.SetStatusText(kStatusMessagePart, FailureText(reason));
    return;
  }
  window.SetStatusText(kStatusMessagePart,
                       Gbk(" wzconfig.inf 配置文件保存成功！  论坛数：") + IntToText(count));
}

}  // namespace qw

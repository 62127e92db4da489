// Projects and the settings file wzconfig.inf.
//
// ProjectList is the only live copy of the projects; the file changes only when
// SaveProjects runs (and at the first start, when the software name is written).
#pragma once

#include <filesystem>
#include <span>

#include "monitor/monitor_state.h"
#include "text/text.h"
#include "window/window_ops.h"

namespace qw {

// ProjectList's columns.
enum ProjectColumn {
  kNumberColumn = 0,
  kSiteNameColumn = 1,
  kUrlColumn = 2,
  kLastTitleColumn = 3,
  kLastTimeColumn = 4,
  kCatalogColumn = 5,
  kSortColumn = 6,
  kAgreeColumn = 7,
  kGbkColumn = 8,
  kRegexColumn = 9,
};

struct ColumnSpec {
  const char* headerUtf8;
  int width;
};
// The eleven columns of ProjectList with their headers and widths.
std::span<const ColumnSpec> ProjectListColumns();

// The settings file beside the program.
std::filesystem::path SettingsPath(const std::filesystem::path& programDirectory);

// One value of the settings file, read as the Windows private-profile functions read it:
// empty when the file, section or key is missing (see IniFile::Get for the other rules).
Text ReadSetting(const std::filesystem::path& file, const Text& section, const Text& key);
// Writes one value, keeping everything else in the file. Returns false and sets error
// when the file cannot be written; the file is then unchanged. The error is the whole
// status-bar text: SaveFailedText() followed by the reason.
bool WriteSetting(const std::filesystem::path& file, const Text& section, const Text& key,
                  const Text& value, Text* error = nullptr);

// " wzconfig.inf 配置文件保存失败！", which begins every failed-save message.
Text SaveFailedText();

// Counts in "项目数" above this make this many rows: a damaged file must not exhaust memory.
inline constexpr int kMaxProjectCount = 10000;

// Fills ProjectList, IntervalEdit and state.projectCount from the file and reports the
// number of projects in StatusBar part 1.
void LoadProjects(WindowOps& window, MonitorState& state, const std::filesystem::path& file);
// Writes "项目数", "频率" and one section per row, numbered by row position, in one
// replacement of the file; sections above the count and everything else stay. Reports
// success or the reason of the failure in StatusBar part 1.
void SaveProjects(WindowOps& window, const std::filesystem::path& file);

}  // namespace qw

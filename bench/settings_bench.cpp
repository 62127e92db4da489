// LoadProjects and SaveProjects on a settings file with 1,000 projects.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "monitor/monitor_state.h"
#include "projects/settings.h"
#include "text/codepage.h"
#include "window/memory_window.h"

namespace {

constexpr int kProjects = 1000;

class SettingsDir {
 public:
  SettingsDir() {
    std::random_device random;
    dir_ =
        std::filesystem::temp_directory_path() / ("qw-settings-bench-" + std::to_string(random()));
    std::filesystem::create_directories(dir_);
  }
  ~SettingsDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::filesystem::path File() const { return qw::SettingsPath(dir_); }

 private:
  std::filesystem::path dir_;
};

void FillRows(qw::WindowOps& window) {
  const qw::Text site = qw::Gbk("卡饭论坛");
  const qw::Text title = qw::Gbk("【讨论】新版本发布后的一些使用体验与问题汇总");
  const qw::Text regex = "<a href=\"(thread-\\d+-1-1\\.html)\"[^>]*class=\"s xst\">(.*?)</a>";
  for (int i = 0; i < kProjects; ++i) {
    int row = window.InsertRow(qw::Control::ProjectList, -1);
    auto set = [&](int column, const qw::Text& text) {
      window.SetCell(qw::Control::ProjectList, row, column, text);
    };
    set(qw::kNumberColumn, qw::IntToText(i + 1));
    set(qw::kSiteNameColumn, site + qw::IntToText(i));
    set(qw::kUrlColumn, "https://bbs.example.cn/forum-" + qw::IntToText(i) + "-1.html");
    set(qw::kLastTitleColumn, title);
    set(qw::kLastTimeColumn, "12-01 08:30:00");
    set(qw::kCatalogColumn, "5");
    set(qw::kSortColumn, "0");
    set(qw::kAgreeColumn, "1");
    set(qw::kGbkColumn, i % 2 ? "1" : "0");
    set(qw::kRegexColumn, regex);
  }
}

void BM_LoadProjects(benchmark::State& state) {
  SettingsDir dir;
  qw::MemoryWindow source;
  FillRows(source);
  qw::SaveProjects(source, dir.File());
  qw::MemoryWindow window;
  qw::MonitorState monitor;
  for (auto _ : state) {
    qw::LoadProjects(window, monitor, dir.File());
    benchmark::DoNotOptimize(monitor.projectCount);
  }
  if (monitor.projectCount != kProjects) state.SkipWithError("wrong project count");
  state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(dir.File()));
}
BENCHMARK(BM_LoadProjects)->Unit(benchmark::kMillisecond);

// Includes flushing the new file to the disk and the rename.
void BM_SaveProjects(benchmark::State& state) {
  SettingsDir dir;
  qw::MemoryWindow window;
  FillRows(window);
  qw::SaveProjects(window, dir.File());  // later saves rewrite an existing file
  for (auto _ : state) qw::SaveProjects(window, dir.File());
  if (window.StatusText(qw::kStatusMessagePart) !=
      qw::Gbk(" wzconfig.inf 配置文件保存成功！  论坛数：1000"))
    state.SkipWithError("save failed");
}
BENCHMARK(BM_SaveProjects)->Unit(benchmark::kMillisecond);

}  // namespace

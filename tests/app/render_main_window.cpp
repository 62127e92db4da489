// Draws the main window off screen and saves it as a PNG: an empty start, or with a few
// sample rows in the lists and a chosen tab in front.
//   render_main_window OUT.png [tab]
#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

#include "app/main_window.h"
#include "app/qt_window.h"
#include "app/startup.h"
#include "app/widgets.h"
#include "text/codepage.h"

namespace {

void AddSampleRows(qw::WindowOps& window) {
  using qw::Control;
  using qw::Gbk;
  const char* const posts[][4] = {
      {"示例论坛", "新版本发布说明与更新日志", "2024-05-01 10:32:07"},
      {"示例论坛", "<b>标题里的标记照原样显示</b>", ""},
      {"技术交流", "求助：如何设置自动刷新间隔？", "2024-05-01 10:31:55"},
  };
  for (const auto& p : posts) {
    int row = window.InsertRow(Control::PostList, -1);
    window.SetCell(Control::PostList, row, 0, Gbk(p[0]));
    window.SetCell(Control::PostList, row, 1, Gbk(p[1]));
    window.SetCell(Control::PostList, row, 3, Gbk(p[2]));
  }
  const char* const projects[][4] = {
      {"示例论坛", "http://bbs.example.com/forum-2-1.html", "新版本发布说明与更新日志", "1"},
      {"技术交流", "http://tech.example.org/forum.php?mod=forumdisplay&fid=7",
       "求助：如何设置自动刷新间隔？", "0"},
  };
  for (const auto& p : projects) {
    int row = window.InsertRow(Control::ProjectList, -1);
    window.SetCell(Control::ProjectList, row, 0, qw::IntToText(row + 1));
    window.SetCell(Control::ProjectList, row, 1, Gbk(p[0]));
    window.SetCell(Control::ProjectList, row, 2, Gbk(p[1]));
    window.SetCell(Control::ProjectList, row, 3, Gbk(p[2]));
    window.SetCell(Control::ProjectList, row, 8, Gbk(p[3]));
  }
  window.SetStatusText(qw::kStatusMessagePart, Gbk(" 配置读取完毕，网页数：2"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.png [tab]\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPointSize(9);
  QApplication::setFont(font);

  qw::MainWindow window;
  qw::QtWindow ops(window);
  if (argc > 2) {
    AddSampleRows(ops);
    ops.SetCurrentTab(std::atoi(argv[2]));
  }
  window.show();
  QApplication::processEvents();
  if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}

#include "app/startup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "projects/settings.h"
#include "text/codepage.h"
#include "window/memory_window.h"

namespace qw {
namespace {

// The lines of a settings file, line endings and blank lines left out.
std::vector<Text> FileLines(const std::filesystem::path& file) {
  std::vector<Text> lines;
  Bytes bytes = ReadBytes(file);
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == Bytes::npos) end = bytes.size();
    Text line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

TEST(Startup, FirstStartWritesOnlyTheSoftwareName) {
  TempDir dir;
  AppWindow app;
  MonitorState state;
  AppContext context{app.ops, state, {}};
  OnMainWindowCreated(context, dir.path());

  EXPECT_EQ(context.settingsPath, dir.path() / "wzconfig.inf");
  std::vector<Text> expected = {Gbk("[配置]"), Gbk("软件名=Quillwatch (Discuz通用版) ")};
  EXPECT_EQ(FileLines(context.settingsPath), expected);
  EXPECT_EQ(app.window.windowTitle(), QStringLiteral("Quillwatch (Discuz通用版) v1.0"));
  // No "频率" in the file: the interval edit is emptied.
  EXPECT_EQ(app.window.findChild<QLineEdit*>(QStringLiteral("IntervalEdit"))->text(), QString());
  EXPECT_EQ(app.ops.RowCount(Control::ProjectList), 0);
  EXPECT_EQ(state.projectCount, 0);
  EXPECT_EQ(app.ops.StatusText(kStatusMessagePart), Gbk(" 配置读取完毕，网页数：0"));
}

TEST(Startup, StoredNameBecomesTheTitleAndTheFileStaysUntouched) {
  TempDir dir;
  const Bytes file =
      Gbk("[配置]\r\n软件名=论坛新帖助手\r\n项目数=2\r\n频率=60\r\n"
          "[1]\r\nwebname=示例论坛\r\nurl=http://bbs.example.com/forum-2-1.html\r\nisgbk=1\r\n"
          "[2]\r\nwebname=技术交流\r\nurl=http://tech.example.org/forum-7-1.html\r\nisgbk=0\r\n");
  const auto path = dir.path() / "wzconfig.inf";
  WriteBytes(path, file);
  auto writtenAt = std::filesystem::last_write_time(path);

  AppWindow app;
  MonitorState state;
  AppContext context{app.ops, state, {}};
  OnMainWindowCreated(context, dir.path());

  EXPECT_EQ(app.window.windowTitle(), QStringLiteral("论坛新帖助手 v1.0"));
  EXPECT_EQ(ReadBytes(path), file);
  EXPECT_EQ(std::filesystem::last_write_time(path), writtenAt);
  EXPECT_EQ(app.ops.GetText(Control::IntervalEdit), "60");
  ASSERT_EQ(app.ops.RowCount(Control::ProjectList), 2);
  EXPECT_EQ(app.ops.Cell(Control::ProjectList, 1, kSiteNameColumn), Gbk("技术交流"));
  EXPECT_EQ(state.projectCount, 2);
}

TEST(Startup, NameReadAsEmptyIsWrittenAgain) {
  struct Case {
    const char* fileUtf8;
    std::vector<const char*> linesAfterUtf8;
  };
  const Case cases[] = {
      // Blanks only read as empty.
      {"[配置]\r\n软件名=   \r\n", {"[配置]", "软件名=Quillwatch (Discuz通用版) "}},
      // Other sections stay as they were.
      {"[其他]\r\nkey=value\r\n",
       {"[其他]", "key=value", "[配置]", "软件名=Quillwatch (Discuz通用版) "}},
      {"[配置]\r\n项目数=0\r\n", {"[配置]", "项目数=0", "软件名=Quillwatch (Discuz通用版) "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fileUtf8);
    TempDir dir;
    WriteBytes(dir.path() / "wzconfig.inf", Gbk(c.fileUtf8));
    MemoryWindow window;
    MonitorState state;
    AppContext context{window, state, {}};
    OnMainWindowCreated(context, dir.path());
    std::vector<Text> expected;
    for (const char* line : c.linesAfterUtf8) expected.push_back(Gbk(line));
    EXPECT_EQ(FileLines(context.settingsPath), expected);
    EXPECT_EQ(window.GetText(Control::MainWindow), Gbk("Quillwatch (Discuz通用版) v1.0"));
  }
}

TEST(Startup, SecondStartShowsTheNameWrittenByTheFirst) {
  TempDir dir;
  for (int start = 0; start < 2; ++start) {
    MemoryWindow window;
    MonitorState state;
    AppContext context{window, state, {}};
    OnMainWindowCreated(context, dir.path());
    // The stored name loses its trailing blank on reading, so the title is the same.
    EXPECT_EQ(window.GetText(Control::MainWindow), Gbk("Quillwatch (Discuz通用版) v1.0"));
  }
  EXPECT_EQ(FileLines(dir.path() / "wzconfig.inf").size(), 2u);
}

TEST(Startup, NameThatCannotBeWrittenIsReported) {
  TempDir dir;
  // The program's folder is a file, so nothing can be written beside it.
  auto notAFolder = dir.path() / "program";
  WriteBytes(notAFolder, "x");
  MemoryWindow window;
  MonitorState state;
  AppContext context{window, state, {}};
  OnMainWindowCreated(context, notAFolder);
  EXPECT_EQ(window.GetText(Control::MainWindow), Gbk("Quillwatch (Discuz通用版) v1.0"));
  Text status = window.StatusText(kStatusMessagePart);
  EXPECT_EQ(status.rfind(SaveFailedText(), 0), 0u) << Utf8(status);
  EXPECT_GT(status.size(), SaveFailedText().size());
  EXPECT_EQ(window.RowCount(Control::ProjectList), 0);
}

}  // namespace
}  // namespace qw

namespace qw {
namespace {

TEST(Program, RunsUntilTheWindowIsClosed) {
  TempDir dir;
  QString titleShown;
  bool visible = false;
  QTimer::singleShot(50, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() != QStringLiteral("MainWindow")) continue;
      titleShown = w->windowTitle();
      visible = w->isVisible();
      w->close();
    }
  });
  auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
  ASSERT_NE(application, nullptr);
  EXPECT_EQ(RunProgram(*application, dir.path()), 0);
  EXPECT_TRUE(visible);
  EXPECT_EQ(titleShown, QStringLiteral("Quillwatch (Discuz通用版) v1.0"));
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "wzconfig.inf"));
  // Everything the program made went with it.
  for (QWidget* w : QApplication::topLevelWidgets())
    EXPECT_NE(w->objectName(), QStringLiteral("MainWindow"));
}

}  // namespace
}  // namespace qw

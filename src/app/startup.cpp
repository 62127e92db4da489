#include "app/startup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

#include "app/event_table.h"
#include "app/main_window.h"
#include "app/qt_window.h"
#include "projects/settings.h"
#include "text/codepage.h"

namespace qw {

void OnMainWindowCreated(AppContext& app, const std::filesystem::path& programDirectory) {
  app.settingsPath = SettingsPath(programDirectory);
  const Text section = Gbk("配置");
  const Text key = Gbk("软件名");
  Text name = ReadSetting(app.settingsPath, section, key);
  Text writeError;
  if (CompareText(name, "") == 0) {
    WriteSetting(app.settingsPath, section, key, Gbk("Quillwatch (Discuz通用版) "), &writeError);
  } else {
    app.window.SetText(Control::MainWindow, JoinTexts({name, " v1.0"}));
  }
  LoadProjects(app.window, app.state, app.settingsPath);
  // Shown after the load, whose own report would otherwise hide it at once.
  if (!writeError.empty()) app.window.SetStatusText(kStatusMessagePart, writeError);
}

int RunProgram(QApplication& application, const std::filesystem::path& programDirectory) {
  // Declared in this order so that they are released in reverse: nothing outlives the window.
  MainWindow window;
  QtWindow windowOps(window);
  MonitorState state;
  AppContext app{windowOps, state, {}};
  BindEvents(window, DefaultEventHandlers(app));
  OnMainWindowCreated(app, programDirectory);
  window.show();
  return application.exec();
}

void UseFormFont(QApplication& application) {
  QFont font = QApplication::font();
#ifndef Q_OS_WIN
  const QString cjkFace = QStringLiteral("WenQuanYi Micro Hei");
  if (QFontDatabase::families().contains(cjkFace)) font.setFamily(cjkFace);
#endif
  font.setPointSize(9);
  application.setFont(font);
}

}  // namespace qw

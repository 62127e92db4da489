#include "app/startup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

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

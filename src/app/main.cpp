#include <QApplication>

#include "app/event_table.h"
#include "app/handlers.h"
#include "app/main_window.h"
#include "app/qt_window.h"
#include "app/startup.h"
#include "monitor/monitor_state.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  qw::UseFormFont(application);

  // Declared in this order so that they are released in reverse: nothing outlives the window.
  qw::MainWindow window;
  qw::QtWindow windowOps(window);
  qw::MonitorState state;
  qw::AppContext app{windowOps, state, {}};
  qw::BindEvents(window, qw::DefaultEventHandlers(app));

  qw::OnMainWindowCreated(app, qw::platform::ProgramDirectory());
  window.show();
  return application.exec();
}

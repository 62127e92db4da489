#include <QApplication>

#include "app/startup.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  qw::UseFormFont(application);
  return qw::RunProgram(application, qw::platform::ProgramDirectory());
}

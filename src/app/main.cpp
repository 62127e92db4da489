#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("Quillwatch (Discuz通用版) v1.0"));
  window.resize(679, 521);
  window.show();
  return app.exec();
}

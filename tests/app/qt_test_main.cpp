// The Qt tests run without a display, on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#if defined(__SANITIZE_THREAD__)
// Qt's libraries are not built with ThreadSanitizer: memory they hand between their own
// threads (thread pool, event queue) is synchronized through futexes it cannot see. Only
// the calls those libraries make themselves are ignored; our code stays checked.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n";
}
#endif

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication application(argc, argv);
  return RUN_ALL_TESTS();
}

// The program's window as the tests build it: MainWindow with its QtWindow, the message
// box and the browser replaced by recorders.
#pragma once

#include <filesystem>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/qt_window.h"
#include "support/temp_dir.h"

namespace qw {

struct AppWindow {
  AppWindow();

  MainWindow window;
  QtWindow ops{window};
  std::vector<std::pair<Text, Text>> messages;  // text, title
  std::vector<Text> opened;
};

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

}  // namespace qw

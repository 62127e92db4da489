// The program's window as the tests build it: MainWindow with its QtWindow, the message
// box and the browser replaced by recorders.
#pragma once

#include <filesystem>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/qt_window.h"

namespace qw {

struct AppWindow {
  AppWindow();

  MainWindow window;
  QtWindow ops{window};
  std::vector<std::pair<Text, Text>> messages;  // text, title
  std::vector<Text> opened;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

Bytes ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const Bytes& bytes);

}  // namespace qw

#include "app_fixture.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace qw {

AppWindow::AppWindow() {
  ops.SetMessageBoxHook(
      [this](const Text& text, const Text& title) { messages.emplace_back(text, title); });
  ops.SetBrowserHook([this](const Text& address) { opened.push_back(address); });
}

TempDir::TempDir() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = std::filesystem::temp_directory_path() /
                     ("quillwatch-app-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

Bytes ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& file, const Bytes& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
}

}  // namespace qw

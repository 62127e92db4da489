#include "app_fixture.h"

namespace qw {

AppWindow::AppWindow() {
  ops.SetMessageBoxHook(
      [this](const Text& text, const Text& title) { messages.emplace_back(text, title); });
  ops.SetBrowserHook([this](const Text& address) { opened.push_back(address); });
}

}  // namespace qw

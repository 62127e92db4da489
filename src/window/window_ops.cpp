#include "window/window_ops.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "text/codepage.h"

namespace qw {

const char* ControlName(Control control) {
  switch (control) {
    case Control::MainWindow: return "MainWindow";
    case Control::IntervalEdit: return "IntervalEdit";
    case Control::RunButton: return "RunButton";
    case Control::LoadConfigButton: return "LoadConfigButton";
    case Control::SaveConfigButton: return "SaveConfigButton";
    case Control::MainTabs: return "MainTabs";
    case Control::StatusBar: return "StatusBar";
    case Control::WelcomeView: return "WelcomeView";
    case Control::PostList: return "PostList";
    case Control::ProjectList: return "ProjectList";
    case Control::ProjectGroup: return "ProjectGroup";
    case Control::PostHandlingGroup: return "PostHandlingGroup";
    case Control::PageTextView: return "PageTextView";
    case Control::SiteNameEdit: return "SiteNameEdit";
    case Control::GbkCheck: return "GbkCheck";
    case Control::ListUrlEdit: return "ListUrlEdit";
    case Control::LastPostEdit: return "LastPostEdit";
    case Control::RegexCombo: return "RegexCombo";
    case Control::SaveToEdit: return "SaveToEdit";
    case Control::SubmitButton: return "SubmitButton";
    case Control::TestButton: return "TestButton";
    case Control::PostUrlEdit: return "PostUrlEdit";
    case Control::CatalogEdit: return "CatalogEdit";
    case Control::SortEdit: return "SortEdit";
    case Control::AgreeEdit: return "AgreeEdit";
  }
  return "";
}

int ColumnCount(Control list) {
  if (list == Control::ProjectList) return kProjectListColumns;
  if (list == Control::PostList) return kPostListColumns;
  return 0;
}

bool IsWebAddress(const Text& address) {
  return FindText(address, "http://", 1, true) == 1 || FindText(address, "https://", 1, true) == 1;
}

Text RefusedAddressMessage(const Text& address) {
  return JoinTexts({Gbk(" 不是网页地址，已拒绝打开："), address});
}

void WindowOps::MessageBox(const Text& text, const Text& title) {
  ShowMessageBox(text, title.empty() ? Gbk("信息：") : title);
}

void WindowOps::OpenAddress(const Text& address) {
  if (address.empty()) return;
  if (!IsWebAddress(address)) {
    SetStatusText(kStatusMessagePart, RefusedAddressMessage(address));
    return;
  }
  LaunchBrowser(address);
}

bool WindowOps::Wait(int milliseconds, std::stop_token stop) {
  if (milliseconds <= 0) return !stop.stop_requested();
  return WaitFor(milliseconds, stop);
}

bool WindowOps::Sleep(int milliseconds, const std::stop_token& stop) {
  std::mutex m;
  std::condition_variable_any cv;
  std::unique_lock lock(m);
  // "More than" the given time: a microsecond past it.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds) +
                  std::chrono::microseconds(1);
  cv.wait_until(lock, stop, deadline, [] { return false; });
  return !stop.stop_requested();
}

}  // namespace qw

// A window held in memory: every control the logic addresses, with the same initial
// state as the main window. Serves the tests and runs without a display. Safe to call
// from any thread.
#pragma once

#include <map>
#include <mutex>
#include <vector>

#include "window/window_ops.h"

namespace qw {

class MemoryWindow : public WindowOps {
 public:
  MemoryWindow();

  Text GetText(Control control) override;
  void SetText(Control control, const Text& text) override;
  bool IsDisabled(Control control) override;
  void SetDisabled(Control control, bool disabled) override;
  bool IsTicked(Control control) override;
  void SetTicked(Control control, bool ticked) override;
  int CurrentTab() override;
  void SetCurrentTab(int index) override;

  int InsertRow(Control list, int position) override;
  void SetCell(Control list, int row, int column, const Text& text) override;
  Text Cell(Control list, int row, int column) override;
  int RowCount(Control list) override;
  void DeleteRow(Control list, int row) override;
  void DeleteAllRows(Control list) override;
  int SelectedRow(Control list) override;
  void SelectRow(Control list, int row) override;

  void SetStatusText(int part, const Text& text) override;
  Text StatusText(int part) override;
  void PopupRuleMenu() override;
  void HandlePendingEvents() override {}

  // What the window was asked to show, for tests.
  struct Message {
    Text text, title;
  };
  std::vector<Message> Messages();
  std::vector<Text> OpenedAddresses();
  int RuleMenuPopups();

 protected:
  void ShowMessageBox(const Text& text, const Text& title) override;
  void LaunchBrowser(const Text& address) override;
  bool WaitFor(int milliseconds, std::stop_token stop) override;

 private:
  struct ControlState {
    Text text;
    bool disabled = false;
    bool ticked = false;
  };
  struct ListState {
    std::vector<std::vector<Text>> rows;
    int selected = -1;
  };
  ListState* FindList(Control list);  // caller holds mutex_

  std::mutex mutex_;
  std::map<Control, ControlState> controls_;
  std::map<Control, ListState> lists_;
  Text status_[kStatusPartCount];
  int currentTab_ = 0;
  std::vector<Message> messages_;
  std::vector<Text> opened_;
  int popups_ = 0;
};

}  // namespace qw

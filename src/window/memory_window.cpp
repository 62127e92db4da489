#include "window/memory_window.h"

#include "text/codepage.h"
#include "window/initial_state.h"

namespace qw {

MemoryWindow::MemoryWindow() {
  for (const InitialControlState& s : InitialControlStates())
    controls_[s.control] = ControlState{Gbk(s.textUtf8), s.disabled, s.ticked};
  lists_[Control::PostList] = {};
  lists_[Control::ProjectList] = {};
  for (int part = 0; part < kStatusPartCount; ++part)
    status_[part] = Gbk(InitialStatusTextUtf8(part));
}

Text MemoryWindow::GetText(Control control) {
  std::lock_guard lock(mutex_);
  return controls_[control].text;
}

void MemoryWindow::SetText(Control control, const Text& text) {
  std::lock_guard lock(mutex_);
  controls_[control].text = BytesToText(text);
}

bool MemoryWindow::IsDisabled(Control control) {
  std::lock_guard lock(mutex_);
  return controls_[control].disabled;
}

void MemoryWindow::SetDisabled(Control control, bool disabled) {
  std::lock_guard lock(mutex_);
  controls_[control].disabled = disabled;
}

bool MemoryWindow::IsTicked(Control control) {
  std::lock_guard lock(mutex_);
  return controls_[control].ticked;
}

void MemoryWindow::SetTicked(Control control, bool ticked) {
  std::lock_guard lock(mutex_);
  controls_[control].ticked = ticked;
}

int MemoryWindow::CurrentTab() {
  std::lock_guard lock(mutex_);
  return currentTab_;
}

void MemoryWindow::SetCurrentTab(int index) {
  std::lock_guard lock(mutex_);
  if (index >= 0 && index < kTabCount) currentTab_ = index;
}

MemoryWindow::ListState* MemoryWindow::FindList(Control list) {
  auto it = lists_.find(list);
  return it == lists_.end() ? nullptr : &it->second;
}

int MemoryWindow::InsertRow(Control list, int position) {
  std::lock_guard lock(mutex_);
  ListState* l = FindList(list);
  if (!l) return -1;
  int count = static_cast<int>(l->rows.size());
  if (position < 0 || position > count) position = count;
  l->rows.insert(l->rows.begin() + position, std::vector<Text>(ColumnCount(list)));
  if (l->selected >= position) ++l->selected;
  return position;
}

void MemoryWindow::SetCell(Control list, int row, int column, const Text& text) {
  std::lock_guard lock(mutex_);
  ListState* l = FindList(list);
  if (!l || row < 0 || row >= static_cast<int>(l->rows.size())) return;
  if (column < 0 || column >= ColumnCount(list)) return;
  l->rows[row][column] = BytesToText(text);
}

Text MemoryWindow::Cell(Control list, int row, int column) {
  std::lock_guard lock(mutex_);
  ListState* l = FindList(list);
  if (!l || row < 0 || row >= static_cast<int>(l->rows.size())) return {};
  if (column < 0 || column >= ColumnCount(list)) return {};
  return l->rows[row][column];
}

int MemoryWindow::RowCount(Control list) {
  std::lock_guard lock(mutex_);
  ListState* l = FindList(list);
  return l ? static_cast<int>(l->rows.size()) : 0;
}

void MemoryWindow::DeleteRow(Control list, int row) {
  std::lock_guard lock(mutex_);
  ListState* l = FindList(list);
  if (!l || row < 0 || row >= static_cast<int>(l->rows.size())) return;
  l->rows.erase(l->rows.begin() + row);
  if (l->selected == row)
    l->selected = -1;
  else if (l->selected > row)
    --l->selected;
}

void MemoryWindow::DeleteAllRows(Control list) {
  std::lock_guard lock(mutex_);
  if (ListState* l = FindList(list)) {
    l->rows.clear();
    l->selected = -1;
  }
}

int MemoryWindow::SelectedRow(Control list) {
  std::lock_guard lock(mutex_);
  ListState* l = FindList(list);
  return l ? l->selected : -1;
}

void MemoryWindow::SelectRow(Control list, int row) {
  std::lock_guard lock(mutex_);
  ListState* l = FindList(list);
  if (!l) return;
  l->selected = (row >= 0 && row < static_cast<int>(l->rows.size())) ? row : -1;
}

void MemoryWindow::SetStatusText(int part, const Text& text) {
  std::lock_guard lock(mutex_);
  if (part >= 0 && part < kStatusPartCount) status_[part] = BytesToText(text);
}

Text MemoryWindow::StatusText(int part) {
  std::lock_guard lock(mutex_);
  return (part >= 0 && part < kStatusPartCount) ? status_[part] : Text();
}

void MemoryWindow::PopupRuleMenu() {
  std::lock_guard lock(mutex_);
  ++popups_;
}

void MemoryWindow::ShowMessageBox(const Text& text, const Text& title) {
  std::lock_guard lock(mutex_);
  messages_.push_back({text, title});
}

void MemoryWindow::LaunchBrowser(const Text& address) {
  std::lock_guard lock(mutex_);
  opened_.push_back(address);
}

bool MemoryWindow::WaitFor(int milliseconds, std::stop_token stop) {
  return Sleep(milliseconds, stop);  // no window events here
}

std::vector<MemoryWindow::Message> MemoryWindow::Messages() {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<Text> MemoryWindow::OpenedAddresses() {
  std::lock_guard lock(mutex_);
  return opened_;
}

int MemoryWindow::RuleMenuPopups() {
  std::lock_guard lock(mutex_);
  return popups_;
}

}  // namespace qw

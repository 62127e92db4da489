#include "app/qt_window.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEventLoop>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "app/main_window.h"
#include "app/widget_text.h"
#include "app/widgets.h"

namespace qw {
namespace {

// How often a wait on the window's thread looks whether it was asked to stop.
constexpr int kStopPollMs = 15;

}  // namespace

struct QtWindow::CallChannel {
  struct PendingCall {
    const std::function<void()>* call;
    bool done = false;
  };
  std::mutex mutex;
  std::condition_variable done;
  std::deque<PendingCall*> pending;
  bool closed = false;
};

QtWindow::QtWindow(MainWindow& window)
    : window_(window), channel_(std::make_shared<CallChannel>()) {}

QtWindow::~QtWindow() {
  std::lock_guard lock(channel_->mutex);
  channel_->closed = true;
  for (CallChannel::PendingCall* pending : channel_->pending) pending->done = true;
  channel_->pending.clear();
  channel_->done.notify_all();
}

bool QtWindow::OnWindowThread() const { return QThread::currentThread() == thread(); }

void QtWindow::OnWindowThread(const std::function<void()>& call) {
  if (OnWindowThread()) {
    call();
    return;
  }
  // The call travels through our own queue under our own lock; the queued slot only wakes
  // the window's thread and carries nothing.
  std::shared_ptr<CallChannel> channel = channel_;
  CallChannel::PendingCall pending{&call};
  std::unique_lock lock(channel->mutex);
  if (channel->closed) return;
  channel->pending.push_back(&pending);
  // Posted under the lock, so that this object cannot be destroyed meanwhile.
  QMetaObject::invokeMethod(this, "RunPendingCalls", Qt::QueuedConnection);
  channel->done.wait(lock, [&] { return pending.done; });
}

int QtWindow::WaitingCallers() const {
  std::lock_guard lock(channel_->mutex);
  return static_cast<int>(channel_->pending.size());
}

void QtWindow::RunPendingCalls() {
  std::shared_ptr<CallChannel> channel = channel_;
  for (;;) {
    CallChannel::PendingCall* pending = nullptr;
    {
      std::lock_guard lock(channel->mutex);
      if (channel->pending.empty()) return;
      pending = channel->pending.front();
      channel->pending.pop_front();
    }
    (*pending->call)();
    {
      std::lock_guard lock(channel->mutex);
      pending->done = true;
    }
    channel->done.notify_all();
  }
}

QWidget* QtWindow::Widget(Control control) const { return window_.ControlWidget(control); }

QTreeWidget* QtWindow::List(Control list) const {
  if (list == Control::PostList) return window_.PostList();
  if (list == Control::ProjectList) return window_.ProjectList();
  return nullptr;
}

Text QtWindow::GetText(Control control) {
  Text text;
  OnWindowThread([&] { text = FromQString(WidgetText(Widget(control))); });
  return text;
}

void QtWindow::SetText(Control control, const Text& text) {
  OnWindowThread([&] { SetWidgetText(Widget(control), ToQString(text)); });
}

bool QtWindow::IsDisabled(Control control) {
  bool disabled = false;
  OnWindowThread([&] {
    if (QWidget* w = Widget(control)) disabled = !w->isEnabled();
  });
  return disabled;
}

void QtWindow::SetDisabled(Control control, bool disabled) {
  OnWindowThread([&] {
    if (QWidget* w = Widget(control)) w->setEnabled(!disabled);
  });
}

bool QtWindow::IsTicked(Control control) {
  bool ticked = false;
  OnWindowThread([&] {
    if (auto* button = qobject_cast<QAbstractButton*>(Widget(control)))
      ticked = button->isCheckable() && button->isChecked();
  });
  return ticked;
}

void QtWindow::SetTicked(Control control, bool ticked) {
  OnWindowThread([&] {
    auto* button = qobject_cast<QAbstractButton*>(Widget(control));
    if (button && button->isCheckable()) button->setChecked(ticked);
  });
}

int QtWindow::CurrentTab() {
  int index = 0;
  OnWindowThread([&] { index = window_.MainTabs()->currentIndex(); });
  return index;
}

void QtWindow::SetCurrentTab(int index) {
  OnWindowThread([&] { window_.MainTabs()->setCurrentIndex(index); });
}

int QtWindow::InsertRow(Control list, int position) {
  int row = -1;
  OnWindowThread([&] {
    QTreeWidget* view = List(list);
    if (!view) return;
    int count = view->topLevelItemCount();
    row = (position < 0 || position > count) ? count : position;
    view->insertTopLevelItem(row, new QTreeWidgetItem());
  });
  return row;
}

void QtWindow::SetCell(Control list, int row, int column, const Text& text) {
  OnWindowThread([&] {
    QTreeWidget* view = List(list);
    if (!view || row < 0 || row >= view->topLevelItemCount()) return;
    if (column < 0 || column >= ColumnCount(list)) return;
    view->topLevelItem(row)->setText(column, ToQString(text));
  });
}

Text QtWindow::Cell(Control list, int row, int column) {
  Text text;
  OnWindowThread([&] {
    QTreeWidget* view = List(list);
    if (!view || row < 0 || row >= view->topLevelItemCount()) return;
    if (column < 0 || column >= ColumnCount(list)) return;
    text = FromQString(view->topLevelItem(row)->text(column));
  });
  return text;
}

int QtWindow::RowCount(Control list) {
  int count = 0;
  OnWindowThread([&] {
    if (QTreeWidget* view = List(list)) count = view->topLevelItemCount();
  });
  return count;
}

void QtWindow::DeleteRow(Control list, int row) {
  OnWindowThread([&] {
    QTreeWidget* view = List(list);
    if (!view || row < 0 || row >= view->topLevelItemCount()) return;
    bool wasSelected = view->topLevelItem(row)->isSelected();
    delete view->takeTopLevelItem(row);
    // The view would pass the selection on to a neighbour; a list control drops it.
    if (wasSelected) view->selectionModel()->clear();
  });
}

void QtWindow::DeleteAllRows(Control list) {
  OnWindowThread([&] {
    if (QTreeWidget* view = List(list)) view->clear();
  });
}

int QtWindow::SelectedRow(Control list) {
  int first = -1;
  OnWindowThread([&] {
    QTreeWidget* view = List(list);
    if (!view) return;
    for (QTreeWidgetItem* item : view->selectedItems()) {
      int row = view->indexOfTopLevelItem(item);
      if (row >= 0 && (first < 0 || row < first)) first = row;
    }
  });
  return first;
}

void QtWindow::SelectRow(Control list, int row) {
  OnWindowThread([&] {
    QTreeWidget* view = List(list);
    if (!view) return;
    QTreeWidgetItem* item =
        (row >= 0 && row < view->topLevelItemCount()) ? view->topLevelItem(row) : nullptr;
    if (item) {
      view->setCurrentItem(item);
    } else {
      view->clearSelection();
    }
  });
}

void QtWindow::SetStatusText(int part, const Text& text) {
  OnWindowThread([&] {
    if (QLabel* label = window_.Status()->Part(part)) label->setText(ToQString(text));
  });
}

Text QtWindow::StatusText(int part) {
  Text text;
  OnWindowThread([&] {
    if (QLabel* label = window_.Status()->Part(part)) text = FromQString(label->text());
  });
  return text;
}

void QtWindow::PopupRuleMenu() {
  OnWindowThread([&] { window_.RuleMenu()->popup(QCursor::pos() + QPoint(3, 3)); });
}

void QtWindow::HandlePendingEvents() {
  if (OnWindowThread()) QCoreApplication::processEvents();
}

void QtWindow::ShowMessageBox(const Text& text, const Text& title) {
  OnWindowThread([&] {
    if (messageBoxHook_) {
      messageBoxHook_(text, title);
      return;
    }
    QMessageBox box(QMessageBox::NoIcon, ToQString(title), ToQString(text), QMessageBox::Ok,
                    &window_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
  });
}

void QtWindow::LaunchBrowser(const Text& address) {
  OnWindowThread([&] {
    if (browserHook_) {
      browserHook_(address);
      return;
    }
    QDesktopServices::openUrl(QUrl(ToQString(address), QUrl::TolerantMode));
  });
}

bool QtWindow::WaitFor(int milliseconds, std::stop_token stop) {
  if (OnWindowThread()) return WaitOnWindowThread(milliseconds, stop);
  return Sleep(milliseconds, stop);  // another thread has no window events
}

bool QtWindow::WaitOnWindowThread(int milliseconds, const std::stop_token& stop) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  QEventLoop loop;
  bool quitByUs = false;
  auto check = [&] {
    if (stop.stop_requested() || Clock::now() > deadline) {
      quitByUs = true;
      loop.quit();
    }
  };
  QTimer poll;
  poll.setInterval(kStopPollMs);
  QObject::connect(&poll, &QTimer::timeout, &loop, check);
  QTimer end;
  end.setSingleShot(true);
  end.setTimerType(Qt::PreciseTimer);
  QObject::connect(&end, &QTimer::timeout, &loop, [&] {
    check();
    // A timer may fire a hair early; look again shortly.
    if (!quitByUs) end.start(1);
  });
  poll.start();
  end.start(milliseconds + 1);
  check();
  if (!quitByUs) loop.exec();
  if (stop.stop_requested()) return false;
  // Leaving before the time without a stop means the application is quitting.
  return quitByUs;
}

}  // namespace qw

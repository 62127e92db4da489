// The window operations carried out on the Qt main window.
//
// A call from another thread is queued to the window's thread and waits there until it has
// been carried out, so no widget is ever touched off the window's thread. That thread must
// keep handling events (its event loop, a Wait or HandlePendingEvents) while other threads
// call in; it must never block waiting for such a thread. Other threads must stop calling
// before the object is destroyed; a call waiting at that moment is let go undone.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "window/window_ops.h"

class QTreeWidget;
class QWidget;

namespace qw {

class MainWindow;

class QtWindow : public QObject, public WindowOps {
  Q_OBJECT

 public:
  // The window must outlive this object; both live on the window's thread.
  explicit QtWindow(MainWindow& window);
  ~QtWindow() override;

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
  void HandlePendingEvents() override;

  // Stand-ins for the modal message box and the desktop's browser, so that tests neither
  // block nor open anything. Set them on the window's thread before other threads call in.
  using MessageBoxHook = std::function<void(const Text& text, const Text& title)>;
  using BrowserHook = std::function<void(const Text& address)>;
  void SetMessageBoxHook(MessageBoxHook hook) { messageBoxHook_ = std::move(hook); }
  void SetBrowserHook(BrowserHook hook) { browserHook_ = std::move(hook); }

 protected:
  void ShowMessageBox(const Text& text, const Text& title) override;
  // The one place where an address leaves the program for the desktop's browser.
  void LaunchBrowser(const Text& address) override;
  bool WaitFor(int milliseconds, std::stop_token stop) override;
  // How many callers from other threads wait for their calls to be carried out. Taken under
  // the hand-over's lock, so everything a caller did before it called in is visible after.
  int WaitingCallers() const;

 private slots:
  void RunPendingCalls();

 private:
  struct CallChannel;

  bool OnWindowThread() const;
  // Runs call on the window's thread and returns when it has run (or the window is gone).
  void OnWindowThread(const std::function<void()>& call);
  bool WaitOnWindowThread(int milliseconds, const std::stop_token& stop);
  QWidget* Widget(Control control) const;
  QTreeWidget* List(Control list) const;

  MainWindow& window_;
  MessageBoxHook messageBoxHook_;
  BrowserHook browserHook_;

  // The hand-over of calls from other threads; a waiting caller shares it, so that it
  // outlives this object while the caller is let go.
  std::shared_ptr<CallChannel> channel_;
};

}  // namespace qw

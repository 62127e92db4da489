#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "app/widgets.h"
#include "app_fixture.h"
#include "text/codepage.h"
#include "window_contract.h"

namespace qw {
namespace {

using Clock = std::chrono::steady_clock;

class QtWindowUnderTest : public WindowUnderTest {
 public:
  QtWindowUnderTest() {
    QObject::connect(app_.window.RuleMenu(), &QMenu::aboutToShow, [this] { ++popups_; });
  }
  ~QtWindowUnderTest() override { app_.window.RuleMenu()->close(); }
  WindowOps& Ops() override { return app_.ops; }
  std::vector<std::pair<Text, Text>> Messages() override { return app_.messages; }
  std::vector<Text> OpenedAddresses() override { return app_.opened; }
  int RuleMenuPopups() override { return popups_; }

 private:
  AppWindow app_;
  int popups_ = 0;
};

std::unique_ptr<WindowUnderTest> MakeQtWindow() { return std::make_unique<QtWindowUnderTest>(); }

INSTANTIATE_TEST_SUITE_P(Qt, WindowContract, ::testing::Values(WindowFactory{"Qt", &MakeQtWindow}));

// Spins the window thread's events until done() holds or the time is up.
template <typename Done>
bool PumpUntil(Done done, int milliseconds = 5000) {
  auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done() && Clock::now() < deadline) {
    QApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

// Holds back the window thread's handling of calls from other threads, so that a test sees
// a caller that is waiting for it.
class HeldQtWindow : public QtWindow {
 public:
  using QtWindow::QtWindow;
  bool callArrived = false;
  // Read through the hand-over's lock: the caller's own steps before it called in (such as
  // looking up the virtual call) are then ordered before whatever the test does next.
  bool CallerWaits() const { return callArrived && WaitingCallers() == 1; }

  void Release() {
    held_ = false;
    QMetaObject::invokeMethod(this, "RunPendingCalls", Qt::QueuedConnection);
  }

 protected:
  bool event(QEvent* e) override {
    if (held_ && e->type() == QEvent::MetaCall) {
      callArrived = true;
      return true;
    }
    return QtWindow::event(e);
  }

 private:
  bool held_ = true;
};

TEST(QtWindow, CallFromAnotherThreadWaitsForTheWindowThread) {
  MainWindow window;
  HeldQtWindow ops(window);
  QLabel* part = window.Status()->Part(kStatusMessagePart);
  std::atomic<bool> returned{false};
  std::jthread worker([&] {
    ops.SetStatusText(kStatusMessagePart, Gbk(" 正在获取..."));
    returned = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return ops.CallerWaits(); }));
  // Arrived but not carried out yet: the widget is untouched and the caller still waits.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(returned);
  EXPECT_EQ(part->text(), QString());
  ops.Release();
  ASSERT_TRUE(PumpUntil([&] { return returned.load(); }));
  EXPECT_EQ(part->text(), QStringLiteral(" 正在获取..."));
}

TEST(QtWindow, DestroyingTheWindowLetsAWaitingCallerGo) {
  MainWindow window;
  auto ops = std::make_unique<HeldQtWindow>(window);
  WindowOps* caller = ops.get();
  std::atomic<bool> returned{false};
  Text text = "unset";
  std::jthread worker([caller, &text, &returned] {
    text = caller->GetText(Control::IntervalEdit);
    returned = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return ops->CallerWaits(); }));
  EXPECT_FALSE(returned);
  ops.reset();
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_EQ(text, "");
}

TEST(QtWindow, WaitKeepsTheWindowResponsive) {
  AppWindow app;
  bool fired = false;
  QTimer::singleShot(10, [&] { fired = true; });
  auto start = Clock::now();
  EXPECT_TRUE(app.ops.Wait(80));
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(80));
  EXPECT_TRUE(fired);
}

TEST(QtWindow, WaitEndsWhenTheProgramQuits) {
  AppWindow app;
  bool fullTime = true;
  auto elapsed = Clock::duration::max();
  QTimer::singleShot(0, [&] {
    auto start = Clock::now();
    fullTime = app.ops.Wait(10000);
    elapsed = Clock::now() - start;
  });
  QTimer::singleShot(30, [] { QCoreApplication::exit(0); });
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_FALSE(fullTime);
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

TEST(QtWindow, HandlePendingEventsRunsQueuedEvents) {
  AppWindow app;
  bool ran = false;
  QMetaObject::invokeMethod(
      &app.window, [&] { ran = true; }, Qt::QueuedConnection);
  EXPECT_FALSE(ran);
  app.ops.HandlePendingEvents();
  EXPECT_TRUE(ran);
}

TEST(QtWindow, MessageBoxIsModalPlainTextWithTheDefaultTitle) {
  MainWindow window;
  QtWindow ops(window);  // no stand-in: the real box
  window.show();
  QString title, text;
  Qt::TextFormat format = Qt::RichText;
  QMessageBox::Icon icon = QMessageBox::Warning;
  int buttons = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    format = box->textFormat();
    icon = box->icon();
    buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
  ops.MessageBox(Gbk("<b>粗体</b><img src=\"http://example.com/x.png\">"));
  EXPECT_EQ(title, QStringLiteral("信息："));
  EXPECT_EQ(text, QStringLiteral("<b>粗体</b><img src=\"http://example.com/x.png\">"));
  EXPECT_EQ(format, Qt::PlainText);
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_EQ(buttons, 1);
}

TEST(QtWindow, ForumTextsShowAsPlainText) {
  AppWindow app;
  const Text markup = "<b>bold</b><img src=\"http://example.com/a.png\">";
  app.ops.SetStatusText(kStatusMessagePart, markup);
  QLabel* part = app.window.Status()->Part(kStatusMessagePart);
  EXPECT_EQ(part->textFormat(), Qt::PlainText);
  EXPECT_EQ(part->text(), QString::fromStdString(markup));
  // Shown as plain text, the tags take room of their own.
  QLabel rich;
  rich.setTextFormat(Qt::RichText);
  rich.setText(QString::fromStdString(markup));
  EXPECT_GT(part->sizeHint().width(), rich.sizeHint().width());

  int row = app.ops.InsertRow(Control::PostList, -1);
  app.ops.SetCell(Control::PostList, row, 1, markup);
  EXPECT_EQ(app.window.PostList()->topLevelItem(row)->text(1), QString::fromStdString(markup));

  // A title holding the modified mark shows it as written.
  app.window.show();
  app.ops.SetText(Control::MainWindow, "Forum [*] watch");
  EXPECT_EQ(app.window.windowHandle()->title(), QStringLiteral("Forum [*] watch"));
  // A caption holding "&" keeps it instead of turning it into a shortcut.
  app.ops.SetText(Control::RunButton, "A&B");
  EXPECT_EQ(app.window.Button(Control::RunButton)->text(), QStringLiteral("A&&B"));
  EXPECT_TRUE(app.window.Button(Control::RunButton)->shortcut().isEmpty());
}

TEST(QtWindow, RuleMenuPopsUpBesideTheCursor) {
  AppWindow app;
  app.window.show();
  QCursor::setPos(200, 150);
  app.ops.PopupRuleMenu();
  QMenu* menu = app.window.RuleMenu();
  ASSERT_TRUE(PumpUntil([&] { return menu->isVisible(); }));
  EXPECT_EQ(menu->pos(), QCursor::pos() + QPoint(3, 3));
  menu->close();
}

}  // namespace
}  // namespace qw

#include "window_contract.h"

#include <atomic>
#include <chrono>
#include <stop_token>
#include <string>
#include <thread>

#include "text/codepage.h"
#include "window/initial_state.h"

namespace qw {
namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

constexpr Control kLists[] = {Control::PostList, Control::ProjectList};

TEST_P(WindowContract, StartsInTheSharedInitialState) {
  for (const InitialControlState& s : InitialControlStates()) {
    SCOPED_TRACE(ControlName(s.control));
    EXPECT_EQ(ops().GetText(s.control), Gbk(s.textUtf8));
    EXPECT_EQ(ops().IsDisabled(s.control), s.disabled);
    EXPECT_EQ(ops().IsTicked(s.control), s.ticked);
  }
  EXPECT_EQ(ops().CurrentTab(), 0);
  for (int part = 0; part < kStatusPartCount; ++part)
    EXPECT_EQ(ops().StatusText(part), Gbk(InitialStatusTextUtf8(part))) << part;
  for (Control list : kLists) {
    EXPECT_EQ(ops().RowCount(list), 0);
    EXPECT_EQ(ops().SelectedRow(list), -1);
  }
}

TEST_P(WindowContract, TextPropertiesReadBackAsWritten) {
  // Markup, mnemonic marks and the title's modified mark are texts like any other.
  const Text texts[] = {Gbk("论坛 <b>新帖</b> & 更多"), "A&&B [*] <img src=x>", "", "280"};
  const Control controls[] = {Control::MainWindow,   Control::IntervalEdit, Control::RunButton,
                              Control::PageTextView, Control::SiteNameEdit, Control::ListUrlEdit,
                              Control::LastPostEdit, Control::RegexCombo,   Control::SaveToEdit,
                              Control::AgreeEdit,    Control::ProjectGroup};
  for (Control control : controls) {
    for (const Text& text : texts) {
      SCOPED_TRACE(std::string(ControlName(control)) + " <- " + Utf8(text));
      ops().SetText(control, text);
      EXPECT_EQ(ops().GetText(control), text);
    }
  }
}

TEST_P(WindowContract, DisabledTickedAndTabFlags) {
  ops().SetDisabled(Control::SubmitButton, false);
  EXPECT_FALSE(ops().IsDisabled(Control::SubmitButton));
  ops().SetDisabled(Control::SubmitButton, true);
  EXPECT_TRUE(ops().IsDisabled(Control::SubmitButton));

  ops().SetTicked(Control::GbkCheck, false);
  EXPECT_FALSE(ops().IsTicked(Control::GbkCheck));
  ops().SetTicked(Control::GbkCheck, true);
  EXPECT_TRUE(ops().IsTicked(Control::GbkCheck));

  ops().SetCurrentTab(4);
  EXPECT_EQ(ops().CurrentTab(), 4);
  for (int missing : {-1, kTabCount, 99}) {
    ops().SetCurrentTab(missing);
    EXPECT_EQ(ops().CurrentTab(), 4) << missing;
  }
}

TEST_P(WindowContract, InsertRowAppendsOrInsertsAndReturnsTheIndex) {
  for (Control list : kLists) {
    SCOPED_TRACE(ControlName(list));
    struct Case {
      int position, expectedIndex;
      const char* mark;
    };
    // Each insert marks column 0 so that the final order shows where every row went.
    const Case cases[] = {
        {-1, 0, "a"}, {-1, 1, "b"}, {0, 0, "c"}, {1, 1, "d"}, {4, 4, "e"}, {99, 5, "f"},
    };
    for (const Case& c : cases) {
      int index = ops().InsertRow(list, c.position);
      EXPECT_EQ(index, c.expectedIndex) << "position " << c.position;
      ops().SetCell(list, index, 0, c.mark);
    }
    ASSERT_EQ(ops().RowCount(list), 6);
    Text order;
    for (int row = 0; row < 6; ++row) order += ops().Cell(list, row, 0);
    EXPECT_EQ(order, "cdabef");
  }
}

TEST_P(WindowContract, CellsOutsideTheListReadEmptyAndIgnoreWrites) {
  for (Control list : kLists) {
    SCOPED_TRACE(ControlName(list));
    int columns = ColumnCount(list);
    ops().InsertRow(list, -1);
    ops().InsertRow(list, -1);
    for (int column = 0; column < columns; ++column)
      ops().SetCell(list, 1, column, Gbk("格") + IntToText(column));
    const std::pair<int, int> outside[] = {{-1, 0}, {2, 0}, {1, -1}, {1, columns}, {-5, 99}};
    for (auto [row, column] : outside) {
      SCOPED_TRACE(IntToText(row) + "," + IntToText(column));
      ops().SetCell(list, row, column, "x");
      EXPECT_EQ(ops().Cell(list, row, column), "");
    }
    EXPECT_EQ(ops().RowCount(list), 2);
    for (int column = 0; column < columns; ++column) {
      EXPECT_EQ(ops().Cell(list, 0, column), "") << column;
      EXPECT_EQ(ops().Cell(list, 1, column), Gbk("格") + IntToText(column)) << column;
    }
  }
}

TEST_P(WindowContract, CellsHoldLongTexts) {
  Text longText;
  for (int i = 0; i < 5000; ++i) longText += Gbk("帖") + IntToText(i % 10);
  int row = ops().InsertRow(Control::PostList, -1);
  ops().SetCell(Control::PostList, row, 1, longText);
  EXPECT_EQ(ops().Cell(Control::PostList, row, 1), longText);
}

TEST_P(WindowContract, DeletingRows) {
  for (Control list : kLists) {
    SCOPED_TRACE(ControlName(list));
    for (const char* mark : {"a", "b", "c", "d"}) {
      int row = ops().InsertRow(list, -1);
      ops().SetCell(list, row, 0, mark);
    }
    for (int missing : {-1, 4, 100}) ops().DeleteRow(list, missing);
    ASSERT_EQ(ops().RowCount(list), 4);
    ops().DeleteRow(list, 1);
    ops().DeleteRow(list, 2);
    ASSERT_EQ(ops().RowCount(list), 2);
    EXPECT_EQ(ops().Cell(list, 0, 0) + ops().Cell(list, 1, 0), "ac");
    ops().DeleteAllRows(list);
    EXPECT_EQ(ops().RowCount(list), 0);
    EXPECT_EQ(ops().Cell(list, 0, 0), "");
  }
}

TEST_P(WindowContract, SelectedRowFollowsInsertsAndDeletes) {
  for (Control list : kLists) {
    SCOPED_TRACE(ControlName(list));
    for (int i = 0; i < 4; ++i) ops().InsertRow(list, -1);
    EXPECT_EQ(ops().SelectedRow(list), -1);
    ops().SelectRow(list, 2);
    EXPECT_EQ(ops().SelectedRow(list), 2);
    ops().InsertRow(list, 0);  // the selected row moves down with its content
    EXPECT_EQ(ops().SelectedRow(list), 3);
    ops().DeleteRow(list, 0);
    EXPECT_EQ(ops().SelectedRow(list), 2);
    ops().DeleteRow(list, 2);  // the selected row itself
    EXPECT_EQ(ops().SelectedRow(list), -1);
    ops().SelectRow(list, 1);
    ops().SelectRow(list, 99);  // a missing row clears the selection
    EXPECT_EQ(ops().SelectedRow(list), -1);
    ops().SelectRow(list, 0);
    ops().SelectRow(list, -1);
    EXPECT_EQ(ops().SelectedRow(list), -1);
    ops().SelectRow(list, 1);
    ops().DeleteAllRows(list);
    EXPECT_EQ(ops().SelectedRow(list), -1);
  }
}

TEST_P(WindowContract, StatusPartsReadBackAndMissingPartsChangeNothing) {
  ops().SetStatusText(kStatusMessagePart, Gbk(" 正在获取...<b>x</b>"));
  ops().SetStatusText(kStatusTimePart, "10:32:07");
  EXPECT_EQ(ops().StatusText(kStatusMessagePart), Gbk(" 正在获取...<b>x</b>"));
  EXPECT_EQ(ops().StatusText(kStatusTimePart), "10:32:07");
  for (int missing : {-1, kStatusPartCount, 10}) {
    ops().SetStatusText(missing, "lost");
    EXPECT_EQ(ops().StatusText(missing), "") << missing;
  }
  EXPECT_EQ(ops().StatusText(kStatusLabelPart), Gbk(" 状态 "));
  EXPECT_EQ(ops().StatusText(kStatusMessagePart), Gbk(" 正在获取...<b>x</b>"));
  EXPECT_EQ(ops().StatusText(kStatusTimePart), "10:32:07");
}

TEST_P(WindowContract, MessageBoxTitleDefaultsToInformation) {
  ops().MessageBox(Gbk("找到 3 个帖子"));
  ops().MessageBox(Gbk("<b>正文</b>"), Gbk("测试结果"));
  auto messages = window_->Messages();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].first, Gbk("找到 3 个帖子"));
  EXPECT_EQ(messages[0].second, Gbk("信息："));
  EXPECT_EQ(messages[1].first, Gbk("<b>正文</b>"));
  EXPECT_EQ(messages[1].second, Gbk("测试结果"));
}

TEST_P(WindowContract, OnlyWebAddressesReachTheBrowser) {
  struct Case {
    const char* address;
    bool opened;
  };
  const Case cases[] = {
      {"http://bbs.example.com/thread-1-1-1.html", true},
      {"https://bbs.example.com/forum.php?mod=viewthread&tid=5", true},
      {"HTTP://BBS.EXAMPLE.COM/", true},
      {"hTTpS://bbs.example.com/", true},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"thread-1-1-1.html", false},
      {"//bbs.example.com/x", false},
      {"C:\\Windows\\system32\\calc.exe", false},
      {"mailto:a@example.com", false},
      {" http://leading.blank/", false},
      {"http:/one-slash", false},
  };
  std::vector<Text> expectedOpened;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    ops().SetStatusText(kStatusMessagePart, "before");
    ops().OpenAddress(c.address);
    if (c.opened) {
      expectedOpened.push_back(c.address);
      EXPECT_EQ(ops().StatusText(kStatusMessagePart), "before");
    } else {
      EXPECT_EQ(ops().StatusText(kStatusMessagePart), RefusedAddressMessage(c.address));
    }
    EXPECT_EQ(window_->OpenedAddresses(), expectedOpened);
  }
  ops().SetStatusText(kStatusMessagePart, "before");
  ops().OpenAddress("");
  EXPECT_EQ(ops().StatusText(kStatusMessagePart), "before");
  EXPECT_EQ(window_->OpenedAddresses(), expectedOpened);
}

TEST_P(WindowContract, RuleMenuPopsUp) {
  EXPECT_EQ(window_->RuleMenuPopups(), 0);
  ops().PopupRuleMenu();
  EXPECT_EQ(window_->RuleMenuPopups(), 1);
}

TEST_P(WindowContract, WaitTakesMoreThanTheTime) {
  for (int none : {0, -5}) {
    auto start = Clock::now();
    EXPECT_TRUE(ops().Wait(none));
    EXPECT_LT(MillisecondsSince(start), 50) << none;
  }
  auto start = Clock::now();
  EXPECT_TRUE(ops().Wait(60));
  EXPECT_GE(MillisecondsSince(start), 60);
}

TEST_P(WindowContract, WaitEndsEarlyOnStop) {
  std::stop_source stopped;
  stopped.request_stop();
  auto start = Clock::now();
  EXPECT_FALSE(ops().Wait(10000, stopped.get_token()));
  EXPECT_FALSE(ops().Wait(0, stopped.get_token()));
  EXPECT_LT(MillisecondsSince(start), 1000);

  std::stop_source later;
  std::jthread stopper([&later] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    later.request_stop();
  });
  start = Clock::now();
  EXPECT_FALSE(ops().Wait(10000, later.get_token()));
  long long elapsed = MillisecondsSince(start);
  EXPECT_GE(elapsed, 40);
  EXPECT_LT(elapsed, 5000);
}

TEST_P(WindowContract, CallsFromAnotherThreadCompleteBeforeTheyReturn) {
  // The calling thread keeps handling its window events, as the run loop does while a
  // worker fills the lists.
  constexpr int kRows = 40;
  std::atomic<bool> done{false};
  std::atomic<int> mismatches{0};
  std::jthread worker([&] {
    WindowOps& w = ops();
    for (int i = 0; i < kRows; ++i) {
      int row = w.InsertRow(Control::PostList, 0);
      if (row != 0) ++mismatches;
      Text title = Gbk("帖子") + IntToText(i);
      w.SetCell(Control::PostList, row, 1, title);
      if (w.Cell(Control::PostList, 0, 1) != title) ++mismatches;
      w.SetStatusText(kStatusMessagePart, IntToText(i));
      if (w.StatusText(kStatusMessagePart) != IntToText(i)) ++mismatches;
    }
    w.SetText(Control::PageTextView, Gbk("页面"));
    if (w.GetText(Control::PageTextView) != Gbk("页面")) ++mismatches;
    if (w.RowCount(Control::PostList) != kRows) ++mismatches;
    w.SetCurrentTab(1);
    w.MessageBox(Gbk("来自工作线程"));
    w.DeleteRow(Control::PostList, kRows - 1);
    w.Wait(5);
    done = true;
  });
  auto start = Clock::now();
  while (!done && MillisecondsSince(start) < 20000) ops().Wait(2);
  worker.join();
  ASSERT_TRUE(done);
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(ops().RowCount(Control::PostList), kRows - 1);
  EXPECT_EQ(ops().Cell(Control::PostList, 0, 1), Gbk("帖子") + IntToText(kRows - 1));
  EXPECT_EQ(ops().Cell(Control::PostList, kRows - 2, 1), Gbk("帖子1"));
  EXPECT_EQ(ops().StatusText(kStatusMessagePart), IntToText(kRows - 1));
  EXPECT_EQ(ops().CurrentTab(), 1);
  auto messages = window_->Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].second, Gbk("信息："));
}

}  // namespace
}  // namespace qw

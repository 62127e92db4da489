#include "app/event_table.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/handlers.h"
#include "app/widgets.h"
#include "app_fixture.h"
#include "projects/settings.h"
#include "text/codepage.h"

namespace qw {
namespace {

class EventTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto record = [this](const char* name) { return [this, name] { fired_.push_back(name); }; };
    EventHandlers h;
    h.onRunButtonClicked = record("OnRunButtonClicked");
    h.saveProjects = record("SaveProjects");
    h.loadProjects = record("LoadProjects");
    h.openPost = record("OpenPost");
    h.showPostHint = record("ShowPostHint");
    h.showRuleMenu = record("ShowRuleMenu");
    h.newProject = record("NewProject");
    h.editProject = record("EditProject");
    h.deleteProjectRow = record("DeleteProjectRow");
    h.openProjectPage = record("OpenProjectPage");
    h.onChangeRule = record("OnChangeRule");
    h.submitProject = record("SubmitProject");
    h.testExpression = record("TestExpression");
    BindEvents(app_.window, h);
    app_.window.show();
  }

  void Click(Control button, Qt::MouseButton which = Qt::LeftButton) {
    QTest::mouseClick(app_.window.Button(button), which);
  }

  // Picks a RuleMenu item with the mouse from the open pop-up.
  void Choose(RuleMenuItem item, Qt::MouseButton which) {
    QMenu* menu = app_.window.RuleMenu();
    menu->popup(QPoint(100, 100));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QAction* action = app_.window.RuleMenuAction(item);
    QPoint at = menu->actionGeometry(action).center();
    QTest::mouseMove(menu, at);
    QTest::mouseClick(menu, which, {}, at);
  }

  AppWindow app_;
  std::vector<std::string> fired_;
};

TEST_F(EventTableTest, EveryEventReachesItsHandler) {
  MainWindow& w = app_.window;
  struct Case {
    const char* event;
    std::function<void()> act;
    std::vector<std::string> expected;
  };
  QWidget* postView = w.PostList()->viewport();
  QWidget* projectView = w.ProjectList()->viewport();
  const Case cases[] = {
      {"RunButton click", [&] { Click(Control::RunButton); }, {"OnRunButtonClicked"}},
      {"SaveConfigButton click", [&] { Click(Control::SaveConfigButton); }, {"SaveProjects"}},
      {"LoadConfigButton click",
       [&] { w.Button(Control::LoadConfigButton)->click(); },
       {"LoadProjects"}},
      {"PostList left click",
       [&] {
         w.MainTabs()->setCurrentIndex(1);
         QTest::mouseClick(postView, Qt::LeftButton, {}, QPoint(50, 50));
       },
       {"ShowPostHint"}},
      {"PostList double click",
       [&] {
         QTest::mouseDClick(postView, Qt::LeftButton, {}, {50, 50});
       },
       {"OpenPost"}},
      {"PostList right click",
       [&] {
         QTest::mouseClick(postView, Qt::RightButton, {}, {50, 50});
       },
       {}},
      {"ProjectList right click",
       [&] {
         w.MainTabs()->setCurrentIndex(2);
         QTest::mouseClick(projectView, Qt::RightButton, {}, QPoint(300, 300));
       },
       {"ShowRuleMenu"}},
      {"ProjectList left click",
       [&] { QTest::mouseClick(projectView, Qt::LeftButton, {}, QPoint(300, 300)); },
       {}},
      {"RuleMenu 新建项目, left button",
       [&] { Choose(RuleMenuItem::NewProject, Qt::LeftButton); },
       {"NewProject"}},
      {"RuleMenu 编辑项目, right button",
       [&] { Choose(RuleMenuItem::EditProject, Qt::RightButton); },
       {"EditProject"}},
      {"RuleMenu 删除行, left button",
       [&] { Choose(RuleMenuItem::DeleteRow, Qt::LeftButton); },
       {"DeleteProjectRow"}},
      {"RuleMenu 打开网址, right button",
       [&] { Choose(RuleMenuItem::OpenPage, Qt::RightButton); },
       {"OpenProjectPage"}},
      {"ListUrlEdit typed",
       [&] {
         w.MainTabs()->setCurrentIndex(3);
         w.ListUrlEdit()->setFocus();
         QTest::keyClick(w.ListUrlEdit(), Qt::Key_H);
       },
       {"OnChangeRule"}},
      {"ListUrlEdit set by the program",
       [&] { w.ListUrlEdit()->setPlainText(QStringLiteral("http://a/")); },
       {"OnChangeRule"}},
      {"RegexCombo typed",
       [&] { QTest::keyClick(w.RegexCombo()->lineEdit(), Qt::Key_A); },
       {"OnChangeRule"}},
      {"RegexCombo preset chosen", [&] { w.RegexCombo()->setCurrentIndex(1); }, {}},
      {"SubmitButton click",
       [&] {
         w.Button(Control::SubmitButton)->setEnabled(true);
         Click(Control::SubmitButton);
       },
       {"SubmitProject"}},
      {"TestButton click", [&] { Click(Control::TestButton); }, {"TestExpression"}},
      {"GbkCheck click",
       [&] {
         auto* check = w.findChild<QAbstractButton*>(QStringLiteral("GbkCheck"));
         QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
       },
       {}},
      {"IntervalEdit typed",
       [&] { QTest::keyClick(w.ControlWidget(Control::IntervalEdit), '5'); },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.event);
    fired_.clear();
    c.act();
    EXPECT_EQ(fired_, c.expected);
  }
  // The clicks really happened: the checkbox and the edit changed.
  EXPECT_FALSE(app_.ops.IsTicked(Control::GbkCheck));
  EXPECT_EQ(app_.ops.GetText(Control::IntervalEdit), "2805");
}

TEST(ProgramHandlers, ClicksOnTheListsAndTheSaveButton) {
  TempDir dir;
  AppWindow app;
  MonitorState state;
  AppContext context{app.ops, state, dir.path() / "wzconfig.inf"};
  BindEvents(app.window, DefaultEventHandlers(context));
  app.window.show();

  // PostList, left click: the hint.
  app.ops.SetCurrentTab(1);
  QTest::mouseClick(app.window.PostList()->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
  EXPECT_EQ(app.ops.StatusText(kStatusMessagePart), Gbk(" 双击可打开帖子！  右键更多操作.."));

  // ProjectList, right click with no row under the cursor: the rule menu beside the cursor.
  app.ops.SetCurrentTab(2);
  QCursor::setPos(250, 200);
  QTest::mouseClick(app.window.ProjectList()->viewport(), Qt::RightButton, {}, QPoint(60, 60));
  QMenu* menu = app.window.RuleMenu();
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }));
  EXPECT_EQ(menu->pos(), QPoint(253, 203));
  menu->close();

  // SaveConfigButton: the projects go to the file.
  int row = app.ops.InsertRow(Control::ProjectList, -1);
  app.ops.SetCell(Control::ProjectList, row, kSiteNameColumn, Gbk("示例论坛"));
  app.ops.SetCell(Control::ProjectList, row, kUrlColumn, "http://bbs.example.com/forum-2-1.html");
  QTest::mouseClick(app.window.Button(Control::SaveConfigButton), Qt::LeftButton);
  EXPECT_EQ(ReadSetting(context.settingsPath, Gbk("配置"), Gbk("项目数")), "1");
  EXPECT_EQ(ReadSetting(context.settingsPath, Gbk("配置"), Gbk("频率")), "280");
  EXPECT_EQ(ReadSetting(context.settingsPath, "1", "webname"), Gbk("示例论坛"));
  EXPECT_EQ(ReadSetting(context.settingsPath, "1", "url"), "http://bbs.example.com/forum-2-1.html");
  EXPECT_EQ(app.ops.StatusText(kStatusMessagePart),
            Gbk(" wzconfig.inf 配置文件保存成功！  论坛数：1"));

  // LoadConfigButton (hidden; only the program can press it): the file comes back.
  app.ops.DeleteAllRows(Control::ProjectList);
  app.window.Button(Control::LoadConfigButton)->click();
  EXPECT_EQ(app.ops.RowCount(Control::ProjectList), 1);
  EXPECT_EQ(app.ops.Cell(Control::ProjectList, 0, kSiteNameColumn), Gbk("示例论坛"));
  EXPECT_EQ(state.projectCount, 1);
}

TEST(ProgramHandlers, WelcomePageLinksGoThroughTheAddressGuard) {
  AppWindow app;
  MonitorState state;
  AppContext context{app.ops, state, {}};
  BindEvents(app.window, DefaultEventHandlers(context));
  emit app.window.WelcomeView()->anchorClicked(
      QUrl(QStringLiteral("https://github.com/quillwatch/quillwatch/wiki")));
  emit app.window.WelcomeView()->anchorClicked(QUrl(QStringLiteral("file:///etc/passwd")));
  ASSERT_EQ(app.opened.size(), 1u);
  EXPECT_EQ(app.opened[0], "https://github.com/quillwatch/quillwatch/wiki");
  EXPECT_EQ(app.ops.StatusText(kStatusMessagePart), RefusedAddressMessage("file:///etc/passwd"));
}

}  // namespace
}  // namespace qw

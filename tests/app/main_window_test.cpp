#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QValidator>
#include <cstring>
#include <string>

#include "app/widgets.h"
#include "app_fixture.h"
#include "text/codepage.h"

namespace qw {
namespace {

enum State : unsigned {
  kPlain = 0,
  kHidden = 1,
  kDisabled = 2,
  kTicked = 4,
  kCentred = 8,
  kDigitsOnly = 16,
};

struct Expected {
  const char* name;
  const char* className;
  const char* caption;  // nullptr: checked on its own below
  int x, y, width, height;
  const char* parent;
  unsigned state = kPlain;
};

// The form, control by control.
const Expected kForm[] = {
    {"标签1", "QLabel", "监控频率(s)", 385, 8, 64, 20, "MainWindow"},
    {"IntervalEdit", "QLineEdit", "280", 455, 8, 40, 20, "MainWindow", kCentred | kDigitsOnly},
    {"RunButton", "QPushButton", "开 始", 503, 4, 80, 28, "MainWindow"},
    {"LoadConfigButton", "QPushButton", "读配置", 584, 5, 80, 28, "MainWindow", kHidden},
    {"SaveConfigButton", "QPushButton", "保存配置", 590, 4, 80, 28, "MainWindow"},
    {"MainTabs", "qw::TabControl", "", 1, 16, 671, 456, "MainWindow"},
    {"StatusBar", "qw::StatusBar", "", 0, 468, 504, 20, "MainWindow"},
    {"WelcomeView", "QTextBrowser", nullptr, 7, 32, 656, 408, "WelcomeTab"},
    {"PostList", "QTreeWidget", "", 7, 34, 656, 408, "PostTab"},
    {"ProjectList", "QTreeWidget", "", 7, 34, 656, 408, "ProjectTab"},
    {"ProjectGroup", "QGroupBox", "项目", 7, 25, 320, 263, "OperationTab"},
    {"PostHandlingGroup", "QGroupBox", "新帖处理", 7, 296, 320, 136, "OperationTab"},
    {"PageTextView", "QPlainTextEdit", "", 335, 33, 328, 400, "OperationTab"},
    {"标签2", "QLabel", "网站名称", 16, 25, 56, 24, "ProjectGroup"},
    {"SiteNameEdit", "QLineEdit", "", 72, 28, 168, 20, "ProjectGroup"},
    {"GbkCheck", "QCheckBox", "gbk编码", 248, 25, 65, 24, "ProjectGroup", kTicked},
    {"标签3", "QLabel", "采集地址", 16, 63, 48, 24, "ProjectGroup"},
    {"ListUrlEdit", "QPlainTextEdit", "", 72, 56, 240, 40, "ProjectGroup"},
    {"标签4", "QLabel", "最后文章", 16, 102, 48, 24, "ProjectGroup"},
    {"LastPostEdit", "QLineEdit", "", 72, 104, 240, 20, "ProjectGroup"},
    {"标签9", "QLabel", "正则匹配", 16, 131, 48, 24, "ProjectGroup"},
    {"RegexCombo", "QComboBox", "", 72, 133, 240, 20, "ProjectGroup"},
    {"标签8", "QLabel", "保存到", 15, 174, 40, 24, "ProjectGroup"},
    {"SaveToEdit", "QLineEdit", "0", 58, 176, 48, 20, "ProjectGroup", kCentred},
    {"SubmitButton", "QPushButton", "提 交", 118, 168, 80, 32, "ProjectGroup", kDisabled},
    {"TestButton", "QPushButton", "测试正则", 216, 168, 94, 32, "ProjectGroup"},
    {"标签10", "QLabel", nullptr, 16, 203, 296, 28, "ProjectGroup"},
    {"标签13", "QLabel", nullptr, 16, 227, 296, 28, "ProjectGroup"},
    {"标签12", "QLabel", "提醒方式", 8, 17, 50, 24, "PostHandlingGroup"},
    {"单选框1", "QRadioButton", "不提醒", 65, 17, 58, 24, "PostHandlingGroup", kTicked},
    {"单选框2", "QRadioButton", "气泡通知", 141, 16, 69, 24, "PostHandlingGroup", kDisabled},
    {"单选框3", "QRadioButton", "POST到网站", 232, 16, 80, 24, "PostHandlingGroup", kDisabled},
    {"标签11", "QLabel", "POST地址", 6, 47, 48, 24, "PostHandlingGroup"},
    {"PostUrlEdit", "QLineEdit", "", 62, 49, 250, 20, "PostHandlingGroup"},
    {"标签7", "QLabel", "栏目ID", 15, 79, 40, 24, "PostHandlingGroup"},
    {"CatalogEdit", "QLineEdit", "", 58, 82, 40, 20, "PostHandlingGroup", kDisabled | kDigitsOnly},
    {"标签6", "QLabel", "分类ID", 121, 79, 40, 24, "PostHandlingGroup"},
    {"SortEdit", "QLineEdit", "", 164, 82, 40, 20, "PostHandlingGroup", kDisabled | kDigitsOnly},
    {"标签5", "QLabel", "需审核", 228, 79, 40, 24, "PostHandlingGroup"},
    {"AgreeEdit", "QLineEdit", "", 270, 82, 40, 20, "PostHandlingGroup", kDisabled},
    {"标签_新帖提示", "QLabel", "本部分功能将在下个版本中完善！", 8, 110, 296, 24,
     "PostHandlingGroup"},
};

QString Caption(QWidget* w) {
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
  if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) return edit->toPlainText();
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
  if (auto* group = qobject_cast<QGroupBox*>(w)) return group->title();
  return {};
}

class MainWindowTest : public ::testing::Test {
 protected:
  template <typename T = QWidget>
  T* Find(const char* name) {
    auto found = window_.findChildren<T*>(QString::fromUtf8(name));
    EXPECT_EQ(found.size(), 1) << name;
    return found.empty() ? nullptr : found.front();
  }

  MainWindow window_;
};

TEST_F(MainWindowTest, WindowTitlePlaceAndSize) {
  EXPECT_EQ(window_.objectName(), QStringLiteral("MainWindow"));
  EXPECT_EQ(window_.windowTitle(), QStringLiteral("Quillwatch (Discuz通用版) v1.0"));
  EXPECT_EQ(window_.pos(), QPoint(50, 50));
  EXPECT_EQ(window_.size(), QSize(679, 521));
}

TEST_F(MainWindowTest, EveryControlOfTheForm) {
  window_.show();
  for (const Expected& e : kForm) {
    SCOPED_TRACE(e.name);
    QWidget* w = Find(e.name);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->inherits(e.className)) << w->metaObject()->className();
    if (e.caption) {
      EXPECT_EQ(Caption(w), QString::fromUtf8(e.caption));
    }
    EXPECT_EQ(w->geometry(), QRect(e.x, e.y, e.width, e.height));
    ASSERT_NE(w->parentWidget(), nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), QString::fromUtf8(e.parent));

    EXPECT_EQ(w->isHidden(), (e.state & kHidden) != 0);
    EXPECT_EQ(w->isEnabled(), (e.state & kDisabled) == 0);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      EXPECT_EQ(button->isChecked(), (e.state & kTicked) != 0);
      EXPECT_TRUE(button->shortcut().isEmpty());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      EXPECT_EQ((edit->alignment() & Qt::AlignHCenter) != 0, (e.state & kCentred) != 0);
      const QValidator* validator = edit->validator();
      EXPECT_EQ(validator != nullptr, (e.state & kDigitsOnly) != 0);
      if (validator) {
        // Digits only: no sign, no separators, no other digits; empty stays possible.
        struct Input {
          const char* text;
          bool accepted;
        };
        for (Input in :
             {Input{"280", true}, Input{"", true}, Input{"-1", false}, Input{"1,000", false},
              Input{"1.5", false}, Input{"12a", false}, Input{"１２", false}, Input{" 1", false}}) {
          QString text = QString::fromUtf8(in.text);
          int position = 0;
          EXPECT_EQ(validator->validate(text, position) != QValidator::Invalid, in.accepted)
              << in.text;
        }
      }
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
      EXPECT_EQ(label->textFormat(), Qt::PlainText);
    }
  }
}

TEST_F(MainWindowTest, TheTwoHelpLabels) {
  QStringList lines = Find<QLabel>("标签10")->text().split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], QStringLiteral("保存到值为0为新增，否则为修改论坛列表相应网站配置！"));
  EXPECT_FALSE(lines[1].trimmed().isEmpty());
  QString hint = Find<QLabel>("标签13")->text();
  EXPECT_FALSE(hint.trimmed().isEmpty());
  EXPECT_FALSE(hint.contains(QLatin1Char('\n')));
}

TEST_F(MainWindowTest, CaptionsFitTheirControls) {
  // Whatever the system's typeface, no caption is cut off.
  for (QLabel* label : window_.findChildren<QLabel*>()) {
    if (label->parentWidget()->inherits("qw::StatusBar")) continue;
    QFontMetrics metrics(label->font());
    for (const QString& line : label->text().split(QLatin1Char('\n')))
      EXPECT_LE(metrics.horizontalAdvance(line), label->width())
          << label->objectName().toStdString();
  }
  for (auto* button : window_.findChildren<QAbstractButton*>()) {
    if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)) {
      EXPECT_LE(button->sizeHint().width(), button->width()) << button->objectName().toStdString();
    }
  }
}

TEST_F(MainWindowTest, FiveTabsWithTheirPages) {
  window_.show();
  TabControl* tabs = window_.MainTabs();
  const char* captions[] = {"欢迎页", "最新更新", "论坛列表", "操作", "我的收藏"};
  const char* pages[] = {"WelcomeTab", "PostTab", "ProjectTab", "OperationTab", "FavouritesTab"};
  ASSERT_EQ(tabs->count(), 5);
  EXPECT_EQ(tabs->currentIndex(), 0);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(tabs->tabText(i), QString::fromUtf8(captions[i]));
    EXPECT_EQ(tabs->page(i)->objectName(), QString::fromUtf8(pages[i]));
    EXPECT_EQ(tabs->page(i)->geometry(), QRect(0, 0, 671, 456)) << i;
    EXPECT_EQ(tabs->page(i)->isVisible(), i == 0) << i;
  }
  // The user clicks the fifth tab: it comes to the front and shows an empty page.
  QTabBar* bar = tabs->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(4).center());
  EXPECT_EQ(tabs->currentIndex(), 4);
  EXPECT_TRUE(tabs->page(4)->isVisible());
  EXPECT_FALSE(tabs->page(0)->isVisible());
  EXPECT_TRUE(tabs->page(4)->findChildren<QWidget*>().isEmpty());
  // The headers stay visible above the page that covers them.
  EXPECT_TRUE(bar->isVisible());
  EXPECT_EQ(bar->parentWidget(), tabs);
  EXPECT_LT(bar->geometry().bottom(), 32);
}

TEST_F(MainWindowTest, StatusBarParts) {
  StatusBar* bar = window_.Status();
  ASSERT_EQ(bar->PartCount(), 3);
  EXPECT_EQ(bar->Part(0)->text(), QStringLiteral(" 状态 "));
  EXPECT_EQ(bar->Part(1)->text(), QString());
  EXPECT_EQ(bar->Part(2)->text(), QStringLiteral(" "));
  EXPECT_EQ(bar->Part(3), nullptr);
  window_.show();
  // At the form's size the second part is cut at the bar's edge and the third has no room.
  EXPECT_EQ(bar->Part(0)->geometry(), QRect(0, 0, 38, 20));
  EXPECT_EQ(bar->Part(1)->geometry(), QRect(38, 0, 466, 20));
  EXPECT_EQ(bar->Part(2)->width(), 0);
  window_.resize(879, 600);
  EXPECT_EQ(bar->geometry(), QRect(0, 468 + 79, 704, 20));
  EXPECT_EQ(bar->Part(1)->geometry(), QRect(38, 0, 546, 20));
  EXPECT_EQ(bar->Part(2)->geometry(), QRect(584, 0, 120, 20));
  EXPECT_TRUE(bar->Part(2)->isVisible());
}

TEST_F(MainWindowTest, ListsInReportView) {
  struct Column {
    const char* header;
    int width;
  };
  const Column postColumns[] = {
      {"站点", 110}, {"帖子标题", 400}, {"链接", 0}, {"更新时间", 120}, {"状态", 0}};
  const Column projectColumns[] = {
      {"", 20},   {"网站名", 90}, {"网址", 150}, {"最后文章", 80}, {"更新时间", 80}, {"栏", 16},
      {"类", 16}, {"审", 16},     {"gbk", 30},   {"正则", 150},    {"", 0}};
  struct ListCase {
    QTreeWidget* list;
    const Column* columns;
    int count;
  };
  for (ListCase c : {ListCase{window_.PostList(), postColumns, 5},
                     ListCase{window_.ProjectList(), projectColumns, 11}}) {
    SCOPED_TRACE(c.list->objectName().toStdString());
    ASSERT_EQ(c.list->columnCount(), c.count);
    for (int i = 0; i < c.count; ++i) {
      EXPECT_EQ(c.list->headerItem()->text(i), QString::fromUtf8(c.columns[i].header)) << i;
      EXPECT_EQ(c.list->header()->sectionSize(i), c.columns[i].width) << i;
    }
    EXPECT_FALSE(c.list->isHeaderHidden());
    EXPECT_FALSE(c.list->rootIsDecorated());
    EXPECT_EQ(c.list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(c.list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(c.list->header()->stretchLastSection());
    EXPECT_EQ(c.list->topLevelItemCount(), 0);
  }
}

TEST_F(MainWindowTest, RegexComboOffersThePresets) {
  QComboBox* combo = window_.RegexCombo();
  EXPECT_TRUE(combo->isEditable());
  EXPECT_EQ(combo->currentIndex(), -1);
  EXPECT_EQ(combo->currentText(), QString());
  EXPECT_EQ(combo->completer(), nullptr);
  const char* presets[] = {
      R"re(<a href=\"(.*?)\".*?onclick=\"atarget\(this\)\" class=.*?xst\">(.*?)</a>)re",
      R"re(<a href="(.*?)" onclick=\"atarget\(this\)\" class=\"xst\" >(.*?)</a>)re",
      R"re(common\">.*?href=\"(.*?)\" target=\"_blank\" class=\"xst\" >(.*?)</a>)re",
  };
  const size_t lengths[] = {72, 68, 69};
  ASSERT_EQ(combo->count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(std::strlen(presets[i]), lengths[i]);
    EXPECT_EQ(combo->itemText(i).toStdString(), presets[i]);
  }
  // Typing and pressing Enter does not add to the list.
  combo->setFocus();
  QTest::keyClicks(combo->lineEdit(), QStringLiteral("(.*?)"));
  QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->currentText(), QStringLiteral("(.*?)"));
}

TEST_F(MainWindowTest, RuleMenuIsAPopupOnly) {
  EXPECT_TRUE(window_.findChildren<QMenuBar*>().isEmpty());
  QMenu* menu = window_.RuleMenu();
  EXPECT_EQ(menu->objectName(), QStringLiteral("RuleMenu"));
  EXPECT_EQ(menu->title(), QStringLiteral("规则"));
  EXPECT_FALSE(menu->isVisible());
  for (QObject* owner : menu->menuAction()->associatedObjects())
    EXPECT_EQ(qobject_cast<QMenuBar*>(owner), nullptr);
  const char* items[] = {"新建项目", "编辑项目", "删除行", "打开网址"};
  const RuleMenuItem roles[] = {RuleMenuItem::NewProject, RuleMenuItem::EditProject,
                                RuleMenuItem::DeleteRow, RuleMenuItem::OpenPage};
  QList<QAction*> actions = menu->actions();
  ASSERT_EQ(actions.size(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(actions[i]->text(), QString::fromUtf8(items[i]));
    EXPECT_EQ(window_.RuleMenuAction(roles[i]), actions[i]);
    EXPECT_TRUE(actions[i]->isEnabled());
    EXPECT_FALSE(actions[i]->isCheckable());
  }
}

TEST_F(MainWindowTest, WelcomePage) {
  QTextBrowser* view = window_.WelcomeView();
  EXPECT_FALSE(view->openExternalLinks());
  EXPECT_FALSE(view->openLinks());
  QString html = WelcomePageHtml();
  EXPECT_TRUE(html.contains(QStringLiteral("font-size: 9pt")));
  QStringList paragraphs;
  for (QString p : view->toPlainText().split(QLatin1Char('\n')))
    if (!p.trimmed().isEmpty()) paragraphs << p;
  ASSERT_EQ(paragraphs.size(), 6);
  EXPECT_EQ(paragraphs.first(), QStringLiteral("Quillwatch(Discuz通用版) 可同时监控多个论坛新帖"));
  EXPECT_EQ(paragraphs.last(), QStringLiteral("也可以手动编辑配置文件~"));
  // Three links, each to a web page.
  int links = 0;
  for (int from = html.indexOf(QStringLiteral("href=\"")); from >= 0;
       from = html.indexOf(QStringLiteral("href=\""), from + 1)) {
    ++links;
    EXPECT_TRUE(html.mid(from + 6).startsWith(QStringLiteral("https://")));
  }
  EXPECT_EQ(links, 3);
}

TEST_F(MainWindowTest, ViewsGrowWithTheWindow) {
  window_.show();
  struct Grows {
    const char* name;
    QRect atFormSize;
  };
  const Grows grows[] = {{"MainTabs", {1, 16, 671, 456}},
                         {"WelcomeView", {7, 32, 656, 408}},
                         {"PostList", {7, 34, 656, 408}},
                         {"ProjectList", {7, 34, 656, 408}},
                         {"PageTextView", {335, 33, 328, 400}}};
  const char* stays[] = {"RunButton", "SaveConfigButton", "IntervalEdit", "ProjectGroup",
                         "PostHandlingGroup"};
  window_.resize(679 + 200, 521 + 100);
  for (const Grows& g : grows)
    EXPECT_EQ(Find(g.name)->geometry(), g.atFormSize.adjusted(0, 0, 200, 100)) << g.name;
  EXPECT_EQ(Find("StatusBar")->geometry(), QRect(0, 568, 704, 20));
  for (const Expected& e : kForm) {
    for (const char* name : stays) {
      if (std::string(name) == e.name) {
        EXPECT_EQ(Find(name)->geometry(), QRect(e.x, e.y, e.width, e.height)) << name;
      }
    }
  }
  // Back at the form's size, or smaller, everything stands where the form says.
  for (QSize size : {QSize(679, 521), QSize(500, 400)}) {
    window_.resize(size);
    for (const Grows& g : grows) EXPECT_EQ(Find(g.name)->geometry(), g.atFormSize) << g.name;
    EXPECT_EQ(Find("StatusBar")->geometry(), QRect(0, 468, 504, 20));
  }
}

}  // namespace
}  // namespace qw

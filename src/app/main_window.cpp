#include "app/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTextBrowser>
#include <QTreeWidget>
#include <algorithm>

#include "app/widget_text.h"
#include "app/widgets.h"
#include "projects/settings.h"
#include "window/initial_state.h"

namespace qw {
namespace {

enum class Kind {
  Label,
  Edit,
  MultiLineEdit,
  Button,
  CheckBox,
  Radio,
  Combo,
  GroupBox,
  List,
  Browser,
  Tabs,
  StatusBar
};

// Flags beyond what the shared initial state holds.
enum Extra : unsigned {
  kNone = 0,
  kCentred = 1,
  kDigitsOnly = 2,
  kHidden = 4,
  kSelected = 8,
  kDisabled = 16,
  kTwoLines = 32,
};

struct FormControl {
  const char* name;  // role name, or the form name of a control the logic never addresses
  Kind kind;
  const char* captionUtf8;  // nullptr: taken from the shared initial state
  int x, y, width, height;
  const char* parent;
  unsigned extra = kNone;
};

constexpr const char* kWindow = "MainWindow";
constexpr const char* kProjectGroup = "ProjectGroup";
constexpr const char* kPostGroup = "PostHandlingGroup";

// In creation order: a parent comes before its children, and LoadConfigButton before the
// SaveConfigButton that covers it.
constexpr FormControl kControls[] = {
    {"标签1", Kind::Label, "监控频率(s)", 385, 8, 64, 20, kWindow},
    {"IntervalEdit", Kind::Edit, nullptr, 455, 8, 40, 20, kWindow, kCentred | kDigitsOnly},
    {"RunButton", Kind::Button, nullptr, 503, 4, 80, 28, kWindow},
    {"LoadConfigButton", Kind::Button, nullptr, 584, 5, 80, 28, kWindow, kHidden},
    {"SaveConfigButton", Kind::Button, nullptr, 590, 4, 80, 28, kWindow},
    {"MainTabs", Kind::Tabs, "", 1, 16, 671, 456, kWindow},
    {"StatusBar", Kind::StatusBar, "", 0, 468, 504, 20, kWindow},
    {"WelcomeView", Kind::Browser, "", 7, 32, 656, 408, "WelcomeTab"},
    {"PostList", Kind::List, "", 7, 34, 656, 408, "PostTab"},
    {"ProjectList", Kind::List, "", 7, 34, 656, 408, "ProjectTab"},
    {"ProjectGroup", Kind::GroupBox, nullptr, 7, 25, 320, 263, "OperationTab"},
    {"PostHandlingGroup", Kind::GroupBox, nullptr, 7, 296, 320, 136, "OperationTab"},
    {"PageTextView", Kind::MultiLineEdit, nullptr, 335, 33, 328, 400, "OperationTab"},
    {"标签2", Kind::Label, "网站名称", 16, 25, 56, 24, kProjectGroup},
    {"SiteNameEdit", Kind::Edit, nullptr, 72, 28, 168, 20, kProjectGroup},
    {"GbkCheck", Kind::CheckBox, nullptr, 248, 25, 65, 24, kProjectGroup},
    {"标签3", Kind::Label, "采集地址", 16, 63, 48, 24, kProjectGroup},
    {"ListUrlEdit", Kind::MultiLineEdit, nullptr, 72, 56, 240, 40, kProjectGroup},
    {"标签4", Kind::Label, "最后文章", 16, 102, 48, 24, kProjectGroup},
    {"LastPostEdit", Kind::Edit, nullptr, 72, 104, 240, 20, kProjectGroup},
    {"标签9", Kind::Label, "正则匹配", 16, 131, 48, 24, kProjectGroup},
    {"RegexCombo", Kind::Combo, nullptr, 72, 133, 240, 20, kProjectGroup},
    {"标签8", Kind::Label, "保存到", 15, 174, 40, 24, kProjectGroup},
    {"SaveToEdit", Kind::Edit, nullptr, 58, 176, 48, 20, kProjectGroup, kCentred},
    {"SubmitButton", Kind::Button, nullptr, 118, 168, 80, 32, kProjectGroup},
    {"TestButton", Kind::Button, nullptr, 216, 168, 94, 32, kProjectGroup},
    {"标签10", Kind::Label,
     "保存到值为0为新增，否则为修改论坛列表相应网站配置！\n“测试正则”找到帖子后才能提交。", 16, 203,
     296, 28, kProjectGroup, kTwoLines},
    {"标签13", Kind::Label, "右键单击论坛列表可新建、编辑、删除项目。", 16, 227, 296, 28,
     kProjectGroup},
    {"标签12", Kind::Label, "提醒方式", 8, 17, 50, 24, kPostGroup},
    {"单选框1", Kind::Radio, "不提醒", 65, 17, 58, 24, kPostGroup, kSelected},
    {"单选框2", Kind::Radio, "气泡通知", 141, 16, 69, 24, kPostGroup, kDisabled},
    {"单选框3", Kind::Radio, "POST到网站", 232, 16, 80, 24, kPostGroup, kDisabled},
    {"标签11", Kind::Label, "POST地址", 6, 47, 48, 24, kPostGroup},
    {"PostUrlEdit", Kind::Edit, nullptr, 62, 49, 250, 20, kPostGroup},
    {"标签7", Kind::Label, "栏目ID", 15, 79, 40, 24, kPostGroup},
    {"CatalogEdit", Kind::Edit, nullptr, 58, 82, 40, 20, kPostGroup, kDigitsOnly},
    {"标签6", Kind::Label, "分类ID", 121, 79, 40, 24, kPostGroup},
    {"SortEdit", Kind::Edit, nullptr, 164, 82, 40, 20, kPostGroup, kDigitsOnly},
    {"标签5", Kind::Label, "需审核", 228, 79, 40, 24, kPostGroup},
    {"AgreeEdit", Kind::Edit, nullptr, 270, 82, 40, 20, kPostGroup},
    {"标签_新帖提示", Kind::Label, "本部分功能将在下个版本中完善！", 8, 110, 296, 24, kPostGroup},
};

// The tab pages, in tab order.
constexpr const char* kPageNames[kTabCount] = {"WelcomeTab", "PostTab", "ProjectTab",
                                               "OperationTab", "FavouritesTab"};

struct PostColumn {
  const char* headerUtf8;
  int width;
};
constexpr PostColumn kPostColumns[kPostListColumns] = {
    {"站点", 110}, {"帖子标题", 400}, {"链接", 0}, {"更新时间", 120}, {"状态", 0}};

constexpr const char* kRegexPresets[] = {
    R"re(<a href=\"(.*?)\".*?onclick=\"atarget\(this\)\" class=.*?xst\">(.*?)</a>)re",
    R"re(<a href="(.*?)" onclick=\"atarget\(this\)\" class=\"xst\" >(.*?)</a>)re",
    R"re(common\">.*?href=\"(.*?)\" target=\"_blank\" class=\"xst\" >(.*?)</a>)re",
};

constexpr const char* kRuleMenuItems[] = {"新建项目", "编辑项目", "删除行", "打开网址"};

// The controls the logic addresses, by the name they carry on the form.
bool FindControl(const char* name, Control* control) {
  for (const InitialControlState& s : InitialControlStates()) {
    if (std::string_view(ControlName(s.control)) == name) {
      *control = s.control;
      return true;
    }
  }
  for (Control c : {Control::MainTabs, Control::StatusBar, Control::WelcomeView, Control::PostList,
                    Control::ProjectList}) {
    if (std::string_view(ControlName(c)) == name) {
      *control = c;
      return true;
    }
  }
  return false;
}

const InitialControlState* InitialStateOf(Control control) {
  for (const InitialControlState& s : InitialControlStates())
    if (s.control == control) return &s;
  return nullptr;
}

bool CaptionFits(const QWidget* widget) {
  if (auto* label = qobject_cast<const QLabel*>(widget)) {
    QFontMetrics metrics(label->font());
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest <= label->width() &&
           static_cast<int>(lines.size()) * metrics.lineSpacing() <= label->height();
  }
  if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget))
    return widget->sizeHint().width() <= widget->width();
  return true;
}

// The form was drawn for one typeface; where the system's is wider, a caption is set a
// little smaller rather than cut off.
void FitCaption(QWidget* widget) {
  QFont font = widget->font();
  constexpr qreal kSmallest = 6.5;
  while (!CaptionFits(widget) && font.pointSizeF() > kSmallest) {
    font.setPointSizeF(font.pointSizeF() - 0.5);
    widget->setFont(font);
  }
}

QTreeWidget* MakeList(QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setRootIsDecorated(false);
  list->setItemsExpandable(false);
  list->setUniformRowHeights(true);
  list->setAllColumnsShowFocus(true);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSortingEnabled(false);
  list->header()->setStretchLastSection(false);
  list->header()->setSectionsMovable(false);
  list->header()->setMinimumSectionSize(0);
  return list;
}

void SetColumns(QTreeWidget* list, const std::vector<std::pair<QString, int>>& columns) {
  list->setColumnCount(static_cast<int>(columns.size()));
  QStringList headers;
  for (const auto& c : columns) headers << c.first;
  list->setHeaderLabels(headers);
  for (int i = 0; i < static_cast<int>(columns.size()); ++i)
    list->header()->resizeSection(i, columns[static_cast<size_t>(i)].second);
}

QWidget* MakeWidget(Kind kind, QWidget* parent) {
  switch (kind) {
    case Kind::Label: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      return label;
    }
    case Kind::Edit: return new QLineEdit(parent);
    case Kind::MultiLineEdit: return new QPlainTextEdit(parent);
    case Kind::Button: return new QPushButton(parent);
    case Kind::CheckBox: return new QCheckBox(parent);
    case Kind::Radio: return new QRadioButton(parent);
    case Kind::Combo: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      combo->setCompleter(nullptr);  // completing would change the expression being typed
      return combo;
    }
    case Kind::GroupBox: return new QGroupBox(parent);
    case Kind::List: return MakeList(parent);
    case Kind::Browser: {
      auto* browser = new QTextBrowser(parent);
      browser->setOpenExternalLinks(false);
      browser->setOpenLinks(false);
      return browser;
    }
    case Kind::Tabs: return new TabControl(parent);
    case Kind::StatusBar: {
      std::vector<int> widths;
      for (int part = 0; part < kStatusPartCount; ++part) widths.push_back(StatusPartWidth(part));
      return new StatusBar(widths, parent);
    }
  }
  return nullptr;
}

}  // namespace

std::span<const char* const> RegexPresets() { return kRegexPresets; }

QString WelcomePageHtml() {
  return QStringLiteral(
      "<html><head><style>body, p { font-size: 9pt; } p { margin-top: 0; margin-bottom: 0; "
      "}</style></head><body>"
      "<p>Quillwatch(Discuz通用版) 可同时监控多个论坛新帖</p>"
      "<p>&nbsp;</p>"
      "<p>你好，欢迎使用！</p>"
      "<p>&nbsp;</p>"
      "<p>最新版本请到这里下载："
      "<a href=\"https://github.com/quillwatch/quillwatch/releases\">发布页</a></p>"
      "<p>&nbsp;</p>"
      "<p>使用说明请看这里："
      "<a href=\"https://github.com/quillwatch/quillwatch/wiki\">使用说明</a></p>"
      "<p>&nbsp;</p>"
      "<p>遇到问题请到这里反馈："
      "<a href=\"https://github.com/quillwatch/quillwatch/issues\">问题反馈</a></p>"
      "<p>&nbsp;</p>"
      "<p>也可以手动编辑配置文件~</p>"
      "</body></html>");
}

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
  setObjectName(QString::fromUtf8(kWindow));
  setWindowTitle(QString::fromUtf8(kDefaultTitleUtf8));
  move(kMainWindowX, kMainWindowY);
  resize(kMainWindowWidth, kMainWindowHeight);
  controls_[Control::MainWindow] = this;
  BuildControls();
  SetUpLists();
  SetUpRuleMenu();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
  std::map<std::string, QWidget*> byName{{kWindow, this}};
  for (const FormControl& entry : kControls) {
    QWidget* parent = byName.at(entry.parent);
    QWidget* widget = MakeWidget(entry.kind, parent);
    widget->setObjectName(QString::fromUtf8(entry.name));
    widget->setGeometry(entry.x, entry.y, entry.width, entry.height);
    byName[entry.name] = widget;

    Control control{};
    bool addressed = FindControl(entry.name, &control);
    if (addressed) controls_[control] = widget;
    const InitialControlState* initial = addressed ? InitialStateOf(control) : nullptr;
    const char* caption = entry.captionUtf8 ? entry.captionUtf8 : initial ? initial->textUtf8 : "";
    SetWidgetText(widget, QString::fromUtf8(caption));
    if (initial) {
      widget->setEnabled(!initial->disabled);
      if (auto* check = qobject_cast<QCheckBox*>(widget)) check->setChecked(initial->ticked);
    }

    if (entry.extra & kCentred) qobject_cast<QLineEdit*>(widget)->setAlignment(Qt::AlignCenter);
    if (entry.extra & kDigitsOnly) {
      // Digits only, as an integer-only edit box takes them; empty stays allowed.
      auto* validator =
          new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), widget);
      qobject_cast<QLineEdit*>(widget)->setValidator(validator);
    }
    if (entry.extra & kHidden) widget->hide();
    if (entry.extra & kSelected) qobject_cast<QRadioButton*>(widget)->setChecked(true);
    if (entry.extra & kDisabled) widget->setEnabled(false);
    if (entry.extra & kTwoLines)
      qobject_cast<QLabel*>(widget)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FitCaption(widget);

    if (auto* tabs = qobject_cast<TabControl*>(widget)) {
      mainTabs_ = tabs;
      for (int i = 0; i < kTabCount; ++i)
        byName[kPageNames[i]] =
            tabs->AddPage(QString::fromUtf8(TabCaptionUtf8(i)), QString::fromUtf8(kPageNames[i]));
      tabs->setCurrentIndex(0);
    }
    if (auto* bar = qobject_cast<StatusBar*>(widget)) {
      statusBar_ = bar;
      for (int part = 0; part < bar->PartCount(); ++part)
        bar->Part(part)->setText(QString::fromUtf8(InitialStatusTextUtf8(part)));
    }
  }
  postList_ = qobject_cast<QTreeWidget*>(controls_.at(Control::PostList));
  projectList_ = qobject_cast<QTreeWidget*>(controls_.at(Control::ProjectList));
  regexCombo_ = qobject_cast<QComboBox*>(controls_.at(Control::RegexCombo));
  listUrlEdit_ = qobject_cast<QPlainTextEdit*>(controls_.at(Control::ListUrlEdit));
  pageTextView_ = qobject_cast<QPlainTextEdit*>(controls_.at(Control::PageTextView));
  welcomeView_ = qobject_cast<QTextBrowser*>(controls_.at(Control::WelcomeView));

  for (const char* preset : kRegexPresets) regexCombo_->addItem(QString::fromUtf8(preset));
  regexCombo_->setCurrentIndex(-1);
  regexCombo_->setEditText(QString());
  welcomeView_->setHtml(WelcomePageHtml());
}

void MainWindow::SetUpLists() {
  std::vector<std::pair<QString, int>> columns;
  for (const PostColumn& c : kPostColumns)
    columns.emplace_back(QString::fromUtf8(c.headerUtf8), c.width);
  SetColumns(postList_, columns);
  columns.clear();
  for (const ColumnSpec& c : ProjectListColumns())
    columns.emplace_back(QString::fromUtf8(c.headerUtf8), c.width);
  SetColumns(projectList_, columns);
  postList_->viewport()->installEventFilter(this);
  projectList_->viewport()->installEventFilter(this);
}

void MainWindow::SetUpRuleMenu() {
  // A pop-up only: the window has no menu bar.
  ruleMenu_ = new QMenu(QStringLiteral("规则"), this);
  ruleMenu_->setObjectName(QStringLiteral("RuleMenu"));
  for (size_t i = 0; i < std::size(kRuleMenuItems); ++i)
    ruleActions_[i] = ruleMenu_->addAction(QString::fromUtf8(kRuleMenuItems[i]));
}

QWidget* MainWindow::ControlWidget(Control control) const {
  auto it = controls_.find(control);
  return it == controls_.end() ? nullptr : it->second;
}

QPushButton* MainWindow::Button(Control control) const {
  return qobject_cast<QPushButton*>(ControlWidget(control));
}

QAction* MainWindow::RuleMenuAction(RuleMenuItem item) const {
  return ruleActions_[static_cast<size_t>(item)];
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  GrowWithWindow();
}

void MainWindow::GrowWithWindow() {
  // Below the form's size everything keeps its place; above it the views take the room.
  int dx = std::max(0, width() - kMainWindowWidth);
  int dy = std::max(0, height() - kMainWindowHeight);
  mainTabs_->resize(671 + dx, 456 + dy);
  welcomeView_->resize(656 + dx, 408 + dy);
  postList_->resize(656 + dx, 408 + dy);
  projectList_->resize(656 + dx, 408 + dy);
  pageTextView_->resize(328 + dx, 400 + dy);
  statusBar_->setGeometry(0, 468 + dy, 504 + dx, 20);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  QEvent::Type type = event->type();
  if (type == QEvent::MouseButtonDblClick || type == QEvent::MouseButtonRelease) {
    Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
    if (watched == postList_->viewport() && button == Qt::LeftButton) {
      if (type == QEvent::MouseButtonDblClick) {
        postListDoubleClicked_ = true;
        emit PostListDoubleClicked();
      } else if (postListDoubleClicked_) {
        postListDoubleClicked_ = false;  // the release that ends a double click
      } else {
        emit PostListClicked();
      }
    } else if (watched == projectList_->viewport() && button == Qt::RightButton &&
               type == QEvent::MouseButtonRelease) {
      emit ProjectListRightClicked();
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace qw

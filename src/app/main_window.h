// The main window: every control at its place on the form, the tabs, the status bar and
// the rule menu. It knows nothing of what the controls do; the event table binds them.
#pragma once

#include <QWidget>
#include <map>
#include <span>

#include "window/window_ops.h"

class QAction;
class QComboBox;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTextBrowser;
class QTreeWidget;

namespace qw {

class StatusBar;
class TabControl;

inline constexpr int kMainWindowX = 50;
inline constexpr int kMainWindowY = 50;
inline constexpr int kMainWindowWidth = 679;
inline constexpr int kMainWindowHeight = 521;

// The expressions offered in RegexCombo's drop-down list.
std::span<const char* const> RegexPresets();

// The fixed welcome page, as simple hypertext.
QString WelcomePageHtml();

enum class RuleMenuItem { NewProject, EditProject, DeleteRow, OpenPage };

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // The widget of a control the logic addresses; the window itself for MainWindow.
  QWidget* ControlWidget(Control control) const;

  TabControl* MainTabs() const { return mainTabs_; }
  StatusBar* Status() const { return statusBar_; }
  QTreeWidget* PostList() const { return postList_; }
  QTreeWidget* ProjectList() const { return projectList_; }
  QComboBox* RegexCombo() const { return regexCombo_; }
  QPlainTextEdit* ListUrlEdit() const { return listUrlEdit_; }
  QTextBrowser* WelcomeView() const { return welcomeView_; }
  QPushButton* Button(Control control) const;  // nullptr for a control that is no button
  QMenu* RuleMenu() const { return ruleMenu_; }
  QAction* RuleMenuAction(RuleMenuItem item) const;

 signals:
  void PostListClicked();  // single left click anywhere in PostList
  void PostListDoubleClicked();
  void ProjectListRightClicked();  // anywhere in ProjectList, on a row or not

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void SetUpLists();
  void SetUpRuleMenu();
  void GrowWithWindow();

  std::map<Control, QWidget*> controls_;
  TabControl* mainTabs_ = nullptr;
  StatusBar* statusBar_ = nullptr;
  QTreeWidget* postList_ = nullptr;
  QTreeWidget* projectList_ = nullptr;
  QComboBox* regexCombo_ = nullptr;
  QPlainTextEdit* listUrlEdit_ = nullptr;
  QPlainTextEdit* pageTextView_ = nullptr;
  QTextBrowser* welcomeView_ = nullptr;
  QMenu* ruleMenu_ = nullptr;
  QAction* ruleActions_[4] = {};
  bool postListDoubleClicked_ = false;
};

}  // namespace qw

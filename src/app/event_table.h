// Which handler answers which event of the main window. No other control has a handler.
#pragma once

#include <functional>

#include "text/text.h"

namespace qw {

class MainWindow;
struct AppContext;

struct EventHandlers {
  std::function<void()> onRunButtonClicked;  // RunButton click
  std::function<void()> saveProjects;        // SaveConfigButton click
  std::function<void()> loadProjects;        // LoadConfigButton click (the button is hidden)
  std::function<void()> openPost;            // PostList double click
  std::function<void()> showPostHint;        // PostList single left click
  std::function<void()> showRuleMenu;        // ProjectList right click
  std::function<void()> newProject;          // RuleMenu "新建项目"
  std::function<void()> editProject;         // RuleMenu "编辑项目"
  std::function<void()> deleteProjectRow;    // RuleMenu "删除行"
  std::function<void()> openProjectPage;     // RuleMenu "打开网址"
  std::function<void()> onChangeRule;        // ListUrlEdit changed, RegexCombo edited by the user
  std::function<void()> submitProject;       // SubmitButton click
  std::function<void()> testExpression;      // TestButton click
  std::function<void(const Text& address)> openLink;  // a link on the welcome page
};

// The program's handlers, working on app (which must outlive the window's events).
EventHandlers DefaultEventHandlers(AppContext& app);

// Connects the window's events to the handlers; an empty handler is left unbound.
void BindEvents(MainWindow& window, const EventHandlers& handlers);

}  // namespace qw

// What the program does when the user acts on the main window. Each handler runs on the
// window's thread. The ones marked "not yet" do nothing until their work lands.
#pragma once

#include <filesystem>

#include "monitor/monitor_state.h"
#include "window/window_ops.h"

namespace qw {

// What the handlers share: the window, the monitoring variables and the settings file.
struct AppContext {
  WindowOps& window;
  MonitorState& state;
  std::filesystem::path settingsPath;
};

// PostList, single left click: how to use the list.
void ShowPostHint(AppContext& app);
// ProjectList, right click: the rule menu beside the cursor.
void ShowRuleMenu(AppContext& app);

// Not yet: start, pause and continue monitoring.
void OnRunButtonClicked(AppContext& app);
// Not yet: RuleMenu items.
void NewProject(AppContext& app);
void EditProject(AppContext& app);
void DeleteProjectRow(AppContext& app);
void OpenProjectPage(AppContext& app);
// Not yet: PostList double click.
void OpenPost(AppContext& app);
// Not yet: the project editor.
void OnChangeRule(AppContext& app);
void SubmitProject(AppContext& app);
void TestExpression(AppContext& app);

}  // namespace qw

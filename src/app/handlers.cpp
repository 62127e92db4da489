#include "app/handlers.h"

#include "text/codepage.h"

namespace qw {

void ShowPostHint(AppContext& app) {
  app.window.SetStatusText(kStatusMessagePart, Gbk(" 双击可打开帖子！  右键更多操作.."));
}

void ShowRuleMenu(AppContext& app) { app.window.PopupRuleMenu(); }

void OnRunButtonClicked(AppContext&) {}
void NewProject(AppContext&) {}
void EditProject(AppContext&) {}
void DeleteProjectRow(AppContext&) {}
void OpenProjectPage(AppContext&) {}
void OpenPost(AppContext&) {}
void OnChangeRule(AppContext&) {}
void SubmitProject(AppContext&) {}
void TestExpression(AppContext&) {}

}  // namespace qw

#include "app/event_table.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>

#include "app/handlers.h"
#include "app/main_window.h"
#include "app/widget_text.h"
#include "projects/settings.h"

namespace qw {
namespace {

void Bind(QPushButton* button, const std::function<void()>& handler) {
  if (handler) QObject::connect(button, &QPushButton::clicked, button, [handler] { handler(); });
}

void Bind(QAction* action, const std::function<void()>& handler) {
  if (handler) QObject::connect(action, &QAction::triggered, action, [handler] { handler(); });
}

}  // namespace

EventHandlers DefaultEventHandlers(AppContext& app) {
  AppContext* a = &app;
  EventHandlers h;
  h.onRunButtonClicked = [a] { OnRunButtonClicked(*a); };
  h.saveProjects = [a] { SaveProjects(a->window, a->settingsPath); };
  h.loadProjects = [a] { LoadProjects(a->window, a->state, a->settingsPath); };
  h.openPost = [a] { OpenPost(*a); };
  h.showPostHint = [a] { ShowPostHint(*a); };
  h.showRuleMenu = [a] { ShowRuleMenu(*a); };
  h.newProject = [a] { NewProject(*a); };
  h.editProject = [a] { EditProject(*a); };
  h.deleteProjectRow = [a] { DeleteProjectRow(*a); };
  h.openProjectPage = [a] { OpenProjectPage(*a); };
  h.onChangeRule = [a] { OnChangeRule(*a); };
  h.submitProject = [a] { SubmitProject(*a); };
  h.testExpression = [a] { TestExpression(*a); };
  h.openLink = [a](const Text& address) { a->window.OpenAddress(address); };
  return h;
}

void BindEvents(MainWindow& window, const EventHandlers& h) {
  Bind(window.Button(Control::RunButton), h.onRunButtonClicked);
  Bind(window.Button(Control::SaveConfigButton), h.saveProjects);
  Bind(window.Button(Control::LoadConfigButton), h.loadProjects);
  Bind(window.Button(Control::SubmitButton), h.submitProject);
  Bind(window.Button(Control::TestButton), h.testExpression);

  auto bindSignal = [&window](auto signal, const std::function<void()>& handler) {
    if (handler) QObject::connect(&window, signal, &window, [handler] { handler(); });
  };
  bindSignal(&MainWindow::PostListDoubleClicked, h.openPost);
  bindSignal(&MainWindow::PostListClicked, h.showPostHint);
  bindSignal(&MainWindow::ProjectListRightClicked, h.showRuleMenu);

  Bind(window.RuleMenuAction(RuleMenuItem::NewProject), h.newProject);
  Bind(window.RuleMenuAction(RuleMenuItem::EditProject), h.editProject);
  Bind(window.RuleMenuAction(RuleMenuItem::DeleteRow), h.deleteProjectRow);
  Bind(window.RuleMenuAction(RuleMenuItem::OpenPage), h.openProjectPage);

  if (h.openLink) {
    auto handler = h.openLink;
    QObject::connect(window.WelcomeView(), &QTextBrowser::anchorClicked, window.WelcomeView(),
                     [handler](const QUrl& url) { handler(FromQString(url.toString())); });
  }
  if (h.onChangeRule) {
    auto handler = h.onChangeRule;
    QObject::connect(window.ListUrlEdit(), &QPlainTextEdit::textChanged, window.ListUrlEdit(),
                     [handler] { handler(); });
    // Only the user's typing counts; choosing a preset from the list does not.
    QObject::connect(window.RegexCombo()->lineEdit(), &QLineEdit::textEdited, window.RegexCombo(),
                     [handler] { handler(); });
  }
}

}  // namespace qw

// The one door from the core to the main window. The core never sees a widget: it reads
// and writes control properties, list cells and status-bar parts through these calls.
// Implementations: MemoryWindow (tests, headless runs) and the Qt window of the program.
//
// Every call may come from any thread and completes before it returns; an implementation
// with a real window carries it out on the window's own thread.
#pragma once

#include <stop_token>

#include "text/text.h"

namespace qw {

// The controls the logic addresses, named by role.
enum class Control {
  MainWindow,  // its text is the title
  IntervalEdit,
  RunButton,
  LoadConfigButton,
  SaveConfigButton,
  MainTabs,
  StatusBar,
  WelcomeView,
  PostList,
  ProjectList,
  ProjectGroup,
  PostHandlingGroup,
  PageTextView,
  SiteNameEdit,
  GbkCheck,
  ListUrlEdit,
  LastPostEdit,
  RegexCombo,  // its text is the edit field
  SaveToEdit,
  SubmitButton,
  TestButton,
  PostUrlEdit,
  CatalogEdit,
  SortEdit,
  AgreeEdit,
};

const char* ControlName(Control control);

// Status-bar parts.
inline constexpr int kStatusLabelPart = 0;
inline constexpr int kStatusMessagePart = 1;
inline constexpr int kStatusTimePart = 2;
inline constexpr int kStatusPartCount = 3;

// Column counts of the two lists.
inline constexpr int kProjectListColumns = 11;
inline constexpr int kPostListColumns = 5;
int ColumnCount(Control list);  // 0 for a control that is no list

class WindowOps {
 public:
  virtual ~WindowOps() = default;

  // Properties: the text of an edit box, of RegexCombo's edit field, of a button's
  // caption or of the window title; disabled; ticked (check boxes); the current tab.
  virtual Text GetText(Control control) = 0;
  virtual void SetText(Control control, const Text& text) = 0;
  virtual bool IsDisabled(Control control) = 0;
  virtual void SetDisabled(Control control, bool disabled) = 0;
  virtual bool IsTicked(Control control) = 0;
  virtual void SetTicked(Control control, bool ticked) = 0;
  virtual int CurrentTab() = 0;
  virtual void SetCurrentTab(int index) = 0;

  // Lists. Rows and columns count from 0. A position below 0 or past the end appends;
  // the new row's index is returned. A missing row or column reads as the empty text,
  // and writing or deleting it changes nothing.
  virtual int InsertRow(Control list, int position) = 0;
  virtual void SetCell(Control list, int row, int column, const Text& text) = 0;
  virtual Text Cell(Control list, int row, int column) = 0;
  virtual int RowCount(Control list) = 0;
  virtual void DeleteRow(Control list, int row) = 0;
  virtual void DeleteAllRows(Control list) = 0;
  virtual int SelectedRow(Control list) = 0;          // first selected row, -1 when none
  virtual void SelectRow(Control list, int row) = 0;  // -1 clears the selection

  // Status bar; a part the bar lacks changes nothing and reads empty.
  virtual void SetStatusText(int part, const Text& text) = 0;
  virtual Text StatusText(int part) = 0;

  // Shows the rule menu 3 pixels right of and below the cursor.
  virtual void PopupRuleMenu() = 0;

  // Handles the calling thread's queued window events, then returns. A thread without a
  // window has none.
  virtual void HandlePendingEvents() = 0;

  // A message box with an OK button; waits until it is closed. An empty title shows
  // as "信息：".
  void MessageBox(const Text& text, const Text& title = {});

  // Hands a web address to the desktop's browser. Forum pages supply these addresses, so
  // only http:// and https:// ones are opened; anything else is refused with a status
  // message, and an empty address is skipped.
  void OpenAddress(const Text& address);

  // Returns after more than the given milliseconds (at once for 0 or less), or as soon as
  // stop is requested; the calling thread's window events are handled meanwhile. Tells
  // whether the full time passed.
  bool Wait(int milliseconds, std::stop_token stop = {});

 protected:
  virtual void ShowMessageBox(const Text& text, const Text& title) = 0;
  virtual void LaunchBrowser(const Text& address) = 0;
  virtual bool WaitFor(int milliseconds, std::stop_token stop) = 0;

  // For a thread without window events: sleeps until the time is up or stop is requested.
  static bool Sleep(int milliseconds, const std::stop_token& stop);
};

// True for an address that may go to the browser: it begins with http:// or https://,
// in any letter case.
bool IsWebAddress(const Text& address);

// What the status bar says when an address is refused.
Text RefusedAddressMessage(const Text& address);

}  // namespace qw

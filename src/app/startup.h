// Start-up of the program once its main window exists.
#pragma once

#include <filesystem>

#include "app/handlers.h"

class QApplication;

namespace qw {

// The main window's "created" event: sets the settings path beside the program, writes
// the software name on the first start or shows the stored one in the title, and loads the
// projects. A name that cannot be written is reported in StatusBar part 1.
void OnMainWindowCreated(AppContext& app, const std::filesystem::path& programDirectory);

// The program: builds the main window, runs start-up with the settings file in
// programDirectory, shows the window and handles its events until it is closed. Everything
// it made is released when it returns.
int RunProgram(QApplication& application, const std::filesystem::path& programDirectory);

// The 9-point type the form was drawn for; a CJK face where the system has a known one.
void UseFormFont(QApplication& application);

}  // namespace qw

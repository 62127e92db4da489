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

// The 9-point type the form was drawn for; a CJK face where the system has a known one.
void UseFormFont(QApplication& application);

}  // namespace qw

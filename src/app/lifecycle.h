#pragma once
// Start-up and shutdown of a run, for the window and for tests alike: the
// steps after the main window is first shown, and the steps when it closes.

#include <functional>
#include <string>

#include "app/document_commands.h"
#include "app/localisation.h"
#include "app/waypoint_commands.h"
#include "app/workspace.h"

namespace app {

struct StartUpSteps {
    std::string startupFile;     // the file named on the command line; "" for none
    std::string executablePath;  // what the GPX association runs
    // Puts the chosen language's texts on the widgets; none without a window.
    std::function<void(const LanguageTexts&)> applyLanguage;
};

// In this order: user settings, the language, the waypoint database, the
// first-run question, then the file named on the command line. Runs once
// per program start.
void StartUp(Workspace& ws, DocumentCommands& documents, WaypointCommands& waypoints, const StartUpSteps& steps);

// Closes the document (asking to save a changed one), then writes the
// settings and the waypoint database. False when
// the user kept the document open: nothing else happened then. A settings
// file that cannot be written is reported and the remaining steps still run.
bool ShutDown(Workspace& ws, DocumentCommands& documents, WaypointCommands& waypoints);

}  // namespace app

#pragma once
// Start-up and shutdown of a run, for the window and for tests alike: the
// steps after the main window is first shown, and the steps when it closes.

#include <string>

#include "app/document_commands.h"
#include "app/waypoint_commands.h"
#include "app/workspace.h"

namespace app {

// User settings, the waypoint database, then the file named on the command
// line (when there is one).
void StartUp(Workspace& ws, DocumentCommands& documents, WaypointCommands& waypoints,
             const std::string& startupFile);

// Closes the document (asking to save a changed one), then writes the
// settings and the waypoint database. False when
// the user kept the document open: nothing else happened then. A settings
// file that cannot be written is reported and the remaining steps still run.
bool ShutDown(Workspace& ws, DocumentCommands& documents, WaypointCommands& waypoints);

}  // namespace app

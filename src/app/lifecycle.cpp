#include "app/lifecycle.h"

namespace app {

void StartUp(Workspace& ws, DocumentCommands& documents, WaypointCommands& waypoints,
             const std::string& startupFile) {
    EnsureUserDirectories(ws.paths);
    ws.loadUserSettings();
    waypoints.load();
    if (!startupFile.empty()) documents.BestandOpenen(startupFile);
}

bool ShutDown(Workspace& ws, DocumentCommands& documents, WaypointCommands& waypoints) {
    if (!documents.Sluiten1Click()) return false;
    if (!ws.saveUserSettings()) ws.host.prompts().show(OwnText(OwnMessage::SaveFailed) + "\r" + ws.paths.userSettings,
                                                       host::Severity::Error);
    (void)waypoints.save();
    return true;
}

}  // namespace app

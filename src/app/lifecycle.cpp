#include "app/lifecycle.h"

#include "app/install.h"

namespace app {

void StartUp(Workspace& ws, DocumentCommands& documents, WaypointCommands& waypoints, const StartUpSteps& steps) {
    EnsureUserDirectories(ws.paths);
    ws.loadUserSettings();
    LanguageTexts texts = Taalinstellen(ws.paths.productSettings, ws.settings.currentLanguage, ws.messages, ws.log);
    ws.settings.currentLanguage = texts.language;  // a number past the list fell back to 1
    if (steps.applyLanguage) steps.applyLanguage(texts);
    ws.applyChannelSettings();
    waypoints.load();
    if (!steps.executablePath.empty())
        FirstRunQuestion(ws.paths, steps.executablePath, ws.messages, ws.host.prompts());
    if (!steps.startupFile.empty()) documents.BestandOpenen(steps.startupFile);
}

bool ShutDown(Workspace& ws, DocumentCommands& documents, WaypointCommands& waypoints) {
    if (!documents.Sluiten1Click()) return false;
    if (ws.channels) {
        ws.channels->StopCommunication1();
        ws.channels->Shutdown();  // the last log line, which flushes the batch
    }
    if (!ws.saveUserSettings()) ws.host.prompts().show(OwnText(OwnMessage::SaveFailed) + "\r" + ws.paths.userSettings,
                                                       host::Severity::Error);
    (void)waypoints.save();
    return true;
}

}  // namespace app

#include "app/capture_commands.h"

#include <filesystem>

#include "plot/bounds.h"

namespace app {

CaptureCommands::CaptureCommands(Workspace& ws, capture::Desktop& desktop, std::string startDirectory)
    : ws_(ws),
      desktop_(desktop),
      startDirectory_(std::move(startDirectory)),
      route66_(
          desktop, ws.host, [this](const capture::OcrProfile& p) { return tableFileFor(p); },
          [this](const std::string& line) { ws_.report(line); }) {
    route66_.ocrDataFile = (std::filesystem::path(startDirectory_) / "OcrData.txt").string();
}

std::string CaptureCommands::tableFileFor(const capture::OcrProfile& profile) const {
    return capture::FindTableFile(profile.tableFile, {ws_.paths.dataDir, startDirectory_});
}

bool CaptureCommands::Button11Click(const std::function<void(bool)>& showMainWindow) {
    if (ws_.busy()) return false;
    if (!desktop_.available()) {
        ws_.host.prompts().show("Route 66 capture is not possible here.\r" + desktop_.unavailableReason(),
                                host::Severity::Error);
        return false;
    }
    ws_.report("Start route 66 capture");
    route66_.hintText = ws_.message(28);
    if (showMainWindow) showMainWindow(false);
    ws_.host.prompts().show(route66_);
    if (route66_.shown()) route66_.close();
    if (showMainWindow) showMainWindow(true);

    Operations::Scope scope(ws_.operations);
    core::Document& doc = ws_.document;
    int added = capture::AddRoute66Points(doc, route66_.results());
    // Captured points are work the user does not want lost at close.
    if (added > 0) doc.documentModified = true;
    core::PointLoader loader = ws_.loader(&scope.operation());
    plot::DetermineBounds(ws_.plot, doc, loader, ws_.points, [this](const std::string& s) { ws_.report(s); });
    doc.plotMode = 0;
    return true;
}

}  // namespace app

#pragma once
// The route planner page's capture commands. "Start Route66 Capture" hides
// the main window, shows the capture window until the user closes it, and
// turns what was captured into points of the document.

#include <functional>
#include <string>

#include "app/workspace.h"
#include "capture/route66_capture.h"

namespace app {

class CaptureCommands {
public:
    // `desktop` outlives the commands; `startDirectory` is where the program
    // started, the second place the character tables are looked for.
    CaptureCommands(Workspace& ws, capture::Desktop& desktop, std::string startDirectory);

    // Button11Click. `showMainWindow(false)` hides the main window while
    // the capture window is up. False, with a message box, when this
    // desktop cannot be captured from.
    bool Button11Click(const std::function<void(bool visible)>& showMainWindow);

    capture::Route66Capture& route66() { return route66_; }
    // Where a profile's character table is read from: the program's data
    // directory first, then the start directory.
    std::string tableFileFor(const capture::OcrProfile& profile) const;

private:
    Workspace& ws_;
    capture::Desktop& desktop_;
    std::string startDirectory_;
    capture::Route66Capture route66_;
};

}  // namespace app

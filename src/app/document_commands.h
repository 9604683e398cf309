#pragma once
// The document's file commands: open (with type detection), save as,
// "Save points as...", and close.

#include <string>

#include "app/workspace.h"
#include "formats/file_type.h"

namespace app {

class DocumentCommands {
public:
    explicit DocumentCommands(Workspace& ws) : ws_(ws) {}

    void acOpenenExecute();
    // Opens a file; false when it could not be read or its type is unknown.
    bool BestandOpenen(const std::string& fileName);
    void acOpslaanExecute();
    void mSaveTrackClick();
    void Sluiten1Click();
    // Saves to a path as the save dialog's OK does; false when writing failed.
    bool saveDocument(const std::string& path, formats::SaveFormat format);
    // The conversion page's route button: an OziExplorer route file to GPX.
    void ConvertRouteFileClick();

private:
    void OpslaanAlsDialoog();
    void reportSummary();
    void setCaptionFromFile();

    Workspace& ws_;
};

}  // namespace app

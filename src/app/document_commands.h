#pragma once
// The document's file commands: open (with type detection), save as,
// "Save points as...", close, the Google Earth view and the tree's delete
// commands. These are the places that ask the user: they fill the readers'
// and writers' options through Host prompts and turn results into messages.

#include <functional>
#include <optional>
#include <string>

#include "app/workspace.h"
#include "formats/file_type.h"

namespace app {

class DocumentCommands {
public:
    explicit DocumentCommands(Workspace& ws) : ws_(ws) {}

    // How a delimited text file's columns are chosen: the import wizard
    // by default, the command line's options in pathkeep-cli. None: the
    // user cancelled.
    using CsvChooser = std::function<std::optional<formats::CsvSettings>(const std::string& text)>;
    void setCsvChooser(CsvChooser chooser) { csvChooser_ = std::move(chooser); }

    void acOpenenExecute();
    // Opens a file; false when it could not be read, its type is unknown,
    // or the reading was cancelled.
    bool BestandOpenen(const std::string& fileName);
    void acOpslaanExecute();
    void mSaveTrackClick();
    // Closes the document, asking to save it when it changed. False when
    // the user cancelled the question, or wanted it saved and that save did
    // not happen: the document then stays open.
    bool Sluiten1Click();

    // Saves to a path with the given options, as the save dialog's OK does
    // once everything is asked. Done clears documentModified (for a whole
    // document) and makes the path the document's file; anything else
    // leaves both as they were.
    core::Result saveDocument(const std::string& path, formats::SaveFormat format,
                              const formats::SaveOptions& options);
    // The same after asking what a format needs (points and fields of a
    // text export); cancelled when the user cancelled a question.
    core::Result askAndSave(const std::string& path, formats::SaveFormat format, bool selectionOnly);

    // The conversion page's route button: an OziExplorer route file to GPX.
    void ConvertRouteFileClick();
    // Writes all waypoints and tracks as KML and opens it with the desktop's program.
    void btGoogleClick();

    // The tree's delete commands on the focused node.
    bool deleteTrack();
    bool deleteRoute();
    bool deletePoint();

private:
    void OpslaanAlsDialoog();
    void reportSummary();
    void setCaptionFromFile();
    std::optional<formats::CsvSettings> csvByWizard(const std::string& fileName, const std::string& text);
    // The ranges and the bounds node; the point list stays as it is.
    bool determineBounds(core::Operation& operation);

    Workspace& ws_;
    CsvChooser csvChooser_;
};

}  // namespace app

#include "app/document_commands.h"

#include "formats/legacy_text.h"
#include "formats/save_dialog_model.h"

namespace app {

namespace {

// Marks the workspace busy for one command and restores the cursor after.
class BusyScope {
public:
    explicit BusyScope(Workspace& ws) : ws_(ws), wasBusy_(ws.busy) {
        ws_.busy = true;
        ws_.host.eventPump().setBusy(true);
    }
    ~BusyScope() {
        ws_.host.eventPump().setBusy(false);
        ws_.busy = wasBusy_;
    }

private:
    Workspace& ws_;
    bool wasBusy_;
};

}  // namespace

void DocumentCommands::setCaptionFromFile() {
    ws_.setCaption(std::string(kProgramName) + " - " + formats::FileNameOf(ws_.currentFileName));
}

void DocumentCommands::Sluiten1Click() {
    core::Document& doc = ws_.document;
    if (doc.documentModified &&
        ws_.host.prompts().askYesNo(ws_.message(38), host::Severity::Warning) == host::Answer::Yes)
        acOpslaanExecute();
    ws_.points.reset();
    doc.documentModified = false;
    ws_.currentFileName.clear();
    ws_.status("");
    doc.initTree();
    ws_.setCaption(kProgramName);
}

void DocumentCommands::acOpenenExecute() {
    if (ws_.busy) return;
    Sluiten1Click();
    std::string directory = ws_.currentDirectory.empty() ? ws_.paths.dataDir : ws_.currentDirectory;
    auto path = ws_.host.prompts().openFile(ws_.message(17), directory, formats::OpenFilters());
    if (path) BestandOpenen(*path);
}

bool DocumentCommands::BestandOpenen(const std::string& fileName) {
    BusyScope busy(ws_);
    core::Document& doc = ws_.document;
    ws_.report("Open file: " + fileName);
    doc.initTree();
    ws_.plot.resetBounds();
    ws_.report("Determine file type...");
    ws_.currentFileName = fileName;
    setCaptionFromFile();
    ws_.currentDirectory = formats::DirectoryOf(fileName);
    ws_.status(formats::FileNameOf(fileName));
    std::string ext = formats::ExtensionOf(fileName);
    ws_.report("File extension: " + ext);
    doc.documentModified = false;
    doc.cancelRequested = false;

    formats::FileHead head;
    std::string error;
    if (!formats::ReadFileHead(fileName, head, error)) {
        ws_.report(error);
        ws_.host.prompts().show(error, host::Severity::Error);
        return false;
    }
    ws_.report("First line: " + head.lines);

    bool ok = true;
    formats::FileType type = formats::DetectFileType(head, ext);
    const formats::ReadFn* read = formats::ReaderFor(type);
    if (!read) {
        ws_.report("Unknown file");
        ws_.host.prompts().show(ws_.message(18), host::Severity::Error);
        ok = false;
    } else {
        formats::Env env = ws_.env();
        formats::ReadOutcome outcome = (*read)(env, fileName);
        if (!outcome.readable) {
            // Whatever was read before the fault stays in the document.
            std::string where = outcome.error.line > 0 ? outcome.error.describe() : outcome.error.message;
            ws_.report(OwnText(OwnMessage::FileUnreadable) + " " + where);
            ws_.host.prompts().show(OwnText(OwnMessage::FileUnreadable) + "\r" + fileName + "\r" + where,
                                    host::Severity::Error);
            ok = false;
        }
        if (outcome.cancelled) ws_.report("Reading stopped by the user");
    }

    ws_.status("Calculating bounds...");
    core::PointLoader loader = ws_.loader();
    plot::DetermineBounds(ws_.plot, doc, loader, ws_.points,
                          [this](const std::string& s) { ws_.report(s); });
    doc.plotMode = 0;
    ws_.status(formats::FileNameOf(fileName));
    reportSummary();
    return ok;
}

void DocumentCommands::reportSummary() {
    const core::Document& doc = ws_.document;
    ws_.report("Waypoints: " + std::to_string(doc.childCount(doc.waypoints())));
    ws_.report("Routes   : " + std::to_string(doc.childCount(doc.routes())));
    ws_.report("Tracks   : " + std::to_string(doc.childCount(doc.trackpoints())));
    int n = 0;
    for (core::NodeId t = doc.firstChild(doc.trackpoints()); t != core::kNoNode; t = doc.nextSibling(t)) {
        std::uint32_t points = 0;
        for (core::NodeId c = doc.firstChild(t); c != core::kNoNode; c = doc.nextSibling(c))
            if (doc.kind(c) == core::kSegmentKind) points = doc.childCount(c);
        ws_.report("Track " + std::to_string(++n) + " : " + doc.getText(doc.firstChild(t)) + ", " +
                   std::to_string(points) + " points");
    }
}

void DocumentCommands::acOpslaanExecute() {
    if (ws_.busy) return;
    ws_.saveSelectionOnly = false;
    OpslaanAlsDialoog();
    setCaptionFromFile();
}

void DocumentCommands::mSaveTrackClick() {
    if (ws_.busy) return;
    ws_.saveSelectionOnly = true;
    OpslaanAlsDialoog();
    ws_.saveSelectionOnly = false;
}

void DocumentCommands::OpslaanAlsDialoog() {
    formats::SaveDialogModel dialog;
    formats::SaveFormat preselected = formats::SaveFormatForExtension(formats::ExtensionOf(ws_.currentFileName));
    const auto& rows = formats::SaveFormats();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].format == preselected) dialog.formatIndex = static_cast<int>(i);
    dialog.fileName = formats::ReplaceExtension(ws_.currentFileName, "");
    dialog.currentFileName = ws_.currentFileName;
    dialog.currentDirectory = ws_.currentDirectory;
    if (!ws_.host.prompts().show(dialog)) return;
    saveDocument(formats::ReplaceExtension(dialog.fileName, formats::SaveFormatOf(dialog.format()).extension),
                 dialog.format());
}

bool DocumentCommands::saveDocument(const std::string& path, formats::SaveFormat format) {
    BusyScope busy(ws_);
    core::Document& doc = ws_.document;
    ws_.currentFileName = path;
    ws_.currentDirectory = formats::DirectoryOf(path);
    doc.documentModified = false;
    doc.cancelRequested = false;
    ws_.status(formats::FileNameOf(path));
    const formats::WriteFn* write = formats::WriterFor(format);
    if (!write) {
        std::string text = OwnText(OwnMessage::NoWriter) + " " + formats::SaveFormatOf(format).caption;
        ws_.report(text);
        ws_.host.prompts().show(text, host::Severity::Error);
        doc.documentModified = true;
        return false;
    }
    formats::Env env = ws_.env();
    formats::WriteOutcome outcome = (*write)(env, ws_.plot, path, ws_.saveSelectionOnly);
    if (outcome.cancelled) {
        ws_.report(OwnText(OwnMessage::SaveCancelled));
        doc.documentModified = true;
        return false;
    }
    if (!outcome.ok) {
        ws_.report(OwnText(OwnMessage::SaveFailed) + " " + outcome.error);
        ws_.host.prompts().show(OwnText(OwnMessage::SaveFailed) + "\r" + outcome.error, host::Severity::Error);
        doc.documentModified = true;  // nothing was saved, so the changes are still unsaved
        return false;
    }
    return true;
}

}  // namespace app

namespace app {

void DocumentCommands::ConvertRouteFileClick() {
    auto path = ws_.host.prompts().openFile(ws_.message(14), ws_.paths.dataDir, {{"Route file", {"*.rte"}}});
    if (!path) return;
    formats::RouteConversion r = formats::ConvertRouteFile(*path);
    switch (r.status) {
        case formats::RouteConversion::Status::NotARouteFile:
            ws_.host.prompts().show(ws_.message(15), host::Severity::Error);
            break;
        case formats::RouteConversion::Status::Done:
            ws_.host.prompts().show(ws_.message(16) + " " + r.outputPath, host::Severity::Information);
            break;
        default:
            ws_.host.prompts().show(r.error, host::Severity::Error);
            break;
    }
}

}  // namespace app

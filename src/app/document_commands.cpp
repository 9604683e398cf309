#include "app/document_commands.h"

#include <utility>

#include "core/tree_delete.h"
#include "formats/csv_import.h"
#include "formats/kml.h"
#include "formats/legacy_text.h"
#include "formats/ozi.h"
#include "formats/save_dialog_model.h"
#include "formats/text_export.h"

namespace app {

void DocumentCommands::setCaptionFromFile() {
    ws_.setCaption(std::string(kProgramName) + " - " + formats::FileNameOf(ws_.currentFileName));
}

bool DocumentCommands::Sluiten1Click() {
    core::Document& doc = ws_.document;
    if (doc.documentModified) {
        // Escape or closing the question is Cancel: the command is abandoned.
        host::Answer answer = ws_.host.prompts().askYesNoCancel(ws_.message(38), host::Severity::Warning);
        if (answer == host::Answer::Cancel) return false;
        if (answer == host::Answer::Yes) {
            ws_.saveSelectionOnly = false;
            OpslaanAlsDialoog();
            // The user wanted the changes kept: without a save they stay open.
            if (doc.documentModified) return false;
        }
    }
    ws_.points.reset();
    doc.documentModified = false;
    ws_.currentFileName.clear();
    ws_.status("");
    doc.initTree();
    ws_.setCaption(kProgramName);
    return true;
}

void DocumentCommands::acOpenenExecute() {
    if (ws_.busy()) return;
    // The file first: a cancelled choice leaves the open document as it was.
    std::string directory = ws_.currentDirectory.empty() ? ws_.paths.dataDir : ws_.currentDirectory;
    auto path = ws_.host.prompts().openFile(ws_.message(17), directory, formats::OpenFilters());
    if (path && Sluiten1Click()) BestandOpenen(*path);
}

std::optional<formats::CsvSettings> DocumentCommands::csvByWizard(const std::string& fileName,
                                                                  const std::string& text) {
    formats::ImportWizardModel wizard;
    wizard.fileName = fileName;
    wizard.preview = text;
    wizard.initForm();
    if (!ws_.host.prompts().show(wizard) || wizard.result != formats::ImportWizardModel::Result::Finish)
        return std::nullopt;
    return wizard.storeSettings();
}

bool DocumentCommands::determineBounds(core::Operation& operation) {
    if (!ws_.determineRanges) return true;
    ws_.status("Calculating bounds...");
    core::PointLoader loader = ws_.loader(&operation);
    // Only the ranges: every command that draws or sends points loads the
    // ones it needs itself, so a copy of all of them here would be a
    // hundred megabytes and most of an open's time for a million points.
    return plot::DetermineRanges(ws_.plot, ws_.document, loader, [this](const std::string& s) { ws_.report(s); });
}

bool DocumentCommands::BestandOpenen(const std::string& fileName) {
    Operations::Scope scope(ws_.operations);
    core::Operation& operation = scope.operation();
    core::Document& doc = ws_.document;
    ws_.report("Open file: " + fileName);
    doc.initTree();
    ws_.plot.resetBounds();
    ws_.points.reset();  // the points of the document before
    ws_.report("Determine file type...");
    ws_.currentFileName = fileName;
    setCaptionFromFile();
    ws_.currentDirectory = formats::DirectoryOf(fileName);
    ws_.status(formats::FileNameOf(fileName));
    std::string ext = formats::ExtensionOf(fileName);
    ws_.report("File extension: " + ext);

    formats::FileHead head;
    std::string error;
    if (!formats::ReadFileHead(fileName, head, error)) {
        ws_.report(error);
        ws_.host.prompts().show(error, host::Severity::Error);
        return false;
    }
    ws_.report("First line: " + head.lines);

    formats::FileType type = formats::DetectFileType(head, ext);
    formats::ReadFn read = formats::ReaderFor(type);
    core::Result result = core::Result::failed("Unknown file");
    if (!read) {
        ws_.report("Unknown file");
        ws_.host.prompts().show(ws_.message(18), host::Severity::Error);
    } else {
        formats::ReadOptions options;
        options.allTalkers = ws_.settings.allTalkers;
        if (type == formats::FileType::Csv) {
            // The columns are chosen from the first lines; the reader reads the rest.
            std::string text, error;
            result = formats::ReadFileHeadText(fileName, text, error) ? core::Result::done() : core::Result::failed(error);
            if (result.isDone()) {
                options.csv = csvChooser_ ? csvChooser_(text) : csvByWizard(fileName, text);
                if (!options.csv) result = core::Result::cancelled();
            }
        }
        if (type != formats::FileType::Csv || options.csv) {
            formats::Env env = ws_.env(operation);
            result = read(env, fileName, options);
        }
        if (result.isFailed()) {
            // Whatever was read before the fault stays in the document.
            ws_.report(OwnText(OwnMessage::FileUnreadable) + " " + result.describe());
            ws_.host.prompts().show(
                OwnText(OwnMessage::FileUnreadable) + "\r" + fileName + "\r" + result.describe(),
                host::Severity::Error);
        }
        if (result.isCancelled()) ws_.report(OwnText(OwnMessage::ReadCancelled));
    }

    // The part read before a cancel still gets its bounds.
    core::Operation uncancelled;
    determineBounds(operation.cancelled() ? uncancelled : operation);
    doc.plotMode = 0;
    ws_.status(formats::FileNameOf(fileName));
    reportSummary();
    // What was only read is no change of the user's.
    doc.documentModified = false;
    ws_.documentOpened();
    return result.isDone();
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
    if (ws_.busy()) return;
    ws_.saveSelectionOnly = false;
    OpslaanAlsDialoog();
}

void DocumentCommands::mSaveTrackClick() {
    if (ws_.busy()) return;
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
    std::string path = formats::ReplaceExtension(dialog.fileName, formats::SaveFormatOf(dialog.format()).extension);
    // The name is only final here, with the format's extension: this is where
    // an existing file is found, whatever a browse dialog asked before.
    if (formats::StatusOf(path).exists &&
        ws_.host.prompts().askYesNo(OwnText(OwnMessage::ReplaceFile) + "\r" + path, host::Severity::Warning) !=
            host::Answer::Yes)
        return;
    core::Result r = askAndSave(path, dialog.format(), ws_.saveSelectionOnly);
    // Only a save of the whole document names the window after its file.
    if (r.isDone() && !ws_.saveSelectionOnly) setCaptionFromFile();
}

core::Result DocumentCommands::askAndSave(const std::string& path, formats::SaveFormat format,
                                          bool selectionOnly) {
    formats::SaveOptions options;
    options.selectionOnly = selectionOnly;
    if (format == formats::SaveFormat::Txt) {
        if (selectionOnly && ws_.document.focused() == core::kNoNode) {
            ws_.report(OwnText(OwnMessage::NothingSaved));
            return core::Result::nothingToDo();
        }
        if (!selectionOnly)
            options.whole = ws_.host.prompts().askYesNo(ws_.message(40), host::Severity::Information) ==
                                    host::Answer::Yes
                                ? formats::WholeDocument::Tracks
                                : formats::WholeDocument::Waypoints;
        formats::FieldSelectionModel fields;
        fields.chosen = ws_.exportFields;
        fields.rebuildAvailable();
        fields.saveAsDefault = [this](const std::vector<std::string>& f) { ws_.saveFieldsAsDefault(f); };
        if (!ws_.host.prompts().show(fields)) return core::Result::cancelled();
        ws_.exportFields = fields.chosen;
        options.fields = fields.chosen;
    }
    core::Result r = saveDocument(path, format, options);
    if (!r.isDone()) return r;
    if (format == formats::SaveFormat::Txt) ws_.host.prompts().show("OK", host::Severity::Information);
    if (format == formats::SaveFormat::Wpt &&
        ws_.document.childCount(ws_.document.waypoints()) > static_cast<std::uint32_t>(formats::ozi::kMaxWaypoints))
        ws_.host.prompts().show(ws_.message(19), host::Severity::Warning);
    return r;
}

core::Result DocumentCommands::saveDocument(const std::string& path, formats::SaveFormat format,
                                            const formats::SaveOptions& given) {
    Operations::Scope scope(ws_.operations);
    core::Operation& operation = scope.operation();
    core::Document& doc = ws_.document;
    ws_.status(formats::FileNameOf(path));
    const formats::SaveFormatRow& row = formats::SaveFormatOf(format);
    if (!row.write) {
        std::string text = OwnText(OwnMessage::NoWriter) + " " + row.caption;
        ws_.report(text);
        ws_.host.prompts().show(text, host::Severity::Error);
        return core::Result::failed(text);
    }
    formats::SaveOptions options = given;
    if (format == formats::SaveFormat::Kml) {
        // Google Earth looks first at the tracks' bounds.
        bool determined = determineBounds(operation);
        if (!determined) {
            ws_.report(OwnText(OwnMessage::SaveCancelled));
            return core::Result::cancelled();
        }
        options.view = {ws_.plot.minLat, ws_.plot.maxLat, ws_.plot.minLon, ws_.plot.maxLon};
    }
    formats::Env env = ws_.env(operation);
    core::Result r = row.write(env, path, options);
    switch (r.outcome()) {
        case core::Outcome::Done:
            ws_.currentDirectory = formats::DirectoryOf(path);
            if (!options.selectionOnly) {
                ws_.currentFileName = path;
                doc.documentModified = false;
            }
            break;
        case core::Outcome::Cancelled: ws_.report(OwnText(OwnMessage::SaveCancelled)); break;
        case core::Outcome::NothingToDo:
            ws_.report(OwnText(OwnMessage::NothingSaved) + (r.message().empty() ? "" : " " + r.message()));
            break;
        case core::Outcome::Failed:
            ws_.report(OwnText(OwnMessage::SaveFailed) + " " + r.message());
            ws_.host.prompts().show(OwnText(OwnMessage::SaveFailed) + "\r" + r.message(), host::Severity::Error);
            break;
    }
    return r;
}

void DocumentCommands::btGoogleClick() {
    if (ws_.busy()) return;
    formats::SaveOptions options;
    core::Result r = saveDocument(ws_.paths.googleEarthFile, formats::SaveFormat::Kml, options);
    if (!r.isDone()) return;
    ws_.report("Open: " + ws_.paths.googleEarthFile);
    if (!ws_.host.shell().openDocument(ws_.paths.googleEarthFile))
        ws_.host.prompts().show(OwnText(OwnMessage::KmlViewerFailed), host::Severity::Error);
}

bool DocumentCommands::deleteTrack() {
    if (ws_.busy()) return false;
    Operations::Scope scope(ws_.operations);
    core::PointLoader loader = ws_.loader(&scope.operation());
    return core::DeleteTrack(ws_.document, loader, ws_.host.clipboard(), ws_.host.locale(),
                             [this](const std::string& s) { ws_.report(s); });
}

bool DocumentCommands::deleteRoute() {
    if (ws_.busy()) return false;
    return core::DeleteRoute(ws_.document, [this](const std::string& s) { ws_.report(s); });
}

bool DocumentCommands::deletePoint() {
    if (ws_.busy()) return false;
    return core::DeletePoint(ws_.document);
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

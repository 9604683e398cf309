#include "app/nmea_file_commands.h"

#include "core/fn.h"
#include "formats/file_type.h"

namespace app {

NmeaFileCommands::NmeaFileCommands(Workspace& ws)
    : ws_(ws),
      logFile_({ws.host.prompts(), [&ws](int n) { return ws.message(n); },
                [&ws](const std::string& source, const nmea::LogToolOptions& options) {
                    Operations::Scope scope(ws.operations);
                    ws.report("NMEA logfile: " + source);
                    nmea::LogToolResult r = nmea::RunLogTool(source, options, scope.operation());
                    ws.status("");
                    return r;
                },
                [&ws](const std::string& line) { ws.report(line); }}) {}

void NmeaFileCommands::NMEAlogfile1Click() {
    if (ws_.busy()) return;
    logFile_.FormShow();
    ws_.host.prompts().show(logFile_);
}

std::string NmeaFileCommands::readForm(const NmeaFileForm& form, nmea::NmeaFileOptions& options) const {
    std::optional<long double> speed = core::ParseNumber(form.Edit25), step = core::ParseNumber(form.Edit26);
    if (!speed) return "'" + form.Edit25 + "' is not a valid floating point value";
    if (!step) return "'" + form.Edit26 + "' is not a valid floating point value";
    options.speedMs = *speed;
    options.stepS = *step;
    options.time = form.option;
    if (std::string problem = nmea::CheckNmeaFileOptions(options); !problem.empty()) return problem;
    if (form.option == nmea::TimeOption::Now) options.startSerial = ws_.host.clock().nowSerial();
    options.utcOffsetMinutes = ws_.host.clock().utcOffsetMinutes();
    if (form.option == nmea::TimeOption::StartFrom) {
        double day = 0, fraction = 0;
        if (!nmea::ReadSimDate(form.meDate, day)) return "'" + form.meDate + "' is not a valid date";
        if (!nmea::ReadSimTime(form.meTime, fraction)) return "'" + form.meTime + "' is not a valid time";
        options.startSerial = static_cast<long double>(day) + fraction;
    }
    return {};
}

core::Result NmeaFileCommands::writeTrackAsNmea(const std::string& trackName, const std::string& path,
                                                const nmea::NmeaFileOptions& options, nmea::RmcBuilder& builder,
                                                const nmea::MemoLine& memo, long& sentences) {
    sentences = 0;
    const core::Document& doc = ws_.document;
    core::NodeId track = doc.firstChild(doc.trackpoints());
    while (track != core::kNoNode && doc.nameOf(track) != trackName) track = doc.nextSibling(track);
    if (track == core::kNoNode) return core::Result::failed("No track named \"" + trackName + "\"");
    Operations::Scope scope(ws_.operations);
    ws_.points.reset();
    ws_.loader(&scope.operation()).ShowTrack(ws_.points, track);
    if (scope.operation().cancelled()) return core::Result::cancelled();
    core::Result r = nmea::MaakNmeaBestand(path, ws_.points, options, builder, memo, scope.operation(), sentences);
    ws_.status("");
    return r;
}

core::Result NmeaFileCommands::btMaakNMEAClick(const NmeaFileForm& form, nmea::RmcBuilder& builder,
                                               const NmeaMemo& memo) {
    if (ws_.busy()) return core::Result::nothingToDo();
    ws_.report("Create NMEA file from point selected track");
    if (form.track.empty()) return core::Result::nothingToDo();
    std::string directory = ws_.currentDirectory.empty() ? ws_.paths.dataDir : ws_.currentDirectory;
    auto chosen = ws_.host.prompts().saveFile("Save NMEA file", directory, {{"log file", {"*.log"}}});
    if (!chosen) return core::Result::cancelled();
    std::string path = formats::ReplaceExtension(*chosen, ".log");
    if (memo.clear) memo.clear();
    nmea::NmeaFileOptions options;
    // Unreadable or unusable numbers: told before anything is written.
    if (std::string problem = readForm(form, options); !problem.empty()) {
        ws_.host.prompts().show(problem, host::Severity::Error);
        return core::Result::failed(problem);
    }
    size_t shown = 0;
    long sentences = 0;
    core::Result r = writeTrackAsNmea(form.track, path, options, builder, [&](const std::string& line) {
        if (shown++ < NmeaMemo::kMemoLines && memo.add) memo.add(line);
    }, sentences);
    if (memo.add && shown > NmeaMemo::kMemoLines)
        memo.add("... " + std::to_string(shown - NmeaMemo::kMemoLines) + " more lines in " + path);
    if (r.isDone()) {
        ws_.report("Written: " + path + " (" + std::to_string(sentences) + " sentences)");
        ws_.host.prompts().show("OK", host::Severity::Information);
    } else if (r.isFailed()) {
        ws_.report(r.describe());
        ws_.host.prompts().show(r.describe(), host::Severity::Error);
    } else if (r.isNothingToDo()) {
        ws_.host.prompts().show(ws_.message(11), host::Severity::Information);
    }
    return r;
}

}  // namespace app

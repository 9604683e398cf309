// pathkeep-cli: the command-line twin of Pathkeep. Results go to stdout,
// progress and errors to stderr. Exit 0 success, 1 failed work, 2 wrong usage.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cctype>
#include <chrono>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/document_commands.h"
#include "app/install.h"
#include "app/nmea_file_commands.h"
#include "app/localisation.h"
#include "app/workspace.h"
#include "cli/cli_host.h"
#include "cli/map_verb.h"
#include "cli/plot_verb.h"
#include "cli/receive.h"
#include "cli/simulate.h"
#include "cli/garmin_verb.h"
#include "cli/nmea_log_verb.h"
#include "formats/file_type.h"
#include "nmea/coordinate_conversion.h"
#include "nmea/rmc_builder.h"
#include "formats/csv_import.h"
#include "formats/legacy_text.h"
#include "formats/ozi.h"
#include "formats/text_export.h"
#include "formats/atomic_file.h"
#include "host/qt/qt_http.h"
#include "plot/track_stats.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr size_t kTimeStampChars = 9;  // "hh:mm:ss "

const char* const kUsage =
    "Usage: pathkeep-cli [--help] [--version] COMMAND [ARGS...]\n"
    "\n"
    "Pathkeep keeps waypoints, routes and tracks from GPS receivers and files.\n"
    "\n"
    "Commands:\n"
    "  tree FILE              open FILE and print the document tree\n"
    "  info FILE...           open each FILE and print the open command's log and summary,\n"
    "                         then each track's length, times, speeds and climb\n"
    "  convert IN OUT [--format gpx|kml|plt|wpt|txt|nmea] [options]\n"
    "                         open IN and save it as OUT (format from --format, else\n"
    "                         from OUT's extension; OUT gets the format's extension)\n"
    "      --points tracks|waypoints   what a text export writes (default tracks)\n"
    "      --fields 08,02,...          the text export's columns [01]..[11]\n"
    "                                  (default: the saved default, else all eleven)\n"
    "      --csv-separator tab|semicolon|comma\n"
    "      --csv-columns skip,date,time,lat,lon,alt,...\n"
    "                                  data type of the first columns (up to 20):\n"
    "                                  lat, lon, time, alt, date, datetime,\n"
    "                                  hemisphere (a column of N/S or E/W), skip\n"
    "      --csv-header yes|no         whether line one holds headings\n"
    "      --quiet                     no warnings on stderr (skipped lines, replaced\n"
    "                                  characters); the exit code still says 1 when\n"
    "                                  IN could not be read or OUT not written\n"
    "                                  (CSV defaults: what the import wizard guesses)\n"
    "      nmea (also for OUT.log): a log of $GPRMC sentences driving along a track\n"
    "      --track NAME                the track (default: the first)\n"
    "      --speed M/S                 driving speed (default 10)\n"
    "      --step S                    seconds between sentences (default 1)\n"
    "      --time original|now|speed|\"dd-mm-yyyy hh:mm:ss\"\n"
    "                                  the first sentence's time: point 1's, now,\n"
    "                                  30-12-1899 00:00, or the one given (default now)\n"
    "  rte2gpx FILE.rte       convert an OziExplorer route file to GPX beside it\n"
    "  coord VALUE...         a coordinate in three notations: VALUE is decimal degrees\n"
    "                         (\"52.15\", \"-4.5\") or degrees, minutes, seconds and a direction\n"
    "                         (\"52 9 0 N\"); without a letter the first is a latitude, the next a longitude\n"
    "  plot FILE --kind points|way|height|speed --out IMAGE [options]\n"
    "                         draw a plot of FILE as BMP or PNG (see plot --help)\n"
    "  map FILE --out IMAGE [--size WxH] [--tiles URL]\n"
    "                         draw FILE on a map as BMP or PNG, over web-map tiles\n"
    "                         with --tiles, else over a degree grid (see map --help)\n"
    "  export-texts [OUT]     write every language text for translators to OUT\n"
    "                         (default: translation.csv in the user data folder)\n"
    "  register-gpx           make the desktop open GPX files with pathkeep\n"
    "  check-update [URL]     compare this version with the newest one on the web site\n"
    "                         (URL default: $PATHKEEP_UPDATE_URL, else the web site)\n"
    "@nmea-log@"
    "@receive@"
    PATHKEEP_GARMIN_USAGE
    "\n"
    "Options:\n"
    "  --help       show this text\n"
    "  --version    show the program version\n";

std::string usageText() {
    std::string text = kUsage;
    text.replace(text.find("@nmea-log@"), 10, cli::kNmeaLogUsage);
    size_t at = text.find("@receive@");
    return text.replace(at, 9, std::string(cli::kReceiveUsage) + cli::kSimulateUsage);
}

int usageError(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli: %s\n\n%s", message.c_str(), usageText().c_str());
    return kExitUsage;
}

struct Cli {
    cli::CliHost host;
    app::Workspace ws;
    app::DocumentCommands commands{ws};
    core::ScopedConnection statusToStderr;

    Cli()
        : ws(host, cli::PathsBesideThisProgram()) {
        ws.create();
        // Delimited text is read with the columns the import wizard would guess.
        commands.setCsvChooser([](const std::string& text) -> std::optional<formats::CsvSettings> {
            return formats::GuessCsvSettings(text, formats::GuessCsvSeparator(text));
        });
        // Long work shows its status on stderr, at most once a second.
        statusToStderr = ws.statusLine.changed.scoped([last = std::chrono::steady_clock::now()](
                                                          int, const std::string& text) mutable {
            auto now = std::chrono::steady_clock::now();
            if (text.empty() || now - last < std::chrono::seconds(1)) return;
            last = now;
            std::fprintf(stderr, "%s\n", text.c_str());
        });
    }
};

void printTree(const core::Document& doc, core::NodeId node, int depth, std::string& out) {
    for (core::NodeId c = doc.firstChild(node); c != core::kNoNode; c = doc.nextSibling(c)) {
        out.append(static_cast<size_t>(depth) * 2, ' ');
        out += doc.getText(c);
        out += '\n';
        if (out.size() > (1 << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
        printTree(doc, c, depth + 1, out);
    }
}

int treeCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError("tree needs exactly one FILE");
    Cli cli;
    auto warnings = cli.ws.log.warningAdded.scoped(
        [](const std::string& w) { std::fprintf(stderr, "pathkeep-cli: warning: %s\n", w.c_str()); });
    if (!cli.commands.BestandOpenen(args[0])) return kExitFailed;
    std::string out;
    const core::Document& doc = cli.ws.document;
    for (core::NodeId top = doc.firstChild(core::kRootNode); top != core::kNoNode; top = doc.nextSibling(top)) {
        out += doc.getText(top) + "\n";
        printTree(doc, top, 1, out);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kExitOk;
}

// The figures of every track of the open document, after the open's summary.
void printTrackStats(app::Workspace& ws) {
    const core::Document& doc = ws.document;
    core::PointLoader loader = ws.loader();
    int number = 0;
    for (core::NodeId t = doc.firstChild(doc.trackpoints()); t != core::kNoNode; t = doc.nextSibling(t)) {
        plot::TrackStats stats;
        plot::MeasureNode(doc, loader, t, stats);
        std::printf("Statistics of track %d (%s):\n", ++number, doc.nameOf(t).c_str());
        // Scripts read "." whatever the user's locale.
        const auto texts = plot::StatTexts(stats, '.');
        for (size_t i = 0; i < texts.size(); ++i)
            std::printf("  %-16s%s\n", plot::kStatCaptions[i], texts[i].c_str());
    }
}

int infoCommand(const std::vector<std::string>& args) {
    if (args.empty()) return usageError("info needs at least one FILE");
    Cli cli;
    auto printLine = cli.ws.log.lineAdded.scoped([](const std::string& line) {
        std::string text = line.size() >= kTimeStampChars ? line.substr(kTimeStampChars) : line;
        std::fprintf(stdout, "%s\n", text.c_str());
    });
    int status = kExitOk;
    for (const auto& file : args) {
        cli.ws.document.documentModified = false;  // no save question between files
        if (!cli.commands.BestandOpenen(file)) {
            status = kExitFailed;
            continue;
        }
        printTrackStats(cli.ws);
    }
    return status;
}

// What the command line says of a conversion, in the options the open and
// save commands take.
struct ConvertArgs {
    std::vector<std::string> files;
    std::string formatId;
    formats::WholeDocument whole = formats::WholeDocument::Tracks;
    std::vector<int> fields;  // empty: the saved default, else all
    std::optional<char> csvSeparator;
    std::optional<std::vector<int>> csvColumns;
    std::optional<bool> csvHeader;
    bool quiet = false;
    // NMEA output: a drive along one track.
    std::string track;
    std::string speed = "10", step = "1", time = "now";
};

// Returns a usage error text, or "" when the arguments are good.
std::string parseConvertArgs(const std::vector<std::string>& args, ConvertArgs& c) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            c.files.push_back(a);
            continue;
        }
        if (a == "--quiet") {
            c.quiet = true;
            continue;
        }
        if (i + 1 >= args.size()) return a + " needs a value";
        const std::string& v = args[++i];
        if (a == "--format") {
            c.formatId = v;
        } else if (a == "--points") {
            if (v != "tracks" && v != "waypoints") return "--points takes tracks or waypoints";
            c.whole = v == "tracks" ? formats::WholeDocument::Tracks : formats::WholeDocument::Waypoints;
        } else if (a == "--fields") {
            auto f = cli::ParseFieldList(v);
            if (!f) return "--fields takes numbers 01 to 11 separated by commas";
            c.fields = *f;
        } else if (a == "--csv-separator") {
            if (v == "tab") c.csvSeparator = '\t';
            else if (v == "semicolon") c.csvSeparator = ';';
            else if (v == "comma") c.csvSeparator = ',';
            else return "--csv-separator takes tab, semicolon or comma";
        } else if (a == "--csv-columns") {
            auto cols = cli::ParseCsvColumns(v);
            if (!cols) return "--csv-columns takes up to 20 of lat, lon, time, alt, date, datetime, hemisphere, skip";
            c.csvColumns = *cols;
        } else if (a == "--track") {
            c.track = v;
        } else if (a == "--speed") {
            c.speed = v;
        } else if (a == "--step") {
            c.step = v;
        } else if (a == "--time") {
            c.time = v;
        } else if (a == "--csv-header") {
            if (v != "yes" && v != "no") return "--csv-header takes yes or no";
            c.csvHeader = v == "yes";
        } else {
            return "unknown option '" + a + "'";
        }
    }
    if (c.files.size() != 2) return "convert needs IN and OUT";
    return "";
}

// The time option of an NMEA drive: original, now, speed, or a start
// "dd-mm-yyyy hh:mm:ss". False when the text is none of these.
bool nmeaTimeForm(const std::string& time, app::NmeaFileForm& form) {
    if (time == "original") form.option = nmea::TimeOption::Original;
    else if (time == "now") form.option = nmea::TimeOption::Now;
    else if (time == "speed") form.option = nmea::TimeOption::GivenSpeed;
    else {
        size_t blank = time.find(' ');
        if (blank == std::string::npos) return false;
        form.option = nmea::TimeOption::StartFrom;
        form.meDate = time.substr(0, blank);
        form.meTime = time.substr(blank + 1);
    }
    return true;
}

// convert IN OUT.log --format nmea: the NMEA file creation of the
// simulation page, for one track of IN.
int convertToNmea(const ConvertArgs& c) {
    app::NmeaFileForm form;
    form.Edit25 = c.speed;
    form.Edit26 = c.step;
    if (!nmeaTimeForm(c.time, form)) return usageError("--time takes original, now, speed or \"dd-mm-yyyy hh:mm:ss\"");
    Cli cli;
    core::ScopedConnection warnings;
    if (!c.quiet)
        warnings = cli.ws.log.warningAdded.scoped(
            [](const std::string& w) { std::fprintf(stderr, "pathkeep-cli: warning: %s\n", w.c_str()); });
    cli.ws.loadUserSettings();
    if (!cli.commands.BestandOpenen(c.files[0])) return kExitFailed;
    const core::Document& doc = cli.ws.document;
    form.track = c.track;
    if (form.track.empty()) {
        core::NodeId first = doc.firstChild(doc.trackpoints());
        if (first != core::kNoNode) form.track = doc.nameOf(first);
        std::fprintf(stderr, "Track: %s\n", form.track.c_str());
    }
    app::NmeaFileCommands nmeaFiles(cli.ws);
    nmea::NmeaFileOptions options;
    if (std::string problem = nmeaFiles.readForm(form, options); !problem.empty()) {
        std::fprintf(stderr, "pathkeep-cli: %s\n", problem.c_str());
        return kExitFailed;
    }
    std::string out = formats::ReplaceExtension(c.files[1], ".log");
    if (out != c.files[1]) std::fprintf(stderr, "Saving as %s\n", out.c_str());
    nmea::RmcBuilder builder;
    builder.setPanelShown(false);  // no page shows it
    long sentences = 0;
    core::Result r = nmeaFiles.writeTrackAsNmea(form.track, out, options, builder, nullptr, sentences);
    if (r.isNothingToDo()) r = core::Result::failed(cli.ws.message(11));
    if (!r.isDone()) {
        std::fprintf(stderr, "pathkeep-cli: %s: %s%s%s\n", out.c_str(), core::OutcomeName(r.outcome()),
                     r.message().empty() ? "" : ": ", r.message().c_str());
        return kExitFailed;
    }
    std::printf("Written: %s (%ld sentences)\n", out.c_str(), sentences);
    return kExitOk;
}

int convertCommand(const std::vector<std::string>& args) {
    ConvertArgs c;
    if (std::string error = parseConvertArgs(args, c); !error.empty()) return usageError(error);
    if (cli::IsFolder(c.files[1])) return usageError("'" + c.files[1] + "' is a folder, give a file to write");
    if (c.formatId == "nmea" || (c.formatId.empty() && formats::ExtensionOf(c.files[1]) == ".log"))
        return convertToNmea(c);
    const formats::SaveFormatRow* row = c.formatId.empty()
                                            ? &formats::SaveFormatOf(formats::SaveFormatForExtension(
                                                  formats::ExtensionOf(c.files[1])))
                                            : formats::SaveFormatById(c.formatId);
    if (!row) return usageError("unknown format '" + c.formatId + "'");

    Cli cli;
    // Every line of the log that tells of lost or changed data goes to stderr.
    core::ScopedConnection warnings;
    if (!c.quiet)
        warnings = cli.ws.log.warningAdded.scoped(
            [](const std::string& w) { std::fprintf(stderr, "pathkeep-cli: warning: %s\n", w.c_str()); });
    cli.ws.loadUserSettings();
    // Delimited text: the columns given, else what the wizard would guess.
    cli.commands.setCsvChooser([&c](const std::string& text) -> std::optional<formats::CsvSettings> {
        char separator = c.csvSeparator.value_or(formats::GuessCsvSeparator(text));
        formats::CsvSettings s = formats::GuessCsvSettings(text, separator);
        if (c.csvColumns) {
            bool yearFirst = s.yearFirstDates;
            s = cli::CsvSettingsFromColumns(*c.csvColumns, separator, s.headerRow);
            s.yearFirstDates = yearFirst;
        }
        if (c.csvHeader) s.headerRow = *c.csvHeader;
        return s;
    });
    if (!cli.commands.BestandOpenen(c.files[0])) return kExitFailed;

    formats::SaveOptions options;
    options.whole = c.whole;
    for (int f : c.fields) options.fields.push_back(formats::FieldSelectionModel::entryOf(f));
    if (options.fields.empty()) options.fields = cli.ws.exportFields;
    if (options.fields.empty())
        for (int f = 1; f <= 11; ++f) options.fields.push_back(formats::FieldSelectionModel::entryOf(f));
    std::string out = formats::ReplaceExtension(c.files[1], row->extension);
    if (out != c.files[1]) std::fprintf(stderr, "Saving as %s\n", out.c_str());
    core::Result r = cli.commands.saveDocument(out, row->format, options);
    if (!r.isDone()) {
        std::fprintf(stderr, "pathkeep-cli: %s: %s%s%s\n", out.c_str(), core::OutcomeName(r.outcome()),
                     r.message().empty() ? "" : ": ", r.message().c_str());
        return kExitFailed;
    }
    if (row->format == formats::SaveFormat::Wpt &&
        cli.ws.document.childCount(cli.ws.document.waypoints()) >
            static_cast<std::uint32_t>(formats::ozi::kMaxWaypoints))
        std::fprintf(stderr, "%s\n", cli.ws.message(19).c_str());
    return kExitOk;
}

// One coordinate in the three notations of the converter on the
// "Conversie" page, with "." as the decimal separator.
int coordCommand(const std::vector<std::string>& args) {
    if (args.empty()) return usageError("coord needs at least one VALUE");
    int position = 0;
    for (const std::string& value : args) {
        std::vector<std::string> parts;
        for (size_t p = 0; p < value.size();) {
            size_t end = value.find_first_of(" :", p);
            if (end == std::string::npos) end = value.size();
            if (end > p) parts.push_back(value.substr(p, end - p));
            p = end + 1;
        }
        nmea::CoordinateFields f;
        nmea::Axis axis = position++ % 2 == 0 ? nmea::Axis::Latitude : nmea::Axis::Longitude;
        std::string error;
        if (parts.size() == 1) {
            f.decimal = parts[0];
            error = nmea::SpeedButton9(f, axis, '.');
        } else if (parts.size() == 4) {
            std::string letter = parts[3];
            for (char& c : letter) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (letter == "N" || letter == "S" || letter == "Z") axis = nmea::Axis::Latitude;
            else if (letter == "E" || letter == "W") axis = nmea::Axis::Longitude;
            else return usageError("a direction is one of N, S, E, W: '" + parts[3] + "'");
            f.degrees = parts[0];
            f.minutes = parts[1];
            f.seconds = parts[2];
            f.direction = letter;
            error = nmea::SpeedButton12(f, axis, '.');
            if (error.empty()) error = nmea::SpeedButton10(f, axis, '.');
        } else {
            return usageError("'" + value + "' is neither decimal degrees nor \"D M S DIR\"");
        }
        // A value the converter refuses is a wrong argument, named as given.
        if (!error.empty()) return usageError("coord '" + value + "': " + error);
        double degrees = 0;
        const double limit = axis == nmea::Axis::Latitude ? 90 : 180;
        auto [end, ec] = std::from_chars(f.decimal.data(), f.decimal.data() + f.decimal.size(), degrees);
        if (ec != std::errc() || std::fabs(degrees) > limit)
            return usageError("coord '" + value + "': a " +
                              (axis == nmea::Axis::Latitude ? std::string("latitude") : std::string("longitude")) +
                              " lies between -" + std::to_string(static_cast<int>(limit)) + " and " +
                              std::to_string(static_cast<int>(limit)) + " degrees");
        std::printf("%s: %s | %s %s %s %s | %s %s\n", axis == nmea::Axis::Latitude ? "latitude" : "longitude",
                    f.decimal.c_str(), f.degrees.c_str(), f.minutes.c_str(), f.seconds.c_str(), f.direction.c_str(),
                    f.dmDegrees.c_str(), f.dmMinutes.c_str());
    }
    return kExitOk;
}

int rte2gpxCommand(const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError("rte2gpx needs exactly one FILE.rte");
    Cli cli;
    formats::RouteConversion r = formats::ConvertRouteFile(args[0]);
    switch (r.status) {
        case formats::RouteConversion::Status::Done:
            std::printf("%s %s\n", cli.ws.message(16).c_str(), r.outputPath.c_str());
            return kExitOk;
        case formats::RouteConversion::Status::NotARouteFile:
            std::fprintf(stderr, "%s\n", cli.ws.message(15).c_str());
            return kExitFailed;
        default:
            std::fprintf(stderr, "%s\n", r.error.c_str());
            return kExitFailed;
    }
}

std::string programDir() { return QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString(); }

// Message-table texts break lines with carriage returns; a terminal wants line feeds.
std::string lines(std::string text) {
    for (char& c : text)
        if (c == '\r') c = '\n';
    return text;
}

int exportTextsCommand(const std::vector<std::string>& args) {
    if (args.size() > 1) return usageError("export-texts takes at most one OUT file");
    Cli cli;
    if (args.empty()) app::EnsureUserDirectories(cli.ws.paths);
    std::string out = args.empty() ? cli.ws.paths.translationExport : args[0];
    formats::AtomicFile file(out);
    if (!file.open() || !file.write(app::TranslationExportText(app::IniFile::load(cli.ws.paths.productSettings))) ||
        !file.commit()) {
        std::fprintf(stderr, "%s\n", file.error().c_str());
        return kExitFailed;
    }
    std::printf("Save strings to file: %s\n", out.c_str());
    return kExitOk;
}

int registerGpxCommand(const std::vector<std::string>& args) {
    if (!args.empty()) return usageError("register-gpx takes no arguments");
    Cli cli;
    std::string gui = programDir() + "/pathkeep";
    if (!QFileInfo(QString::fromStdString(gui)).isExecutable()) {
        std::fprintf(stderr, "pathkeep-cli: %s not found\n", gui.c_str());
        return kExitFailed;
    }
    core::Result r = app::InstallationCheck(cli.ws.paths, gui);
    if (r.isFailed()) {
        std::fprintf(stderr, "%s\n", r.message().c_str());
        return kExitFailed;
    }
    std::printf(r.isNothingToDo() ? "GPX files already open with %s\n" : "GPX files now open with %s\n", gui.c_str());
    return kExitOk;
}

int checkUpdateCommand(const std::vector<std::string>& args) {
    if (args.size() > 1) return usageError("check-update takes at most one URL");
    Cli cli;
    app::EnsureUserDirectories(cli.ws.paths);
    host::QtHttp http;
    app::VersionInfo info;
    core::Result r =
        app::FetchVersionInfo(http, args.empty() ? app::UpdateUrl() : args[0], cli.ws.paths.versionFile, info);
    if (!r.isDone()) {
        std::fprintf(stderr, "%s\n%s\n", lines(cli.ws.message(50)).c_str(), r.message().c_str());
        return kExitFailed;
    }
    std::printf("Your version: %s\nLatest version: %s  %s\n", app::kVersion, info.latest.c_str(),
                info.released.c_str());
    std::printf("%s\n", lines(cli.ws.message(info.newer ? 52 : 51)).c_str());
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "plot") == 0) return cli::PlotVerb(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "map") == 0) return cli::MapVerb(argc, argv);
    QCoreApplication qapp(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usageError("no command given");
    const std::string verb = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (verb == "--help" || verb == "-h" || verb == "help") {
        std::fputs(usageText().c_str(), stdout);
        return kExitOk;
    }
    if (verb == "--version") {
        std::printf("%s %s\n", app::kProgramName, app::kVersion);
        return kExitOk;
    }
    if (verb == "coord") return coordCommand(rest);
    if (verb == "tree") return treeCommand(rest);
    if (verb == "info") return infoCommand(rest);
    if (verb == "convert") return convertCommand(rest);
    if (verb == "rte2gpx") return rte2gpxCommand(rest);
    if (verb == "export-texts") return exportTextsCommand(rest);
    if (verb == "register-gpx") return registerGpxCommand(rest);
    if (verb == "check-update") return checkUpdateCommand(rest);
    if (verb == "receive") return cli::receiveCommand(rest);
    if (verb == "nmea-log") return cli::nmeaLogCommand(rest);
    if (verb == "simulate") return cli::simulateCommand(rest);
    if (verb == "garmin") return cli::garminCommand(rest);
    return usageError("unknown command '" + verb + "'");
}

// pathkeep-cli: the command-line twin of Pathkeep. Results go to stdout,
// progress and errors to stderr. Exit 0 success, 1 failed work, 2 wrong usage.

#include <QCoreApplication>
#include <QDir>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/document_commands.h"
#include "app/workspace.h"
#include "cli/cli_host.h"
#include "cli/garmin_verb.h"
#include "formats/file_type.h"
#include "formats/legacy_text.h"

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
    "  info FILE...           open each FILE and print the open command's log and summary\n"
    "  convert IN OUT [--format gpx|kml|plt|wpt|txt] [options]\n"
    "                         open IN and save it as OUT (format from --format, else\n"
    "                         from OUT's extension; OUT gets the format's extension)\n"
    "      --points tracks|waypoints   what a text export writes (default tracks)\n"
    "      --fields 08,02,...          the text export's columns [01]..[11]\n"
    "                                  (default: the saved default, else all eleven)\n"
    "      --csv-separator tab|semicolon|comma\n"
    "      --csv-columns lat,lon,time,alt,skip   data type of the first columns\n"
    "      --csv-header yes|no         whether line one holds headings\n"
    "                                  (CSV defaults: what the import wizard guesses)\n"
    "  rte2gpx FILE.rte       convert an OziExplorer route file to GPX beside it\n"
    PATHKEEP_GARMIN_USAGE
    "\n"
    "Options:\n"
    "  --help       show this text\n"
    "  --version    show the program version\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli: %s\n\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

struct Cli {
    cli::CliHost host;
    app::Workspace ws;
    app::DocumentCommands commands{ws};
    core::ScopedConnection statusToStderr;

    Cli()
        : ws(host, app::BuildPaths(app::PathEnv::fromProcess(
                       QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString()))) {
        ws.create();
        host.answers.message40 = ws.message(40);
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
        if (!cli.commands.BestandOpenen(file)) status = kExitFailed;
    }
    return status;
}

int convertCommand(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    std::string formatId;
    cli::Answers answers;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            files.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) return usageError(a + " needs a value");
        const std::string& v = args[++i];
        if (a == "--format") {
            formatId = v;
        } else if (a == "--points") {
            if (v != "tracks" && v != "waypoints") return usageError("--points takes tracks or waypoints");
            answers.exportTracks = v == "tracks";
        } else if (a == "--fields") {
            auto f = cli::ParseFieldList(v);
            if (!f) return usageError("--fields takes numbers 01 to 11 separated by commas");
            answers.fields = *f;
        } else if (a == "--csv-separator") {
            if (v == "tab") answers.csvSeparator = '\t';
            else if (v == "semicolon") answers.csvSeparator = ';';
            else if (v == "comma") answers.csvSeparator = ',';
            else return usageError("--csv-separator takes tab, semicolon or comma");
        } else if (a == "--csv-columns") {
            auto c = cli::ParseCsvColumns(v);
            if (!c) return usageError("--csv-columns takes up to five of lat, lon, time, alt, skip");
            answers.csvColumns = *c;
        } else if (a == "--csv-header") {
            if (v != "yes" && v != "no") return usageError("--csv-header takes yes or no");
            answers.csvHeader = v == "yes";
        } else {
            return usageError("unknown option '" + a + "'");
        }
    }
    if (files.size() != 2) return usageError("convert needs IN and OUT");
    const formats::SaveFormatRow* row = formatId.empty()
                                            ? &formats::SaveFormatOf(formats::SaveFormatForExtension(
                                                  formats::ExtensionOf(files[1])))
                                            : formats::SaveFormatById(formatId);
    if (!row) return usageError("unknown format '" + formatId + "'");

    Cli cli;
    std::string message40 = cli.host.answers.message40;
    cli.host.answers = answers;
    cli.host.answers.message40 = message40;
    cli.ws.loadUserSettings();
    cli.host.answers.savedFields = cli.ws.exportFields;
    if (!cli.commands.BestandOpenen(files[0])) return kExitFailed;
    std::string out = formats::ReplaceExtension(files[1], row->extension);
    if (out != files[1]) std::fprintf(stderr, "Saving as %s\n", out.c_str());
    return cli.commands.saveDocument(out, row->format) ? kExitOk : kExitFailed;
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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usageError("no command given");
    const std::string verb = args[0];
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (verb == "--help" || verb == "-h" || verb == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (verb == "--version") {
        std::printf("%s %s\n", app::kProgramName, app::kVersion);
        return kExitOk;
    }
    if (verb == "tree") return treeCommand(rest);
    if (verb == "info") return infoCommand(rest);
    if (verb == "convert") return convertCommand(rest);
    if (verb == "rte2gpx") return rte2gpxCommand(rest);
    if (verb == "garmin") return cli::garminCommand(rest);
    return usageError("unknown command '" + verb + "'");
}

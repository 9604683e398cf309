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
#include "formats/file_type.h"
#include "host/qt/qt_host.h"

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
    "  convert IN OUT [--format gpx|kml]\n"
    "                         open IN and save it as OUT (format from --format, else\n"
    "                         from OUT's extension; OUT gets the format's extension)\n"
    "\n"
    "Options:\n"
    "  --help       show this text\n"
    "  --version    show the program version\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli: %s\n\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

struct Cli {
    host::QtHost host{false};
    app::Workspace ws;
    app::DocumentCommands commands{ws};
    core::ScopedConnection statusToStderr;

    Cli()
        : ws(host, app::BuildPaths(app::PathEnv::fromProcess(
                       QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString()))) {
        ws.create();
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
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--format") {
            if (i + 1 >= args.size()) return usageError("--format needs a value");
            formatId = args[++i];
        } else if (args[i].rfind("--", 0) == 0) {
            return usageError("unknown option '" + args[i] + "'");
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) return usageError("convert needs IN and OUT");
    const formats::SaveFormatRow* row = formatId.empty()
                                            ? &formats::SaveFormatOf(formats::SaveFormatForExtension(
                                                  formats::ExtensionOf(files[1])))
                                            : formats::SaveFormatById(formatId);
    if (!row) return usageError("unknown format '" + formatId + "'");
    if (!formats::WriterFor(row->format)) return usageError("format '" + std::string(row->id) + "' cannot be written");

    Cli cli;
    if (!cli.commands.BestandOpenen(files[0])) return kExitFailed;
    std::string out = formats::ReplaceExtension(files[1], row->extension);
    if (out != files[1]) std::fprintf(stderr, "Saving as %s\n", out.c_str());
    return cli.commands.saveDocument(out, row->format) ? kExitOk : kExitFailed;
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
    return usageError("unknown command '" + verb + "'");
}

// pathkeep-cli: the command-line twin of Pathkeep. Results go to stdout,
// progress and errors to stderr. Exit 0 success, 1 failed work, 2 wrong usage.

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/workspace.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "Usage: pathkeep-cli [--help] [--version] COMMAND [ARGS...]\n"
    "\n"
    "Pathkeep keeps waypoints, routes and tracks from GPS receivers and files.\n"
    "\n"
    "Options:\n"
    "  --help       show this text\n"
    "  --version    show the program version\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "pathkeep-cli: %s\n\n%s", message.c_str(), kUsage);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication qapp(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usageError("no command given");
    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (verb == "--version") {
        std::printf("%s %s\n", app::kProgramName, app::kVersion);
        return kExitOk;
    }
    return usageError("unknown command '" + verb + "'");
}

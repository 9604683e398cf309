#include "app/nmea_file_commands.h"

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

}  // namespace app

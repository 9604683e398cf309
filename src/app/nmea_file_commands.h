#pragma once
// The NMEA file commands: the log file tool of the Extra menu and the
// creation of a log from a track ("Maak NMEA bestand").

#include "app/workspace.h"
#include "nmea/log_file_model.h"

namespace app {

class NmeaFileCommands {
public:
    explicit NmeaFileCommands(Workspace& ws);

    // "NMEA logfile...": the tool's dialog, modal.
    void NMEAlogfile1Click();
    nmea::NmeaLogFileModel& logFileModel() { return logFile_; }

private:
    Workspace& ws_;
    nmea::NmeaLogFileModel logFile_;
};

}  // namespace app

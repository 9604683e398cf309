#pragma once
// The NMEA file commands: the log file tool of the Extra menu and the
// creation of a log from a track ("Maak NMEA bestand" on the page "NMEA
// simuleren").

#include <functional>
#include <string>

#include "app/workspace.h"
#include "nmea/log_file_model.h"
#include "nmea/nmea_file_writer.h"

namespace app {

// What the block "NMEA bestand maken op basis van puntenlijst (tab Punten)"
// and the page's time options hold when the button is pressed.
struct NmeaFileForm {
    std::string track;          // cbTracks; "" when none is chosen
    std::string Edit25 = "10";  // "Rijsnelheid:", m/s
    std::string Edit26 = "1";   // "Tijdsinterval NMEA berichten:", s
    nmea::TimeOption option = nmea::TimeOption::Now;
    std::string meDate, meTime;  // "dd-mm-yyyy", "hh:mm:ss" (StartFrom)
};

// Memo3, which shows what was written. A long walk writes millions of
// sentences; the box keeps the first kMemoLines and then one line that says
// how many more the file holds, so the widget stays quick.
struct NmeaMemo {
    static constexpr size_t kMemoLines = 1000;
    std::function<void()> clear;
    std::function<void(const std::string&)> add;
};

class NmeaFileCommands {
public:
    explicit NmeaFileCommands(Workspace& ws);

    // "NMEA logfile...": the tool's dialog, modal.
    void NMEAlogfile1Click();
    nmea::NmeaLogFileModel& logFileModel() { return logFile_; }

    // "Maak NMEA bestand": asks where to save, then writes. The builder is
    // the simulation's, whose previous position and course it moves on.
    core::Result btMaakNMEAClick(const NmeaFileForm& form, nmea::RmcBuilder& builder, const NmeaMemo& memo);

    // Reads the form's numbers and start time into options; an error text
    // (for a message box) when one cannot be read or used.
    std::string readForm(const NmeaFileForm& form, nmea::NmeaFileOptions& options) const;
    // Loads the track into the point list and writes the file; shared with
    // pathkeep-cli. Failed when there is no such track.
    core::Result writeTrackAsNmea(const std::string& trackName, const std::string& path,
                                  const nmea::NmeaFileOptions& options, nmea::RmcBuilder& builder,
                                  const nmea::MemoLine& memo, long& sentences);

private:
    Workspace& ws_;
    nmea::NmeaLogFileModel logFile_;
};

}  // namespace app

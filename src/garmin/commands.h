#pragma once
// The two transfer commands of the main window: a small dialog asks what to
// transmit or receive, then the command words go into the Garmin command
// queue in a fixed order, whatever order the boxes were ticked in.

#include <string>
#include <vector>

#include "host/host.h"

namespace garmin {

class Session;

// TfmCommDialog: created once, so the boxes keep the last choice for the run.
class CommDialogModel : public host::DialogModel {
public:
    std::string dialogName() const override { return "TfmCommDialog"; }
    std::string caption;  // GroupBox1: message 46 or 47
    bool cbWaypoints = false;
    bool cbTrackpoints = false;
    bool cbRoutes = false;
    bool cbPower = false;
};

// "id request", then the put words (tracks, waypoints, routes), then "power off".
std::vector<std::string> TransmitWords(const CommDialogModel& choice);
// "id request", the get words, "power off", and "determine bounds" when
// tracks or waypoints were asked for.
std::vector<std::string> ReceiveWords(const CommDialogModel& choice);

// acVerzendenExecute / acOntvangenExecute: ask, then queue. False when the
// dialog was left with anything but OK (nothing is queued then).
bool acVerzendenExecute(host::Prompts& prompts, CommDialogModel& dialog, const std::string& message46,
                        Session& session);
bool acOntvangenExecute(host::Prompts& prompts, CommDialogModel& dialog, const std::string& message47,
                        Session& session);

}  // namespace garmin

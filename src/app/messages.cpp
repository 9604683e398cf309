#include "app/messages.h"

#include "core/fn.h"
#include "host/host.h"

namespace app {

namespace {

const std::vector<std::string>& builtInTable() {
    static const std::vector<std::string> table = {
    "Void",  // 0
    "There are already points in the list. You can add the#new points or overwrite the old points.#[Yes] = Add#[No] = overwrite",  // 1
    "Ch 1:",  // 2
    "closed",  // 3
    "logging active",  // 4
    "East",  // 5
    "West",  // 6
    "Position fix not possible",  // 7
    "2D position fixing",  // 8
    "3D position fixing",  // 9
    "Transmitted:",  // 10
    "There are no points in the list. Please open a file.",  // 11
    "Could not open the com port.",  // 12
    "Version:",  // 13
    "Select route file (OziExplorer Route File)",  // 14
    "This is not an Ozi Route file!",  // 15
    "Route file saved as:",  // 16
    "Select Trackpoint/Waypoint file",  // 17
    "File format not recognized!",  // 18
    "Only the first 1000 points are saved.",  // 19
    "The corresponding points are not in the list. Please open a file#or use the route planner to create new points.",  // 20
    "Distance:",  // 21
    "Please Select a point in the list.",  // 22
    "Day(s):",  // 23
    "hours:",  // 24
    "Total distance:",  // 25
    "Maximum altitude:",  // 26
    "Are you sure that all points must be erased?",  // 27
    "To copy GPS co-ordinates use: T = Trackpoint, W = Waypoint",  // 28
    "Abort",  // 29
    "Display on map?",  // 30
    "Track name",  // 31
    "Enter name",  // 32
    "No reaction from GPS receiver, #Queue will be flushed.",  // 33
    "Communication channel could not be opened!#Queue will be flushed.",  // 34
    "Unable to assign 'T' as hotkey.",  // 35
    "Unable to assign 'W' as hotkey.",  // 36
    "\"Location sensor\" not found!#You can activate it in AutoRoute through the menu \"Tools -> Locations sensor\".#Can I do this for you?",  // 37
    "File has been changed, save?",  // 38
    "Please make sure that all waypoint names are unique (first 6 characters)!",  // 39
    "Save Waypoints or Trackpoints?#[Yes] = trackpoints#[No] = waypoints",  // 40
    "Are you sure you want to delete this track?",  // 41
    "Are you sure you want to delete this route?",  // 42
    "Are you sure you want to delete this waypoint?",  // 43
    "Are you sure you want to delete this trackpoint?",  // 44
    "Are you sure you want to delete this routepoint?",  // 45
    "What to transmit",  // 46
    "What to receive",  // 47
    "Waypoint with these co-ordinates already exists. What shall I do?#[Yes] = overwrite#[No] = add#[Cancel] = abort",  // 48
    "This requires an internet connection. Do you wish to continue?",  // 49
    "Cannot connect to the website, please try again later.",  // 50
    "You are using the most recent version of the application.",  // 51
    "A newer version of the application is available. Please go to the website to download the new version.",  // 52
    "Select at least one option.",  // 53
    "The specified File does not exist.",  // 54
    "Action has been executed. The following number of errors has been found:",  // 55
    "Would you like to register the GPX extension so these files will be opened with the Pathkeep?",  // 56
    };
    return table;
}

}  // namespace

const std::string& BuiltInMessage(int n) {
    static const std::string empty;
    const auto& table = builtInTable();
    return n >= 0 && n < static_cast<int>(table.size()) ? table[static_cast<size_t>(n)] : empty;
}

std::string OwnText(OwnMessage message) {
    switch (message) {
        case OwnMessage::FileUnreadable: return "The file could not be read:";
        case OwnMessage::SaveFailed: return "The file could not be saved:";
        case OwnMessage::SaveCancelled: return "Saving was cancelled; the file was not changed.";
        case OwnMessage::DatabaseUnreadable:
            return "The waypoint database could not be read. It was kept as:";
        case OwnMessage::NoWriter: return "This format cannot be written yet:";
        case OwnMessage::KmlViewerFailed: return "Error starting Calc!";
        case OwnMessage::NothingSaved: return "Nothing was saved: no part of the document is selected.";
        case OwnMessage::ReadCancelled: return "Reading stopped by the user";
        case OwnMessage::NoTrackToReverse:
            return "Choose a track in the tree, or list one with \"Edit list of points\", to reverse it.";
        case OwnMessage::ReplaceFile: return "This file already exists. Replace it?";
        case OwnMessage::UndoStale: return "The list was changed since; this step cannot be undone any more.";
    }
    return {};
}

MessageTable::MessageTable() { restoreBuiltIn(); }

void MessageTable::restoreBuiltIn() { entries_ = builtInTable(); }

std::string MessageTable::GetDialogText(int n) const {
    std::string text = n >= 0 && n < static_cast<int>(entries_.size()) ? entries_[static_cast<size_t>(n)]
                                                                        : BuiltInMessage(n);
    for (char& c : text)
        if (c == '#') c = '\r';
    return text;
}

void MessageLog::keep(std::string line) {
    // Dropped a tenth at a time, so keeping the bound costs little per line.
    if (lines_.size() >= kMaxLines) {
        // The first line is the count of dropped lines once there are any.
        auto first = lines_.begin() + (dropped_ > 0 ? 1 : 0);
        lines_.erase(first, first + kMaxLines / 10);
        dropped_ += kMaxLines / 10;
        std::string note = "(" + std::to_string(dropped_) + " earlier lines dropped)";
        if (first == lines_.begin()) lines_.insert(lines_.begin(), std::move(note));
        else lines_.front() = std::move(note);
    }
    lines_.push_back(std::move(line));
    lineAdded(lines_.back());
}

void MessageLog::Report(const std::string& message) { keep(core::NowText(clock_) + " " + message); }

void MessageLog::append(const std::string& line) { keep(line); }

void MessageLog::warning(const std::string& message) {
    Report(message);
    warningAdded(message);
}

void MessageLog::clear() {
    lines_.clear();
    dropped_ = 0;
    cleared();
}

void StatusLine::setPanel(int panel, const std::string& text) {
    panels_.at(static_cast<size_t>(panel)) = text;
    changed(panel, text);
}

}  // namespace app

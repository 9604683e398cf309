#pragma once
// All run-time state of one Pathkeep run, shared by the GUI and the CLI.
// Operations live in their subsystems and take the pieces they need.

#include <functional>
#include <memory>
#include <string>

#include "app/ini.h"
#include "app/garmin_channel.h"
#include "app/messages.h"
#include "app/operations.h"
#include "app/paths.h"
#include "core/document.h"
#include "core/point_list.h"
#include "core/symbols.h"
#include "formats/env.h"
#include "nmea/channels.h"
#include "nmea/gps_display.h"
#include "nmea/simulation.h"
#include "host/host.h"
#include "plot/bounds.h"

namespace app {

constexpr const char* kProgramName = "Pathkeep";
constexpr const char* kVersion = "4.03";

class Workspace {
public:
    Workspace(host::Host& host, ProgramPaths paths);

    // The main window's creation steps that need no widgets: clear the log,
    // empty the tree and both lists, load the symbol table.
    void create();

    void report(const std::string& message) { log.Report(message); }
    void status(const std::string& message) { statusLine.Status(message); }
    // A loader and a reader/writer environment that run inside `operation`.
    core::PointLoader loader(core::Operation* operation = nullptr);
    formats::Env env(core::Operation& operation);
    void setListName(const std::string& name);
    const std::string& listName() const { return listName_; }
    void setCaption(const std::string& caption);
    const std::string& caption() const { return caption_; }
    std::string message(int n) const { return messages.GetDialogText(n); }

    // UserData.ini: read when the window is shown, written when it closes;
    // "Save as default" of the field selection writes its own section.
    void loadUserSettings();
    bool saveUserSettings();
    bool saveFieldsAsDefault(const std::vector<std::string>& fields);

    host::Host& host;
    ProgramPaths paths;
    core::SymbolTable symbols;
    core::Document document;
    core::PointList points;
    // The ranges of the diagrams and of saved bounds, worked out after every
    // open; a playback from the command line uses neither.
    bool determineRanges = true;
    core::ListRows pointRows;     // LV1
    core::ListRows waypointRows;  // LV2
    // Where commands outside the edit commands record their undo steps: a
    // change of the tree, or of the waypoint list. The edit commands own the
    // history and set this; none: nothing is recorded (the command line).
    enum class UndoPart { Tree, WaypointList };
    std::function<void(std::string label, UndoPart part, std::function<void()> undo, std::function<void()> redo)>
        recordUndo;
    plot::PlotState plot;
    MessageTable messages;
    MessageLog log;
    StatusLine statusLine;

    std::string currentFileName;
    std::string currentDirectory;  // with a trailing separator
    bool saveSelectionOnly = false;
    UserSettings settings;
    std::vector<std::string> exportFields;  // the text export's chosen fields
    // The live channels (serial port, TCP client, port listener) and what
    // the reception page shows; made by openChannels, for the window and the
    // commands that need them.
    nmea::GpsDisplay display;
    std::unique_ptr<nmea::Channels> channels;
    // The GPS simulation, which sends on those channels; made with them.
    std::unique_ptr<nmea::Simulation> simulation;
    // The window's Garmin link on those channels in Garmin mode.
    std::unique_ptr<GarminChannel> garminChannel;
    void openChannels();
    // The settings (after reading them or a language change) into the channels.
    void applyChannelSettings();

    // Long commands: one at a time, with progress and Escape.
    Operations operations;
    bool busy() const { return operations.running(); }

    core::Signal<const std::string&> listNameChanged;  // Edit2
    core::Signal<const std::string&> captionChanged;
    core::Signal<double> progress;  // 0..1; below 0 hides the bar
    // A file was opened into the document (also when only part of it could be read).
    core::Signal<> documentOpened;

private:
    void openSimulation();

    std::string listName_;
    std::string caption_ = kProgramName;
};

}  // namespace app

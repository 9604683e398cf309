#pragma once
// All run-time state of one Pathkeep run, shared by the GUI and the CLI.
// Operations live in their subsystems and take the pieces they need.

#include <string>

#include "app/messages.h"
#include "app/paths.h"
#include "core/document.h"
#include "core/point_list.h"
#include "core/symbols.h"
#include "host/host.h"

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
    core::PointLoader loader();
    void setListName(const std::string& name);
    const std::string& listName() const { return listName_; }

    host::Host& host;
    ProgramPaths paths;
    core::SymbolTable symbols;
    core::Document document;
    core::PointList points;
    core::ListRows pointRows;     // LV1
    core::ListRows waypointRows;  // LV2
    MessageTable messages;
    MessageLog log;
    StatusLine statusLine;
    core::Signal<const std::string&> listNameChanged;  // Edit2

private:
    std::string listName_;
};

}  // namespace app

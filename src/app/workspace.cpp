#include "app/workspace.h"

namespace app {

Workspace::Workspace(host::Host& h, ProgramPaths p)
    : host(h), paths(std::move(p)), document(symbols, h.clock()), log(h.clock()) {}

void Workspace::create() {
    log.clear();
    document.initTree();
    pointRows.clear();
    waypointRows.clear();
    points.reset();
    symbols.LoadSymbolTable(paths.symbolNames);
}

core::PointLoader Workspace::loader() {
    return core::PointLoader(document, points, symbols,
                             {host.clock(), host.locale(), host.eventPump(),
                              [this](const std::string& s) { status(s); },
                              [this](const std::string& s) { setListName(s); }});
}

void Workspace::setListName(const std::string& name) {
    listName_ = name;
    listNameChanged(name);
}

}  // namespace app

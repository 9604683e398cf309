#pragma once
// The waypoint database's commands: load at start, save at close, "Add to
// Waypoints" from the tree and "Copy to tree" from the list LV2.

#include <vector>

#include "app/workspace.h"

namespace app {

class WaypointCommands {
public:
    // Every change of the rows after the first load is saved at once, so a
    // killed program or a lost machine keeps the user's waypoints.
    explicit WaypointCommands(Workspace& ws);

    // Loads the rows of LV2; a database that cannot be read is kept aside
    // and the user is told where.
    void load();
    core::Result save();
    // "Add to Waypoints": the focused point, or all waypoints. The user is
    // asked (message 48) before a row at the same place is overwritten.
    void mAddToWaypointsClick();
    // "Copy to tree": the selected rows become waypoints of the document.
    void KopieerNaarBoomClick(const std::vector<size_t>& selected);

private:
    Workspace& ws_;
    bool loaded_ = false;   // nothing is saved before the database was read
    bool loading_ = false;
    core::ScopedConnection autosave_;
};

}  // namespace app

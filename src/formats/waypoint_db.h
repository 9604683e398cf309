#pragma once
// The personal waypoint database: a GPX file of the user's own that lives
// from run to run, shown and edited as the rows of LV2.

#include <string>
#include <vector>

#include "formats/gpx.h"

namespace formats {

struct DatabaseLoad {
    bool ok = true;
    std::string backupPath;  // where an unreadable database was kept
    xml::ParseError error;
};

// Loads the rows; creates an empty database when there is none. A database
// that cannot be parsed is moved aside, never overwritten.
DatabaseLoad ZeRodedorarInlezen(Env& env, core::ListRows& rows, const std::string& fileName);
WriteOutcome ZeRodedorarOpslaan(Env& env, const core::ListRows& rows, const std::string& fileName);

// Adds one point node of the tree, asking before it overwrites a row at the
// same place.
void AddToDatabase(Env& env, core::ListRows& rows, core::NodeId point);
// "Add to Waypoints": the focused point, or all waypoints.
void mAddToWaypointsClick(Env& env, core::ListRows& rows);
// "Copy to tree": the selected rows become waypoints of the document.
void KopieerNaarBoomClick(Env& env, const core::ListRows& rows, const std::vector<size_t>& selected);

// The next free backup name: name.bak, then name.bak.2, name.bak.3 ...
std::string FreeBackupName(const std::string& fileName);

}  // namespace formats

#pragma once
// The personal waypoint database: a GPX file of the user's own that lives
// from run to run, shown and edited as the rows of LV2.

#include <functional>
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
core::Result ZeRodedorarOpslaan(Env& env, const core::ListRows& rows, const std::string& fileName);

// What to do with a point whose position a row already has.
enum class OnConflict { Overwrite, AddNew, Stop };
struct AddOptions {
    // Asked for each such point; none: add it as a new row.
    std::function<OnConflict()> onConflict;
};

// Adds one point node of the tree as a row; false when told to stop.
bool AddToDatabase(Env& env, core::ListRows& rows, core::NodeId point, const AddOptions& options);

// The next free backup name: name.bak, then name.bak.2, name.bak.3 ...
std::string FreeBackupName(const std::string& fileName);

}  // namespace formats

#pragma once
// Tab-separated text for route planners, with the columns the user picks in
// the field selection dialog (TfmSelectField).

#include <string>
#include <vector>

#include "formats/gpx.h"

namespace formats {

// The eleven fields, "[01]" to "[11]", offered in the dialog.
class FieldSelectionModel : public host::DialogModel {
public:
    std::string dialogName() const override { return "TfmSelectField"; }

    std::vector<std::string> available;  // sorted
    std::vector<std::string> chosen;     // in the order of the file's columns
    std::function<void(const std::vector<std::string>&)> saveAsDefault;

    // "[", two digits, "] " and the caption, for each field not chosen yet.
    void rebuildAvailable();
    // Moves an entry between the lists; false when there is no entry there.
    bool choose(size_t availableIndex);
    bool unchoose(size_t chosenIndex);
    static std::string entryOf(int field);  // "[02] Latitude"
};

// The field number an entry starts with ("[02] ..." -> 2); 0 for none.
int FieldNumberOf(const std::string& entry);

// The chosen fields of every point: with options.whole the tracks or the
// waypoints, with selectionOnly those of the focused node.
core::Result SaveAsTXT(Env& env, const std::string& fileName, const SaveOptions& options);

}  // namespace formats

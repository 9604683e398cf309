#pragma once
// The tree's clipboard edits as undoable changes: Ctrl+X takes the focused
// track, route or point out of the tree (kept aside, not destroyed), and a
// paste is watched so what it added can be taken out again.

#include <string>
#include <utility>
#include <vector>

#include "core/document.h"
#include "core/point_list.h"
#include "core/tree_delete.h"

namespace host {
class Clipboard;
class LocaleInfo;
}  // namespace host

namespace core {

struct TreeChange {
    struct Link {
        NodeId node, parent, before;
    };
    std::vector<Link> removed;  // in the order they went
    std::vector<Link> added;    // in the order they came
    std::vector<std::pair<NodeId, std::string>> textsBefore, textsAfter;
    std::vector<std::string> tracksGone, tracksAdded;  // entries of the track selector
    bool empty() const { return removed.empty() && added.empty() && textsBefore.empty(); }
};

// Ctrl+X on the focused node, by what it is: a track (its points go to the
// clipboard as row text), a route, a waypoint, route point or track point,
// or the waypoints container (emptied). Anything else is not removed and
// the change is empty.
TreeChange CutFocused(Document& doc, PointLoader& loader, host::Clipboard& clipboard,
                      const host::LocaleInfo& locale, const ReportFn& report);

// Notes the end of every list a paste may add to; end() lists what came.
class InsertWatch {
public:
    explicit InsertWatch(const Document& doc);
    TreeChange end(const Document& doc) const;

private:
    struct Watched {
        NodeId parent, last;
    };
    std::vector<Watched> watched_;
    std::vector<std::pair<NodeId, std::string>> counts_;
    std::vector<std::string> tracks_;
};

void UndoTreeChange(Document& doc, const TreeChange& change);

// Turns the points of every segment of `track` round in the tree and numbers
// them anew; doing it twice gives the track back. False when `track` is no
// track.
bool ReverseTrackInTree(Document& doc, NodeId track);
void RedoTreeChange(Document& doc, const TreeChange& change);

}  // namespace core

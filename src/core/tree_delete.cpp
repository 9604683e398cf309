#include "core/tree_delete.h"

#include "core/clipboard_rows.h"
#include "host/host.h"

namespace core {

bool DeleteTrack(Document& doc, PointLoader& loader, host::Clipboard& clipboard, const host::LocaleInfo& locale,
                 const ReportFn& report) {
    if (report) report("Delete selected track");
    NodeId trk = doc.ancestorWithRole(doc.focused(), NodeRole::Track);
    if (trk == kNoNode) return false;
    // A copy of its own: the shared point list belongs to the plots.
    PointList copy;
    loader.ShowTrack(copy, trk);
    if (loader.cancelled()) return false;
    clipboard.setText(PointListRowText(copy, locale));

    doc.forgetTrackChoice(doc.nameOf(trk));
    doc.removeNode(trk);
    doc.documentModified = true;
    doc.plotMode = 0;
    return true;
}

bool DeleteRoute(Document& doc, const ReportFn& report) {
    if (report) report("Delete selected route");
    NodeId rte = doc.ancestorWithRole(doc.focused(), NodeRole::Route);
    if (rte == kNoNode) return false;
    doc.removeNode(rte);
    doc.documentModified = true;
    doc.plotMode = 0;
    return true;
}

bool DeletePoint(Document& doc) {
    for (NodeId n = doc.focused(); n != kNoNode && n != kRootNode; n = doc.parent(n)) {
        NodeRole role = doc.roleOf(n);
        if (n == doc.waypoints()) {
            if (doc.firstChild(n) == kNoNode) return false;
            doc.removeChildren(n);
        } else if (role == NodeRole::Waypoint || role == NodeRole::RoutePoint) {
            doc.removeNode(n);
        } else if (role == NodeRole::TrackPoint) {
            NodeId segment = doc.parent(n);
            doc.currentSegment = segment;
            doc.currentCountNode = doc.countLineOf(doc.parent(segment));
            doc.removeNode(n);
            if (doc.currentCountNode != kNoNode)
                doc.setText(doc.currentCountNode, "number = " + std::to_string(doc.childCount(segment)));
        } else {
            continue;
        }
        doc.documentModified = true;
        doc.plotMode = 0;
        return true;
    }
    return false;
}

}  // namespace core

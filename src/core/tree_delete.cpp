#include "core/tree_delete.h"

#include "core/clipboard_rows.h"
#include "core/text.h"
#include "host/host.h"

namespace core {

namespace {

// The focused node or its nearest ancestor whose first word is `word`.
NodeId focusedAncestor(const Document& doc, std::string_view word) {
    for (NodeId n = doc.focused(); n != kNoNode && doc.getLevel(n) > 1; n = doc.parent(n))
        if (FirstWord(doc.getText(n)) == word) return n;
    return kNoNode;
}

}  // namespace

void DeleteTrack(Document& doc, PointLoader& loader, PointList& points, host::Clipboard& clipboard,
                 const host::LocaleInfo& locale, const ReportFn& report) {
    if (report) report("Delete selected track");
    NodeId trk = focusedAncestor(doc, "trk");
    if (trk == kNoNode) return;
    std::string text = doc.getText(trk);
    size_t open = text.find('(');
    std::string name;
    if (open != std::string::npos) {
        size_t close = text.find(')', open + 1);
        name = text.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    }
    auto& items = doc.cbTracks.items;
    for (size_t i = items.size(); i-- > 0;)
        if (items[i] == name) items.erase(items.begin() + static_cast<long>(i));
    doc.cbTracks.selected = items.empty() ? -1 : 0;
    doc.cbTracks.changed();

    points.reset();
    loader.ShowTrack(nullptr, trk);
    clipboard.setText(PointListRowText(points, locale));

    doc.removeNode(trk);
    doc.plotMode = 0;
}

void DeleteRoute(Document& doc, const ReportFn& report) {
    if (report) report("Delete selected route");
    NodeId rte = focusedAncestor(doc, "rte");
    if (rte == kNoNode) return;
    doc.removeNode(rte);
    doc.plotMode = 0;
}

void DeletePoint(Document& doc) {
    for (NodeId n = doc.focused(); n != kNoNode && doc.getLevel(n) > 1; n = doc.parent(n)) {
        std::string text = doc.getText(n);
        std::string_view word = FirstWord(text);
        if (word == "waypoints") {
            doc.removeChildren(n);
            doc.plotMode = 0;
            return;
        }
        if (word == "wpt" || word == "rtept") {
            doc.removeNode(n);
            doc.plotMode = 0;
            return;
        }
        if (word == "trkpt") {
            NodeId segment = doc.parent(n);
            doc.currentSegment = segment;
            doc.currentCountNode = doc.store().previousSibling(segment);
            doc.removeNode(n);
            if (doc.currentCountNode != kNoNode && doc.getText(doc.currentCountNode).substr(0, 6) == "number")
                doc.setText(doc.currentCountNode, "number = " + std::to_string(doc.childCount(segment)));
            doc.plotMode = 0;
            return;
        }
    }
}

}  // namespace core

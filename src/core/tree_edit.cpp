#include "core/tree_edit.h"

#include <algorithm>

#include "core/clipboard_rows.h"
#include "host/host.h"

namespace core {

namespace {

void takeOut(Document& doc, TreeChange& change, NodeId node) {
    change.removed.push_back({node, doc.parent(node), doc.nextSibling(node)});
    doc.unlinkNode(node);
}

void addTrackChoice(Document& doc, const std::string& name) {
    doc.cbTracks.items.push_back(name);
    doc.cbTracks.selected = 0;
    doc.cbTracks.changed();
}

}  // namespace

TreeChange CutFocused(Document& doc, PointLoader& loader, host::Clipboard& clipboard,
                      const host::LocaleInfo& locale, const ReportFn& report) {
    TreeChange change;
    NodeId node = doc.focused();
    if (!doc.inTree(node)) return change;
    switch (doc.roleOf(node)) {
    case NodeRole::Track: {
        if (report) report("Delete selected track");
        PointList copy;
        loader.ShowTrack(copy, node);
        if (loader.cancelled()) return change;
        clipboard.setText(PointListRowText(copy, locale));
        std::string name = doc.nameOf(node);
        doc.forgetTrackChoice(name);
        change.tracksGone.push_back(name);
        takeOut(doc, change, node);
        break;
    }
    case NodeRole::Route:
        if (report) report("Delete selected route");
        takeOut(doc, change, node);
        break;
    case NodeRole::Waypoint:
    case NodeRole::RoutePoint:
        takeOut(doc, change, node);
        break;
    case NodeRole::TrackPoint: {
        NodeId segment = doc.parent(node);
        NodeId count = doc.countLineOf(doc.parent(segment));
        takeOut(doc, change, node);
        doc.currentSegment = segment;
        doc.currentCountNode = count;
        if (count != kNoNode) {
            change.textsBefore.emplace_back(count, doc.getText(count));
            doc.setText(count, "number = " + std::to_string(doc.childCount(segment)));
            change.textsAfter.emplace_back(count, doc.getText(count));
        }
        break;
    }
    case NodeRole::Container:
        if (node != doc.waypoints() || doc.firstChild(node) == kNoNode) return change;
        doc.beginBulk();
        while (doc.firstChild(node) != kNoNode) takeOut(doc, change, doc.firstChild(node));
        doc.endBulk();
        break;
    default:
        return change;
    }
    doc.documentModified = true;
    doc.plotMode = 0;
    return change;
}

InsertWatch::InsertWatch(const Document& doc) {
    auto watch = [this, &doc](NodeId parent) { watched_.push_back({parent, doc.store().lastChild(parent)}); };
    for (NodeId c : {doc.metadata(), doc.waypoints(), doc.routes(), doc.trackpoints()}) {
        if (c == kNoNode) continue;
        watch(c);
        for (NodeId n = doc.firstChild(c); n != kNoNode; n = doc.nextSibling(n)) {
            NodeRole role = doc.roleOf(n);
            if (role == NodeRole::Route) watch(n);
            if (role != NodeRole::Track) continue;
            for (NodeId s = doc.firstChild(n); s != kNoNode; s = doc.nextSibling(s))
                if (doc.roleOf(s) == NodeRole::Segment) watch(s);
            if (NodeId count = doc.countLineOf(n); count != kNoNode) counts_.emplace_back(count, doc.getText(count));
        }
    }
    tracks_ = doc.cbTracks.items;
}

TreeChange InsertWatch::end(const Document& doc) const {
    TreeChange change;
    for (const Watched& w : watched_) {
        if (!doc.inTree(w.parent)) continue;
        NodeId n = w.last == kNoNode ? doc.firstChild(w.parent) : doc.nextSibling(w.last);
        for (; n != kNoNode; n = doc.nextSibling(n)) change.added.push_back({n, w.parent, kNoNode});
    }
    for (const auto& [count, text] : counts_) {
        if (!doc.inTree(count) || doc.getText(count) == text) continue;
        change.textsBefore.emplace_back(count, text);
        change.textsAfter.emplace_back(count, doc.getText(count));
    }
    for (const std::string& name : doc.cbTracks.items)
        if (std::find(tracks_.begin(), tracks_.end(), name) == tracks_.end()) change.tracksAdded.push_back(name);
    return change;
}

void UndoTreeChange(Document& doc, const TreeChange& change) {
    doc.beginBulk();
    for (auto it = change.added.rbegin(); it != change.added.rend(); ++it) doc.unlinkNode(it->node);
    for (auto it = change.removed.rbegin(); it != change.removed.rend(); ++it)
        doc.relinkNode(it->node, it->parent, it->before);
    for (const auto& [node, text] : change.textsBefore) doc.setText(node, text);
    for (const std::string& name : change.tracksAdded) doc.forgetTrackChoice(name);
    for (const std::string& name : change.tracksGone) addTrackChoice(doc, name);
    doc.documentModified = true;
    doc.plotMode = 0;
    doc.endBulk();
}

void RedoTreeChange(Document& doc, const TreeChange& change) {
    doc.beginBulk();
    for (const auto& link : change.added) doc.relinkNode(link.node, link.parent, link.before);
    for (const auto& link : change.removed) doc.unlinkNode(link.node);
    for (const auto& [node, text] : change.textsAfter) doc.setText(node, text);
    for (const std::string& name : change.tracksGone) doc.forgetTrackChoice(name);
    for (const std::string& name : change.tracksAdded) addTrackChoice(doc, name);
    doc.documentModified = true;
    doc.plotMode = 0;
    doc.endBulk();
}

bool ReverseTrackInTree(Document& doc, NodeId track) {
    if (track == kNoNode || doc.roleOf(track) != NodeRole::Track) return false;
    doc.beginBulk();
    for (NodeId seg = doc.firstChild(track); seg != kNoNode; seg = doc.nextSibling(seg)) {
        if (doc.roleOf(seg) != NodeRole::Segment) continue;
        std::vector<NodeId> points;
        points.reserve(doc.childCount(seg));
        for (NodeId p = doc.firstChild(seg); p != kNoNode; p = doc.nextSibling(p)) points.push_back(p);
        for (auto it = points.rbegin(); it != points.rend(); ++it) doc.moveNode(*it, seg, kNoNode);
        // A point's label is its place in the segment unless it carries a name.
        std::uint32_t number = 0;
        for (NodeId p = doc.firstChild(seg); p != kNoNode; p = doc.nextSibling(p)) {
            ++number;
            if (std::optional<std::uint32_t> label = doc.trackPointNumber(p); label && *label != number)
                doc.setTrackPointNumber(p, number);
        }
    }
    doc.documentModified = true;
    doc.plotMode = 0;
    doc.endBulk();
    return true;
}

}  // namespace core

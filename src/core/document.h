#pragma once
// The one document: waypoints, routes and tracks as a tree of short text
// lines shaped after a GPX file, with the operations every reader uses to add
// to it. What the tree view shows is exactly each node's stored text.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/node_store.h"
#include "core/signal.h"
#include "core/symbols.h"

namespace host {
class Clock;
}

namespace core {

// Picture index of a node in the tree view, and its role.
enum NodeKind : int {
    kPointKind = 0,      // "waypoints", "routes", wpt, rtept
    kTrackKind = 1,      // "trackpoints", trk, rte
    kSegmentKind = 2,    // trkseg
    kTrackPointKind = 3, // trkpt
    kAttributeKind = 4,  // "metadata", attribute lines, metadata elements
};

// What a node stands for, from its place in the tree. Callers ask this
// instead of reading the first word of a node's text.
enum class NodeRole {
    None,        // the invisible root, or a node that is gone
    Container,   // "waypoints", "routes", "trackpoints"
    Metadata,    // "metadata" and the elements below it
    Waypoint,    // wpt
    Route,       // rte
    RoutePoint,  // rtept
    Track,       // trk
    Segment,     // trkseg
    TrackPoint,  // trkpt
    Attribute,   // "lat = ...", "name = ..." and every other value line
};
const char* NodeRoleName(NodeRole role);

// The item list of the simulation's track selector (cbTracks).
struct TrackChoices {
    std::vector<std::string> items;
    int selected = -1;
    Signal<> changed;
};

class Document {
public:
    Document(const SymbolTable& symbols, const host::Clock& clock);

    // Empties the tree and creates the four containers.
    void initTree();

    std::string getText(NodeId node) const { return node == kNoNode ? std::string() : store_.text(node); }
    int kind(NodeId node) const { return store_.kind(node); }
    int getLevel(NodeId node) const;
    NodeId parent(NodeId node) const { return store_.parent(node); }
    NodeId firstChild(NodeId node) const { return store_.firstChild(node); }
    NodeId nextSibling(NodeId node) const { return store_.nextSibling(node); }
    std::uint32_t childCount(NodeId node) const { return store_.childCount(node); }
    bool alive(NodeId node) const { return store_.alive(node); }
    const NodeStore& store() const { return store_; }
    NodeRole roleOf(NodeId node) const;
    // The nearest node at or above `node` with this role; kNoNode for none.
    NodeId ancestorWithRole(NodeId node, NodeRole role) const;
    // The first child with this attribute key ("name = ..."), kNoNode for none.
    NodeId attributeChild(NodeId node, AttrKey key) const;
    // A track's or route's name from its "name = " line; "" without one.
    std::string nameOf(NodeId trackOrRoute) const;
    // The segment and point count line of a track; kNoNode when it has none.
    NodeId segmentOf(NodeId track) const;
    NodeId countLineOf(NodeId track) const;

    // Points in the segments of all tracks, for progress shown over them.
    long trackPointCount() const;

    NodeId metadata() const { return metadata_; }
    NodeId waypoints() const { return waypoints_; }
    NodeId routes() const { return routes_; }
    NodeId trackpoints() const { return trackpoints_; }

    NodeId FindTrack(const std::string& name);
    void NewTrack(const std::string& name);
    void NewRoute(const std::string& name);
    // The texts a track point may carry beside its position, stored as the
    // same lines a waypoint has. Most points carry none and cost no node.
    struct TrackPointTexts {
        std::string_view name, sym, cmt, desc, type;
    };
    void AddTrackpoint(std::string_view lat, std::string_view lon, std::string_view ele, std::string_view time,
                       const TrackPointTexts& texts = {});
    // The same with the time already as the XML text AddTrackpoint would store.
    void AddTrackpointXmlTime(std::string_view lat, std::string_view lon, std::string_view ele,
                              std::string_view xmlTime, const TrackPointTexts& texts = {});
    void AddWaypoint(std::string_view lat, std::string_view lon, std::string_view ele, std::string_view time,
                     std::string_view name, const Symbol& symbol, std::string_view cmt, std::string_view desc,
                     std::string_view type = {});
    void AddRoutepoint(std::string_view lat, std::string_view lon, std::string_view ele, std::string_view time,
                       std::string_view name, const Symbol& symbol, std::string_view cmt, std::string_view desc,
                       std::string_view type = {});

    // Plain tree editing. None of these marks the document changed: the
    // user's commands do that, so bookkeeping such as the bounds node does not.
    NodeId appendNode(NodeId parent, std::string_view text, int kind);
    // Before `before` (a child of parent); at the end when it is kNoNode.
    NodeId insertNode(NodeId parent, NodeId before, std::string_view text, int kind);
    void setText(NodeId node, std::string_view text);
    // A track point's place in its segment as its label shows it ("trkpt
    // (12)"); none for a label that carries a name instead.
    std::optional<std::uint32_t> trackPointNumber(NodeId point) const;
    void setTrackPointNumber(NodeId point, std::uint32_t number);
    void removeNode(NodeId node);
    // Costs what is removed: a segment of a million points goes at once.
    void removeChildren(NodeId node);
    // False when the move would put a node inside itself.
    bool moveNode(NodeId node, NodeId newParent, NodeId before);
    // Undo's removal: the node leaves the tree as removeNode does but stays
    // stored, so relinkNode can put it back (before `before`, or at the end).
    void unlinkNode(NodeId node);
    void relinkNode(NodeId node, NodeId parent, NodeId before);
    // Whether the node hangs in the tree (not removed, not unlinked).
    bool inTree(NodeId node) const;
    // Drops a removed track's entry from the simulation's track selector.
    void forgetTrackChoice(const std::string& name);

    // The focused node of the tree view; the view mirrors it.
    NodeId focused() const { return focused_; }
    void setFocused(NodeId node);

    // Insertion state.
    NodeId currentSegment = kNoNode;
    NodeId currentCountNode = kNoNode;
    NodeId currentRoute = kNoNode;

    bool documentModified = false;
    int plotMode = 0;

    TrackChoices cbTracks;

    // While a bulk load runs, per-node notifications are held back and one
    // reset is fired at the end, so views rebuild once.
    void beginBulk() { ++bulkDepth_; }
    void endBulk();

    Signal<> reset;
    // child is linked already; its previous sibling tells its place.
    Signal<NodeId /*parent*/, NodeId /*child*/> inserted;
    Signal<NodeId /*node*/> aboutToRemove;
    Signal<NodeId /*parent*/> removed;
    Signal<NodeId /*parent*/> aboutToRemoveChildren;
    Signal<NodeId /*parent*/> childrenRemoved;
    Signal<NodeId /*node*/, NodeId /*newParent*/, NodeId /*before*/> aboutToMove;
    Signal<NodeId /*node*/> moved;
    Signal<NodeId> textChanged;
    Signal<NodeId> focusChanged;

private:
    void addPoint(NodeId parent, const char* label, std::string_view lat, std::string_view lon,
                  std::string_view ele, std::string_view time, std::string_view name, const Symbol& symbol,
                  std::string_view cmt, std::string_view desc, std::string_view type);
    void appendAttribute(NodeId parent, AttrKey key, std::string_view value);
    // The focus moves up to `parent` when it was in what went.
    void focusOutOf(NodeId parent, bool focusWasInside);
    void addTrackpoint(std::string_view lat, std::string_view lon, std::string_view ele, std::string_view time,
                       bool timeIsXml, const TrackPointTexts& texts);
    std::string symbolName(const Symbol& symbol) const;

    NodeStore store_;
    const SymbolTable& symbols_;
    const host::Clock& clock_;
    NodeId metadata_ = kNoNode, waypoints_ = kNoNode, routes_ = kNoNode, trackpoints_ = kNoNode;
    NodeId focused_ = kNoNode;
    int bulkDepth_ = 0;
};

}  // namespace core

#include "core/document.h"

#include "core/fn.h"
#include "core/text.h"

#include <algorithm>

namespace core {

namespace {

// CommaToPoint without a copy when there is no comma: most texts have none.
std::string_view pointDecimal(std::string_view text, std::string& scratch) {
    if (text.find(',') == std::string_view::npos) return text;
    scratch = CommaToPoint(text);
    return scratch;
}

// StrToFloatAny(text) == 0, without reading the number where its digits
// tell: a plain decimal is zero exactly when all its digits are.
bool readsAsZero(std::string_view text) {
    size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool point = false, digit = false, nonZero = false;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            digit = true;
            nonZero = nonZero || c != '0';
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else {
            return StrToFloatAny(text) == 0;
        }
    }
    return digit ? !nonZero : StrToFloatAny(text) == 0;
}

}  // namespace

Document::Document(const SymbolTable& symbols, const host::Clock& clock) : symbols_(symbols), clock_(clock) {
    initTree();
}

void Document::initTree() {
    store_.clear();
    metadata_ = store_.append(kRootNode, "metadata", kAttributeKind);
    waypoints_ = store_.append(kRootNode, "waypoints", kPointKind);
    routes_ = store_.append(kRootNode, "routes", kPointKind);
    trackpoints_ = store_.append(kRootNode, "trackpoints", kTrackKind);
    currentSegment = currentCountNode = currentRoute = kNoNode;
    focused_ = kNoNode;
    cbTracks.items.clear();
    cbTracks.selected = -1;
    cbTracks.changed();
    reset();
    focusChanged(focused_);
}

int Document::getLevel(NodeId node) const {
    int level = 0;
    for (NodeId n = node; n != kNoNode; n = store_.parent(n)) ++level;
    return level;
}

long Document::trackPointCount() const {
    long total = 0;
    for (NodeId k = store_.firstChild(trackpoints_); k != kNoNode; k = store_.nextSibling(k))
        for (NodeId c = store_.firstChild(k); c != kNoNode; c = store_.nextSibling(c))
            if (store_.kind(c) == kSegmentKind) total += store_.childCount(c);
    return total;
}

void Document::endBulk() {
    if (bulkDepth_ > 0 && --bulkDepth_ == 0) reset();
}

NodeId Document::appendNode(NodeId parent, std::string_view text, int kind) {
    return insertNode(parent, kNoNode, text, kind);
}

NodeId Document::insertNode(NodeId parent, NodeId before, std::string_view text, int kind) {
    NodeId id = store_.insert(parent, before, text, kind);
    if (bulkDepth_ == 0) inserted(parent, id);
    return id;
}

void Document::setText(NodeId node, std::string_view text) {
    store_.setText(node, text);
    if (bulkDepth_ == 0) textChanged(node);
}

std::optional<std::uint32_t> Document::trackPointNumber(NodeId point) const {
    long double number = 0;
    if (store_.key(point) != AttrKey::TrkptLabel || !store_.numberInto(point, number)) return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

void Document::setTrackPointNumber(NodeId point, std::uint32_t number) {
    if (store_.key(point) != AttrKey::TrkptLabel) return;
    store_.setKeyed(point, AttrKey::TrkptLabel, std::to_string(number));
    if (bulkDepth_ == 0) textChanged(point);
}

void Document::focusOutOf(NodeId parent, bool focusWasInside) {
    if (focusWasInside) setFocused(parent == kRootNode ? kNoNode : parent);
}

void Document::removeNode(NodeId node) {
    if (!store_.alive(node) || node == kRootNode) return;
    NodeId p = store_.parent(node);
    if (bulkDepth_ == 0) aboutToRemove(node);
    bool focusInside = focused_ != kNoNode && store_.isWithin(focused_, node);
    store_.remove(node);
    if (bulkDepth_ == 0) removed(p);
    focusOutOf(p, focusInside);
}

void Document::unlinkNode(NodeId node) {
    if (!inTree(node) || node == kRootNode) return;
    NodeId p = store_.parent(node);
    if (bulkDepth_ == 0) aboutToRemove(node);
    bool focusInside = focused_ != kNoNode && store_.isWithin(focused_, node);
    store_.unlink(node);
    if (bulkDepth_ == 0) removed(p);
    focusOutOf(p, focusInside);
}

void Document::relinkNode(NodeId node, NodeId parent, NodeId before) {
    if (!store_.alive(node) || store_.parent(node) != kNoNode || !inTree(parent)) return;
    store_.relink(node, parent, before);
    if (bulkDepth_ == 0) inserted(parent, node);
}

bool Document::inTree(NodeId node) const {
    if (!store_.alive(node)) return false;
    NodeId n = node;
    while (n != kRootNode) {
        n = store_.parent(n);
        if (n == kNoNode) return false;
    }
    return true;
}

void Document::removeChildren(NodeId node) {
    if (!store_.alive(node) || store_.firstChild(node) == kNoNode) return;
    if (bulkDepth_ == 0) aboutToRemoveChildren(node);
    bool focusInside = focused_ != kNoNode && focused_ != node && store_.isWithin(focused_, node);
    store_.removeChildren(node);
    if (bulkDepth_ == 0) childrenRemoved(node);
    focusOutOf(node, focusInside);
}

bool Document::moveNode(NodeId node, NodeId newParent, NodeId before) {
    if (node == kRootNode || !store_.alive(node) || !store_.alive(newParent) || store_.isWithin(newParent, node))
        return false;
    if (before != kNoNode && (!store_.alive(before) || store_.parent(before) != newParent || before == node))
        return false;
    if (bulkDepth_ == 0) aboutToMove(node, newParent, before);
    store_.move(node, newParent, before);
    if (bulkDepth_ == 0) moved(node);
    return true;
}

void Document::forgetTrackChoice(const std::string& name) {
    auto& items = cbTracks.items;
    size_t before = items.size();
    std::erase(items, name);
    if (items.size() == before) return;
    cbTracks.selected = items.empty() ? -1 : 0;
    cbTracks.changed();
}

NodeRole Document::roleOf(NodeId node) const {
    if (node == kRootNode || !store_.alive(node)) return NodeRole::None;
    NodeId p = store_.parent(node);
    if (p == kRootNode) return node == metadata_ ? NodeRole::Metadata : NodeRole::Container;
    switch (store_.kind(node)) {
        case kSegmentKind: return NodeRole::Segment;
        case kTrackPointKind: return NodeRole::TrackPoint;
        case kTrackKind: return p == routes_ ? NodeRole::Route : NodeRole::Track;
        case kPointKind: return p == waypoints_ ? NodeRole::Waypoint : NodeRole::RoutePoint;
        default: break;
    }
    // Below "metadata" an element line without " = " that holds lines of its
    // own ("bounds", "author") is an element; every other line is a value.
    if (store_.key(node) == AttrKey::None && store_.firstChild(node) != kNoNode) {
        NodeId n = p;
        while (n != kRootNode && store_.parent(n) != kRootNode) n = store_.parent(n);
        if (n == metadata_) return NodeRole::Metadata;
    }
    return NodeRole::Attribute;
}

NodeId Document::ancestorWithRole(NodeId node, NodeRole role) const {
    for (NodeId n = node; n != kNoNode && n != kRootNode; n = store_.parent(n))
        if (roleOf(n) == role) return n;
    return kNoNode;
}

NodeId Document::attributeChild(NodeId node, AttrKey key) const {
    if (!store_.alive(node)) return kNoNode;
    for (NodeId c = store_.firstChild(node); c != kNoNode; c = store_.nextSibling(c))
        if (store_.key(c) == key) return c;
    return kNoNode;
}

std::string Document::nameOf(NodeId node) const {
    NodeId n = attributeChild(node, AttrKey::Name);
    return n == kNoNode ? std::string() : store_.value(n);
}

NodeId Document::segmentOf(NodeId track) const {
    if (!store_.alive(track)) return kNoNode;
    NodeId segment = kNoNode;
    for (NodeId c = store_.firstChild(track); c != kNoNode; c = store_.nextSibling(c))
        if (store_.kind(c) == kSegmentKind) segment = c;
    return segment;
}

NodeId Document::countLineOf(NodeId track) const {
    NodeId line = kNoNode;
    if (!store_.alive(track)) return line;
    for (NodeId c = store_.firstChild(track); c != kNoNode; c = store_.nextSibling(c))
        if (store_.key(c) == AttrKey::Number) line = c;
    return line;
}

const char* NodeRoleName(NodeRole role) {
    switch (role) {
        case NodeRole::None: return "none";
        case NodeRole::Container: return "container";
        case NodeRole::Metadata: return "metadata";
        case NodeRole::Waypoint: return "waypoint";
        case NodeRole::Route: return "route";
        case NodeRole::RoutePoint: return "route point";
        case NodeRole::Track: return "track";
        case NodeRole::Segment: return "segment";
        case NodeRole::TrackPoint: return "track point";
        case NodeRole::Attribute: return "attribute";
    }
    return "none";
}

void Document::setFocused(NodeId node) {
    if (node == focused_) return;
    focused_ = node;
    focusChanged(node);
}

NodeId Document::FindTrack(const std::string& name) {
    for (NodeId t = store_.firstChild(trackpoints_); t != kNoNode; t = store_.nextSibling(t)) {
        NodeId nameLine = attributeChild(t, AttrKey::Name);
        if (nameLine == kNoNode || store_.value(nameLine) != name) continue;
        // The count line and segment after the name line take the points.
        currentCountNode = currentSegment = kNoNode;
        for (NodeId s = store_.nextSibling(nameLine); s != kNoNode; s = store_.nextSibling(s)) {
            if (store_.key(s) == AttrKey::Number) currentCountNode = s;
            if (store_.kind(s) == kSegmentKind) currentSegment = s;
        }
        return currentSegment;
    }
    return kNoNode;
}

void Document::NewTrack(const std::string& name) {
    // An existing track of this name takes the new points: this is how
    // repeated reads and captures into "ACTIVE LOG" merge.
    currentSegment = FindTrack(name);
    if (currentSegment != kNoNode) return;
    NodeId trk = appendNode(trackpoints_, "trk (" + name + ")", kTrackKind);
    appendNode(trk, "name = " + name, kAttributeKind);
    currentCountNode = appendNode(trk, "number = 0", kAttributeKind);
    currentSegment = appendNode(trk, "trkseg", kSegmentKind);
    cbTracks.items.push_back(name);
    cbTracks.selected = 0;
    cbTracks.changed();
}

void Document::NewRoute(const std::string& name) {
    currentRoute = appendNode(routes_, "rte (" + name + ")", kTrackKind);
    appendNode(currentRoute, "name = " + name, kAttributeKind);
}

void Document::appendAttribute(NodeId parent, AttrKey key, std::string_view value) {
    if (value.empty()) return;
    NodeId id = store_.appendKeyed(parent, key, value, kAttributeKind);
    if (bulkDepth_ == 0) inserted(parent, id);
}

void Document::AddTrackpoint(std::string_view lat, std::string_view lon, std::string_view ele,
                             std::string_view time, const TrackPointTexts& texts) {
    addTrackpoint(lat, lon, ele, time, false, texts);
}

void Document::AddTrackpointXmlTime(std::string_view lat, std::string_view lon, std::string_view ele,
                                    std::string_view xmlTime, const TrackPointTexts& texts) {
    addTrackpoint(lat, lon, ele, xmlTime, true, texts);
}

void Document::addTrackpoint(std::string_view lat, std::string_view lon, std::string_view ele,
                             std::string_view time, bool timeIsXml, const TrackPointTexts& texts) {
    if (lat.empty() && lon.empty()) return;
    // Nowhere to put it: callers make a track current first.
    if (currentSegment == kNoNode || !store_.alive(currentSegment)) return;
    std::string laBuf, loBuf, elBuf, tiBuf;
    std::string_view la = pointDecimal(lat, laBuf), lo = pointDecimal(lon, loBuf), el = pointDecimal(ele, elBuf),
                     ti = pointDecimal(time, tiBuf);
    if (readsAsZero(la) && readsAsZero(lo)) return;
    documentModified = true;
    std::string count = std::to_string(store_.childCount(currentSegment) + 1);
    NodeId pt = store_.appendKeyed(currentSegment, AttrKey::TrkptLabel, count, kTrackPointKind);
    if (bulkDepth_ == 0) inserted(currentSegment, pt);
    appendAttribute(pt, AttrKey::Lat, la);
    appendAttribute(pt, AttrKey::Lon, lo);
    appendAttribute(pt, AttrKey::Ele, el);
    if (timeIsXml)
        appendAttribute(pt, AttrKey::Time, time);
    else if (!ti.empty())
        appendAttribute(pt, AttrKey::Time, DateTimeToXml(ti, clock_));
    appendAttribute(pt, AttrKey::Name, texts.name);
    if (!texts.sym.empty()) appendAttribute(pt, AttrKey::Sym, symbolName(Symbol::name(std::string(texts.sym))));
    appendAttribute(pt, AttrKey::Cmt, texts.cmt);
    appendAttribute(pt, AttrKey::Desc, texts.desc);
    appendAttribute(pt, AttrKey::Type, texts.type);
    if (currentCountNode != kNoNode && store_.alive(currentCountNode)) {
        store_.setKeyed(currentCountNode, AttrKey::Number, count);
        if (bulkDepth_ == 0) textChanged(currentCountNode);
    }
}

std::string Document::symbolName(const Symbol& symbol) const {
    if (symbol.text.empty()) return {};
    return symbol.kind == Symbol::Kind::Number ? symbols_.NumToSym(symbol.text) : symbols_.resolveName(symbol.text);
}

void Document::addPoint(NodeId parent, const char* label, std::string_view lat, std::string_view lon,
                        std::string_view ele, std::string_view time, std::string_view name, const Symbol& symbol,
                        std::string_view cmt, std::string_view desc, std::string_view type) {
    documentModified = true;
    NodeId pt = appendNode(parent, std::string(label) + " (" + std::string(name) + ")", kPointKind);
    appendAttribute(pt, AttrKey::Lat, CommaToPoint(lat));
    appendAttribute(pt, AttrKey::Lon, CommaToPoint(lon));
    appendAttribute(pt, AttrKey::Ele, CommaToPoint(ele));
    if (!time.empty()) appendAttribute(pt, AttrKey::Time, DateTimeToXml(CommaToPoint(time), clock_));
    appendAttribute(pt, AttrKey::Name, name);
    appendAttribute(pt, AttrKey::Sym, symbolName(symbol));
    appendAttribute(pt, AttrKey::Cmt, cmt);
    appendAttribute(pt, AttrKey::Desc, desc);
    appendAttribute(pt, AttrKey::Type, type);
}

void Document::AddWaypoint(std::string_view lat, std::string_view lon, std::string_view ele, std::string_view time,
                           std::string_view name, const Symbol& symbol, std::string_view cmt,
                           std::string_view desc, std::string_view type) {
    addPoint(waypoints_, "wpt", lat, lon, ele, time, name, symbol, cmt, desc, type);
}

void Document::AddRoutepoint(std::string_view lat, std::string_view lon, std::string_view ele,
                             std::string_view time, std::string_view name, const Symbol& symbol,
                             std::string_view cmt, std::string_view desc, std::string_view type) {
    if (currentRoute == kNoNode || !store_.alive(currentRoute)) return;
    addPoint(currentRoute, "rtept", lat, lon, ele, time, name, symbol, cmt, desc, type);
}

}  // namespace core

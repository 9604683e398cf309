#include "core/document.h"

#include "core/fn.h"
#include "core/text.h"

namespace core {

namespace {

// CommaToPoint without a copy when there is no comma: most texts have none.
std::string_view pointDecimal(std::string_view text, std::string& scratch) {
    if (text.find(',') == std::string_view::npos) return text;
    scratch = CommaToPoint(text);
    return scratch;
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
    NodeId id = store_.append(parent, text, kind);
    if (bulkDepth_ == 0) appended(parent, id);
    return id;
}

void Document::setText(NodeId node, std::string_view text) {
    store_.setText(node, text);
    if (bulkDepth_ == 0) textChanged(node);
}

void Document::removeNode(NodeId node) {
    if (!store_.alive(node) || node == kRootNode) return;
    NodeId p = store_.parent(node);
    if (bulkDepth_ == 0) aboutToRemove(node);
    bool focusGone = false;
    for (NodeId f = focused_; f != kNoNode; f = store_.parent(f)) focusGone |= f == node;
    store_.remove(node);
    if (bulkDepth_ == 0) removed(p);
    if (focusGone) setFocused(p == kRootNode ? kNoNode : p);
}

void Document::removeChildren(NodeId node) {
    while (store_.firstChild(node) != kNoNode) removeNode(store_.lastChild(node));
}

void Document::setFocused(NodeId node) {
    if (node == focused_) return;
    focused_ = node;
    focusChanged(node);
}

NodeId Document::FindTrack(const std::string& name) {
    for (NodeId t = store_.firstChild(trackpoints_); t != kNoNode; t = store_.nextSibling(t)) {
        for (NodeId c = store_.firstChild(t); c != kNoNode; c = store_.nextSibling(c)) {
            std::string text = store_.text(c);
            if (!StartsWith(text, "name") || (text.size() > 7 ? text.substr(7) : std::string()) != name) continue;
            currentCountNode = currentSegment = kNoNode;
            for (NodeId s = store_.nextSibling(c); s != kNoNode; s = store_.nextSibling(s)) {
                std::string st = store_.text(s);
                if (StartsWith(st, "number")) currentCountNode = s;
                if (StartsWith(st, "trkseg")) currentSegment = s;
            }
            return currentSegment;
        }
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
    if (bulkDepth_ == 0) appended(parent, id);
}

void Document::AddTrackpoint(std::string_view lat, std::string_view lon, std::string_view ele,
                             std::string_view time) {
    addTrackpoint(lat, lon, ele, time, false);
}

void Document::AddTrackpointXmlTime(std::string_view lat, std::string_view lon, std::string_view ele,
                                    std::string_view xmlTime) {
    addTrackpoint(lat, lon, ele, xmlTime, true);
}

void Document::addTrackpoint(std::string_view lat, std::string_view lon, std::string_view ele,
                             std::string_view time, bool timeIsXml) {
    if (lat.empty() && lon.empty()) return;
    documentModified = true;
    // Nowhere to put it: callers make a track current first.
    if (currentSegment == kNoNode || !store_.alive(currentSegment)) return;
    std::string laBuf, loBuf, elBuf, tiBuf;
    std::string_view la = pointDecimal(lat, laBuf), lo = pointDecimal(lon, loBuf), el = pointDecimal(ele, elBuf),
                     ti = pointDecimal(time, tiBuf);
    if (StrToFloatAny(la) == 0 && StrToFloatAny(lo) == 0) return;
    std::string count = std::to_string(store_.childCount(currentSegment) + 1);
    NodeId pt = store_.appendKeyed(currentSegment, AttrKey::TrkptLabel, count, kTrackPointKind);
    if (bulkDepth_ == 0) appended(currentSegment, pt);
    appendAttribute(pt, AttrKey::Lat, la);
    appendAttribute(pt, AttrKey::Lon, lo);
    appendAttribute(pt, AttrKey::Ele, el);
    if (timeIsXml)
        appendAttribute(pt, AttrKey::Time, time);
    else if (!ti.empty())
        appendAttribute(pt, AttrKey::Time, DateTimeToXml(ti, clock_));
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
                        std::string_view cmt, std::string_view desc) {
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
}

void Document::AddWaypoint(std::string_view lat, std::string_view lon, std::string_view ele, std::string_view time,
                           std::string_view name, const Symbol& symbol, std::string_view cmt,
                           std::string_view desc) {
    addPoint(waypoints_, "wpt", lat, lon, ele, time, name, symbol, cmt, desc);
}

void Document::AddRoutepoint(std::string_view lat, std::string_view lon, std::string_view ele,
                             std::string_view time, std::string_view name, const Symbol& symbol,
                             std::string_view cmt, std::string_view desc) {
    documentModified = true;
    if (currentRoute == kNoNode || !store_.alive(currentRoute)) return;
    addPoint(currentRoute, "rtept", lat, lon, ele, time, name, symbol, cmt, desc);
}

}  // namespace core

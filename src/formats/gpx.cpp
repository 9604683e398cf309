#include "formats/gpx.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "core/fn.h"
#include "core/text.h"
#include "formats/tree_text.h"

namespace formats {

using core::kNoNode;
using core::NodeId;

namespace {

constexpr const char* kSchemaInstance = "http://www.w3.org/2001/XMLSchema-instance";
constexpr const char* kSchemaLocation =
    "http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd";

}  // namespace

// --- fragment insertion ---------------------------------------------------

GpxInserter::Focus GpxInserter::focus() const {
    const core::Document& doc = env_.doc;
    NodeId node = doc.focused();
    // A focused name line acts for its owner.
    if (node != kNoNode && doc.store().key(node) == core::AttrKey::Name) node = doc.parent(node);
    return {node, doc.roleOf(node)};
}

bool GpxInserter::xmlAddChild(std::string_view text, xml::ParseError* error) {
    xml::DocPtr doc = xml::parseMemory(text, error);
    if (!doc) return false;
    xmlNode* first = xmlDocGetRootElement(doc.get());
    if (xml::name(first) == "gpx")
        addElements(xml::firstElement(first));
    else
        addElement(first);
    return true;
}

void GpxInserter::addElements(xmlNode* first) {
    for (xmlNode* e = first; e; e = xml::nextElement(e)) addElement(e);
}

void GpxInserter::addElement(xmlNode* e) {
    std::string_view n = xml::name(e);
    if (n == "metadata") addMetadata(e);
    else if (n == "wpt") addWpt(e);
    else if (n == "rte") addRte(e);
    else if (n == "rtept") addRtept(e);
    else if (n == "trk") addTrk(e);
    else if (n == "trkseg") addTrkseg(e);
    else if (n == "trkpt") addTrkpt(e);
}

void GpxInserter::addMetadata(xmlNode* e) {
    core::Document& doc = env_.doc;
    for (xmlNode* m = xml::firstElement(e); m; m = xml::nextElement(m)) {
        std::string text(xml::name(m));
        if (xml::holdsOnlyText(m)) text += " = " + xml::text(m);
        NodeId node = doc.appendNode(doc.metadata(), text, core::kAttributeKind);
        for (xmlAttr* a = m->properties; a; a = a->next)
            doc.appendNode(node, std::string(reinterpret_cast<const char*>(a->name)) + " = " + xml::attribute(m, reinterpret_cast<const char*>(a->name)),
                           core::kAttributeKind);
        // The author's name and e-mail, a link's text: one level further in,
        // so that a save writes them again.
        for (xmlNode* c = xml::firstElement(m); c; c = xml::nextElement(c)) {
            std::string name(xml::name(c));
            if (!gpx::metadataChildElement(xml::name(m), name)) continue;
            std::string value = name == "email" ? xml::attribute(c, "id") + "@" + xml::attribute(c, "domain")
                              : name == "link"  ? xml::attribute(c, "href")
                                                : xml::text(c);
            doc.appendNode(node, name + " = " + value, core::kAttributeKind);
        }
    }
}

core::PointTexts ReadGpxPointElement(xmlNode* e) {
    core::PointTexts p;
    p.lat = xml::attribute(e, "lat");
    p.lon = xml::attribute(e, "lon");
    for (xmlNode* c = xml::firstElement(e); c; c = xml::nextElement(c)) {
        std::string_view n = xml::name(c);
        if (n == "name") p.name = xml::text(c);
        else if (n == "ele") p.ele = xml::text(c);
        else if (n == "sym") p.sym = xml::text(c);
        else if (n == "cmt") p.cmt = xml::text(c);
        else if (n == "desc") p.desc = xml::text(c);
        else if (n == "type") p.type = xml::text(c);
        else if (n == "time") p.serial = xml::text(c);  // still the file's text
    }
    return p;
}

GpxInserter::Point GpxInserter::readPoint(xmlNode* e, bool serialTimeAllowed) const {
    core::PointTexts t = ReadGpxPointElement(e);
    Point p{t.lat, t.lon, t.ele, t.serial, t.name, t.sym, t.cmt, t.desc, t.type, {}, {}};
    // A waypoint time with a comma is already a serial number.
    if (!(serialTimeAllowed && p.time.find(',') != std::string::npos))
        p.time = core::XmlToDateTime(p.time, env_.clock, env_.decimalSeparator());
    return p;
}

bool GpxInserter::keptPointChild(std::string_view n) {
    return n == "ele" || n == "time" || n == "name" || n == "sym" || n == "cmt" || n == "desc" || n == "type";
}

void GpxInserter::addRoutepoint(const Point& p) {
    env_.doc.AddRoutepoint(p.lat, p.lon, p.ele, p.time, p.name, core::Symbol::name(p.sym), p.cmt, p.desc, p.type);
}

bool GpxInserter::routeOfFocus(const Focus& f) {
    core::Document& doc = env_.doc;
    if (f.role == core::NodeRole::RoutePoint) {
        doc.currentRoute = doc.parent(f.node);
        return true;
    }
    if (f.role == core::NodeRole::Route) {
        doc.currentRoute = f.node;
        return true;
    }
    return false;
}

void GpxInserter::addWpt(xmlNode* e) {
    Point p = readPoint(e, true);
    Focus f = focus();
    core::Document& doc = env_.doc;
    if (f.none() || f.node == env_.doc.waypoints() || f.role == core::NodeRole::Waypoint)
        doc.AddWaypoint(p.lat, p.lon, p.ele, p.time, p.name, core::Symbol::name(p.sym), p.cmt, p.desc, p.type);
    else if (routeOfFocus(f))
        addRoutepoint(p);
}

core::NodeId GpxInserter::beginRoute(const std::string& name) {
    env_.doc.NewRoute(name);
    // Nested route points look at the focus to find their route.
    env_.doc.setFocused(env_.doc.currentRoute);
    return env_.doc.currentRoute;
}

void GpxInserter::addRte(xmlNode* e) {
    beginRoute(xml::childText(e, "name"));
    for (xmlNode* c = xml::firstElement(e); c; c = xml::nextElement(c))
        if (xml::name(c) == "rtept") addRtept(c);
}

void GpxInserter::addRtept(xmlNode* e) {
    Point p = readPoint(e, false);
    Focus f = focus();
    core::Document& doc = env_.doc;
    // Anywhere but in a route a route point has no place; nothing is added.
    if ((f.none() && doc.currentRoute != kNoNode && doc.alive(doc.currentRoute)) || routeOfFocus(f))
        addRoutepoint(p);
}

void GpxInserter::beginTrack(std::string name) {
    core::Document& doc = env_.doc;
    if (doc.FindTrack(name) != kNoNode) name = "Copy of " + name;
    doc.NewTrack(name);
    if (!focus().none()) doc.setFocused(doc.parent(doc.currentSegment));
}

void GpxInserter::addTrk(xmlNode* e) {
    xmlNode* nameNode = xml::firstChildNamed(e, "name");
    beginTrack(nameNode ? xml::text(nameNode) : "NewTrack");
    for (xmlNode* c = xml::firstElement(e); c; c = xml::nextElement(c))
        if (xml::name(c) == "trkseg") addTrkseg(c);
}

void GpxInserter::addTrkseg(xmlNode* e) {
    for (xmlNode* c = xml::firstElement(e); c; c = xml::nextElement(c))
        if (xml::name(c) == "trkpt") addTrkpt(c);
}

void GpxInserter::addTrkpt(xmlNode* e) { addTrackPoint(readPoint(e, false)); }

void GpxInserter::addTrackPoint(const Point& given) {
    Focus f = focus();
    core::Document& doc = env_.doc;
    const core::Document::TrackPointTexts texts{given.name, given.sym, given.cmt, given.desc, given.type};
    if (f.none() && doc.currentSegment != kNoNode && doc.alive(doc.currentSegment)) {
        if (!given.storedTime.empty())
            doc.AddTrackpointXmlTime(given.lat, given.lon, given.ele, given.storedTime, texts);
        else
            doc.AddTrackpoint(given.lat, given.lon, given.ele, given.time, texts);
        return;
    }
    Point p = given;
    if (!p.storedTime.empty()) p.time = core::XmlToDateTime(p.fileTime, env_.clock, env_.decimalSeparator());
    // A pasted track point keeps its own texts wherever it lands.
    if (f.node == doc.waypoints() || f.role == core::NodeRole::Waypoint) {
        doc.AddWaypoint(p.lat, p.lon, p.ele, p.time, p.name, core::Symbol::name(p.sym), p.cmt, p.desc, p.type);
    } else if (f.role == core::NodeRole::Segment) {
        doc.currentSegment = f.node;
        doc.currentCountNode = doc.store().previousSibling(f.node);
        doc.AddTrackpoint(p.lat, p.lon, p.ele, p.time, texts);
    } else if (f.role == core::NodeRole::Track) {
        for (NodeId c = doc.firstChild(f.node); c != kNoNode; c = doc.nextSibling(c)) {
            if (doc.roleOf(c) == core::NodeRole::Segment) {
                doc.currentSegment = c;
                doc.AddTrackpoint(p.lat, p.lon, p.ele, p.time, texts);
            } else if (doc.store().key(c) == core::AttrKey::Number) {
                doc.currentCountNode = c;
            }
        }
    } else if (routeOfFocus(f)) {
        if (p.name.empty())
            doc.AddRoutepoint(p.lat, p.lon, p.ele, p.time, "TP", core::Symbol::none(), "", "");
        else
            doc.AddRoutepoint(p.lat, p.lon, p.ele, p.time, p.name, core::Symbol::name(p.sym), p.cmt, p.desc, p.type);
    }
}

// --- reader ---------------------------------------------------------------

namespace {

// Takes a GPX file's SAX events and hands one element at a time to the
// insertion: each waypoint, each route point, each track point. Waypoints,
// routes and tracks land in their own containers, each in file order, and
// the focus ends where reading all waypoints, then all routes, then all
// tracks would leave it. Track points, the bulk of every file, are taken
// straight from the events; the rarer elements are built as small DOM
// subtrees for the insertion.
class GpxSaxReader : public xml::SaxHandler {
public:
    GpxSaxReader(Env& env, long size) : env_(env), inserter_(env), size_(size) {}

    void attach(xml::SaxParser& parser) { parser_ = &parser; }
    bool afterBlock(long bytesDone) {
        bytesDone_ = bytesDone;
        return !cancelled_;
    }
    // After the parser has stopped, for whatever end it came to.
    void finish();
    bool cancelled() const { return cancelled_; }

    void startElement(std::string_view name, const xml::Attributes& attributes) override;
    void endElement() override;
    void characters(std::string_view text) override;

private:
    enum class Part { None, Route, Track };
    enum class Built { Metadata, Waypoint, RouteName, RoutePoint, TrackName, Header };
    // What holds elements a save does not keep, for the note after reading.
    enum Owner { kWaypoint, kRoutePoint, kTrackPoint, kRoute, kTrack, kFile, kOwners };
    struct Dropped {
        long owners = 0;
        std::vector<std::string> names;  // in the order first met
        bool current = false;            // the owner being read dropped something
    };
    void drop(Owner owner, std::string_view element);
    void ownerDone(Owner owner);
    void dropPointChildren(Owner owner, xmlNode* point);
    void reportDropped();
    // GPX 1.0 keeps its file's name, author and so on directly under gpx:
    // they become the metadata a GPX 1.1 file keeps them in.
    void keepHeader(xmlNode* e);
    void addHeader();

    bool announce(const char* what);
    void pointDone();
    void build(Built what, std::string_view name, const xml::Attributes& attributes);
    void built();
    void beginRoute();
    void beginTrack();
    void addTrackPoint();
    void cancel();

    Env& env_;
    GpxInserter inserter_;
    long size_;
    xml::SaxParser* parser_ = nullptr;
    long bytesDone_ = 0;
    bool cancelled_ = false;

    int depth_ = 0;         // open elements
    int skipDepth_ = -1;    // an element whose subtree is of no interest
    xml::SubtreeBuilder builder_;
    Built building_ = Built::Metadata;

    Part part_ = Part::None;
    bool metadataDone_ = false;
    std::string name_;
    bool named_ = false, begun_ = false, inSegment_ = false;

    bool inPoint_ = false;
    GpxInserter::Point point_;
    std::string* text_ = nullptr;  // ele or time of the point, while inside it
    int textDepth_ = 0;

    int count_ = 0;
    long points_ = 0;
    NodeId lastRoute_ = kNoNode, lastTrack_ = kNoNode;

    std::array<Dropped, kOwners> dropped_;
    struct HeaderLine {
        std::string name, text;
        std::vector<std::pair<std::string, std::string>> attributes;
    };
    std::vector<HeaderLine> header_;
};

void GpxSaxReader::drop(Owner owner, std::string_view element) {
    Dropped& d = dropped_[owner];
    if (std::find(d.names.begin(), d.names.end(), element) == d.names.end()) d.names.emplace_back(element);
    d.current = true;
}

void GpxSaxReader::ownerDone(Owner owner) {
    Dropped& d = dropped_[owner];
    if (d.current) ++d.owners;
    d.current = false;
}

void GpxSaxReader::dropPointChildren(Owner owner, xmlNode* point) {
    for (xmlNode* c = xml::firstElement(point); c; c = xml::nextElement(c))
        if (!GpxInserter::keptPointChild(xml::name(c))) drop(owner, xml::name(c));
    ownerDone(owner);
}

void GpxSaxReader::reportDropped() {
    static constexpr const char* kOne[kOwners] = {"waypoint", "route point", "track point", "route", "track", ""};
    static constexpr const char* kMany[kOwners] = {"waypoints", "route points", "track points", "routes", "tracks", ""};
    for (int o = 0; o < kOwners; ++o) {
        ownerDone(static_cast<Owner>(o));
        const Dropped& d = dropped_[static_cast<size_t>(o)];
        if (d.owners == 0) continue;
        std::string names;
        for (const std::string& n : d.names) names += (names.empty() ? "" : ", ") + n;
        if (o == kFile)
            env_.warning("The file carries " + names + " that a save does not keep");
        else if (d.owners == 1)
            env_.warning(std::string("1 ") + kOne[o] + " carries " + names + " that a save does not keep");
        else
            env_.warning(std::to_string(d.owners) + " " + kMany[o] + " carry " + names + " that a save does not keep");
    }
}

namespace {

// The GPX 1.0 elements under gpx that GPX 1.1 moved into metadata.
bool headerElement(std::string_view n) {
    return n == "name" || n == "desc" || n == "author" || n == "email" || n == "url" || n == "urlname" ||
           n == "time" || n == "keywords" || n == "bounds";
}

}  // namespace

void GpxSaxReader::keepHeader(xmlNode* e) {
    HeaderLine line{std::string(xml::name(e)), xml::text(e), {}};
    for (xmlAttr* a = e->properties; a; a = a->next) {
        const char* n = reinterpret_cast<const char*>(a->name);
        line.attributes.emplace_back(n, xml::attribute(e, n));
    }
    header_.push_back(std::move(line));
}

void GpxSaxReader::addHeader() {
    if (header_.empty()) return;
    core::Document& doc = env_.doc;
    if (doc.firstChild(doc.metadata()) != kNoNode) {
        // A file with both keeps its metadata element; the rest is named.
        for (const HeaderLine& h : header_) drop(kFile, h.name);
        ownerDone(kFile);
        return;
    }
    auto find = [&](std::string_view n) -> const HeaderLine* {
        for (const HeaderLine& h : header_)
            if (h.name == n) return &h;
        return nullptr;
    };
    auto line = [&](NodeId parent, const std::string& text) { return doc.appendNode(parent, text, core::kAttributeKind); };
    // In the order GPX 1.1 gives metadata's children.
    if (auto h = find("name")) line(doc.metadata(), "name = " + h->text);
    if (auto h = find("desc")) line(doc.metadata(), "desc = " + h->text);
    const HeaderLine *author = find("author"), *email = find("email");
    if (author || email) {
        NodeId a = line(doc.metadata(), "author");
        if (author) line(a, "name = " + author->text);
        if (email) line(a, "email = " + email->text);
    }
    const HeaderLine *url = find("url"), *urlName = find("urlname");
    if (url) {
        NodeId l = line(doc.metadata(), "link");
        line(l, "href = " + url->text);
        if (urlName) line(l, "text = " + urlName->text);
    }
    if (auto h = find("time")) line(doc.metadata(), "time = " + h->text);
    if (auto h = find("keywords")) line(doc.metadata(), "keywords = " + h->text);
    if (auto h = find("bounds")) {
        NodeId b = line(doc.metadata(), "bounds");
        for (const auto& [n, v] : h->attributes) line(b, n + " = " + v);
    }
}

void GpxSaxReader::cancel() {
    cancelled_ = true;
    if (parser_) parser_->stop();
}

bool GpxSaxReader::announce(const char* what) {
    ++count_;
    env_.status(std::to_string(count_) + ": " + what);
    if (size_ > 0) env_.operation.showProgress(bytesDone_, size_);
    if (!env_.operation.yieldNow()) cancel();
    return !cancelled_;
}

void GpxSaxReader::pointDone() {
    if (!env_.operation.step(++points_, 0)) cancel();
    if (points_ % kYieldEvery == 0 && size_ > 0) env_.operation.showProgress(bytesDone_, size_);
}

void GpxSaxReader::build(Built what, std::string_view name, const xml::Attributes& attributes) {
    building_ = what;
    builder_.start(name, attributes);
}

void GpxSaxReader::beginRoute() {
    if (begun_) return;
    lastRoute_ = inserter_.beginRoute(name_);
    begun_ = true;
}

void GpxSaxReader::beginTrack() {
    if (begun_) return;
    env_.doc.setFocused(kNoNode);
    inserter_.beginTrack(named_ ? name_ : "NewTrack");
    lastTrack_ = env_.doc.parent(env_.doc.currentSegment);
    begun_ = true;
}

void GpxSaxReader::startElement(std::string_view name, const xml::Attributes& attributes) {
    int depth = depth_++;
    if (skipDepth_ >= 0 || cancelled_) return;
    if (builder_.building()) {
        builder_.start(name, attributes);
        return;
    }
    if (depth == 0) return;  // the root
    if (depth == 1) {
        if (name == "metadata" && !metadataDone_) {
            metadataDone_ = true;
            env_.status("Reading metadata...");
            build(Built::Metadata, name, attributes);
        } else if (name == "wpt") {
            if (!announce("waypoint")) return;
            env_.doc.setFocused(kNoNode);
            build(Built::Waypoint, name, attributes);
        } else if (name == "rte" || name == "trk") {
            if (!announce(name == "rte" ? "route" : "track")) return;
            part_ = name == "rte" ? Part::Route : Part::Track;
            name_.clear();
            named_ = begun_ = inSegment_ = false;
        } else if (headerElement(name)) {
            build(Built::Header, name, attributes);
        } else {
            drop(kFile, name);
            skipDepth_ = depth;
        }
        return;
    }
    if (part_ == Part::Route && depth == 2) {
        if (name == "name" && !begun_ && name_.empty()) {
            build(Built::RouteName, name, attributes);
        } else if (name == "rtept") {
            beginRoute();
            build(Built::RoutePoint, name, attributes);
        } else {
            if (name != "name") drop(kRoute, name);
            skipDepth_ = depth;
        }
        return;
    }
    if (part_ == Part::Track) {
        if (depth == 2 && name == "name" && !named_ && !begun_) {
            build(Built::TrackName, name, attributes);
            return;
        }
        if (depth == 2 && name == "trkseg") {
            beginTrack();
            inSegment_ = true;
            return;
        }
        if (depth == 3 && inSegment_ && name == "trkpt") {
            inPoint_ = true;
            point_ = GpxInserter::Point{};
            point_.lat = attributes.find("lat");
            point_.lon = attributes.find("lon");
            return;
        }
        if (depth == 4 && inPoint_ && GpxInserter::keptPointChild(name)) {
            // The last of several wins.
            text_ = name == "ele" ? &point_.ele : name == "time" ? &point_.time : name == "name" ? &point_.name
                  : name == "sym" ? &point_.sym : name == "cmt" ? &point_.cmt : name == "desc" ? &point_.desc
                  : &point_.type;
            text_->clear();
            textDepth_ = depth;
            return;
        }
        // Nothing inside a value element counts but its own text.
        if (text_ && depth > textDepth_) return;
        if (depth == 4 && inPoint_) drop(kTrackPoint, name);
        else if (depth == 2 && name != "name") drop(kTrack, name);
    }
    skipDepth_ = depth;
}

void GpxSaxReader::endElement() {
    int depth = --depth_;
    if (cancelled_) return;
    if (skipDepth_ >= 0) {
        if (depth == skipDepth_) skipDepth_ = -1;
        return;
    }
    if (builder_.building()) {
        if (builder_.end()) built();
        return;
    }
    if (text_) {
        if (depth == textDepth_) text_ = nullptr;
        return;
    }
    if (inPoint_ && depth == 3) {
        addTrackPoint();
        return;
    }
    if (part_ == Part::Track && depth == 2) inSegment_ = false;
    if (depth == 1) {
        if (part_ == Part::Route) beginRoute();
        if (part_ == Part::Track) beginTrack();
        ownerDone(part_ == Part::Route ? kRoute : kTrack);
        part_ = Part::None;
    }
}

void GpxSaxReader::characters(std::string_view text) {
    if (skipDepth_ >= 0 || cancelled_) return;
    if (builder_.building())
        builder_.characters(text);
    else if (text_ && depth_ - 1 == textDepth_)
        text_->append(text);
}

void GpxSaxReader::built() {
    xmlNode* e = builder_.root();
    switch (building_) {
        case Built::Metadata: inserter_.addMetadata(e); break;
        case Built::Header: keepHeader(e); break;
        case Built::Waypoint:
            dropPointChildren(kWaypoint, e);
            inserter_.addWpt(e);
            break;
        case Built::RouteName: name_ = xml::text(e); break;
        case Built::TrackName:
            name_ = xml::text(e);
            named_ = true;
            break;
        case Built::RoutePoint:
            dropPointChildren(kRoutePoint, e);
            inserter_.addRtept(e);
            pointDone();
            break;
    }
}

void GpxSaxReader::addTrackPoint() {
    inPoint_ = false;
    ownerDone(kTrackPoint);
    text_ = nullptr;
    GpxInserter::Point& p = point_;
    if (auto stored = core::XmlTimeToLocalXml(p.time, env_.clock)) {
        p.storedTime = std::move(*stored);
        p.fileTime = std::move(p.time);
        p.time.clear();
    } else {
        p.time = core::XmlToDateTime(p.time, env_.clock, env_.decimalSeparator());
    }
    inserter_.addTrackPoint(p);
    pointDone();
}

void GpxSaxReader::finish() {
    if (!cancelled_) {
        // A file that breaks off keeps what it gave: the point begun, the
        // route or track it was in.
        if (inPoint_) addTrackPoint();
        if (part_ == Part::Route) beginRoute();
        if (part_ == Part::Track) beginTrack();
    }
    addHeader();
    reportDropped();
    if (lastRoute_ != kNoNode) env_.doc.setFocused(lastTrack_ != kNoNode ? lastTrack_ : lastRoute_);
}

}  // namespace

namespace {

// Where the file's "</gpx>" ends when bytes other than white space follow it
// (devices pad their files with NULs); -1 when nothing follows.
long endOfGpxWithTrailingBytes(const std::string& fileName) {
    std::FILE* f = std::fopen(fileName.c_str(), "rb");
    if (!f) return -1;
    long end = -1;
    constexpr long kBlock = 1 << 16;
    std::string tail;  // the bytes from `from` to the end of the file, read block by block backwards
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f), from = size;
        bool onlyBlank = true;
        while (from > 0 && end < 0) {
            long start = std::max(0L, from - kBlock);
            std::string block(static_cast<size_t>(from - start), '\0');
            if (std::fseek(f, start, SEEK_SET) != 0 || std::fread(block.data(), 1, block.size(), f) != block.size()) break;
            // Keep a few bytes of the later block so a tag across the seam is found.
            tail = block + tail.substr(0, std::min<size_t>(tail.size(), 8));
            size_t at = tail.rfind("gpx>");
            if (at != std::string::npos && at >= 1 && (tail[at - 1] == '/' || tail[at - 1] == ':')) {
                size_t after = at + 4;
                for (size_t i = after; i < tail.size() && onlyBlank; ++i)
                    onlyBlank = tail[i] == ' ' || tail[i] == '\t' || tail[i] == '\n' || tail[i] == '\r';
                // Bytes past this block were all checked as they went by.
                // The last closing tag is the document's end: an earlier
                // "</gpx>" (in a comment, say) is no reason to read on.
                end = onlyBlank ? -1 : start + static_cast<long>(after);
                break;
            } else {
                for (char ch : block) onlyBlank = onlyBlank && (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r');
            }
            from = start;
        }
    }
    std::fclose(f);
    return end < 0 ? -1 : end;
}

}  // namespace

namespace {

// Reads through `parse`, which runs the parser it is given over the file or text.
template <typename Parse>
core::Result readGpx(Env& env, long size, Parse parse) {
    env.doc.beginBulk();
    GpxSaxReader reader(env, size);
    xml::SaxParser parser(reader);
    reader.attach(parser);
    parse(parser, [&reader](long bytesDone) { return reader.afterBlock(bytesDone); });
    reader.finish();
    env.doc.endBulk();
    env.operation.hideProgress();
    // Whatever was read before a fault stays in the document.
    if (reader.cancelled()) return core::Result::cancelled();
    if (!parser.error().empty()) return ParseFailure(parser.error());
    return core::Result::done();
}

void warnTrailing(Env& env, long bytes) {
    env.warning("The " + std::to_string(bytes) + " bytes after </gpx> were left unread");
}

}  // namespace

core::Result GpxBestandInlezen(Env& env, const std::string& fileName) {
    env.report("Read GPX file");
    long end = endOfGpxWithTrailingBytes(fileName);
    long size = StatusOf(fileName).size;
    if (end >= 0) warnTrailing(env, size - end);
    return readGpx(env, size, [&](xml::SaxParser& parser, const xml::SaxParser::BlockHook& hook) {
        parser.parseFile(fileName, end, hook);
    });
}

core::Result ReadGpxText(Env& env, std::string_view text) {
    env.report("Read GPX file");
    size_t at = text.rfind("gpx>");
    if (at != std::string_view::npos && at >= 1 && (text[at - 1] == '/' || text[at - 1] == ':') &&
        text.find_first_not_of(" \t\r\n", at + 4) != std::string_view::npos) {
        warnTrailing(env, static_cast<long>(text.size() - at - 4));
        text = text.substr(0, at + 4);
    }
    return readGpx(env, static_cast<long>(text.size()), [&](xml::SaxParser& parser, const xml::SaxParser::BlockHook& hook) {
        parser.parseMemory(text, hook);
    });
}

// --- writer ---------------------------------------------------------------

namespace gpx {

namespace {

// A point's "lat" and "lon" lines become attributes, every other line a child
// element, in tree order.
PointElement readPointLines(const core::Document& doc, NodeId point) {
    PointElement p;
    for (NodeId a = doc.firstChild(point); a != kNoNode; a = doc.nextSibling(a)) {
        core::PointLine line = core::ReadPointLine(doc, a);
        if (line.key == "lat" || line.key == "lon") {
            (line.key == "lat" ? p.lat : p.lon) = std::move(line.value);
            (line.key == "lat" ? p.hasLat : p.hasLon) = true;
            continue;
        }
        p.children.emplace_back(std::move(line.key), std::move(line.value));
    }
    return p;
}

}  // namespace

void startGpxFile(xml::Writer& w, bool withSchemaLocation) {
    w.startDocument("no");
    w.start("gpx");
    w.attribute("xmlns", kNamespace);
    w.attribute("creator", "Pathkeep");
    w.attribute("version", "1.1");
    if (!withSchemaLocation) return;
    w.attribute("xmlns:xsi", kSchemaInstance);
    w.attribute("xsi:schemaLocation", kSchemaLocation);
}

bool metadataChildElement(std::string_view element, std::string_view child) {
    if (element == "author") return child == "name" || child == "email" || child == "link";
    if (element == "copyright") return child == "year" || child == "license";
    if (element == "link") return child == "text" || child == "type";
    return false;
}

namespace {

// An author's "email = joe@example.org" and "link = http://..." lines as the
// elements GPX 1.1 has for them; other lines as plain text elements.
void writeMetadataChild(xml::Writer& w, const KeyValue& kv) {
    if (kv.key == "email") {
        size_t at = kv.value.find('@');
        w.start("email");
        w.attribute("id", kv.value.substr(0, at));
        w.attribute("domain", at == std::string::npos ? std::string() : kv.value.substr(at + 1));
        w.end();
    } else if (kv.key == "link") {
        w.start("link");
        w.attribute("href", kv.value);
        w.end();
    } else {
        w.element(kv.key.c_str(), kv.value);
    }
}

}  // namespace

void writeMetadata(xml::Writer& w, const core::Document& doc, NodeId metadata) {
    w.start("metadata");
    for (NodeId n = doc.firstChild(metadata); n != kNoNode; n = doc.nextSibling(n)) {
        std::string t = doc.getText(n);
        KeyValue kv = SplitKeyValue(t);
        std::string name = kv.hasEquals ? kv.key : t;
        std::string text = kv.value;
        std::vector<KeyValue> attributes, children;
        for (NodeId a = doc.firstChild(n); a != kNoNode; a = doc.nextSibling(a)) {
            std::string at = doc.getText(a);
            if (at.find('=') == std::string::npos) {
                text = at;
                continue;
            }
            KeyValue line = SplitKeyValue(at);
            (metadataChildElement(name, line.key) ? children : attributes).push_back(std::move(line));
        }
        if (!xml::Writer::validName(name)) continue;  // an edited line that names no element
        w.start(name.c_str());
        for (const auto& a : attributes)
            if (xml::Writer::validName(a.key)) w.attribute(a.key.c_str(), a.value);
        if (!text.empty() && children.empty()) w.text(text);
        for (const auto& c : children) writeMetadataChild(w, c);
        w.end();
    }
    w.end();
}

namespace {

// Points are the bulk of every file: each is put together as text, escaped
// here, and handed to the writer in one piece. The text buffer is kept from
// point to point.
class PointText {
public:
    PointText(xml::Writer& w, std::string_view elementName)
        : w_(w), elementName_(elementName), indent_(static_cast<size_t>(w.depth()) * 2) {
        static thread_local std::string buffer;
        out_ = &buffer;
        out_->clear();
        out_->append(w.lineBreak());
        out_->append(indent_, ' ');
        *out_ += '<';
        out_->append(elementName);
    }
    // Values already known to need no escaping go in as they are.
    void attribute(std::string_view name, std::string_view value, bool plain = false) {
        std::string& out = *out_;
        out += ' ';
        out.append(name);
        out.append("=\"", 2);
        put(value, plain);
        out += '"';
    }
    // Keys must be valid element names.
    void child(std::string_view key, std::string_view value, bool plain = false) {
        std::string& out = *out_;
        if (any_) {
            out.append("\n  ", 3);
        } else {
            out.append(">\n  ", 4);
            any_ = true;
        }
        out.append(indent_, ' ');
        out += '<';
        out.append(key);
        if (value.empty()) {
            out.append("/>", 2);
            return;
        }
        out += '>';
        put(value, plain);
        out.append("</", 2);
        out.append(key);
        out += '>';
    }
    void finish() {
        std::string& out = *out_;
        if (any_) {
            out += '\n';
            out.append(indent_, ' ');
            out.append("</", 2);
            out.append(elementName_);
            out += '>';
        } else {
            out.append("/>", 2);
        }
        w_.raw(out);
    }

private:
    void put(std::string_view value, bool plain) {
        if (plain)
            out_->append(value);
        else
            xml::appendEscaped(*out_, value);
    }

    xml::Writer& w_;
    std::string_view elementName_;
    size_t indent_;
    std::string* out_;
    bool any_ = false;
};

// A point whose lines are all keyed, straight from the store: the same text
// as writePointElement(readPointLines(...)) without a string per line.
// False, with nothing written, for a point with a line of another shape.
bool writeKeyedPoint(xml::Writer& w, const core::Document& doc, NodeId point, const char* elementName) {
    const core::NodeStore& store = doc.store();
    NodeId lat = kNoNode, lon = kNoNode;
    for (NodeId a = doc.firstChild(point); a != kNoNode; a = doc.nextSibling(a)) {
        core::AttrKey key = store.key(a);
        if (key == core::AttrKey::None || key == core::AttrKey::TrkptLabel) return false;
        if (key == core::AttrKey::Lat) lat = a;
        if (key == core::AttrKey::Lon) lon = a;
    }
    char buffer[256];
    size_t length = 0;
    std::string longValue;
    auto value = [&](NodeId a) -> std::string_view {
        if (store.valueInto(a, buffer, sizeof buffer, length)) return {buffer, length};
        longValue = store.value(a);
        return longValue;
    };
    PointText text(w, elementName);
    if (lat != kNoNode) text.attribute("lat", value(lat), store.holdsPlainValue(lat));
    if (lon != kNoNode) text.attribute("lon", value(lon), store.holdsPlainValue(lon));
    for (NodeId a = doc.firstChild(point); a != kNoNode; a = doc.nextSibling(a)) {
        core::AttrKey key = store.key(a);
        if (key != core::AttrKey::Lat && key != core::AttrKey::Lon)
            text.child(core::NodeStore::keyName(key), value(a), store.holdsPlainValue(a));
    }
    text.finish();
    return true;
}

}  // namespace

void writePointElement(xml::Writer& w, const char* elementName, const PointElement& p) {
    PointText text(w, elementName);
    if (p.hasLat) text.attribute("lat", p.lat);
    if (p.hasLon) text.attribute("lon", p.lon);
    for (const auto& [key, value] : p.children)
        if (xml::Writer::validName(key)) text.child(key, value);
    text.finish();
}

void writePoint(xml::Writer& w, const core::Document& doc, NodeId point, const char* elementName) {
    if (!writeKeyedPoint(w, doc, point, elementName)) writePointElement(w, elementName, readPointLines(doc, point));
}

void writeRoute(xml::Writer& w, const core::Document& doc, NodeId route) {
    w.start("rte");
    for (NodeId c = doc.firstChild(route); c != kNoNode; c = doc.nextSibling(c)) {
        if (doc.store().key(c) == core::AttrKey::Name)
            w.element("name", doc.store().value(c));
        else if (doc.roleOf(c) == core::NodeRole::RoutePoint)
            writePoint(w, doc, c, "rtept");
    }
    w.end();
}

bool writeSegment(xml::Writer& w, const core::Document& doc, NodeId segment, const PointHook& onPoint) {
    w.start("trkseg");
    bool going = true;
    for (NodeId p = doc.firstChild(segment); p != kNoNode && going; p = doc.nextSibling(p)) {
        if (onPoint && !onPoint()) {
            going = false;
            break;
        }
        writePoint(w, doc, p, "trkpt");
    }
    w.end();
    return going;
}

bool writeTrack(xml::Writer& w, const core::Document& doc, NodeId track, const PointHook& onPoint) {
    w.start("trk");
    bool going = true;
    for (NodeId c = doc.firstChild(track); c != kNoNode && going; c = doc.nextSibling(c)) {
        if (doc.store().key(c) == core::AttrKey::Name)
            w.element("name", doc.store().value(c));
        else if (doc.roleOf(c) == core::NodeRole::Segment)
            going = writeSegment(w, doc, c, onPoint);
    }
    w.end();
    return going;
}

}  // namespace gpx

core::Result SaveAsGPX(Env& env, const std::string& fileName, const SaveOptions& options) {
    core::Document& doc = env.doc;
    env.report("Save file as GPX");
    NodeId focused = doc.focused();
    AtomicFile file(fileName);
    if (!file.open()) return core::Result::failed(file.error());
    xml::Writer w(file);
    gpx::startGpxFile(w, true);

    core::Operation& op = env.operation;
    // The part a selection save writes: a container, or the focused track
    // (a focused segment, point or line writes no track). With nothing
    // focused the file is the empty skeleton.
    bool all = !options.selectionOnly;
    bool waypoints = all || focused == doc.waypoints();
    bool allTracks = all || focused == doc.trackpoints();
    NodeId oneTrack = doc.roleOf(focused) == core::NodeRole::Track ? focused : kNoNode;
    long total = doc.trackPointCount(), written = 0;

    bool going = all || focused != kNoNode;
    if (going) {
        env.status("Saving metadata...");
        gpx::writeMetadata(w, doc, doc.metadata());
    }
    if (going && waypoints) {
        env.status("Saving waypoints...");
        for (NodeId p = doc.firstChild(doc.waypoints()); p != kNoNode && going; p = doc.nextSibling(p))
            if ((going = op.yieldNow())) gpx::writePoint(w, doc, p, "wpt");
    }
    if (going) {
        env.status("Saving routes...");
        for (NodeId r = doc.firstChild(doc.routes()); r != kNoNode && going; r = doc.nextSibling(r))
            if ((going = op.yieldNow())) gpx::writeRoute(w, doc, r);
    }
    if (going) {
        env.status("Saving trackpoints...");
        auto onPoint = [&] {
            if (++written % kYieldEvery == 0) env.status("Saving trackpoint " + std::to_string(written));
            return op.step(written, total);
        };
        for (NodeId k = doc.firstChild(doc.trackpoints()); k != kNoNode && going; k = doc.nextSibling(k)) {
            if (!allTracks && k != oneTrack) continue;
            going = gpx::writeTrack(w, doc, k, onPoint);
        }
    }
    op.hideProgress();
    if (op.cancelled()) {
        // A stopped save leaves whatever stood at the target untouched.
        file.discard();
        return core::Result::cancelled();
    }
    if (!(w.finish() && file.commit()))
        return core::Result::failed(file.error().empty() ? "Cannot write " + fileName : file.error());
    return core::Result::done();
}

}  // namespace formats

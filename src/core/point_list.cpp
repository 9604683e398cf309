#include "core/point_list.h"

#include <new>

#include "core/fn.h"
#include "core/text.h"
#include "host/host.h"

namespace core {

namespace {

constexpr size_t kRecordTextChars = 32;  // loaders cut names and comments to this
constexpr size_t kRowNumberChars = 12;
constexpr size_t kRowSerialChars = 16;

}  // namespace

const std::array<ListColumnInfo, kColumnCount> kListColumns = {{
    {"Nr", 35},
    {"Latitude", 100},
    {"Longitude", 100},
    {"Altitude (m)", 65},
    {"Date/Time", 0},
    {"Date", 70},
    {"Time", 70},
    {"Name", 100},
    {"Symbol", 40},
    {"Comment", 80},
    {"Description", 80},
}};

PointList::PointList() : built_(kFirstBlock), first_(std::make_unique<PointRecord[]>(kFirstBlock)) {}

PointList::~PointList() {
    for (size_t i = kFirstBlock; i < built_; ++i) at(i).~PointRecord();
}

PointList::PointList(PointList&& other) noexcept
    : count_(other.count_), built_(other.built_), first_(std::move(other.first_)), blocks_(std::move(other.blocks_)) {
    other.count_ = 0;
    other.built_ = 0;  // nothing left to destroy
}

PointList& PointList::operator=(PointList&& other) noexcept {
    if (this != &other) {
        this->~PointList();
        new (this) PointList(std::move(other));
    }
    return *this;
}

PointRecord& PointList::append() {
    size_t index = static_cast<size_t>(++count_);
    if (index < built_) {
        PointRecord& record = at(index);
        record = PointRecord{};  // a list reset and filled again starts clean
        return record;
    }
    if (index - kFirstBlock >= blocks_.size() * kBlock)
        blocks_.emplace_back(static_cast<PointRecord*>(AllocateBigBlock(kBlock * sizeof(PointRecord))));
    ++built_;
    return *new (&at(index)) PointRecord();
}

PointLoader::PointLoader(const Document& doc, const SymbolTable& symbols, Env env)
    : doc_(doc), symbols_(symbols), env_(std::move(env)) {}

PointLine ReadPointLine(const Document& doc, NodeId line) {
    const NodeStore& store = doc.store();
    AttrKey key = store.key(line);
    if (key != AttrKey::None && key != AttrKey::TrkptLabel)
        return {std::string(NodeStore::keyName(key)), store.value(line)};
    std::string text = doc.getText(line);
    size_t eq = text.find(" =");
    if (eq == std::string::npos) return {text, {}};
    return {text.substr(0, eq), eq + 3 <= text.size() ? text.substr(eq + 3) : std::string()};
}

PointTexts PointLoader::readPoint(NodeId point) const {
    PointTexts p;
    const NodeStore& store = doc_.store();
    for (NodeId c = doc_.firstChild(point); c != kNoNode; c = doc_.nextSibling(c)) {
        AttrKey key = store.key(c);
        if (key == AttrKey::Time) {
            if (!readTimes_) continue;
            char buffer[64];
            size_t length = 0;
            if (store.valueInto(c, buffer, sizeof buffer, length))
                setTime(p, std::string_view(buffer, length));
            else
                setTime(p, store.value(c));
            continue;
        }
        switch (key) {
            case AttrKey::Lat: p.lat = store.value(c); continue;
            case AttrKey::Lon: p.lon = store.value(c); continue;
            case AttrKey::Ele: p.ele = store.value(c); continue;
            case AttrKey::Sym: p.sym = store.value(c); continue;
            case AttrKey::Cmt: p.cmt = store.value(c); continue;
            case AttrKey::Name: p.name = store.value(c); continue;
            case AttrKey::Desc: p.desc = store.value(c); continue;
            case AttrKey::Type: p.type = store.value(c); continue;
            default: break;
        }
        PointLine line = ReadPointLine(doc_, c);
        if (line.key == "lat") p.lat = line.value;
        else if (line.key == "lon") p.lon = line.value;
        else if (line.key == "ele") p.ele = line.value;
        else if (line.key == "sym") p.sym = line.value;
        else if (line.key == "cmt") p.cmt = line.value;
        else if (line.key == "time" && readTimes_) setTime(p, line.value);
        else if (line.key == "name") p.name = line.value;
        else if (line.key == "desc") p.desc = line.value;
        else if (line.key == "type") p.type = line.value;
    }
    return p;
}

void PointLoader::setTime(PointTexts& p, std::string_view xml) const {
    std::optional<long double> serial = XmlToSerial(xml, env_.clock);
    p.hasTime = serial.has_value();
    p.time = serial.value_or(0);
    p.serial.clear();
}

std::string SerialText(const PointTexts& p, char decimalSeparator) {
    if (!p.serial.empty()) return p.serial;
    return p.hasTime ? ToLocalDecimal(FloatToStrGeneral(p.time), decimalSeparator) : std::string();
}

ListRow MakeListRow(const PointTexts& p, PointType type, size_t rowNumber, const host::LocaleInfo& locale) {
    ListRow row;
    char sep = locale.decimalSeparator();
    row[kColNr] = std::to_string(rowNumber);
    row[kColLat] = Utf8Left(ToLocalDecimal(p.lat, sep), kRowNumberChars);
    row[kColLon] = Utf8Left(ToLocalDecimal(p.lon, sep), kRowNumberChars);
    row[kColAlt] = Utf8Left(p.ele, kRowNumberChars);
    std::string serial = SerialText(p, sep);
    if (!serial.empty()) {
        DateTimeParts t = DecodeDateTime(StrToFloatAny(serial));
        row[kColSerial] = Utf8Left(serial, kRowSerialChars);
        row[kColDate] = locale.formatShortDate(t.year, t.month, t.day);
        row[kColTime] = TimeOfDayText(t);
    }
    size_t cut = type == PointType::Route ? kRecordTextChars : std::string::npos;
    row[kColName] = Utf8Left(p.name, cut);
    row[kColSymbol] = Utf8Left(p.sym, cut);
    row[kColComment] = Utf8Left(p.cmt, cut);
    row[kColDescription] = Utf8Left(p.desc, cut);
    return row;
}

PointRecord PointLoader::toRecord(const PointTexts& p, PointType type) const {
    PointRecord r;
    r.lat = StrToFloatAny(p.lat);
    r.lon = StrToFloatAny(p.lon);
    r.ele = p.ele.empty() ? 0 : StrToFloatAny(p.ele);
    r.time = p.hasTime ? p.time : p.serial.empty() ? 0 : StrToFloatAny(p.serial);
    if (type == PointType::Route || type == PointType::Track) {
        r.name = Utf8Left(p.name, kRecordTextChars);
        r.sym = Utf8Left(p.sym, kRecordTextChars);
        r.cmt = Utf8Left(p.cmt, kRecordTextChars);
        r.desc = Utf8Left(p.desc, kRecordTextChars);
    } else if (type == PointType::Waypoint) {
        r.name = Utf8Left(p.name, kRecordTextChars);
        r.sym = symbols_.SymToNum(p.sym);
        r.cmt = Utf8Left(p.cmt, kRecordTextChars);
    }
    return r;
}

PointLoader::Emit PointLoader::rowsInto(ListRows& view, PointType type) const {
    // The rows read their points when shown; listing only notes which.
    view.usePointSource(std::make_shared<PointRowSource>(doc_, symbols_, env_.clock, env_.locale, type));
    return [&view](NodeId point, PointType) { view.appendPoint(point); };
}

PointLoader::Emit PointLoader::recordsTo(const Sink& sink) const {
    return [this, &sink](NodeId point, PointType type) { sink(toRecord(readPoint(point), type)); };
}

PointRecord PointLoader::recordOf(NodeId point, PointType type) const {
    PointRecord r;
    if (type == PointType::Track && readTrackRecord(point, r)) return r;
    return toRecord(readPoint(point), type);
}

PointLoader::Sink PointLoader::appendTo(PointList& points) {
    return [&points](const PointRecord& r) { points.append(r); };
}

bool PointLoader::walkTrack(NodeId track, std::string* name, const Emit& emit) {
    Operation detached;
    Operation& op = env_.operation ? *env_.operation : detached;
    if (op.cancelled()) return false;
    if (name) *name = doc_.nameOf(track);
    if (name && env_.showName) env_.showName(*name);
    for (NodeId c = doc_.firstChild(track); c != kNoNode; c = doc_.nextSibling(c))
        if (doc_.roleOf(c) == NodeRole::Segment &&
            !eachTrackPointNode(c, op, [&emit](NodeId pt) { emit(pt, PointType::Track); }))
            return false;
    return true;
}

bool PointLoader::eachTrackPointNode(NodeId segment, Operation& op, const std::function<void(NodeId)>& visit) const {
    long number = 0;
    // The bar shows how far through the segment: most tracks have one.
    const long total = doc_.childCount(segment);
    for (NodeId pt = doc_.firstChild(segment); pt != kNoNode; pt = doc_.nextSibling(pt)) {
        ++number;
        // The status line only repaints when events run, so it is set then.
        if (number % kYieldEvery == 0) {
            PointTexts p = readPoint(pt);
            op.status(std::to_string(number) + " " + p.lat + " " + p.lon);
        }
        if (!op.step(number, total)) return false;
        if (doc_.kind(pt) == kTrackPointKind) visit(pt);
    }
    return true;
}

bool PointLoader::walkRoute(NodeId route, std::string* name, const Emit& emit) {
    if (name) *name = doc_.nameOf(route);
    if (name && env_.showName) env_.showName(*name);
    for (NodeId c = doc_.firstChild(route); c != kNoNode; c = doc_.nextSibling(c))
        if (doc_.roleOf(c) == NodeRole::RoutePoint) emit(c, PointType::Route);
    return true;
}

bool PointLoader::walkWaypoints(const Emit& emit) {
    for (NodeId w = doc_.firstChild(doc_.waypoints()); w != kNoNode; w = doc_.nextSibling(w))
        if (doc_.roleOf(w) == NodeRole::Waypoint) emit(w, PointType::Waypoint);
    return true;
}

bool PointLoader::readTrackRecord(NodeId point, PointRecord& r) const {
    const NodeStore& store = doc_.store();
    char buffer[64];
    size_t length = 0;
    r.lat = r.lon = r.ele = r.time = 0;
    // The record is reused from point to point; texts are rare and cost nothing when absent.
    for (RecordText* t : {&r.name, &r.sym, &r.cmt, &r.desc})
        if (!t->empty()) *t = std::string();
    for (NodeId c = doc_.firstChild(point); c != kNoNode; c = doc_.nextSibling(c)) {
        AttrKey key = store.key(c);
        if (key == AttrKey::None) return false;  // an edited line: readPoint decides what it is
        if (key == AttrKey::Name || key == AttrKey::Sym || key == AttrKey::Cmt || key == AttrKey::Desc) {
            RecordText& t = key == AttrKey::Name ? r.name : key == AttrKey::Sym ? r.sym : key == AttrKey::Cmt ? r.cmt : r.desc;
            t = Utf8Left(store.value(c), kRecordTextChars);
            continue;
        }
        bool number = key == AttrKey::Lat || key == AttrKey::Lon || key == AttrKey::Ele;
        if (!number && !(key == AttrKey::Time && readTimes_)) continue;  // no part of a track record
        // Most values are read without their text.
        long double stored;
        XmlTimeFields when;
        if (number && store.numberInto(c, stored)) {
            (key == AttrKey::Lat ? r.lat : key == AttrKey::Lon ? r.lon : r.ele) = stored;
            continue;
        }
        if (!number && store.timeFieldsInto(c, when)) {
            r.time = XmlFieldsToSerial(when, env_.clock).value_or(0);
            continue;
        }
        if (!store.valueInto(c, buffer, sizeof buffer, length)) return false;
        std::string_view value(buffer, length);
        switch (key) {
            case AttrKey::Lat: r.lat = StrToFloatAny(value); break;
            case AttrKey::Lon: r.lon = StrToFloatAny(value); break;
            case AttrKey::Ele: r.ele = StrToFloatAny(value); break;
            default: r.time = XmlToSerial(value, env_.clock).value_or(0); break;
        }
    }
    return true;
}

bool PointLoader::walkTrackRecords(NodeId track, const Sink& sink) {
    Operation detached;
    Operation& op = env_.operation ? *env_.operation : detached;
    if (op.cancelled()) return false;
    PointRecord r;
    for (NodeId c = doc_.firstChild(track); c != kNoNode; c = doc_.nextSibling(c))
        if (doc_.roleOf(c) == NodeRole::Segment && !walkSegmentRecords(c, op, r, sink)) return false;
    return true;
}

bool PointLoader::walkSegmentRecords(NodeId segment, Operation& op, PointRecord& r, const Sink& sink) {
    return eachTrackPointNode(segment, op, [&](NodeId pt) {
        if (readTrackRecord(pt, r))
            sink(r);
        else
            sink(toRecord(readPoint(pt), PointType::Track));
    });
}

bool PointLoader::eachTrackPoint(NodeId track, const Sink& sink) { return walkTrackRecords(track, sink); }

bool PointLoader::eachSegmentPoint(NodeId segment, const Sink& sink) {
    Operation detached;
    Operation& op = env_.operation ? *env_.operation : detached;
    if (op.cancelled()) return false;
    PointRecord r;
    return walkSegmentRecords(segment, op, r, sink);
}

bool PointLoader::eachPointOfAllTracks(const Sink& sink) {
    for (NodeId t = doc_.firstChild(doc_.trackpoints()); t != kNoNode; t = doc_.nextSibling(t))
        if (!walkTrackRecords(t, sink)) return false;
    return true;
}

bool PointLoader::eachRoutePoint(NodeId route, const Sink& sink) { return walkRoute(route, nullptr, recordsTo(sink)); }

bool PointLoader::eachWaypoint(const Sink& sink) { return walkWaypoints(recordsTo(sink)); }

std::string PointLoader::ShowTrack(ListRows& view, NodeId trackNode) {
    std::string name;
    view.beginUpdate();
    walkTrack(trackNode, &name, rowsInto(view, PointType::Track));
    view.endUpdate();
    return name;
}

void PointLoader::ShowAllTracks(ListRows& view) {
    view.beginUpdate();
    std::string name;
    Emit emit = rowsInto(view, PointType::Track);
    for (NodeId t = doc_.firstChild(doc_.trackpoints()); t != kNoNode; t = doc_.nextSibling(t))
        if (!walkTrack(t, &name, emit)) break;
    view.endUpdate();
}

std::string PointLoader::ShowRoute(ListRows& view, NodeId routeNode) {
    std::string name;
    view.beginUpdate();
    walkRoute(routeNode, &name, rowsInto(view, PointType::Route));
    view.endUpdate();
    return name;
}

void PointLoader::ShowAllRoutes(ListRows& view) {
    view.beginUpdate();
    std::string name;
    Emit emit = rowsInto(view, PointType::Route);
    for (NodeId r = doc_.firstChild(doc_.routes()); r != kNoNode; r = doc_.nextSibling(r)) walkRoute(r, &name, emit);
    view.endUpdate();
}

void PointLoader::ShowWaypoints(ListRows& view) {
    view.beginUpdate();
    walkWaypoints(rowsInto(view, PointType::Waypoint));
    view.endUpdate();
}

std::string PointLoader::ShowTrack(PointList& points, NodeId trackNode) {
    std::string name;
    if (cancelled()) return name;
    name = doc_.nameOf(trackNode);
    if (env_.showName) env_.showName(name);
    walkTrackRecords(trackNode, appendTo(points));
    return name;
}

void PointLoader::ShowAllTracks(PointList& points) { eachPointOfAllTracks(appendTo(points)); }

std::string PointLoader::ShowRoute(PointList& points, NodeId routeNode) {
    std::string name;
    Sink sink = appendTo(points);
    walkRoute(routeNode, &name, recordsTo(sink));
    return name;
}

void PointLoader::ShowAllRoutes(PointList& points) {
    Sink sink = appendTo(points);
    for (NodeId r = doc_.firstChild(doc_.routes()); r != kNoNode; r = doc_.nextSibling(r)) eachRoutePoint(r, sink);
}

void PointLoader::ShowWaypoints(PointList& points) { eachWaypoint(appendTo(points)); }

PointRowSource::PointRowSource(const Document& doc, const SymbolTable& symbols, const host::Clock& clock,
                               const host::LocaleInfo& locale, PointType type)
    : doc_(doc),
      loader_(doc, symbols, {clock, locale, nullptr, nullptr}),
      locale_(locale),
      type_(type),
      generation_(doc.store().generation()) {}

bool PointRowSource::readable(NodeId point) const {
    return doc_.store().generation() == generation_ && doc_.alive(point);
}

ListRow PointRowSource::row(NodeId point, size_t number) const {
    if (!readable(point)) {
        ListRow gone;
        gone[kColNr] = std::to_string(number);
        return gone;
    }
    return MakeListRow(loader_.readPoint(point), type_, number, locale_);
}

std::string PointRowSource::serial(NodeId point) const {
    if (!readable(point)) return {};
    return Utf8Left(SerialText(loader_.readPoint(point), locale_.decimalSeparator()), kRowSerialChars);
}

RowValues PointRowSource::values(NodeId point) const {
    if (!readable(point)) return {};
    PointRecord r = loader_.recordOf(point, type_);
    return {r.lat, r.lon, r.ele, r.time};
}

}  // namespace core

#include "core/point_list.h"

#include "core/fn.h"
#include "core/text.h"
#include "host/host.h"

namespace core {

namespace {

constexpr size_t kRecordTextChars = 32;  // loaders cut names and comments to this
constexpr size_t kRowNumberChars = 12;
constexpr size_t kRowSerialChars = 16;
constexpr int kYieldEvery = 100;  // points between two runs of the event loop

std::string valueFrom(const std::string& text, size_t oneBasedStart) {
    return text.size() >= oneBasedStart ? text.substr(oneBasedStart - 1) : std::string();
}

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

PointRecord& PointList::append() {
    ++count_;
    if (records_.size() <= static_cast<size_t>(count_)) records_.resize(static_cast<size_t>(count_) + 1);
    records_[static_cast<size_t>(count_)] = PointRecord{};
    return records_[static_cast<size_t>(count_)];
}

void ListRows::clear() {
    rows.clear();
    if (updating_ == 0) changed();
}

void ListRows::endUpdate() {
    if (updating_ > 0 && --updating_ == 0) changed();
}

void ListRows::append(ListRow row) {
    rows.push_back(std::move(row));
    if (updating_ == 0) changed();
}

PointLoader::PointLoader(Document& doc, PointList& points, const SymbolTable& symbols, Env env)
    : doc_(doc), points_(points), symbols_(symbols), env_(std::move(env)) {}

PointTexts PointLoader::readPoint(NodeId point) const {
    PointTexts p;
    const NodeStore& store = doc_.store();
    for (NodeId c = doc_.firstChild(point); c != kNoNode; c = doc_.nextSibling(c)) {
        switch (store.key(c)) {
            case AttrKey::Lat: p.lat = store.value(c); continue;
            case AttrKey::Lon: p.lon = store.value(c); continue;
            case AttrKey::Ele: p.ele = store.value(c); continue;
            case AttrKey::Sym: p.sym = store.value(c); continue;
            case AttrKey::Cmt: p.cmt = store.value(c); continue;
            case AttrKey::Name: p.name = store.value(c); continue;
            case AttrKey::Desc: p.desc = store.value(c); continue;
            case AttrKey::Time: {
                if (!readTimes_) continue;
                char buffer[64];
                size_t length = 0;
                if (store.valueInto(c, buffer, sizeof buffer, length))
                    setTime(p, std::string_view(buffer, length));
                else
                    setTime(p, store.value(c));
                continue;
            }
            default: break;
        }
        // Lines edited into other shapes are recognised by their first letters.
        std::string t = doc_.getText(c);
        std::string_view p3 = std::string_view(t).substr(0, 3), p4 = std::string_view(t).substr(0, 4);
        if (p3 == "lat") p.lat = valueFrom(t, 7);
        else if (p3 == "lon") p.lon = valueFrom(t, 7);
        else if (p3 == "ele") p.ele = valueFrom(t, 7);
        else if (p3 == "sym") p.sym = valueFrom(t, 7);
        else if (p3 == "cmt") p.cmt = valueFrom(t, 7);
        else if (p4 == "time") setTime(p, valueFrom(t, 8));
        else if (p4 == "name") p.name = valueFrom(t, 8);
        else if (p4 == "desc") p.desc = valueFrom(t, 8);
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
        row[kColTime] = ZeroPad(t.hour, 2) + ":" + ZeroPad(t.minute, 2) + ":" + ZeroPad(t.second, 2);
    }
    if (type != PointType::Track) {
        size_t cut = type == PointType::Route ? kRecordTextChars : std::string::npos;
        row[kColName] = Utf8Left(p.name, cut);
        row[kColSymbol] = Utf8Left(p.sym, cut);
        row[kColComment] = Utf8Left(p.cmt, cut);
        row[kColDescription] = Utf8Left(p.desc, cut);
    }
    return row;
}

void PointLoader::addRow(ListRows& view, const PointTexts& p, PointType type) const {
    view.append(MakeListRow(p, type, view.rows.size() + 1, env_.locale));
}

void PointLoader::addRecord(const PointTexts& p, PointType type) {
    PointRecord scratch;
    PointRecord& r = sink_ ? scratch : points_.append();
    r.lat = StrToFloatAny(p.lat);
    r.lon = StrToFloatAny(p.lon);
    r.ele = p.ele.empty() ? 0 : StrToFloatAny(p.ele);
    r.time = p.hasTime ? p.time : p.serial.empty() ? 0 : StrToFloatAny(p.serial);
    if (type == PointType::Route) {
        r.name = Utf8Left(p.name, kRecordTextChars);
        r.sym = Utf8Left(p.sym, kRecordTextChars);
        r.cmt = Utf8Left(p.cmt, kRecordTextChars);
        r.desc = Utf8Left(p.desc, kRecordTextChars);
    } else if (type == PointType::Waypoint) {
        r.name = Utf8Left(p.name, kRecordTextChars);
        r.sym = symbols_.SymToNum(p.sym);
        r.cmt = Utf8Left(p.cmt, kRecordTextChars);
    }
    if (sink_) sink_(r);
}

std::string PointLoader::ShowTrack(ListRows* view, NodeId trackNode) {
    std::string name;
    if (view) view->beginUpdate();
    for (NodeId c = doc_.firstChild(trackNode); c != kNoNode; c = doc_.nextSibling(c)) {
        std::string text = doc_.getText(c);
        if (FirstWord(text) == "name") {
            name = valueFrom(text, 8);
            if (view && env_.showName) env_.showName(name);
        }
        if (FirstWord(text) != "trkseg") continue;
        int number = 0;
        for (NodeId pt = doc_.firstChild(c); pt != kNoNode; pt = doc_.nextSibling(pt)) {
            ++number;
            PointTexts p = readPoint(pt);
            // The status line only repaints when events run, so it is set then.
            if (number % kYieldEvery == 0) {
                if (env_.status) env_.status(std::to_string(number) + " " + p.lat + " " + p.lon);
                env_.pump.processEvents();
            }
            if (doc_.cancelRequested) {
                if (view) view->endUpdate();
                return name;
            }
            // Track point labels are kept as numbers; only other lines need their text.
            if (doc_.store().key(pt) != AttrKey::TrkptLabel && doc_.getText(pt).substr(0, 5) != "trkpt") continue;
            if (view)
                addRow(*view, p, PointType::Track);
            else
                addRecord(p, PointType::Track);
        }
    }
    if (view) view->endUpdate();
    return name;
}

void PointLoader::ShowAllTracks(ListRows* view) {
    for (NodeId t = doc_.firstChild(doc_.trackpoints()); t != kNoNode && !doc_.cancelRequested;
         t = doc_.nextSibling(t))
        ShowTrack(view, t);
}

std::string PointLoader::ShowRoute(ListRows* view, NodeId routeNode) {
    std::string name;
    if (view) view->beginUpdate();
    for (NodeId c = doc_.firstChild(routeNode); c != kNoNode; c = doc_.nextSibling(c)) {
        std::string text = doc_.getText(c);
        if (FirstWord(text) == "name") {
            name = valueFrom(text, 8);
            if (view && env_.showName) env_.showName(name);
        }
        if (text.substr(0, 5) != "rtept") continue;
        PointTexts p = readPoint(c);
        if (view)
            addRow(*view, p, PointType::Route);
        else
            addRecord(p, PointType::Route);
    }
    if (view) view->endUpdate();
    return name;
}

void PointLoader::ShowAllRoutes(ListRows* view) {
    for (NodeId r = doc_.firstChild(doc_.routes()); r != kNoNode; r = doc_.nextSibling(r)) ShowRoute(view, r);
}

void PointLoader::ShowWaypoints(ListRows* view) {
    if (view) view->beginUpdate();
    for (NodeId w = doc_.firstChild(doc_.waypoints()); w != kNoNode; w = doc_.nextSibling(w)) {
        if (FirstWord(doc_.getText(w)) != "wpt") continue;
        PointTexts p = readPoint(w);
        if (view)
            addRow(*view, p, PointType::Waypoint);
        else
            addRecord(p, PointType::Waypoint);
    }
    if (view) view->endUpdate();
}

}  // namespace core

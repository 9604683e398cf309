#include "formats/kml.h"

#include <vector>

#include "core/fn.h"
#include "core/text.h"

namespace formats {

using core::kNoNode;
using core::NodeId;

namespace {

constexpr const char* kKmlNamespace = "http://www.opengis.net/kml/2.2";

// FloatToStrGeneral always writes ".", whatever the locale.
std::string number(long double v) { return core::FloatToStrGeneral(v); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

void writeHead(xml::Writer& w, const ViewBox& s) {
    w.startDocument();
    w.start("kml");
    w.attribute("xmlns", kKmlNamespace);
    w.start("Document");
    w.element("name", "Pathkeep");
    w.element("open", "1");
    w.start("LookAt");
    w.element("longitude", number((s.maxLon - s.minLon) / 2 + s.minLon));
    w.element("latitude", number((s.maxLat - s.minLat) / 2 + s.minLat));
    w.element("altitude", "0");
    w.element("range", number(core::DistanceKm(s.maxLat, s.maxLon, s.minLat, s.minLon) * 1000));
    w.element("tilt", "0");
    w.element("heading", "0");
    w.element("altitudeMode", "relativeToGround");
    w.end();
    w.start("Style");
    w.attribute("id", "path0Style");
    w.start("LineStyle");
    w.element("color", "fffe01fe");
    w.element("width", "6");
    w.end();
    w.end();
}

}  // namespace

void forEachCoordinate(std::string_view s, const std::function<bool(const CoordinateTuple&)>& f) {
    size_t i = 0;
    CoordinateTuple t;
    while (i < s.size()) {
        while (i < s.size() && isBlank(s[i])) ++i;
        size_t start = i;
        while (i < s.size() && !isBlank(s[i])) ++i;
        if (i == start) break;
        std::string_view token = s.substr(start, i - start);
        size_t c1 = token.find(',');
        t.lon = std::string(core::Trim(token.substr(0, c1)));
        t.lat.clear();
        t.alt.clear();
        if (c1 != std::string_view::npos) {
            size_t c2 = token.find(',', c1 + 1);
            t.lat = std::string(core::Trim(token.substr(c1 + 1, c2 == std::string_view::npos ? c2 : c2 - c1 - 1)));
            if (c2 != std::string_view::npos) t.alt = std::string(core::Trim(token.substr(c2 + 1)));
        }
        if (!f(t)) return;
    }
}

std::vector<CoordinateTuple> getCoordinates(std::string_view s) {
    std::vector<CoordinateTuple> tuples;
    forEachCoordinate(s, [&](const CoordinateTuple& t) {
        tuples.push_back(t);
        return true;
    });
    return tuples;
}

core::Result SaveAsKML(Env& env, const std::string& fileName, const SaveOptions& options) {
    core::Document& doc = env.doc;
    core::PointLoader loader = env.loader();
    core::Operation& op = env.operation;

    AtomicFile file(fileName);
    if (!file.open()) return core::Result::failed(file.error());
    xml::Writer w(file);
    writeHead(w, options.view);

    bool folderOpen = false;
    loader.eachWaypoint([&](const core::PointRecord& r) {
        if (!folderOpen) {
            w.start("Folder");
            w.element("name", "Waypoints");
            folderOpen = true;
        }
        w.start("Placemark");
        w.element("name", r.name);
        w.element("description", r.desc);
        w.start("Point");
        w.element("coordinates", number(r.lon) + "," + number(r.lat));
        w.end();
        w.end();
    });
    if (folderOpen) w.end();

    // Track points go straight from the tree into the coordinates text.
    int trackNumber = 0;
    long written = 0, total = doc.trackPointCount();
    bool going = true;
    loader.setReadTimes(false);
    for (NodeId k = doc.firstChild(doc.trackpoints()); k != kNoNode && going; k = doc.nextSibling(k)) {
        ++trackNumber;
        std::string name = doc.nameOf(k);
        if (name.empty()) name = "Active Log " + core::ZeroPad(trackNumber, 3);
        bool open = false;
        std::string tuples;  // numbers need no escaping: written in pieces as they are
        // Named track points also become placemarks of their own, after the path.
        std::vector<core::PointRecord> named;
        going = loader.eachTrackPoint(k, [&](const core::PointRecord& r) {
            if (!r.name.empty() || !r.desc.empty()) named.push_back(r);
            if (!open) {
                w.start("Folder");
                w.element("name", "Path");
                w.element("open", "1");
                w.start("Placemark");
                w.element("name", name);
                w.element("styleUrl", "#path0Style");
                w.start("MultiGeometry");
                w.start("LineString");
                w.start("coordinates");
                open = true;
            }
            tuples += number(r.lon);
            tuples += ',';
            tuples += number(r.lat);
            tuples += ',';
            tuples += number(r.ele);
            tuples += ' ';
            if (tuples.size() > (1 << 16)) {
                w.rawContent(tuples);
                tuples.clear();
            }
            if (++written % kYieldEvery == 0) {
                env.status("Saving trackpoint " + std::to_string(written));
                op.showProgress(written, total);
            }
        });
        if (open) w.rawContent(tuples);
        if (!open) continue;
        for (int i = 0; i < 4; ++i) w.end();  // coordinates, LineString, MultiGeometry, Placemark
        for (const core::PointRecord& r : named) {
            w.start("Placemark");
            w.element("name", r.name);
            if (!r.desc.empty()) w.element("description", r.desc);
            w.start("Point");
            w.element("coordinates", number(r.lon) + "," + number(r.lat) + "," + number(r.ele));
            w.end();
            w.end();
        }
        w.end();  // Folder
    }
    op.hideProgress();
    if (!going) {
        file.discard();
        return core::Result::cancelled();
    }
    if (!(w.finish() && file.commit()))
        return core::Result::failed(file.error().empty() ? "Cannot write " + fileName : file.error());
    return core::Result::done();
}

namespace {

enum class PathMode { Current, OwnTrack };

constexpr int kMaxFolderDepth = 64;  // folders in folders: hostile files go no deeper

struct KmlReader {
    Env& env;
    long points = 0;

    bool step() { return env.operation.step(++points); }

    void beginTrack(std::string name) {
        // A second track of a name is its copy, as in GPX; each placemark keeps its own track.
        while (env.doc.FindTrack(name) != kNoNode) name = "Copy of " + name;
        env.doc.NewTrack(name);
    }

    void addCoordinates(xmlNode* coordinates) {
        forEachCoordinate(xml::text(coordinates), [&](const CoordinateTuple& t) {
            env.doc.AddTrackpoint(t.lat, t.lon, t.alt, "");
            return step();
        });
    }

    // gx:Track: the n-th <when> is the time of the n-th <gx:coord> "lon lat alt".
    void addGxTrack(xmlNode* track) {
        std::vector<xmlNode*> whens;
        for (xmlNode* c = xml::firstElement(track); c; c = xml::nextElement(c))
            if (xml::name(c) == "when") whens.push_back(c);
        size_t n = 0;
        for (xmlNode* c = xml::firstElement(track); c; c = xml::nextElement(c)) {
            if (xml::name(c) != "coord") continue;
            std::string when = n < whens.size() ? std::string(core::Trim(xml::text(whens[n]))) : std::string();
            ++n;
            std::string text = xml::text(c);
            std::string v[3];  // lon, lat, alt
            size_t i = 0;
            for (auto& field : v) {
                while (i < text.size() && isBlank(text[i])) ++i;
                size_t from = i;
                while (i < text.size() && !isBlank(text[i])) ++i;
                field = text.substr(from, i - from);
            }
            if (auto stored = core::XmlTimeToLocalXml(when, env.clock))
                env.doc.AddTrackpointXmlTime(v[1], v[0], v[2], *stored);
            else
                env.doc.AddTrackpoint(v[1], v[0], v[2], core::XmlToDateTime(when, env.clock, env.decimalSeparator()));
            if (!step()) return;
        }
    }

    // Whether a geometry holds a path: LineString, gx:Track, gx:MultiTrack,
    // or a MultiGeometry with one of them.
    static bool holdsPath(xmlNode* g, int depth = 0) {
        std::string_view n = xml::name(g);
        if (n == "LineString" || n == "Track" || n == "MultiTrack") return true;
        if (n != "MultiGeometry" || depth > kMaxFolderDepth) return false;
        for (xmlNode* c = xml::firstElement(g); c; c = xml::nextElement(c))
            if (holdsPath(c, depth + 1)) return true;
        return false;
    }

    // The points of a path geometry into the current track, and the
    // waypoints of the points inside a MultiGeometry.
    void addGeometry(xmlNode* g, const std::string& name, const std::string& description, int depth = 0) {
        std::string_view n = xml::name(g);
        if (n == "LineString") {
            if (xmlNode* c = xml::firstChildNamed(g, "coordinates")) addCoordinates(c);
        } else if (n == "Track") {
            addGxTrack(g);
        } else if (n == "MultiTrack" || (n == "MultiGeometry" && depth <= kMaxFolderDepth)) {
            for (xmlNode* c = xml::firstElement(g); c; c = xml::nextElement(c))
                addGeometry(c, name, description, depth + 1);
        } else if (n == "Point") {
            auto tuples = getCoordinates(xml::childText(g, "coordinates"));
            CoordinateTuple t = tuples.empty() ? CoordinateTuple{} : tuples.front();
            env.doc.AddWaypoint(t.lat, t.lon, t.alt, "", name, core::Symbol::name(""), "", description);
        }
    }

    void placemark(xmlNode* p, PathMode mode) {
        std::string name = xml::childText(p, "name");
        std::string description = xml::childText(p, "description");
        for (xmlNode* g = xml::firstElement(p); g; g = xml::nextElement(g)) {
            std::string_view n = xml::name(g);
            if (n == "Point") {
                addGeometry(g, name, description);
            } else if (holdsPath(g)) {
                if (mode == PathMode::OwnTrack) beginTrack(name);
                addGeometry(g, name, description);
            } else if (n == "MultiGeometry") {
                addGeometry(g, name, description);  // points only
            }
        }
    }

    // Placemarks at any depth of folders (and nested documents).
    void container(xmlNode* c, int depth) {
        if (depth > kMaxFolderDepth) return;
        for (xmlNode* e = xml::firstElement(c); e && !env.operation.cancelled(); e = xml::nextElement(e)) {
            std::string_view kind = xml::name(e);
            if (kind == "Placemark")
                placemark(e, PathMode::OwnTrack);
            else if (kind == "Folder" || kind == "Document")
                container(e, depth + 1);
        }
    }

    // A direct child of the Document.
    void documentChild(xmlNode* c) {
        std::string_view kind = xml::name(c);
        if (kind == "Placemark") {
            placemark(c, PathMode::OwnTrack);
        } else if (kind == "Folder" && xml::childText(c, "name") == "Routes") {
            // The routes this program's forebears wrote: one track "Route" of
            // the first path in each route's folder.
            env.doc.NewTrack("Route");
            for (xmlNode* f = xml::firstElement(c); f; f = xml::nextElement(f))
                if (xml::name(f) == "Folder")
                    if (xmlNode* p = xml::firstChildNamed(f, "Placemark")) placemark(p, PathMode::Current);
        } else if (kind == "Folder" || kind == "Document") {
            container(c, 1);
        }
    }
};

}  // namespace

namespace {

core::Result readKml(Env& env, xml::Reader& reader, long size) {
    core::Operation& op = env.operation;
    KmlReader kml{env};
    env.doc.beginBulk();
    // kml > Document > its children, one expanded at a time.
    bool inDocument = false, have = reader.read();
    while (have && !op.cancelled()) {
        int depth = reader.depth();
        if (reader.isElement() && depth == 1 && reader.localName() == "Document" && !inDocument) {
            inDocument = !reader.isEmptyElement();
            have = reader.read();
        } else if (reader.isElement() && depth == 2 && inDocument) {
            if (xmlNode* c = reader.expand()) kml.documentChild(c);
            if (size > 0) op.showProgress(reader.bytesConsumed(), size);
            op.yieldNow();
            have = reader.skip();
        } else if (reader.isElement() && depth == 1 && !inDocument &&
                   (reader.localName() == "Placemark" || reader.localName() == "Folder")) {
            // KML without a Document: the placemark or folder stands alone.
            if (xmlNode* c = reader.expand()) kml.documentChild(c);
            have = reader.skip();
        } else if (reader.isElement() && depth == 1) {
            have = reader.skip();  // only the first Document counts
        } else if (reader.isEndElement() && depth == 1 && inDocument) {
            break;
        } else {
            have = reader.read();
        }
    }
    env.doc.endBulk();
    op.hideProgress();
    if (!reader.error().empty()) return ParseFailure(reader.error());
    return op.cancelled() ? core::Result::cancelled() : core::Result::done();
}

}  // namespace

core::Result KmlBestandInlezen(Env& env, const std::string& fileName) {
    env.report("Read KML file");
    xml::Reader reader;
    if (!reader.open(fileName)) return ParseFailure(reader.error());
    return readKml(env, reader, StatusOf(fileName).size);
}

core::Result ReadKmlText(Env& env, std::string_view text) {
    env.report("Read KML file");
    xml::Reader reader;
    if (!reader.openMemory(text)) return ParseFailure(reader.error());
    return readKml(env, reader, static_cast<long>(text.size()));
}

}  // namespace formats

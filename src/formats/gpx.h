#pragma once
// GPX 1.1: the fragment insertion that adds a GPX element at the focused
// node of the tree (file reading and paste both use it), the streaming reader
// and the streaming writer.

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/env.h"
#include "formats/xml.h"

namespace formats {

// A parser's complaint as a failed result with its position.
inline core::Result ParseFailure(const xml::ParseError& error) {
    return core::Result::failed(error.message, error.line, error.column);
}

class GpxInserter {
public:
    explicit GpxInserter(Env& env) : env_(env) {}

    // Parses a GPX text (a whole gpx element or one metadata, wpt, rte,
    // rtept, trk, trkseg or trkpt element) and adds what it describes.
    bool xmlAddChild(std::string_view text, xml::ParseError* error = nullptr);
    // Adds one element and its following siblings, by their names.
    void addElements(xmlNode* first);
    void addElement(xmlNode* e);

    void addMetadata(xmlNode* e);
    void addWpt(xmlNode* e);
    void addRte(xmlNode* e);
    void addRtept(xmlNode* e);
    void addTrk(xmlNode* e);
    void addTrkseg(xmlNode* e);
    void addTrkpt(xmlNode* e);

    // A point element's values; the time already a serial number text.
    struct Point {
        std::string lat, lon, ele, time, name, sym, cmt, desc, type;
        // A track point's time read straight into the stored form, with the
        // file's text to fall back on.
        std::string storedTime, fileTime;
    };
    // The decision of addTrkpt, for readers that take the values apart themselves.
    void addTrackPoint(const Point& p);
    // The children of wpt, rtept and trkpt that the tree keeps.
    static bool keptPointChild(std::string_view name);

    // The first steps of rte and trk, for readers that stream their children.
    core::NodeId beginRoute(const std::string& name);
    void beginTrack(std::string name);

private:
    struct Focus {
        core::NodeId node = core::kNoNode;
        core::NodeRole role = core::NodeRole::None;
        bool none() const { return node == core::kNoNode; }
    };
    Focus focus() const;
    Point readPoint(xmlNode* e, bool serialTimeAllowed) const;
    void addRoutepoint(const Point& p);
    // A focused route or route point makes its route current.
    bool routeOfFocus(const Focus& f);

    Env& env_;
};

// The values of a wpt, rtept or trkpt element as they stand in the file:
// lat and lon attributes, name, ele, sym, cmt, desc, type and time children.
core::PointTexts ReadGpxPointElement(xmlNode* e);

core::Result GpxBestandInlezen(Env& env, const std::string& fileName);
// The same reading of a GPX text in memory.
core::Result ReadGpxText(Env& env, std::string_view text);

// Writes the document, or with selectionOnly the focused part of it:
// "waypoints", "trackpoints" or one track, with metadata and routes.
core::Result SaveAsGPX(Env& env, const std::string& fileName, const SaveOptions& options);

// Element builders shared by the writer and the clipboard fragments.
namespace gpx {
constexpr const char* kNamespace = "http://www.topografix.com/GPX/1/1";
// The declaration and the gpx start tag of a GPX 1.1 file made by this program.
void startGpxFile(xml::Writer& w, bool withSchemaLocation);
void writeMetadata(xml::Writer& w, const core::Document& doc, core::NodeId metadata);
// Whether a line below a metadata element stands for a child element of it
// (an author's name) rather than an attribute (a bound's minlat).
bool metadataChildElement(std::string_view element, std::string_view child);
// A wpt, rtept or trkpt element: lat and lon attributes, then child
// elements in the given order. Every writer of points goes through it.
struct PointElement {
    std::string lat, lon;
    bool hasLat = false, hasLon = false;
    std::vector<std::pair<std::string, std::string>> children;  // element name, text
};
void writePointElement(xml::Writer& w, const char* elementName, const PointElement& point);
void writePoint(xml::Writer& w, const core::Document& doc, core::NodeId point, const char* elementName);
void writeRoute(xml::Writer& w, const core::Document& doc, core::NodeId route);
// onPoint runs before each track point; returning false stops the writing.
using PointHook = std::function<bool()>;
bool writeSegment(xml::Writer& w, const core::Document& doc, core::NodeId segment, const PointHook& onPoint);
bool writeTrack(xml::Writer& w, const core::Document& doc, core::NodeId track, const PointHook& onPoint);
}  // namespace gpx

}  // namespace formats

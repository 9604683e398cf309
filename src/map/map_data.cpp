#include "map/map_data.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/fn.h"
#include "map/simplify.h"

namespace map {

namespace {

// The point's x moved by whole turns to lie within half a turn of `near`.
WorldPoint unwrapNear(WorldPoint p, double near) {
    p.x -= std::round(p.x - near);
    return p;
}

std::optional<WorldPoint> pointOf(const core::PointLoader& loader, core::NodeId node) {
    core::PointTexts t = loader.readPoint(node);
    auto lat = core::ParseNumber(t.lat), lon = core::ParseNumber(t.lon);
    if (!lat || !lon) return std::nullopt;
    return Project(static_cast<double>(*lat), static_cast<double>(*lon));
}

int indexOf(core::NodeId node, const auto& lines) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].node == node) return static_cast<int>(i);
    return -1;
}

bool isPoint(core::NodeRole role) {
    return role == core::NodeRole::Waypoint || role == core::NodeRole::RoutePoint || role == core::NodeRole::TrackPoint;
}

// The node a value line or segment speaks for: the point, track or route above it.
core::NodeId owner(const core::Document& doc, core::NodeId node) {
    while (node != core::kNoNode &&
           (doc.roleOf(node) == core::NodeRole::Attribute || doc.roleOf(node) == core::NodeRole::Segment))
        node = doc.parent(node);
    return node;
}

}  // namespace

void WorldBox::add(WorldPoint p) {
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
}

void WorldBox::add(const WorldBox& b) {
    if (b.empty()) return;
    add(WorldPoint{b.minX, b.minY});
    add(WorldPoint{b.maxX, b.maxY});
}

bool WorldBox::intersects(const WorldBox& b) const {
    return !empty() && !b.empty() && minX <= b.maxX && b.minX <= maxX && minY <= b.maxY && b.minY <= maxY;
}

const TrackLine::Kept& TrackLine::keptAt(int zoom) {
    zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    Kept& k = kept_[static_cast<size_t>(zoom)];
    if (known_[static_cast<size_t>(zoom)]) return k;
    known_[static_cast<size_t>(zoom)] = true;
    k.index = KeptAt(significance, ToleranceAt(zoom));
    for (size_t from = 0; from + 1 < k.index.size(); from += kChunkPoints) {
        WorldBox b;
        for (size_t i = from; i <= std::min(from + kChunkPoints, k.index.size() - 1); ++i) b.add(points[k.index[i]]);
        k.chunks.push_back(b);
    }
    return k;
}

bool LoadMapData(MapData& data, const core::Document& doc, core::PointLoader& loader) {
    data = MapData{};
    loader.setReadTimes(false);
    for (core::NodeId t = doc.firstChild(doc.trackpoints()); t != core::kNoNode; t = doc.nextSibling(t)) {
        TrackLine line;
        line.node = t;
        // Room for every point at once: a million points grown step by step move many times.
        size_t count = 0;
        for (core::NodeId c = doc.firstChild(t); c != core::kNoNode; c = doc.nextSibling(c))
            if (doc.roleOf(c) == core::NodeRole::Segment) count += doc.childCount(c);
        line.points.reserve(count);
        line.altitudeM.reserve(count);
        bool whole = loader.eachTrackPoint(t, [&](const core::PointRecord& r) {
            WorldPoint p = Project(static_cast<double>(r.lat), static_cast<double>(r.lon));
            if (!line.points.empty()) p = unwrapNear(p, line.points.back().x);
            line.points.push_back(p);
            line.altitudeM.push_back(static_cast<float>(r.ele));
            line.box.add(p);
        });
        if (!whole) return false;
        line.significance = Significance(line.points, ToleranceAt(kMaxZoom));
        data.box.add(line.box);
        data.tracks.push_back(std::move(line));
    }
    for (core::NodeId r = doc.firstChild(doc.routes()); r != core::kNoNode; r = doc.nextSibling(r)) {
        RouteLine route;
        route.node = r;
        bool whole = loader.eachRoutePoint(r, [&](const core::PointRecord& p) {
            WorldPoint at = Project(static_cast<double>(p.lat), static_cast<double>(p.lon));
            if (!route.points.empty()) at = unwrapNear(at, route.points.back().at.x);
            route.points.push_back({at, p.name.str()});
            route.box.add(at);
        });
        if (!whole) return false;
        data.box.add(route.box);
        data.routes.push_back(std::move(route));
    }
    bool whole = loader.eachWaypoint([&](const core::PointRecord& p) {
        WorldPoint at = Project(static_cast<double>(p.lat), static_cast<double>(p.lon));
        data.waypoints.push_back({at, p.name.str()});
        data.box.add(at);
    });
    return whole;
}

WorldBox NodeExtent(const MapData& data, const core::Document& doc, const core::PointLoader& loader,
                    core::NodeId node) {
    node = owner(doc, node);
    WorldBox box;
    const core::NodeRole role = doc.roleOf(node);
    if (isPoint(role)) {
        if (auto p = pointOf(loader, node)) box.add(*p);
    } else if (role == core::NodeRole::Track) {
        if (int i = indexOf(node, data.tracks); i >= 0) box = data.tracks[static_cast<size_t>(i)].box;
    } else if (role == core::NodeRole::Route) {
        if (int i = indexOf(node, data.routes); i >= 0) box = data.routes[static_cast<size_t>(i)].box;
    } else if (node == doc.trackpoints()) {
        for (const TrackLine& t : data.tracks) box.add(t.box);
    } else if (node == doc.routes()) {
        for (const RouteLine& r : data.routes) box.add(r.box);
    } else if (node == doc.waypoints()) {
        for (const NamedPoint& w : data.waypoints) box.add(w.at);
    }
    return box.empty() ? data.box : box;
}

Highlight HighlightOf(const MapData& data, const core::Document& doc, const core::PointLoader& loader,
                      core::NodeId focused) {
    Highlight h;
    if (focused == core::kNoNode || !doc.alive(focused)) return h;
    const core::NodeId node = owner(doc, focused);
    if (isPoint(doc.roleOf(node))) {
        if (auto p = pointOf(loader, node)) h.points.push_back(*p);
    }
    h.track = indexOf(doc.ancestorWithRole(node, core::NodeRole::Track), data.tracks);
    h.route = indexOf(doc.ancestorWithRole(node, core::NodeRole::Route), data.routes);
    return h;
}

}  // namespace map

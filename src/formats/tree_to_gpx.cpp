#include "formats/tree_to_gpx.h"

#include "core/text.h"

namespace formats {

using core::kNoNode;
using core::NodeId;

std::string createXmlFromNode(const core::Document& doc, NodeId node, host::Clipboard* clipboard) {
    if (node == kNoNode || !doc.alive(node)) return {};
    StringSink sink;
    xml::Writer w(sink);
    w.start("gpx");
    w.attribute("creator", "Pathkeep");
    w.attribute("version", "1.1");
    auto eachChild = [&](auto&& f) {
        for (NodeId c = doc.firstChild(node); c != kNoNode; c = doc.nextSibling(c)) f(c);
    };
    switch (doc.roleOf(node)) {
        case core::NodeRole::Metadata:
            if (node == doc.metadata()) gpx::writeMetadata(w, doc, node);
            break;
        case core::NodeRole::Container:
            if (node == doc.waypoints())
                eachChild([&](NodeId c) { gpx::writePoint(w, doc, c, "wpt"); });
            else if (node == doc.routes())
                eachChild([&](NodeId c) { gpx::writeRoute(w, doc, c); });
            else
                eachChild([&](NodeId c) { gpx::writeTrack(w, doc, c, nullptr); });
            break;
        case core::NodeRole::Waypoint: gpx::writePoint(w, doc, node, "wpt"); break;
        case core::NodeRole::RoutePoint: gpx::writePoint(w, doc, node, "rtept"); break;
        case core::NodeRole::Route: gpx::writeRoute(w, doc, node); break;
        case core::NodeRole::Segment: gpx::writeSegment(w, doc, node, nullptr); break;
        case core::NodeRole::TrackPoint: gpx::writePoint(w, doc, node, "trkpt"); break;
        case core::NodeRole::Track: gpx::writeTrack(w, doc, node, nullptr); break;
        default: break;
    }
    w.finish();
    std::string text = sink.text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    if (clipboard) clipboard->setText(text);
    return text;
}

}  // namespace formats

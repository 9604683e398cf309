#include "formats/tree_to_gpx.h"

#include "core/text.h"

namespace formats {

using core::kNoNode;
using core::NodeId;
using core::StartsWith;

std::string createXmlFromNode(const core::Document& doc, NodeId node, host::Clipboard* clipboard) {
    if (node == kNoNode || !doc.alive(node)) return {};
    StringSink sink;
    xml::Writer w(sink);
    w.start("gpx");
    w.attribute("creator", "Pathkeep");
    w.attribute("version", "1.1");
    std::string t = doc.getText(node);
    auto eachChild = [&](auto&& f) {
        for (NodeId c = doc.firstChild(node); c != kNoNode; c = doc.nextSibling(c)) f(c);
    };
    // Longer words first where one begins with another.
    if (StartsWith(t, "metadata")) {
        gpx::writeMetadata(w, doc, node);
    } else if (StartsWith(t, "waypoints")) {
        eachChild([&](NodeId c) { gpx::writePoint(w, doc, c, "wpt"); });
    } else if (StartsWith(t, "wpt")) {
        gpx::writePoint(w, doc, node, "wpt");
    } else if (StartsWith(t, "routes")) {
        eachChild([&](NodeId c) { gpx::writeRoute(w, doc, c); });
    } else if (StartsWith(t, "rtept")) {
        gpx::writePoint(w, doc, node, "rtept");
    } else if (StartsWith(t, "rte")) {
        gpx::writeRoute(w, doc, node);
    } else if (StartsWith(t, "trackpoints")) {
        eachChild([&](NodeId c) { gpx::writeTrack(w, doc, c, nullptr); });
    } else if (StartsWith(t, "trkseg")) {
        gpx::writeSegment(w, doc, node, nullptr);
    } else if (StartsWith(t, "trkpt")) {
        gpx::writePoint(w, doc, node, "trkpt");
    } else if (StartsWith(t, "trk")) {
        gpx::writeTrack(w, doc, node, nullptr);
    }
    w.finish();
    std::string text = sink.text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    if (clipboard) clipboard->setText(text);
    return text;
}

GoogleEarthResult btGoogleClick(Env& env, plot::PlotState& plotState, const std::string& kmlPath) {
    GoogleEarthResult r;
    r.written = SaveAsKML(env, plotState, kmlPath);
    if (!r.written.ok) return r;
    env.host.eventPump().processEvents();
    env.report("Open: " + kmlPath);
    r.opened = env.host.shell().openDocument(kmlPath);
    return r;
}

}  // namespace formats

// Times the removal of long runs of nodes: all points of a segment at once,
// a whole track, and the last point one at a time, for a track of N points
// (default 100,000; each point has four value lines). The goal is that what
// is removed sets the cost, not what stays: under 0.1 s for 100,000 points.
// Run: build/bin/bench_tree_remove [points]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/document.h"
#include "host/fake/fake_host.h"

namespace {

double since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void fill(core::Document& doc, int points) {
    doc.initTree();
    doc.NewTrack("walk");
    doc.beginBulk();
    for (int i = 0; i < points; ++i)
        doc.AddTrackpoint("51." + std::to_string(100000 + i), "5.5", "12", "2008-05-01T13:05:09Z");
    doc.endBulk();
}

}  // namespace

int main(int argc, char** argv) {
    int points = argc > 1 ? std::atoi(argv[1]) : 100000;
    host::FakeHost host;
    core::SymbolTable symbols;
    core::Document doc(symbols, host.fakeClock);
    int listeners = 0;
    // A listener as the tree view has one, so the notifications are paid for.
    doc.aboutToRemoveChildren.connect([&](core::NodeId) { ++listeners; });
    doc.aboutToRemove.connect([&](core::NodeId) { ++listeners; });

    fill(doc, points);
    auto t0 = std::chrono::steady_clock::now();
    doc.removeChildren(doc.currentSegment);
    std::printf("remove all %d points of a segment  %.4f s\n", points, since(t0));

    fill(doc, points);
    t0 = std::chrono::steady_clock::now();
    doc.removeNode(doc.parent(doc.currentSegment));
    std::printf("remove a track of %d points         %.4f s\n", points, since(t0));

    fill(doc, points);
    t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < points; ++i) doc.removeNode(doc.store().lastChild(doc.currentSegment));
    std::printf("remove %d points one by one, last first  %.4f s\n", points, since(t0));
    return listeners > 0 ? 0 : 1;
}

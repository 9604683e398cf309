// Working with a 1,000,000-point track in the window: expanding its segment
// in VST, "Edit list of points" (filling LV1), sorting, reversing, OK
// (writing it back), and undoing and redoing that OK. Each figure is the
// wall time of one run of the command, events included.
// Run: QT_QPA_PLATFORM=offscreen build/bin/bench_edit [points]

#include <QApplication>
#include <QTreeView>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/ui/edit_actions.h"
#include "app/ui/main_window.h"
#include "core/ui/tree_model.h"
#include "host/fake/fake_host.h"

namespace {

template <typename F>
double timed(const char* what, F&& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    QApplication::processEvents();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-34s %8.3f s\n", what, s);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    long points = argc > 1 ? std::atol(argv[1]) : 1000000;
    host::FakeHost host;
    app::Workspace ws(host, app::BuildPaths({"/nonexistent", "/tmp", "", "", "", PATHKEEP_SOURCE_DATA_DIR, "", ""}));
    app::ui::MainWindow window(ws);
    window.show();
    QApplication::processEvents();
    core::Document& doc = ws.document;

    timed("fill the document", [&] {
        doc.beginBulk();
        doc.NewTrack("big");
        char lat[32], lon[32], ele[32], time[32];
        for (long i = 0; i < points; ++i) {
            double t = static_cast<double>(i) / static_cast<double>(points);
            std::snprintf(lat, sizeof lat, "%.6f", 52 + 0.08 * std::sin(t * 37));
            std::snprintf(lon, sizeof lon, "%.6f", 5 + 0.12 * std::cos(t * 23));
            std::snprintf(ele, sizeof ele, "%.1f", 150 + 150 * std::sin(t * 17));
            // Times run backwards, so the sort has all the work to do.
            std::snprintf(time, sizeof time, "%.8f", 40000 + static_cast<double>(points - i) / 86400.0);
            doc.AddTrackpoint(lat, lon, ele, time);
        }
        doc.endBulk();
    });
    core::NodeId segment = doc.currentSegment;
    core::NodeId track = doc.parent(segment);
    auto* tree = window.findChild<QTreeView*>("VST");
    auto* lv1 = window.findChild<QTreeView*>("LV1");
    auto& edit = window.editActions().commands();

    timed("expand the segment in VST", [&] {
        tree->expand(window.treeModel()->indexOf(doc.trackpoints()));
        tree->expand(window.treeModel()->indexOf(track));
        tree->expand(window.treeModel()->indexOf(segment));
        tree->scrollToBottom();
        tree->viewport()->repaint();
    });
    timed("rows of the track, no window", [&] {
        core::ListRows rows;
        rows.reserve(static_cast<size_t>(points));
        ws.loader(nullptr).ShowTrack(rows, track);
    });
    timed("Edit list of points (fill LV1)", [&] {
        doc.setFocused(track);
        edit.mShowPointsClick();
    });
    timed("scroll LV1 to the end", [&] { lv1->scrollToBottom(); });
    timed("sort by time", [&] { edit.LijstSorteren(app::EditCommands::View::Points); });
    timed("reverse track", [&] { edit.Trackomkeren1Click(); });
    timed("OK (write back)", [&] { edit.btOKClick("big"); });
    timed("undo the OK", [&] { edit.undo(); });
    timed("redo the OK", [&] { edit.redo(); });
    std::printf("points in the segment: %u\n", doc.childCount(doc.segmentOf(track)));
    return 0;
}

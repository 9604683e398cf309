// A million-point GPX file in the real main window, driven as a user drives
// it: the program started on the file, "Edit list of points" from the
// tree's context menu, ten rows deleted and OK clicked, Undo, the list of
// all tracks (listed and sorted by time), "Reverse track", scrolling and
// selecting. Each step is timed until the event loop is idle again (its
// painting included), and the process's peak memory is printed after it.
// Run: QT_QPA_PLATFORM=offscreen build/bin/bench_window [FILE.gpx | points]
// (a number generates the file with bench/make_big_gpx.py in /tmp).

#include <sys/resource.h>

#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "../tests/app/ui/real_window.h"

namespace {

long PeakMiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;  // ru_maxrss is in KiB on Linux
}

// Runs the step, then the event loop until nothing is left to do (painting
// included), and prints the wall time and the peak memory so far.
template <typename F>
void Step(const char* what, F&& f) {
    auto start = std::chrono::steady_clock::now();
    f();
    QApplication::processEvents();
    QApplication::processEvents();
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-44s %7.3f s   peak %5ld MiB\n", what, s, PeakMiB());
    std::fflush(stdout);
}

std::string InputFile(const char* arg) {
    std::string a = arg ? arg : "1000000";
    if (!a.empty() && a.find_first_not_of("0123456789") == std::string::npos) {
        std::string path = "/tmp/pathkeep-bench/big-" + a + ".gpx";
        if (!std::filesystem::exists(path)) {
            std::filesystem::create_directories("/tmp/pathkeep-bench");
            std::string cmd = "python3 " PATHKEEP_SOURCE_DIR "/bench/make_big_gpx.py " + path + " " + a;
            if (std::system(cmd.c_str()) != 0) return {};
        }
        return path;
    }
    return a;
}

}  // namespace

int main(int argc, char** argv) {
    std::string file = InputFile(argc > 1 ? argv[1] : nullptr);
    if (file.empty()) return 1;
    QApplication qapp(argc, argv);
    std::printf("file: %s, peak before the window %ld MiB\n", file.c_str(), PeakMiB());

    std::unique_ptr<walk::RealWindow> w;
    Step("start with the file until idle (tree shown)", [&] { w = std::make_unique<walk::RealWindow>(file); });
    core::Document& doc = w->doc();
    core::NodeId track = w->child(doc.trackpoints(), 0);
    if (track == core::kNoNode) return 1;
    std::printf("track points: %ld\n", static_cast<long>(doc.trackPointCount()));
    auto* lv1 = w->find<QTreeView>("LV1");

    Step("Edit list of points (track, tree menu)", [&] { w->treeMenu(track, "mShowPoints"); });
    std::printf("rows in LV1: %d\n", lv1->model()->rowCount());
    Step("scroll LV1 to the end", [&] { lv1->scrollToBottom(); });
    Step("delete 10 rows (Delete key)", [&] {
        lv1->setFocus();
        QItemSelection rows(lv1->model()->index(1000, 0), lv1->model()->index(1009, 0));
        lv1->selectionModel()->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        QTest::keyClick(lv1, Qt::Key_Delete);
    });
    Step("OK (btOK)", [&] { QTest::mouseClick(w->find<QPushButton>("btOK"), Qt::LeftButton); });
    std::printf("points in the segment: %u\n", doc.childCount(doc.segmentOf(track)));
    Step("Undo of the OK", [&] { w->menu("Ongedaan1"); });
    std::printf("points in the segment: %u\n", doc.childCount(doc.segmentOf(track)));
    Step("Edit list of points (all tracks: list, sort)", [&] { w->treeMenu(doc.trackpoints(), "mShowPoints"); });
    Step("Reverse track (Edit menu)", [&] { w->menu("Trackomkeren1"); });
    Step("select all (list menu)", [&] { w->listMenu("LV1", 0, "Allesselecteren1"); });
    // Every row gets a text of its own: the heaviest change a list can take.
    Step("Use time as point name (list menu)", [&] { w->listMenu("LV1", 0, "Gebruiktijdalspuntnaam1"); });
    Step("Cancel (btCancel)", [&] { QTest::mouseClick(w->find<QPushButton>("btCancel"), Qt::LeftButton); });

    // The open once more through File > Open, its phases told apart by the
    // message log lines that start them.
    std::vector<std::pair<double, std::string>> phases;
    auto start = std::chrono::steady_clock::now();
    auto mark = [&](const std::string& line) {
        for (const char* p : {"Open file", "Determine bounds", "Store bounds", "Waypoints:"})
            if (line.find(p) != std::string::npos)
                phases.emplace_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                                    p);
    };
    core::ScopedConnection logged = w->ws->log.lineAdded.scoped(mark);
    // Whether each phase showed the progress bar, which is what Escape stops.
    std::vector<std::string> barIn;
    core::ScopedConnection bar = w->ws->progress.scoped([&](double f) {
        if (f >= 0 && !phases.empty() && (barIn.empty() || barIn.back() != phases.back().second))
            barIn.push_back(phases.back().second);
    });
    w->answers.expect("message", walk::Answers::dismiss());  // the reversed list left the document changed
    w->answers.expect("file", walk::Answers::choose(file));
    Step("File > Open of the same file until idle", [&] {
        start = std::chrono::steady_clock::now();
        w->menu("acOpenen");
        walk::waitFor([&] { return !phases.empty() && phases.back().second == std::string("Waypoints:"); }, 60000);
    });
    for (size_t i = 1; i < phases.size(); ++i)
        std::printf("  from \"%s\" to \"%s\" %7.3f s\n", phases[i - 1].second.c_str(), phases[i].second.c_str(),
                    phases[i].first - phases[i - 1].first);
    for (const std::string& p : barIn) std::printf("  progress bar shown after \"%s\"\n", p.c_str());
    std::printf("peak memory of the whole run: %ld MiB\n", PeakMiB());
    if (!w->answers.unexpected.isEmpty())
        std::printf("unexpected dialogs: %s\n", w->answers.unexpected.join("; ").toStdString().c_str());
    w.reset();
    return 0;
}

#pragma once
// The statistics panel under the document tree: the figures of the focused
// track, segment or route, or of the list of points while the points page
// shows it. Read-only; worked out again a moment after the last change.

#include <QGroupBox>
#include <array>
#include <vector>

#include "app/workspace.h"
#include "core/signal.h"
#include "plot/track_stats.h"

class QLabel;
class QTimer;

namespace plot::ui {

class TrackStatsPanel : public QGroupBox {
public:
    explicit TrackStatsPanel(app::Workspace& ws, QWidget* parent = nullptr);

    // Whether the list of points (LV1) is in view: it then takes the place
    // of the focused node.
    void setListInView(bool inView);
    // Works the figures out now instead of after the pause.
    void refresh();

private:
    void schedule();
    void display(const std::string& subject, const TrackStats* stats);

    app::Workspace& ws_;
    bool listInView_ = false;
    // What the figures show, and whether it changed since.
    bool shownList_ = false;
    core::NodeId shownNode_ = core::kNoNode;
    bool stale_ = true;
    QTimer* pause_ = nullptr;
    QLabel* subject_ = nullptr;
    std::array<QLabel*, kStatFieldCount> values_{};
    std::vector<core::ScopedConnection> connections_;
};

}  // namespace plot::ui

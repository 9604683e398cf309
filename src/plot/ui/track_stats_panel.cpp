#include "plot/ui/track_stats_panel.h"

#include <QGridLayout>
#include <QLabel>
#include <QTimer>

namespace plot::ui {

namespace {

// Long enough to take a burst of edits (a paste, points arriving) as one change.
constexpr int kPauseMs = 200;

// The caption labels, in the order of the figures; the language table names them.
constexpr std::array<const char*, kStatFieldCount> kCaptionNames = {
    "lbStatsPoints",        "lbStatsLength",  "lbStatsDuration", "lbStatsMoving",  "lbStatsAverage",
    "lbStatsMovingAverage", "lbStatsMaximum", "lbStatsAscent",   "lbStatsDescent", "lbStatsLowest",
    "lbStatsHighest",       "lbStatsStart",   "lbStatsEnd"};

}  // namespace

TrackStatsPanel::TrackStatsPanel(app::Workspace& ws, QWidget* parent) : QGroupBox(parent), ws_(ws) {
    setObjectName("gbTrackStats");
    setTitle("Statistics");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(0);
    subject_ = new QLabel(this);
    subject_->setObjectName("lbStatsSubject");
    // A long name or date is cut at a narrow tree rather than widening it;
    // the hint shows it whole.
    subject_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid->addWidget(subject_, 0, 0, 1, 2);
    for (int i = 0; i < kStatFieldCount; ++i) {
        auto* caption = new QLabel(kStatCaptions[static_cast<size_t>(i)], this);
        caption->setObjectName(kCaptionNames[static_cast<size_t>(i)]);
        auto* value = values_[static_cast<size_t>(i)] = new QLabel(this);
        value->setObjectName(QString(kCaptionNames[static_cast<size_t>(i)]) + "Value");
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        grid->addWidget(caption, i + 1, 0);
        grid->addWidget(value, i + 1, 1);
    }
    grid->setColumnStretch(1, 1);

    pause_ = new QTimer(this);
    pause_->setSingleShot(true);
    pause_->setInterval(kPauseMs);
    connect(pause_, &QTimer::timeout, this, [this] {
        // Long work may be changing the tree between its steps: wait for its end.
        if (ws_.busy())
            pause_->start();
        else
            refresh();
    });

    core::Document& doc = ws_.document;
    auto changed = [this](auto...) {
        stale_ = true;
        schedule();
    };
    connections_.push_back(doc.reset.scoped(changed));
    connections_.push_back(doc.inserted.scoped(changed));
    connections_.push_back(doc.removed.scoped(changed));
    connections_.push_back(doc.childrenRemoved.scoped(changed));
    connections_.push_back(doc.moved.scoped(changed));
    connections_.push_back(doc.textChanged.scoped(changed));
    connections_.push_back(ws_.pointRows.changed.scoped(changed));
    // A focus that moves from point to point within one track changes nothing.
    connections_.push_back(doc.focusChanged.scoped([this](core::NodeId) { schedule(); }));
    display("", nullptr);
}

void TrackStatsPanel::setListInView(bool inView) {
    if (inView == listInView_) return;
    listInView_ = inView;
    schedule();
}

void TrackStatsPanel::schedule() { pause_->start(); }

void TrackStatsPanel::refresh() {
    pause_->stop();
    const core::Document& doc = ws_.document;
    const bool list = listInView_ && !ws_.pointRows.empty();
    const core::NodeId subject = list ? core::kNoNode : StatsSubject(doc, doc.focused());
    if (!stale_ && list == shownList_ && subject == shownNode_) return;
    stale_ = false;
    shownList_ = list;
    shownNode_ = subject;
    if (list) {
        const TrackStats stats = MeasureRows(ws_.pointRows);
        display(ws_.listName(), &stats);
        return;
    }
    if (subject == core::kNoNode) {
        display("", nullptr);
        return;
    }
    core::PointLoader loader = ws_.loader();
    TrackStats stats;
    MeasureNode(doc, loader, subject, stats);
    display(doc.getText(subject), &stats);
}

void TrackStatsPanel::display(const std::string& subject, const TrackStats* stats) {
    subject_->setText(QString::fromStdString(subject));
    subject_->setToolTip(subject_->text());
    std::array<std::string, kStatFieldCount> texts;
    if (stats)
        texts = StatTexts(*stats, ws_.host.locale().decimalSeparator());
    else
        texts.fill("-");
    for (size_t i = 0; i < texts.size(); ++i) {
        values_[i]->setText(QString::fromStdString(texts[i]));
        values_[i]->setToolTip(values_[i]->text());
    }
}

}  // namespace plot::ui

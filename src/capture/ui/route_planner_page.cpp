#include "capture/ui/route_planner_page.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace capture::ui {

RoutePlannerPage::RoutePlannerPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("Route 66: point at a place on the map and press T (track point) or W (waypoint).", this);
    label->setObjectName("Label20");
    label->setWordWrap(true);
    route66_ = new QPushButton("Start Route66 Capture", this);
    route66_->setObjectName("Button11");
    autoRoute_ = new QPushButton("Start AutoRoute Capture", this);
    autoRoute_->setObjectName("Button22");
    layout->addWidget(label);
    layout->addWidget(route66_, 0, Qt::AlignLeft);
    layout->addWidget(autoRoute_, 0, Qt::AlignLeft);
    layout->addStretch();
}

}  // namespace capture::ui

#pragma once
// The main window's "Route planner" page: the commands that capture
// positions from route-planning programs.

#include <QWidget>

class QPushButton;

namespace capture::ui {

class RoutePlannerPage : public QWidget {
public:
    explicit RoutePlannerPage(QWidget* parent = nullptr);
    QPushButton* route66Button() const { return route66_; }      // Button11
    QPushButton* autoRouteButton() const { return autoRoute_; }  // Button22

private:
    QPushButton* route66_;
    QPushButton* autoRoute_;
};

}  // namespace capture::ui

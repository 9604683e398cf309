#include "garmin/ui/comm_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace garmin::ui {

TfmCommDialog::TfmCommDialog(CommDialogModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName("TfmCommDialog");
    setWindowTitle("Communicatie");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QString::fromStdString(model.caption), this);
    group->setObjectName("GroupBox1");
    auto* boxes = new QVBoxLayout(group);
    auto box = [&](const char* name, const char* caption, bool checked) {
        auto* b = new QCheckBox(caption, group);
        b->setObjectName(name);
        b->setChecked(checked);
        boxes->addWidget(b);
        return b;
    };
    waypoints_ = box("cbWaypoints", "Waypoints", model.cbWaypoints);
    trackpoints_ = box("cbTrackpoints", "Trackpoints", model.cbTrackpoints);
    routes_ = box("cbRoutes", "Routes", model.cbRoutes);
    power_ = box("cbPower", "Power off when finished", model.cbPower);
    layout->addWidget(group);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("BitBtn1");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("BitBtn2");
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TfmCommDialog::done(int result) {
    model_.cbWaypoints = waypoints_->isChecked();
    model_.cbTrackpoints = trackpoints_->isChecked();
    model_.cbRoutes = routes_->isChecked();
    model_.cbPower = power_->isChecked();
    QDialog::done(result);
}

bool runCommDialog(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup) {
    auto* m = dynamic_cast<CommDialogModel*>(&model);
    if (!m) return false;
    TfmCommDialog dialog(*m, parent);
    if (setup) setup(&dialog);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace garmin::ui

#include "nmea/ui/nmea_log_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "nmea/log_file_model.h"

namespace nmea::ui {

namespace {

QCheckBox* option(const char* name, const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

}  // namespace

TfmNmeaLogFile::TfmNmeaLogFile(NmeaLogFileModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName("TfmNmeaLogFile");
    setWindowTitle("NMEA logfile");
    auto* layout = new QVBoxLayout(this);

    auto* fileRow = new QHBoxLayout;
    auto* label = new QLabel("&File:", this);
    label->setObjectName("lbFile");
    path_ = new QLineEdit(this);
    path_->setObjectName("Edit1");
    path_->setMinimumWidth(320);
    label->setBuddy(path_);
    auto* browse = new QPushButton("...", this);
    browse->setObjectName("btBrowse");
    browse->setAutoDefault(false);
    fileRow->addWidget(label);
    fileRow->addWidget(path_, 1);
    fileRow->addWidget(browse);
    layout->addLayout(fileRow);

    auto* group = new QGroupBox("Options", this);
    group->setObjectName("rgOptions");
    auto* options = new QVBoxLayout(group);
    check_ = option("cbCheck", "Check NMEA logfile", group);
    split_ = option("cbSplit", "Split file (one file for each date)", group);
    correct_ = option("cbCorrect", "Remove incorrect records (incorrect CRC)", group);
    rmc_ = option("cbRMC", "Only preserve RMC records", group);
    for (QCheckBox* b : {check_, split_, correct_, rmc_}) options->addWidget(b);
    layout->addWidget(group);

    auto* buttons = new QDialogButtonBox(this);
    auto* start = buttons->addButton("Start", QDialogButtonBox::ActionRole);
    start->setObjectName("btStart");
    start->setDefault(true);
    auto* close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName("btClose");
    layout->addWidget(buttons);

    connect(browse, &QPushButton::clicked, this, [this] {
        store();
        model_.btBrowseClick();
        path_->setText(QString::fromStdString(model_.path));
    });
    connect(start, &QPushButton::clicked, this, [this] {
        store();
        model_.btStartClick();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TfmNmeaLogFile::FormShow() {
    model_.FormShow();
    path_->setText(QString::fromStdString(model_.path));
    check_->setChecked(model_.options.check);
    split_->setChecked(model_.options.split);
    correct_->setChecked(model_.options.removeBad);
    rmc_->setChecked(model_.options.rmcOnly);
    path_->setFocus();
}

void TfmNmeaLogFile::store() {
    model_.path = path_->text().toStdString();
    model_.options = {check_->isChecked(), split_->isChecked(), correct_->isChecked(), rmc_->isChecked()};
}

bool runNmeaLogDialog(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup) {
    auto* m = dynamic_cast<NmeaLogFileModel*>(&model);
    if (!m) return false;
    TfmNmeaLogFile dialog(*m, parent);
    dialog.FormShow();
    if (setup) setup(&dialog);
    dialog.exec();
    return true;
}

}  // namespace nmea::ui

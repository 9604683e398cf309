#pragma once
// TfmNmeaLogFile: the NMEA log file tool's dialog, shown for a
// nmea::NmeaLogFileModel (register runNmeaLogDialog with QtPrompts under
// "TfmNmeaLogFile").

#include <functional>
#include <QDialog>

#include "host/host.h"

class QCheckBox;
class QLineEdit;

namespace nmea {
class NmeaLogFileModel;
}

namespace nmea::ui {

class TfmNmeaLogFile : public QDialog {
public:
    TfmNmeaLogFile(NmeaLogFileModel& model, QWidget* parent = nullptr);
    // The model's FormShow, then its fields into the widgets.
    void FormShow();

private:
    void store();  // the widgets into the model

    NmeaLogFileModel& model_;
    QLineEdit* path_;
    QCheckBox *check_, *split_, *correct_, *rmc_;
};

bool runNmeaLogDialog(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup);

}  // namespace nmea::ui

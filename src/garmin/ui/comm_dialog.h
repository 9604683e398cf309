#pragma once
// TfmCommDialog: what to transmit to or receive from the receiver.

#include <functional>
#include <QDialog>

#include "garmin/commands.h"

class QCheckBox;
class QGroupBox;

namespace garmin::ui {

class TfmCommDialog : public QDialog {
public:
    TfmCommDialog(CommDialogModel& model, QWidget* parent = nullptr);
    // The ticks go back into the model however the dialog is left: the
    // next time starts from the last choice.
    void done(int result) override;

private:
    CommDialogModel& model_;
    QCheckBox *waypoints_, *trackpoints_, *routes_, *power_;
};

// The runner the host's prompts use for a CommDialogModel.
bool runCommDialog(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup);

}  // namespace garmin::ui

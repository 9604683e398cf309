#pragma once
// TfmSave: file name and one of the five save formats.

#include <functional>
#include <QDialog>

#include "formats/save_dialog_model.h"

class QLineEdit;
class QButtonGroup;

namespace formats::ui {

class SaveDialog : public QDialog {
public:
    SaveDialog(SaveDialogModel& model, QWidget* parent = nullptr);

    // Shows the dialog for a model; true when the user pressed OK.
    static bool run(host::DialogModel& model, QWidget* parent, const std::function<void(QWidget*)>& setup);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void browse();

    SaveDialogModel& model_;
    QLineEdit* fileName_ = nullptr;
    QButtonGroup* formats_ = nullptr;
};

}  // namespace formats::ui

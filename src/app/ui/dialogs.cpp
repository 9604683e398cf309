#include "app/ui/dialogs.h"

#include "app/ui/main_window.h"
#include "capture/ui/ocr_form.h"
#include "core/ui/point_editor.h"
#include "formats/ui/field_dialog.h"
#include "formats/ui/import_wizard.h"
#include "formats/ui/save_dialog.h"
#include "garmin/ui/comm_dialog.h"
#include "host/qt/qt_host.h"
#include "nmea/ui/nmea_log_dialog.h"
#include "nmea/ui/settings_dialog.h"

namespace app::ui {

void RegisterDialogs(host::QtPrompts& prompts, MainWindow& window) {
    prompts.setParent(&window);
    prompts.setDialogSetup([&window](QWidget* dialog) { window.applyCurrentLanguage(dialog); });
    prompts.registerDialog("TfmSave", &formats::ui::SaveDialog::run);
    prompts.registerDialog("TfmSelectField", &formats::ui::runFieldDialog);
    prompts.registerDialog("TfrmImportWizzard", &formats::ui::runImportWizard);
    prompts.registerDialog("TfmSettings", &nmea::ui::runSettingsDialog);
    prompts.registerDialog("TfmCommDialog", &garmin::ui::runCommDialog);
    prompts.registerDialog("TPointEditor", &core::ui::PointEditor::run);
    prompts.registerDialog("TfmNmeaLogFile", &nmea::ui::runNmeaLogDialog);
    prompts.registerDialog("TOcrForm", &capture::ui::TOcrForm::run);
}

}  // namespace app::ui

// pathkeep: the desktop program.

#include <QApplication>
#include <QDir>
#include <QTimer>

#include "app/ui/main_window.h"
#include "garmin/ui/comm_dialog.h"
#include "nmea/ui/settings_dialog.h"
#include "capture/ui/ocr_form.h"
#include "core/ui/point_editor.h"
#include "formats/ui/field_dialog.h"
#include "formats/ui/import_wizard.h"
#include "formats/ui/save_dialog.h"
#include "host/qt/qt_host.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(app::kProgramName);
    QApplication::setApplicationVersion(app::kVersion);

    host::QtHost host(true);
    host.qtPrompts().registerDialog("TfmSave", &formats::ui::SaveDialog::run);
    host.qtPrompts().registerDialog("TfmSelectField", &formats::ui::runFieldDialog);
    host.qtPrompts().registerDialog("TfrmImportWizzard", &formats::ui::runImportWizard);
    host.qtPrompts().registerDialog("TfmSettings", &nmea::ui::runSettingsDialog);
    host.qtPrompts().registerDialog("TfmCommDialog", &garmin::ui::runCommDialog);
    host.qtPrompts().registerDialog("TPointEditor", &core::ui::PointEditor::run);
    host.qtPrompts().registerDialog("TOcrForm", &capture::ui::TOcrForm::run);
    app::Workspace ws(host, app::BuildPaths(app::PathEnv::fromProcess(
                                QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString())));
    app::ui::MainWindow window(ws);
    host.qtPrompts().setParent(&window);
    std::string startupFile = argc > 1 ? QString::fromLocal8Bit(argv[1]).toStdString() : std::string();
    window.show();
    QTimer::singleShot(0, &window, [&] { window.startUp(startupFile); });
    return QApplication::exec();
}

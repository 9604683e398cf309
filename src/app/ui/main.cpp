// pathkeep: the desktop program.

#include <QApplication>
#include <QDir>
#include <QTimer>

#include "app/ui/dialogs.h"
#include "app/ui/main_window.h"
#include "host/qt/qt_host.h"

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(app::kProgramName);
    QApplication::setApplicationVersion(app::kVersion);

    host::QtHost host(true);
    app::Workspace ws(host, app::BuildPaths(app::PathEnv::fromProcess(
                                QDir(QCoreApplication::applicationDirPath()).absolutePath().toStdString())));
    app::ui::MainWindow window(ws);
    app::ui::RegisterDialogs(host.qtPrompts(), window);
    std::string startupFile = argc > 1 ? QString::fromLocal8Bit(argv[1]).toStdString() : std::string();
    window.show();
    QTimer::singleShot(0, &window, [&] { window.startUp(startupFile); });
    return QApplication::exec();
}

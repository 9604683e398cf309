// pathkeep: the desktop program.

#include <QApplication>
#include <QDir>

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
    host.qtPrompts().setParent(&window);
    window.show();
    return QApplication::exec();
}

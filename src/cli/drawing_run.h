#pragma once
// What the verbs that draw pictures (plot, map) share: the GUI application
// that drawing text needs (off screen, no display), the command line's host
// and a workspace into which FILE is opened.

#include <QGuiApplication>
#include <cstdlib>
#include <string>

#include "app/document_commands.h"
#include "app/workspace.h"
#include "cli/cli_host.h"

namespace cli {

class DrawingRun {
public:
    DrawingRun(int& argc, char** argv) : app_(argc, argv), ws(host, PathsBesideThisProgram()) { ws.create(); }
    // False when FILE could not be read; the open command has said why.
    bool open(const std::string& file) { return commands_.BestandOpenen(file); }

private:
    struct Offscreen {
        Offscreen() {
            if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        }
    } offscreen_;  // before the application reads it
    QGuiApplication app_;

public:
    CliHost host;
    app::Workspace ws;

private:
    app::DocumentCommands commands_{ws};
};

}  // namespace cli

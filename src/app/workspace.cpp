#include "app/workspace.h"

namespace app {

Workspace::Workspace(host::Host& h, ProgramPaths p)
    : host(h), paths(std::move(p)), document(symbols, h.clock()), log(h.clock()) {}

void Workspace::create() {
    setCaption(kProgramName);
    log.clear();
    document.initTree();
    pointRows.clear();
    waypointRows.clear();
    points.reset();
    symbols.LoadSymbolTable(paths.symbolNames);
}

core::PointLoader Workspace::loader() {
    return core::PointLoader(document, points, symbols,
                             {host.clock(), host.locale(), host.eventPump(),
                              [this](const std::string& s) { status(s); },
                              [this](const std::string& s) { setListName(s); }});
}

formats::Env Workspace::env() {
    return formats::Env{document,
                        points,
                        symbols,
                        host,
                        [this](const std::string& s) { report(s); },
                        [this](const std::string& s) { status(s); },
                        [this](double f) { progress(f); },
                        [this] { return loader(); },
                        [this](int n) { return message(n); },
                        &exportFields,
                        [this](const std::vector<std::string>& f) { saveFieldsAsDefault(f); }};
}

void Workspace::loadUserSettings() {
    report("Read user preferences");
    settings = UserSettings::read(IniFile::load(paths.userSettings));
    currentDirectory = settings.lastPath;
    exportFields = settings.fields;
}

bool Workspace::saveUserSettings() {
    IniFile ini = IniFile::load(paths.userSettings);
    settings.lastPath = currentDirectory;
    settings.writeGeneral(ini);
    std::string error;
    if (ini.save(paths.userSettings, error)) return true;
    report(error);
    return false;
}

bool Workspace::saveFieldsAsDefault(const std::vector<std::string>& fields) {
    IniFile ini = IniFile::load(paths.userSettings);
    settings.fields = fields;
    exportFields = fields;
    settings.writeFields(ini);
    std::string error;
    if (ini.save(paths.userSettings, error)) return true;
    report(error);
    host.prompts().show(error, host::Severity::Error);
    return false;
}

void Workspace::setListName(const std::string& name) {
    listName_ = name;
    listNameChanged(name);
}

void Workspace::setCaption(const std::string& caption) {
    caption_ = caption;
    captionChanged(caption);
}

}  // namespace app

#include "app/workspace.h"

#include "app/channel_settings.h"
#include "formats/atomic_file.h"

namespace app {

Workspace::Workspace(host::Host& h, ProgramPaths p)
    : host(h),
      paths(std::move(p)),
      document(symbols, h.clock()),
      log(h.clock()),
      operations(h.eventPump(), {[this](double f) { progress(f); }, [this](const std::string& s) { status(s); }}) {}

void Workspace::create() {
    setCaption(kProgramName);
    log.clear();
    document.initTree();
    pointRows.clear();
    waypointRows.clear();
    points.reset();
    symbols.LoadSymbolTable(paths.symbolNames);
}

core::PointLoader Workspace::loader(core::Operation* operation) {
    return core::PointLoader(document, symbols,
                             {host.clock(), host.locale(), operation,
                              [this](const std::string& s) { setListName(s); }});
}

formats::Env Workspace::env(core::Operation& operation) {
    return formats::Env{document, symbols, host.clock(), host.locale(), operation,
                        [this](const std::string& s) { report(s); }, [this](const std::string& s) { log.warning(s); }};
}

void Workspace::openChannels() {
    if (channels) return;
    nmea::ChannelSinks sinks;
    sinks.appendLog = [this](const std::string& line) { log.append(line); };
    sinks.report = [this](const std::string& line) { report(line); };
    sinks.setPanel = [this](int panel, const std::string& text) { statusLine.setPanel(panel, text); };
    // Until the Garmin window keeps its own packet log, only what is not
    // the received data itself goes to the message log.
    sinks.packetLog = [this](const std::string& line) {
        if (line.rfind("ServerSocket: ", 0) != 0) report(line);
    };
    sinks.whenIdle = [this](std::function<void()> work) { operations.whenIdle(std::move(work)); };
    sinks.message = [this](int n) { return message(n); };
    sinks.stopSimulation = [this] {
        if (simulation) simulation->channelStopped();
    };
    sinks.garminReceive = [this](unsigned char byte) {
        if (garminChannel) garminChannel->received(byte);
    };
    channels = std::make_unique<nmea::Channels>(host, std::move(sinks),
                                                LoadPortMap(IniFile::load(paths.userSettings)), display);
    garminChannel = std::make_unique<GarminChannel>(*channels);
    openSimulation();
    applyChannelSettings();
}

void Workspace::openSimulation() {
    nmea::SimulationLinks links;
    links.transmit = [this](std::string_view bytes) { channels->Transmit1(bytes); };
    links.protocolIsNmea = [this] { return channels->Protocol() != "Garmin"; };
    links.switchToNmea = [this] {
        channels->StopCommunication1();
        channels->setProtocol("NMEA");
    };
    links.logLine = [this](const std::string& line) { log.append(line); };
    links.decode = [this](const std::string& sentence) {
        (void)nmea::DecodeNMEA(sentence, channels->decodeOptions, display);
    };
    links.show = [this](const std::string& text, host::Severity severity) { host.prompts().show(text, severity); };
    links.message = [this](int n) { return message(n); };
    // With progress and Escape, for long tracks; without the list page's
    // name field, as choosing a track here is no list edit.
    links.loadTrack = [this](core::NodeId track, const core::PointLoader::Sink& each) {
        Operations::Scope scope(operations);
        core::PointLoader loader(document, symbols, {host.clock(), host.locale(), &scope.operation(), {}});
        return loader.eachTrackPoint(track, each);
    };
    simulation = std::make_unique<nmea::Simulation>(host.timers(), host.clock(), document, std::move(links));
}

void Workspace::applyChannelSettings() {
    if (!channels) return;
    ApplyChannelSettings(settings, *channels);
    channels->decodeOptions.decimalSeparator = host.locale().decimalSeparator();
    channels->decodeOptions.texts = {message(5), message(6), message(7), message(8), message(9)};
    channels->logFile().setPath(paths.messageLogFile);
    if (simulation) simulation->builder().setDecimalSeparator(host.locale().decimalSeparator());
}

void Workspace::loadUserSettings() {
    report("Read user preferences");
    settings = UserSettings::read(IniFile::load(paths.userSettings));
    currentDirectory = settings.lastPath;
    exportFields = settings.fields;
}

bool Workspace::saveUserSettings() {
    if (channels) StoreChannelSettings(*channels, settings);
    // A settings file the user made read-only holds settings they keep by
    // hand: it is left as it is (a rename would replace it all the same).
    if (formats::StatusOf(paths.userSettings).readOnly) {
        report("Settings not saved: " + paths.userSettings + " is read-only");
        return false;
    }
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

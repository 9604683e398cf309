#include "capture/autoroute_capture.h"

#include <cstdio>

#include "core/document.h"
#include "core/fn.h"
#include "core/text.h"

namespace capture {

namespace {

constexpr size_t kTitleChars = 255;      // window titles and texts are read this far
constexpr size_t kCoordinateChars = 12;  // of a result line's latitude and longitude
constexpr size_t kSensorValueChars = 20;
constexpr size_t kNameChars = 50;
constexpr const char* kZeros = "000000000000";
constexpr int kNamePromptEvery = 10;  // sensor ticks between focus checks
constexpr const char* kNamePromptTitle = "Waypoint identification";

// Message numbers of the message table.
constexpr int kMsgDistance = 21;
constexpr int kMsgHotKeyT = 35;
constexpr int kMsgHotKeyW = 36;
constexpr int kMsgNoSensor = 37;

bool contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Code points from the 0-based character `start`, at most `count` of them.
std::string utf8Mid(const std::string& text, size_t start, size_t count) {
    size_t i = 0;
    for (size_t skipped = 0; i < text.size() && skipped < start; ++skipped) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return core::Utf8Left(std::string_view(text).substr(i), count);
}

std::string lowerTitle(const std::string& title) { return core::AsciiLower(core::Utf8Left(title, kTitleChars)); }

void replaceFirst(std::string& text, char from, char to) {
    size_t at = text.find(from);
    if (at != std::string::npos) text[at] = to;
}

// "52.08675° south" -> "-52.08675000": the hemisphere word decides the sign.
std::string resultCoordinate(std::string text, const char* negativeWord) {
    if (contains(text, negativeWord)) text = "-" + text;
    size_t degree = text.find("\xC2\xB0");
    // Without a degree sign nothing is kept: the coordinate reads as zeros.
    text = degree == std::string::npos ? std::string() : text.substr(0, degree);
    replaceFirst(text, ',', '.');
    // A whole number ("52") padded with zeros would read 520000000000.
    if (!text.empty() && text.find('.') == std::string::npos) text += '.';
    return core::Utf8Left(text + kZeros, kCoordinateChars);
}

// The number of a sensor value for AutoRoute's Find dialog: digits and the
// decimal mark, negative unless the value names the positive hemisphere.
std::string pushpinCoordinate(const std::string& text, const char* positiveWord) {
    std::string out;
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == ',' || c == '.') out += c;
    return contains(text, positiveWord) ? out : "-" + out;
}

}  // namespace

std::string FieldAfter(const std::string& line, const std::string& marker, size_t count) {
    size_t at = line.find(marker);
    if (at == std::string::npos) return {};
    return core::Utf8Left(std::string_view(line).substr(at + marker.size()), count);
}

AutoRouteCapture::AutoRouteCapture(AutoRouteEnv env) : env_(std::move(env)) {
    timer1_ = env_.timers.createTimer("Timer1");
    timer1_->setIntervalMs(kSensorIntervalMs);
    timer1_->onTick([this] { Timer1Timer(); });
    timer2_ = env_.timers.createTimer("Timer2");
    timer2_->setIntervalMs(kPositionIntervalMs);
    timer2_->onTick([this] { Timer2Timer(); });
}

AutoRouteCapture::~AutoRouteCapture() {
    if (shown_) FormClose();
}

void AutoRouteCapture::FormShow() {
    shown_ = true;
    tick_ = 0;
    waypointCounter_ = 0;
    lastLatitude.clear();
    lastLongitude.clear();
    positionText.clear();
    distanceText.clear();
    lines.clear();
    timer1_->start();
    timer2_->start();
    // The desktop has one hot key handler, shared with the Route 66 capture:
    // it is this window's while it shows.
    env_.desktop.onHotKey([this](int id) {
        if (id == kHotKeyT) FormKeyPress('t');
        if (id == kHotKeyW) FormKeyPress('w');
    });
    registerHotKeys();
    autoRoute_ = 0;
    firstPushpin_ = true;
    pushpinBusy_ = false;
    changed();
    FindLocator();
}

void AutoRouteCapture::BitBtn1Click() {
    timer1_->stop();
    timer2_->stop();
    if (sendAsRmc) {
        sendAsRmc = false;
        if (env_.stopCommunication) env_.stopCommunication();
        changed();
    }
}

void AutoRouteCapture::FormClose() {
    timer1_->stop();
    timer2_->stop();
    unregisterHotKeys();
    env_.desktop.onHotKey({});
    shown_ = false;
}

void AutoRouteCapture::SpeedButton2Click() {
    lines.clear();
    CalculateDistance();
}

void AutoRouteCapture::SpeedButton1Click() {
    if (!lines.empty()) lines.pop_back();
    if (lines.empty()) {
        // Nothing captured is left, so there is no last position to send.
        lastLatitude.clear();
        lastLongitude.clear();
        positionText.clear();
    } else {
        lastLatitude = FieldAfter(lines.back(), "B: ", kCoordinateChars);
        lastLongitude = FieldAfter(lines.back(), "L: ", kCoordinateChars);
    }
    CalculateDistance();
}

void AutoRouteCapture::registerHotKeys() {
    if (!env_.desktop.registerHotKey(kHotKeyT, 't'))
        env_.prompts.show(env_.message(kMsgHotKeyT), host::Severity::Information);
    if (!env_.desktop.registerHotKey(kHotKeyW, 'w'))
        env_.prompts.show(env_.message(kMsgHotKeyW), host::Severity::Information);
}

void AutoRouteCapture::unregisterHotKeys() {
    env_.desktop.unregisterHotKey(kHotKeyT);
    env_.desktop.unregisterHotKey(kHotKeyW);
}

// A closed window keeps no timer running, whatever ran meanwhile.
void AutoRouteCapture::startSensorTimer() {
    if (shown_) timer1_->start();
}

void AutoRouteCapture::FindLocator() {
    bool sensorFound = false;
    for (const TopLevelWindow& w : env_.desktop.topLevelWindows()) {
        if (!w.visible) continue;
        std::string title = lowerTitle(w.title);
        if (contains(title, "microsoft autoroute")) autoRoute_ = w.id;
        if (contains(title, "location sensor")) {
            WindowsFromWindow(w);
            sensorFound = true;
        }
    }
    if (sensorFound || !autoRoute_) {
        startSensorTimer();
        return;
    }
    timer1_->stop();
    if (env_.foregroundSelf) env_.foregroundSelf();
    switch (env_.prompts.askYesNoCancel(env_.message(kMsgNoSensor), host::Severity::Warning)) {
        case host::Answer::Yes:
            ActivateLocationSensor();
            startSensorTimer();
            break;
        case host::Answer::No: startSensorTimer(); break;
        case host::Answer::Cancel: break;
    }
}

void AutoRouteCapture::WindowsFromWindow(const TopLevelWindow& sensor) {
    const ScreenRect& r = sensor.frame;
    int labelX = r.left + r.width() / 5;
    int valueX = r.left + r.width() / 2;
    std::uint64_t previous = 0;
    bool any = false;
    for (int y = r.top; y < r.bottom; ++y) {
        PointedObject label = env_.desktop.objectAt({labelX, y});
        bool fresh = label.id != sensor.id && label.id != previous;
        previous = label.id;
        if (!fresh) continue;
        std::string labelText = lowerTitle(label.text);
        if (labelText != "latitude:" && labelText != "longitude:") continue;
        // The value is asked for only beside a label: each probe may be a
        // round trip to the other program.
        std::string value = lowerTitle(env_.desktop.objectAt({valueX, y}).text);
        (labelText == "latitude:" ? latitudeLabel : longitudeLabel) = labelText + " " + value;
        any = true;
    }
    if (any) changed();
}

void AutoRouteCapture::key(Key k, bool down) { env_.desktop.sendKey(k, down); }

void AutoRouteCapture::ActivateLocationSensor() {
    if (!autoRoute_) return;
    env_.desktop.activate(autoRoute_);
    env_.desktop.wait(100);
    env_.pump.processEvents();
    key(Key::named(Key::Kind::Alt), true);
    key(Key::of('T'), true);
    env_.desktop.wait(100);
    env_.pump.processEvents();
    key(Key::of('L'), true);
    key(Key::named(Key::Kind::Alt), false);
    env_.desktop.wait(500);
    env_.pump.processEvents();
}

void AutoRouteCapture::Timer1Timer() {
    timer1_->stop();
    ++tick_;
    if (tick_ % kNamePromptEvery == 0) {
        WindowId prompt = 0;
        for (const TopLevelWindow& w : env_.desktop.topLevelWindows())
            if (w.visible && contains(lowerTitle(w.title), "waypoint identification")) {
                prompt = w.id;
                break;
            }
        if (prompt)
            env_.desktop.activate(prompt);
        else if (env_.foregroundSelf)
            env_.foregroundSelf();
    }
    env_.pump.processEvents();
    if (shown_) FindLocator();
}

void AutoRouteCapture::Timer2Timer() {
    if (lastLatitude.empty() || lastLongitude.empty() || lastLatitude == kZeros || lastLongitude == kZeros) return;
    timer2_->stop();
    char separator = env_.locale.decimalSeparator();
    std::string lat = lastLatitude, lon = lastLongitude;
    for (std::string* s : {&lat, &lon}) {
        replaceFirst(*s, ',', separator);
        replaceFirst(*s, '.', separator);
    }
    positionText = lon + "  " + lat;
    changed();
    if (sendAsRmc && env_.sendRmc) env_.sendRmc(lon, lat);
    if (shown_) timer2_->start();
}

std::string AutoRouteCapture::askName() {
    unregisterHotKeys();
    if (env_.foregroundSelf) env_.foregroundSelf();
    ++waypointCounter_;
    std::string proposed = "WP" + std::to_string(waypointCounter_);
    std::optional<std::string> name = env_.prompts.inputText(kNamePromptTitle, env_.nameCaption, proposed);
    // The window may have closed while the box was open.
    if (shown_) registerHotKeys();
    return name ? *name : proposed;
}

void AutoRouteCapture::FormKeyPress(char typed) {
    if (!shown_) return;
    std::string latText(core::Trim(utf8Mid(latitudeLabel, 10, kSensorValueChars)));
    std::string lonText(core::Trim(utf8Mid(longitudeLabel, 11, kSensorValueChars)));
    if (latText.empty() || lonText.empty()) return;

    if (makePushpins) {
        MakePushpin(pushpinCoordinate(latText, "north"), pushpinCoordinate(lonText, "east"));
        CloseFindDialog();
    }

    char k = static_cast<char>(typed >= 'A' && typed <= 'Z' ? typed - 'A' + 'a' : typed);
    std::string name = k == 'w' ? askName() : "TP";
    if (k != 't' && k != 'r' && k != 'w') {
        CalculateDistance();
        return;
    }
    if (contains(latitudeLabel, "latitude")) {
        std::string lat = resultCoordinate(latText, "south");
        std::string lon = resultCoordinate(lonText, "west");
        lines.push_back(std::string(1, static_cast<char>(k - 'a' + 'A')) + " B: " + lat + " L: " + lon + " D: " + name);
        lastLatitude = lat;
        lastLongitude = lon;
    }
    CalculateDistance();
}

void AutoRouteCapture::typeText(const std::string& text) {
    for (char c : text) {
        if (c == '\t')
            key(Key::named(Key::Kind::Tab), true);
        else if (c == '\r')
            key(Key::named(Key::Kind::Return), true);
        else
            key(Key::of(c), true);
    }
    env_.desktop.wait(15);
}

void AutoRouteCapture::MakePushpin(std::string latitude, std::string longitude) {
    if (pushpinBusy_ || !autoRoute_) return;
    pushpinBusy_ = true;
    char separator = env_.locale.decimalSeparator();
    for (std::string* s : {&latitude, &longitude})
        for (char& c : *s)
            if (c != '-' && (c < '0' || c > '9')) c = separator;
    bool sensorWasRunning = timer1_->running();
    timer1_->stop();
    env_.desktop.activate(autoRoute_);
    env_.desktop.wait(50);
    env_.pump.processEvents();

    // Ctrl+F opens AutoRoute's Find dialog; two tabs reach the latitude
    // field. The first time the dialog takes longer to appear.
    key(Key::named(Key::Kind::Control), true);
    key(Key::of('F'), true);
    env_.desktop.wait(firstPushpin_ ? 500 : 200);
    key(Key::named(Key::Kind::Tab), true);
    if (firstPushpin_) env_.desktop.wait(100);
    key(Key::named(Key::Kind::Tab), true);
    if (firstPushpin_) env_.desktop.wait(100);
    env_.desktop.wait(30);
    key(Key::named(Key::Kind::Control), false);
    typeText(latitude + "\t");
    typeText(longitude);
    typeText("\r\r");
    env_.desktop.wait(15);
    key(Key::named(Key::Kind::F8), true);
    key(Key::named(Key::Kind::F8), false);

    firstPushpin_ = false;
    pushpinBusy_ = false;
    if (sensorWasRunning) startSensorTimer();
}

void AutoRouteCapture::CloseFindDialog() {
    for (const TopLevelWindow& w : env_.desktop.topLevelWindows())
        if (w.visible && contains(lowerTitle(w.title), "find")) {
            env_.desktop.requestClose(w.id);
            return;
        }
}

void AutoRouteCapture::CalculateDistance() {
    long double totalKm = 0;
    long double prevLat = 0, prevLon = 0;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] != 'T') continue;
        long double lat = core::StrToFloatAny(FieldAfter(line, "B: ", kCoordinateChars));
        long double lon = core::StrToFloatAny(FieldAfter(line, "L: ", kCoordinateChars));
        // A zero co-ordinate is an unread position: no segment leads to it
        // or away from it.
        if (prevLat != 0 && prevLon != 0 && lat != 0 && lon != 0) totalKm += core::DistanceKm(prevLat, prevLon, lat, lon);
        prevLat = lat;
        prevLon = lon;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.2Lf", totalKm);
    std::string number = text;
    replaceFirst(number, '.', env_.locale.decimalSeparator());
    distanceText = env_.message(kMsgDistance) + " " + number + " km";
    changed();
}

void AddCapturedLines(core::Document& document, const std::vector<std::string>& lines) {
    document.NewTrack("ACTIVE LOG");
    for (const std::string& line : lines) {
        std::string lat = FieldAfter(line, "B: ", kCoordinateChars);
        std::string lon = FieldAfter(line, "L: ", kCoordinateChars);
        if (!line.empty() && line[0] == 'W') {
            std::string name = line.find("D: ") == std::string::npos ? "AR" : FieldAfter(line, "D: ", kNameChars);
            document.AddWaypoint(lat, lon, "", "", name, core::Symbol::none(), "", "");
        } else {
            document.AddTrackpoint(lat, lon, "", "");
        }
    }
}

}  // namespace capture

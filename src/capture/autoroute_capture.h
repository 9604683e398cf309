#pragma once
// The AutoRoute capture (TLocatorForm's rules): reads AutoRoute's "Location
// sensor" window several times a second, keeps a result line for every T, R
// or W the user presses, can drop a pushpin on AutoRoute's map for each one
// and can send the last position as an NMEA RMC sentence. The widget shows
// the public state and forwards the user's actions; all rules live here.
//
// Result line: "T B: 52.086750000 L: 4.5000000000 D: TP" - the key, then
// latitude and longitude as 12 characters of decimal degrees ("." decimal
// point, negative south and west), then the name ("TP" for T and R).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/desktop.h"
#include "core/signal.h"
#include "host/host.h"

namespace core {
class Document;
}

namespace capture {

struct AutoRouteEnv {
    Desktop& desktop;
    host::Timers& timers;
    host::Prompts& prompts;
    // "Let events run" between synthesized keys, so AutoRoute and our own
    // window keep up.
    host::EventPump& pump;
    const host::LocaleInfo& locale;
    std::function<std::string(int n)> message;  // the message table
    // The prompt of the waypoint name box: the point list's name column.
    std::string nameCaption = "Name";
    // Sends one RMC sentence for the position (user's decimal separator,
    // longitude first as VerzendRMC takes them).
    std::function<void(const std::string& lon, const std::string& lat)> sendRmc;
    std::function<void()> stopCommunication;
    // Brings the capture window to the foreground and makes it active.
    std::function<void()> foregroundSelf;
};

class AutoRouteCapture {
public:
    static constexpr int kHotKeyT = 1;
    static constexpr int kHotKeyW = 2;
    static constexpr int kSensorIntervalMs = 50;
    static constexpr int kPositionIntervalMs = 600;

    explicit AutoRouteCapture(AutoRouteEnv env);
    ~AutoRouteCapture();
    AutoRouteCapture(const AutoRouteCapture&) = delete;
    AutoRouteCapture& operator=(const AutoRouteCapture&) = delete;

    // --- the window's events ------------------------------------------------
    void FormShow();
    void BitBtn1Click();  // "Klaar"; the window closes after it
    void FormClose();
    void SpeedButton1Click();  // "Wis laatste punt"
    void SpeedButton2Click();  // "Wis alles"
    // Every key typed in the window, and the two hot keys as "t" and "w".
    void FormKeyPress(char key);

    // --- the steps, public for the tests ----------------------------------
    void FindLocator();
    void WindowsFromWindow(const TopLevelWindow& sensor);
    void ActivateLocationSensor();
    void MakePushpin(std::string latitude, std::string longitude);
    void CloseFindDialog();
    void CalculateDistance();
    void Timer1Timer();
    void Timer2Timer();

    // --- what the window shows ----------------------------------------------
    std::string latitudeLabel;   // "latitude: 52.08675° north"
    std::string longitudeLabel;  // "longitude: 4.5° east"
    std::vector<std::string> lines;  // the result list
    std::string lastLatitude, lastLongitude;  // 12 characters each, or empty
    std::string positionText;  // longitude, two blanks, latitude
    std::string distanceText;  // "Distance: 12.34 km"
    bool sendAsRmc = false;    // "Verzend als NMEA RMC"
    bool makePushpins = false; // "Pushpins maken"
    // Fired after every change of the state above.
    core::Signal<> changed;

    WindowId autoRouteWindow() const { return autoRoute_; }
    int waypointCounter() const { return waypointCounter_; }
    bool shown() const { return shown_; }
    host::Timer& sensorTimer() { return *timer1_; }
    host::Timer& positionTimer() { return *timer2_; }

private:
    void registerHotKeys();
    void unregisterHotKeys();
    void startSensorTimer();
    void typeText(const std::string& text);
    void key(Key key, bool down);
    std::string askName();

    AutoRouteEnv env_;
    std::unique_ptr<host::Timer> timer1_, timer2_;
    bool shown_ = false;
    int tick_ = 0;
    int waypointCounter_ = 0;
    WindowId autoRoute_ = 0;
    bool firstPushpin_ = true;
    bool pushpinBusy_ = false;
};

// The start command's last steps: a track "ACTIVE LOG", then each result line
// as a waypoint (W) or a point of that track (T, R).
void AddCapturedLines(core::Document& document, const std::vector<std::string>& lines);

// The `count` characters after the first `marker` in a result line; empty
// when the line has no such marker.
std::string FieldAfter(const std::string& line, const std::string& marker, size_t count);

}  // namespace capture

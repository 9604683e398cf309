#pragma once
// The GPS simulation of the page "NMEA simuleren": a track of the document
// played back as "$GPRMC" sentences, one per tick of TxTimer, with the
// points' own times, from a chosen start time, at the current time, or
// driving along the track at a given speed. Every sentence goes out on the
// NMEA channel, to the message log ("User> ...") and through the decoder
// into the reception display.
//
// The simulation plays its own copy of the chosen track's points, loaded
// when the track is chosen or playback starts; when that track is edited,
// renamed or deleted, playback stops and the copy is loaded afresh at the
// next start.
//
// Limits: the interval is 200-30000 ms on the page (the command line may
// go lower); driving speed 0-100 m/s.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "core/document.h"
#include "core/fn.h"
#include "core/point_list.h"
#include "core/signal.h"
#include "host/host.h"
#include "nmea/rmc_builder.h"

namespace nmea {

// The four time options, RadioButton2 to RadioButton5.
enum class TimeOption { Original = 2, StartFrom = 3, Now = 4, GivenSpeed = 5 };

// Playback state.
struct TTrack {
    int count = 0;                    // points loaded
    std::string status;               // "afspelen", "pauze", "gestopt" or "" before the first start
    std::string text2;                // emptied at start, not otherwise used
    int last = 0;                     // points when playback started
    int index = 1;                    // 1-based: the next point
    double simTime = 0;               // simulated date-time (serial number)
    long double speed = 0;            // m/s, "Given speed"
    long double interval = 0;         // s, "Given speed"
    long double curLat = 0, curLon = 0;  // the simulated position
};

// Status texts.
inline constexpr const char* kPlaying = "afspelen";
inline constexpr const char* kPaused = "pauze";
inline constexpr const char* kStopped = "gestopt";

// A point of the track played: where, and when as a serial number (0: none).
struct SimPoint {
    long double lat = 0, lon = 0;
    double time = 0;
};

// The points of the track played, numbered from 1 as the page counts them.
// Only what playback reads is kept: a million-point track takes 48 MB here,
// not the 96 MB of full point records, in blocks of one huge page.
class SimTrackPoints {
public:
    int count() const { return count_; }
    const SimPoint& operator[](int index) const {
        size_t i = static_cast<size_t>(index - 1);
        return blocks_[i / kBlock][i % kBlock];
    }
    void reset() { count_ = 0; }
    void append(const core::PointRecord& r) {
        size_t i = static_cast<size_t>(count_);
        if (i == blocks_.size() * kBlock)
            blocks_.emplace_back(static_cast<SimPoint*>(core::AllocateBigBlock(kBlock * sizeof(SimPoint))));
        blocks_[i / kBlock][i % kBlock] = {r.lat, r.lon, static_cast<double>(r.time)};
        ++count_;
    }

private:
    static_assert(std::is_trivially_copyable_v<SimPoint> && std::is_trivially_destructible_v<SimPoint>);
    static constexpr size_t kBlock = core::kBigBlockBytes / sizeof(SimPoint);
    int count_ = 0;
    std::vector<std::unique_ptr<SimPoint[], core::BigBlockFree>> blocks_;
};

// Where the simulation's sentences and messages go.
struct SimulationLinks {
    std::function<void(std::string_view)> transmit;  // Transmit1, with CR LF
    std::function<bool()> protocolIsNmea;            // unset: always NMEA
    // Closes the Garmin channel (StopCommunication1), then makes NMEA the
    // protocol.
    std::function<void()> switchToNmea;
    std::function<void(const std::string&)> logLine;  // a message log line as it stands
    std::function<void(const std::string&)> decode;   // DecodeNMEA into the reception display
    std::function<void(const std::string&, host::Severity)> show;  // a message box
    std::function<std::string(int)> message;                       // message table text n
    // Hands a track's points one by one to `each` (PointLoader::eachTrackPoint);
    // false when the user cancelled the loading.
    std::function<bool(core::NodeId track, const core::PointLoader::Sink& each)> loadTrack;
};

class Simulation {
public:
    static constexpr int kMinIntervalMs = 200;
    static constexpr int kMaxIntervalMs = 30000;
    static constexpr int kIntervalStepMs = 100;
    static constexpr int kDefaultIntervalMs = 1000;
    static constexpr int kMaxDrivingSpeed = 100;  // m/s
    static constexpr int kDrivingSpeedStep = 10;
    static constexpr int kDefaultDrivingSpeed = 10;
    static constexpr int kBackSteps = 10;
    static constexpr long double kKnotsPerMetrePerSecond = 1.9438444924406047517L;

    Simulation(host::Timers& timers, const host::Clock& clock, core::Document& document, SimulationLinks links);
    ~Simulation();
    Simulation(const Simulation&) = delete;
    Simulation& operator=(const Simulation&) = delete;

    // --- what the page shows ---------------------------------------------
    const TTrack& track() const { return track_; }
    const std::string& trackName() const { return trackName_; }  // "" when none is chosen
    TimeOption timeOption() const { return timeOption_; }
    const std::string& meTime() const { return meTime_; }
    const std::string& meDate() const { return meDate_; }
    int intervalMs() const { return intervalMs_; }  // sbInterval
    const std::string& Edit3() const { return edit3_; }
    int drivingSpeed() const { return drivingSpeed_; }  // sbDrivingSpeed, m/s
    const std::string& Label35() const { return label35_; }
    bool repeat() const { return repeat_; }  // cbRepeat
    bool timerBeat() const { return timerBeat_; }
    const std::string& Label17() const { return label17_; }
    const std::string& Label28() const { return label28_; }
    const RmcPanel& panel() const { return builder_.panel(); }
    bool timerRunning() const;
    bool busy() const { return busy_; }
    const SimTrackPoints& points() const { return points_; }

    // --- the page's commands ------------------------------------------------
    // The user chose a track in cbTracks ("" for none).
    void cbTracksChange(const std::string& name);
    // The track list chose a track by itself (a file was read): remembered,
    // loaded at the next start, playback left alone.
    void selectTrack(const std::string& name);
    void Trackpointsafspelen1Click();  // "Start simulatie"
    void SpeedButton1Click();          // back 10
    void SpeedButton2Click();          // stop
    void SpeedButton3Click();          // pause
    void SpeedButton4Click();          // resume
    void btNowClick();
    void Edit3Change(const std::string& text);
    void sbIntervalChange(int positionMs);
    void sbDrivingSpeedChange(int position);
    void setTimeOption(TimeOption option);
    void setRepeat(bool repeat);
    // Typing in meTime or meDate chooses "Start from following:".
    void meTimeKeyPress(const std::string& text);
    void meDateKeyPress(const std::string& text);
    void TxTimerTimer();

    // The command line's pace: any interval of at least 1 ms.
    void setIntervalMs(int intervalMs);

    // StopCommunication1 stopped the channel: TxTimer stops, "gestopt".
    void channelStopped();

    // Builds a sentence, sends it on the NMEA channel (switching from
    // Garmin first) and logs it. Also used by the converter's
    // "Zend als RMC bericht".
    RmcResult VerzendRMC(std::string_view lon, std::string_view lat, std::string_view date, std::string_view time,
                         std::string_view speed);
    RmcBuilder& builder() { return builder_; }

    void setStatus(const std::string& status);

    // Any control's text changed.
    core::Signal<> changed;
    // A sentence was built; the position panel and the compass follow it.
    core::Signal<const RmcResult&> panelChanged;

private:
    bool startPlayback();
    bool loadChosenTrack();
    bool readStartTime(double& serial);
    void showTime(double serial);
    void endOfTrack();
    void sendBuilt(const RmcResult& r);
    bool sendAt(long double lat, long double lon, long double knots, const std::string& date,
                const std::string& time);
    void watchDocument();
    void trackTouched(core::NodeId node);
    bool inTrack(core::NodeId node) const;
    bool holdsTrack(core::NodeId node) const;
    core::NodeId findTrackNode(const std::string& name) const;
    std::string message(int n) const { return links_.message ? links_.message(n) : std::string(); }
    void show(const std::string& text, host::Severity severity);

    host::Timers& timers_;
    const host::Clock& clock_;
    core::Document& doc_;
    SimulationLinks links_;
    std::unique_ptr<host::Timer> txTimer_;
    RmcBuilder builder_;
    TTrack track_;
    SimTrackPoints points_;
    std::string trackName_;
    core::NodeId trackNode_ = core::kNoNode;  // the track whose points are loaded
    bool fresh_ = false;                      // points_ hold trackNode_ as it stands
    std::string line_;                        // the sentence with its line end, reused
    RmcResult built_;                         // the sentence of the tick, reused
    struct {
        int index = 0;  // of points_; 0: none
        core::SphericalPoint point;
    } nextSpherical_;

    TimeOption timeOption_ = TimeOption::Now;
    std::string meTime_ = "00:00:00";
    std::string meDate_ = "30-12-1899";
    struct {
        int year = 0, month = 0, day = 0;
        bool known = false;  // meDate_ holds this day as showTime wrote it
    } shownDay_;
    int intervalMs_ = kDefaultIntervalMs;
    std::string edit3_ = "1000";
    int drivingSpeed_ = kDefaultDrivingSpeed;
    std::string label35_ = "10 m/s";
    bool repeat_ = true;
    bool timerBeat_ = false;
    std::string label17_ = "Status: ";
    std::string label28_ = "Verzonden:";
    bool busy_ = false;     // a tick is running
    bool loading_ = false;  // a track is being loaded (events may run meanwhile)
    bool loadCancelled_ = false;
    std::vector<core::ScopedConnection> watches_;
};

// "dd-mm-yyyy" and "hh:mm:ss" of a serial number.
std::string SimDateText(double serial);
std::string SimTimeText(double serial);
// "dd-mm-yyyy" -> serial day; false when the text is no date.
bool ReadSimDate(std::string_view text, double& serial);
// "hh:mm:ss" -> fraction of a day; false when the text is no time.
bool ReadSimTime(std::string_view text, double& fraction);

}  // namespace nmea

#include "nmea/simulation.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/fn.h"

namespace nmea {

namespace {

constexpr double kMsPerDay = 86400000.0;
constexpr long double kKmPerNauticalMile = 1.852L;
constexpr int kMessageTransmitted = 10;
constexpr int kMessageNoPoints = 11;

// Digits at `pos`, at most `maxDigits` of them; pos moves past them.
bool readNumber(std::string_view text, size_t& pos, size_t maxDigits, int& value) {
    size_t start = pos;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && pos - start < maxDigits)
        value = value * 10 + (text[pos++] - '0');
    return pos > start;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysIn(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

// A whole number as the integer conversion reads it: blanks, a sign, digits.
bool readInteger(std::string_view text, long long& value) {
    text = core::Trim(text);
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// core::ZeroPad appended, without the temporary texts.
void appendZeroPadded(std::string& out, int number, int width) {
    if (number < 0) {
        out += core::ZeroPad(number, width);
        return;
    }
    char digits[12];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number > 0);
    if (n < width) out.append(static_cast<size_t>(width - n), '0');
    while (n > 0) out += digits[--n];
}

// "hh:mm:ss" or "dd-mm-yyyy" into the text's own storage: two-digit
// numbers, the last one `lastWidth` digits.
void assignThreeNumbers(std::string& out, char separator, int first, int second, int last, int lastWidth) {
    out.clear();
    appendZeroPadded(out, first, 2);
    out += separator;
    appendZeroPadded(out, second, 2);
    out += separator;
    appendZeroPadded(out, last, lastWidth);
}

}  // namespace

std::string SimDateText(double serial) {
    core::DateTimeParts p = core::DecodeDateTime(serial);
    return core::ZeroPad(p.day, 2) + "-" + core::ZeroPad(p.month, 2) + "-" + core::ZeroPad(p.year, 4);
}

std::string SimTimeText(double serial) { return core::TimeOfDayText(core::DecodeDateTime(serial)); }

bool ReadSimDate(std::string_view text, double& serial) {
    text = core::Trim(text);
    size_t pos = 0;
    int day, month, year;
    if (!readNumber(text, pos, 2, day) || pos >= text.size()) return false;
    char separator = text[pos++];
    if (separator != '-' && separator != '/' && separator != '.') return false;
    if (!readNumber(text, pos, 2, month) || pos >= text.size() || text[pos++] != separator) return false;
    size_t yearStart = pos;
    if (!readNumber(text, pos, 4, year) || pos != text.size()) return false;
    if (pos - yearStart <= 2) year += year < 50 ? 2000 : 1900;
    if (month < 1 || month > 12 || day < 1 || day > daysIn(year, month)) return false;
    serial = static_cast<double>(core::EncodeDate(year, month, day));
    return true;
}

bool ReadSimTime(std::string_view text, double& fraction) {
    text = core::Trim(text);
    size_t pos = 0;
    int h, m, s = 0;
    if (!readNumber(text, pos, 2, h) || pos >= text.size() || text[pos++] != ':') return false;
    if (!readNumber(text, pos, 2, m)) return false;
    if (pos < text.size() && (text[pos++] != ':' || !readNumber(text, pos, 2, s))) return false;
    if (pos != text.size() || h > 23 || m > 59 || s > 59) return false;
    fraction = (h * 3600.0 + m * 60.0 + s) / 86400.0;
    return true;
}

Simulation::Simulation(host::Timers& timers, const host::Clock& clock, core::Document& document,
                       SimulationLinks links)
    : timers_(timers),
      clock_(clock),
      doc_(document),
      links_(std::move(links)),
      txTimer_(timers.createTimer("TxTimer")) {
    txTimer_->setIntervalMs(intervalMs_);
    txTimer_->onTick([this] { TxTimerTimer(); });
    meTime_ = core::NowText(clock_);
    meDate_ = SimDateText(clock_.nowSerial());
    shownDay_.known = false;
    watchDocument();
}

Simulation::~Simulation() = default;

bool Simulation::timerRunning() const { return txTimer_->running(); }

void Simulation::show(const std::string& text, host::Severity severity) {
    if (links_.show) links_.show(text, severity);
}

void Simulation::setStatus(const std::string& status) {
    track_.status = status;
    // Written into the label's own storage: this runs on every tick.
    auto appendNumber = [this](int n) {
        char digits[12];
        label17_.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
    };
    label17_.assign("Status: ").append(status).append(" (");
    appendNumber(track_.index);
    label17_.append(" - ");
    appendNumber(track_.last);
    label17_.append(")");
    changed();
}

// --- choosing and loading the track -----------------------------------------

core::NodeId Simulation::findTrackNode(const std::string& name) const {
    // Not FindTrack: that also moves the document's insertion point.
    for (core::NodeId t = doc_.firstChild(doc_.trackpoints()); t != core::kNoNode; t = doc_.nextSibling(t))
        if (doc_.nameOf(t) == name) return t;
    return core::kNoNode;
}

bool Simulation::loadChosenTrack() {
    core::NodeId node = trackName_.empty() ? core::kNoNode : findTrackNode(trackName_);
    if (node != trackNode_ || !fresh_) {
        points_.reset();
        nextSpherical_ = {};
        trackNode_ = node;
        fresh_ = true;  // an edit of the track while it loads clears it again
        bool complete = true;
        if (node != core::kNoNode && links_.loadTrack) {
            loading_ = true;
            complete = links_.loadTrack(node, [this](const core::PointRecord& r) { points_.append(r); });
            loading_ = false;
        }
        loadCancelled_ = !complete;
        if (!complete) {
            // Half a track is no track to play.
            points_.reset();
            trackNode_ = core::kNoNode;
        }
        fresh_ = fresh_ && trackNode_ != core::kNoNode;
    }
    track_.count = points_.count();
    return node != core::kNoNode;
}

void Simulation::cbTracksChange(const std::string& name) {
    if (loading_) {
        // Chosen while another track loads: loaded when playback starts.
        trackName_ = name;
        fresh_ = false;
        return;
    }
    txTimer_->stop();
    busy_ = false;
    trackName_ = name;
    if (!name.empty()) {
        fresh_ = false;
        loadChosenTrack();
        if (points_.count() >= 1) showTime(static_cast<double>(points_[1].time));
    }
    changed();
}

void Simulation::selectTrack(const std::string& name) {
    if (name == trackName_) return;
    trackName_ = name;
    changed();
}

// --- the document may change under a playback ---------------------------------

bool Simulation::inTrack(core::NodeId node) const {
    if (trackNode_ == core::kNoNode) return false;
    for (core::NodeId n = node; n != core::kNoNode; n = doc_.parent(n))
        if (n == trackNode_) return true;
    return false;
}

bool Simulation::holdsTrack(core::NodeId node) const {
    if (trackNode_ == core::kNoNode) return false;
    for (core::NodeId n = trackNode_; n != core::kNoNode; n = doc_.parent(n))
        if (n == node) return true;
    return false;
}

void Simulation::trackTouched(core::NodeId node) {
    if (trackNode_ == core::kNoNode || !inTrack(node)) return;
    fresh_ = false;
    // The points played no longer are the track's: stop instead of
    // sending what the list held.
    if (track_.status == kPlaying || track_.status == kPaused) {
        txTimer_->stop();
        setStatus(kStopped);
    }
}

void Simulation::watchDocument() {
    auto gone = [this] {
        fresh_ = false;
        trackNode_ = core::kNoNode;
        if (track_.status == kPlaying || track_.status == kPaused) {
            txTimer_->stop();
            setStatus(kStopped);
        }
    };
    watches_.push_back(doc_.inserted.scoped([this](core::NodeId parent, core::NodeId) { trackTouched(parent); }));
    watches_.push_back(doc_.textChanged.scoped([this](core::NodeId node) { trackTouched(node); }));
    watches_.push_back(doc_.aboutToRemove.scoped([this, gone](core::NodeId node) {
        if (holdsTrack(node)) gone();
        else trackTouched(node);
    }));
    watches_.push_back(doc_.aboutToRemoveChildren.scoped([this, gone](core::NodeId parent) {
        if (holdsTrack(parent) && parent != trackNode_) gone();
        else trackTouched(parent);
    }));
    watches_.push_back(doc_.aboutToMove.scoped([this, gone](core::NodeId node, core::NodeId newParent, core::NodeId) {
        if (holdsTrack(node) && node != trackNode_) gone();
        else if (inTrack(node)) trackTouched(node);
        else trackTouched(newParent);
    }));
    // A bulk change tells nothing in detail: the copy is loaded afresh.
    watches_.push_back(doc_.reset.scoped([gone] { gone(); }));
}

// --- starting, the buttons ------------------------------------------------------

bool Simulation::readStartTime(double& serial) {
    double day = 0, fraction = 0;
    if (!ReadSimDate(meDate_, day)) {
        show("'" + meDate_ + "' is not a valid date", host::Severity::Error);
        return false;
    }
    if (!ReadSimTime(meTime_, fraction)) {
        show("'" + meTime_ + "' is not a valid time", host::Severity::Error);
        return false;
    }
    serial = day + fraction;
    return true;
}

void Simulation::showTime(double serial) {
    core::DateTimeParts p = core::DecodeDateTime(serial);
    // Every tick passes here: the texts are written into their own storage,
    // the date only when the day changed.
    assignThreeNumbers(meTime_, ':', p.hour, p.minute, p.second, 2);
    if (shownDay_.known && shownDay_.year == p.year && shownDay_.month == p.month && shownDay_.day == p.day) return;
    assignThreeNumbers(meDate_, '-', p.day, p.month, p.year, 4);
    shownDay_ = {p.year, p.month, p.day, true};
}

void Simulation::Trackpointsafspelen1Click() { startPlayback(); }

bool Simulation::startPlayback() {
    if (loading_) return false;
    txTimer_->stop();
    busy_ = false;
    if (trackName_.empty()) return false;
    loadCancelled_ = false;
    loadChosenTrack();
    if (loadCancelled_) {
        changed();
        return false;
    }
    if (points_.count() == 0) {
        changed();
        show(message(kMessageNoPoints), host::Severity::Information);
        return false;
    }
    if (links_.protocolIsNmea && !links_.protocolIsNmea() && links_.switchToNmea) links_.switchToNmea();
    track_.last = track_.count;
    track_.index = 1;
    track_.text2.clear();
    if (timeOption_ == TimeOption::Now || timeOption_ == TimeOption::GivenSpeed) btNowClick();
    double start = 0;
    if (!readStartTime(start)) {
        changed();
        return false;
    }
    track_.simTime = start;
    if (timeOption_ == TimeOption::GivenSpeed) {
        track_.curLat = points_[1].lat;
        track_.curLon = points_[1].lon;
        track_.speed = drivingSpeed_;
        showTime(track_.simTime);
        if (!sendAt(track_.curLat, track_.curLon, track_.speed * kKnotsPerMetrePerSecond, meDate_, meTime_))
            return false;
    }
    setStatus(kPlaying);
    txTimer_->setIntervalMs(intervalMs_);
    txTimer_->start();
    return true;
}

void Simulation::SpeedButton1Click() {
    if (loading_) return;
    if (track_.status != kPlaying && track_.status != kPaused) return;
    track_.index = track_.index <= kBackSteps ? 1 : track_.index - kBackSteps;
    txTimer_->stop();
    setStatus(track_.status);
    txTimer_->start();
}

void Simulation::SpeedButton2Click() {
    if (loading_) return;
    if (track_.status != kPlaying && track_.status != kPaused) return;
    setStatus(kStopped);
    txTimer_->stop();
}

void Simulation::SpeedButton3Click() {
    if (loading_) return;
    if (track_.status == kPlaying) setStatus(kPaused);
}

void Simulation::SpeedButton4Click() {
    if (loading_) return;
    if (trackName_.empty()) return;
    if (track_.status == kPaused) {
        setStatus(kPlaying);
        // Paused by hand the timer runs on; after a track change it may not.
        if (!txTimer_->running()) txTimer_->start();
    } else if (track_.status == kStopped && fresh_ && track_.last > 0 && trackNode_ == findTrackNode(trackName_)) {
        track_.index = 1;
        setStatus(kPlaying);
        txTimer_->start();
    } else {
        // Never started, or the track changed since: start afresh.
        startPlayback();
    }
}

void Simulation::btNowClick() {
    double now = clock_.nowSerial();
    showTime(now);
    if (timeOption_ == TimeOption::StartFrom) track_.simTime = now;
    changed();
}

void Simulation::Edit3Change(const std::string& text) {
    edit3_ = text;
    long long value = 0;
    if (!readInteger(text, value)) {
        edit3_ = std::to_string(kDefaultIntervalMs);
        value = kDefaultIntervalMs;
    }
    sbIntervalChange(static_cast<int>(std::clamp<long long>(value, kMinIntervalMs, kMaxIntervalMs)));
}

void Simulation::sbIntervalChange(int positionMs) {
    setIntervalMs(std::clamp(positionMs, kMinIntervalMs, kMaxIntervalMs));
}

void Simulation::setIntervalMs(int intervalMs) {
    intervalMs_ = std::max(1, intervalMs);
    edit3_ = std::to_string(intervalMs_);
    txTimer_->setIntervalMs(intervalMs_);
    changed();
}

void Simulation::sbDrivingSpeedChange(int position) {
    drivingSpeed_ = std::clamp(position, 0, kMaxDrivingSpeed);
    size_t blank = label35_.find(' ');
    std::string unit = blank == std::string::npos ? label35_ : label35_.substr(blank + 1);
    label35_ = std::to_string(drivingSpeed_) + " " + unit;
    changed();
}

void Simulation::setTimeOption(TimeOption option) {
    timeOption_ = option;
    changed();
}

void Simulation::setRepeat(bool repeat) {
    repeat_ = repeat;
    changed();
}

void Simulation::meTimeKeyPress(const std::string& text) {
    meTime_ = text;
    setTimeOption(TimeOption::StartFrom);
}

void Simulation::meDateKeyPress(const std::string& text) {
    meDate_ = text;
    shownDay_.known = false;
    setTimeOption(TimeOption::StartFrom);
}

void Simulation::channelStopped() {
    txTimer_->stop();
    setStatus(kStopped);
}

// --- sending ------------------------------------------------------------------------

RmcResult Simulation::VerzendRMC(std::string_view lon, std::string_view lat, std::string_view date,
                                 std::string_view time, std::string_view speed) {
    RmcResult r = builder_.MaakRMC(lon, lat, date, time, speed);
    if (r.ok) sendBuilt(r);
    return r;
}

void Simulation::sendBuilt(const RmcResult& r) {
    // Close the Garmin channel before the protocol changes, so the channel
    // closed is the one that was open.
    if (links_.protocolIsNmea && !links_.protocolIsNmea() && links_.switchToNmea) links_.switchToNmea();
    if (links_.transmit) {
        line_.assign(r.sentence).append("\r\n");
        links_.transmit(line_);
    }
    if (links_.logLine) links_.logLine("User> " + r.sentence);
    panelChanged(r);
}

bool Simulation::sendAt(long double lat, long double lon, long double knots, const std::string& date,
                        const std::string& time) {
    RmcResult& r = built_;
    builder_.MaakRMC(lon, lat, date, time, knots, r);
    if (!r.ok) {
        // Every later tick would fail the same way: stop and say why once.
        txTimer_->stop();
        setStatus(kStopped);
        show(r.error, host::Severity::Error);
        return false;
    }
    sendBuilt(r);
    label28_.assign(message(kMessageTransmitted)).append(" ").append(r.sentence);
    if (links_.decode) links_.decode(r.sentence);
    return true;
}

void Simulation::endOfTrack() {
    setStatus(kStopped);
    txTimer_->stop();
    if (!repeat_) return;
    track_.index = 1;
    setStatus(kPlaying);
    txTimer_->start();
}

void Simulation::TxTimerTimer() {
    timerBeat_ = !timerBeat_;
    if (busy_) {
        changed();
        return;
    }
    busy_ = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{busy_};

    setStatus(track_.status);
    if (track_.status != kPlaying) return;
    TTrack& t = track_;
    if (t.index < 1 || t.index > t.last || t.last > points_.count()) {
        // Nothing is left to send: no position, time or speed to make one of.
        txTimer_->stop();
        setStatus(kStopped);
        return;
    }
    t.simTime += intervalMs_ / kMsPerDay;
    int i = t.index;
    double when = t.simTime;
    // Point times and now are local; sentences carry UTC.
    double utc = clock_.utcOffsetMinutes() / (24.0 * 60);
    if (timeOption_ == TimeOption::Original) when = static_cast<double>(points_[i].time) - utc;
    else if (timeOption_ == TimeOption::Now) when = clock_.nowSerial() - utc;
    showTime(when);

    long double knots = 0;
    bool ended = false;
    if (timeOption_ == TimeOption::GivenSpeed) {
        t.speed = drivingSpeed_;
        t.interval = intervalMs_ / 1000.0L;
        long double remaining = t.speed * t.interval;  // metres
        long double seg = core::DistanceKm(t.curLat, t.curLon, points_[i].lat, points_[i].lon) * 1000;
        while (seg < remaining && i < t.last) {
            remaining -= seg;
            t.curLat = points_[i].lat;
            t.curLon = points_[i].lon;
            ++t.index;
            ++i;
            seg = core::DistanceKm(t.curLat, t.curLon, points_[i].lat, points_[i].lon) * 1000;
        }
        if (remaining < seg) {
            // Short of point i: along the straight line in degrees.
            long double f = remaining / seg;
            t.curLat += (points_[i].lat - t.curLat) * f;
            t.curLon += (points_[i].lon - t.curLon) * f;
        } else {
            // Point i reached; the drive ends at the last point, not short of it.
            t.curLat = points_[i].lat;
            t.curLon = points_[i].lon;
            ended = i == t.last;
        }
        knots = t.speed * kKnotsPerMetrePerSecond;
    } else {
        t.curLat = points_[i].lat;
        t.curLon = points_[i].lon;
        if (t.index < t.last) {
            // The speed that reaches the next point in one tick.
            // Point i was the next point of the tick before: its sines are known.
            if (nextSpherical_.index != i)
                nextSpherical_ = {i, core::ToSpherical(points_[i].lat, points_[i].lon)};
            core::SphericalPoint from = nextSpherical_.point;
            nextSpherical_ = {i + 1, core::ToSpherical(points_[i + 1].lat, points_[i + 1].lon)};
            long double metres = core::DistanceKm(from, nextSpherical_.point) * 1000;
            knots = metres / (intervalMs_ / 1000.0L) * 3600 / 1000 / kKmPerNauticalMile;
        }
        ++t.index;
        ended = t.index >= t.last;
    }
    if (!sendAt(t.curLat, t.curLon, knots, meDate_, meTime_)) return;
    if (ended) endOfTrack();
    else changed();
}

}  // namespace nmea

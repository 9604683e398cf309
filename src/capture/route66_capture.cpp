#include "capture/route66_capture.h"

#include <algorithm>
#include <cctype>

#include "core/fn.h"
#include "core/text.h"
#include "nmea/coordinate_conversion.h"

namespace capture {

namespace {

constexpr const char* kTrackName = "ACTIVE LOG";
constexpr const char* kWaypointName = "R66";
constexpr size_t kCoordinateChars = 12;
constexpr const char* kHotKeyTaken = "Unable to assign <Space> as hotkey.";

// Characters first..first+count-1 (counted from 1) of a UTF-8 text.
std::string characters(const std::string& text, size_t first, size_t count) {
    std::vector<std::string> chars = Utf8Characters(text);
    std::string out;
    for (size_t i = first - 1; i < chars.size() && i < first - 1 + count; ++i) out += chars[i];
    return out;
}

bool allDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// Digits with at most one "." or "," among them.
bool decimalNumber(const std::string& s) {
    int separators = 0, digits = 0;
    for (char c : s) {
        if (c == '.' || c == ',')
            ++separators;
        else if (std::isdigit(static_cast<unsigned char>(c)))
            ++digits;
        else
            return false;
    }
    return digits > 0 && separators <= 1;
}

std::string trimmed(std::string_view s) { return std::string(core::Trim(s)); }

// A reading the box cannot show: a hemisphere letter of the other axis, or
// degrees, minutes or seconds out of their range.
bool plausible(const DmsText& d, nmea::Axis axis) {
    const std::string letters = axis == nmea::Axis::Latitude ? "NSZ" : "EOW";
    int maxDegrees = axis == nmea::Axis::Latitude ? 90 : 180;
    return d.hemisphere.size() == 1 && letters.find(d.hemisphere[0]) != std::string::npos &&
           d.degrees.size() <= 3 && std::stoi(d.degrees) <= maxDegrees && d.minutes.size() <= 2 &&
           std::stoi(d.minutes) < 60 && core::StrToFloatAny(d.seconds) < 60;
}

}  // namespace

std::string Pad12(const std::string& decimal) {
    std::string s = decimal;
    if (size_t comma = s.find(','); comma != std::string::npos) s[comma] = '.';
    // A whole number of degrees has no decimal point to pad after.
    if (s.find('.') == std::string::npos) s += '.';
    s += "000000000000";
    return s.substr(0, kCoordinateChars);
}

std::string ResultLine(char key, const std::string& latitude, const std::string& longitude) {
    return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(key)))) + " B: " + latitude +
           " L: " + longitude;
}

bool SplitDms(const std::string& text, DmsText& parts) {
    if (std::string_view(text).substr(0, text.find('"')).find(kUnreadGlyph) != std::string_view::npos) return false;
    std::vector<std::string> chars = Utf8Characters(text);
    if (chars.size() < 3) return false;
    parts.hemisphere = chars[0];
    if (parts.hemisphere.size() == 1)
        parts.hemisphere[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(parts.hemisphere[0])));
    std::string rest;
    for (size_t i = 2; i < chars.size(); ++i) rest += chars[i];
    size_t degreeSign = rest.find("\u00B0");
    if (degreeSign == std::string::npos) return false;
    size_t minuteSign = rest.find('\'', degreeSign);
    if (minuteSign == std::string::npos) return false;
    size_t secondSign = rest.find('"', minuteSign);
    if (secondSign == std::string::npos) return false;
    size_t afterDegree = degreeSign + std::string("\u00B0").size();
    parts.degrees = trimmed(std::string_view(rest).substr(0, degreeSign));
    parts.minutes = trimmed(std::string_view(rest).substr(afterDegree, minuteSign - afterDegree));
    parts.seconds = trimmed(std::string_view(rest).substr(minuteSign + 1, secondSign - minuteSign - 1));
    return allDigits(parts.degrees) && allDigits(parts.minutes) && decimalNumber(parts.seconds);
}

bool FindCoordinates(const std::array<std::string, kMaxOcrLines>& lines, std::string& latitude,
                     std::string& longitude) {
    struct Test {
        size_t line;  // 0-based: the label's line; the longitude is on the next
        const char* label;
        size_t latFirst, lonFirst;
    };
    static constexpr Test kTests[] = {
        {1, "breedtegraad", 15, 14},  // "Breedtegraad: " / "Lengtegraad: "
        {2, "breedtegraad", 15, 14},
        {1, "latitude", 11, 12},      // "Latitude: " / "Longitude: "
        {2, "latitude", 11, 12},
    };
    bool found = false;
    for (const Test& t : kTests) {
        if (core::AsciiLower(lines[t.line]).find(t.label) == std::string::npos) continue;
        latitude = trimmed(characters(lines[t.line], t.latFirst, 20));
        longitude = trimmed(t.line + 1 < lines.size() ? characters(lines[t.line + 1], t.lonFirst, 20) : "");
        found = true;
    }
    return found;
}

int AddRoute66Points(core::Document& doc, const std::vector<std::string>& lines) {
    doc.NewTrack(kTrackName);
    int added = 0;
    for (const std::string& line : lines) {
        size_t b = line.find("B: "), l = line.find("L: ");
        if (line.empty() || b == std::string::npos || l == std::string::npos) continue;
        std::string lat = line.substr(b + 3, kCoordinateChars), lon = line.substr(l + 3, kCoordinateChars);
        if (line[0] == 'W')
            doc.AddWaypoint(lat, lon, "", "", kWaypointName, core::Symbol::none(), "", "");
        else
            doc.AddTrackpoint(lat, lon, "", "");
        ++added;
    }
    return added;
}

Route66Capture::Route66Capture(Desktop& desktop, host::Host& host, TableFinder findTable, ReportFn report)
    : desktop_(desktop),
      host_(host),
      findTable_(std::move(findTable)),
      report_(std::move(report)),
      timer_(host.timers().createTimer("Timer1")) {
    timer_->setIntervalMs(kPreviewIntervalMs);
    timer_->onTick([this] { tick(); });
}

Route66Capture::~Route66Capture() {
    if (shown_) close();
}

void Route66Capture::show(WindowId self) {
    self_ = self;
    ticks_ = 0;
    lines_ = {};
    latitudeText.clear();
    longitudeText.clear();
    // Points of an earlier showing were added to the document when it
    // closed; keeping them would add them a second time.
    results_.clear();
    dump_.clear();
    selectVersion(OcrVersion::V2002);
    shown_ = true;
    timer_->start();
    desktop_.onHotKey([this](int id) { hotKey(id); });
    if (!desktop_.registerHotKey(kSpaceHotKey, ' ')) host_.prompts().show(kHotKeyTaken, host::Severity::Warning);
    readingChanged();
}

void Route66Capture::close() {
    timer_->stop();
    desktop_.unregisterHotKey(kSpaceHotKey);
    desktop_.onHotKey({});
    shown_ = false;
}

void Route66Capture::selectVersion(OcrVersion version) {
    version_ = version;
    offset_ = profile().offset;
    tableFile_ = findTable_ ? findTable_(profile()) : std::string();
    reloadTable();
    versionChanged();
}

void Route66Capture::reloadTable() { table_ = tableFile_.empty() ? OcrTable{} : ReadOcrTable(tableFile_); }

void Route66Capture::setOffsetBars(int horizontal, int vertical) {
    hBar_ = std::clamp(horizontal, kOffsetBarMin, kOffsetBarMax);
    vBar_ = std::clamp(vertical, kOffsetBarMin, kOffsetBarMax);
    offset_ = {hBar_ - 1, vBar_ + profile().offset.y};
}

void Route66Capture::SnapShot() {
    const OcrProfile& p = profile();
    if (p.width == 0 || p.height == 0) return;
    ScreenPoint at = desktop_.pointer();
    ScreenRect rect{at.x + offset_.x, at.y + offset_.y, at.x + offset_.x + p.width, at.y + offset_.y + p.height};
    preview_ = desktop_.grab(rect);
    previewChanged();
}

void Route66Capture::tick() {
    ++ticks_;
    SnapShot();
    // While the pointer rests on the map the planner may take the focus;
    // the keys must reach this window.
    if (ticks_ % kActivateEveryTicks == 0 && self_ != 0 && desktop_.activeWindow() != self_) desktop_.activate(self_);
}

void Route66Capture::recognise() {
    bool wasRunning = timer_->running();
    timer_->stop();
    // Marked, so that a covered digit cannot pass for a shorter number.
    OcrResult r = OcrBitmap(preview_, profile(), table_, debug, kUnreadGlyph);
    reduced_ = r.reduced.toImage();
    lines_ = r.lines;
    if (debug) dump_ = std::move(r.dump);
    if (wasRunning) timer_->start();
}

void Route66Capture::keyPress(char key) {
    SnapShot();
    char k = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
    if (k != 'w' && k != 'r' && k != 't') return;
    recognise();
    std::string lat, lon;
    if (FindCoordinates(lines_, lat, lon)) {
        latitudeText = lat;
        longitudeText = lon;
        record(k);
    }
    readingChanged();
}

void Route66Capture::record(char key) {
    DmsText la, lo;
    bool readable = SplitDms(latitudeText, la) && SplitDms(longitudeText, lo) &&
                    plausible(la, nmea::Axis::Latitude) && plausible(lo, nmea::Axis::Longitude);
    char separator = host_.locale().decimalSeparator();
    nmea::CoordinateFields lat{"", la.degrees, la.minutes, la.seconds, la.hemisphere, "", ""};
    nmea::CoordinateFields lon{"", lo.degrees, lo.minutes, lo.seconds, lo.hemisphere, "", ""};
    if (readable)
        readable = nmea::SpeedButton10(lat, nmea::Axis::Latitude, separator).empty() &&
                   nmea::SpeedButton10(lon, nmea::Axis::Longitude, separator).empty();
    if (!readable) {
        // A misread digit would put the point somewhere else: keep none.
        if (report_)
            report_("Route 66 capture: co-ordinates not readable, no point kept: \"" + latitudeText + "\" \"" +
                     longitudeText + "\"");
        return;
    }
    results_.push_back(ResultLine(key, Pad12(lat.decimal), Pad12(lon.decimal)));
}

void Route66Capture::hotKey(int id) {
    if (id == kSpaceHotKey) keyPress('t');
}

std::vector<std::string> Route66Capture::memoLines() const {
    std::vector<std::string> out = dump_;
    out.insert(out.end(), results_.begin(), results_.end());
    return out;
}

}  // namespace capture
